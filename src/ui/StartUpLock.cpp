#include "ui/StartUpLock.h"

namespace pixkeeper {

namespace {
constexpr wchar_t kMutexName[] = L"Local\\Pixkeeper.StartUp";
constexpr DWORD kWaitMilliseconds = 5000;
}  // namespace

StartUpLock::StartUpLock() : mutex_(CreateMutexW(nullptr, FALSE, kMutexName)) {
  if (mutex_ == nullptr) return;
  const DWORD result = WaitForSingleObject(mutex_, kWaitMilliseconds);
  // An abandoned mutex belonged to a copy that died while starting: ours now.
  owned_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

StartUpLock::~StartUpLock() {
  Release();
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

void StartUpLock::Release() {
  if (owned_) {
    ReleaseMutex(mutex_);
    owned_ = false;
  }
}

}  // namespace pixkeeper
