#include "capture/StatusText.h"

namespace pixkeeper {

std::wstring SaveFailedText(const std::wstring& path, const RuntimeError& error) {
  const std::wstring& reason = error.reason().empty() ? error.text() : error.reason();
  return L"保存できませんでした: " + path + L" (" + reason + L")";
}

std::wstring RepeatedText() { return L"前と同じ画像のため、保存しませんでした。"; }

std::wstring OwnerSilentText(OwnerWait wait) {
  if (wait == OwnerWait::kEmptying) {
    return L"画像を置いたプログラムが応答しないため、クリップボードを空にできませんでした。";
  }
  return L"画像を置いたプログラムが応答しないため、保存しませんでした。";
}

}  // namespace pixkeeper
