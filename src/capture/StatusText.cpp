#include "capture/StatusText.h"

namespace pixkeeper {

std::wstring ReasonOf(const RuntimeError& error) {
  return error.reason().empty() ? error.text() : error.reason();
}

std::wstring SaveFailedText(const std::wstring& path, const RuntimeError& error) {
  return L"保存できませんでした: " + path + L" (" + ReasonOf(error) + L")";
}

std::wstring RepeatedText() { return L"前と同じ画像のため、保存しませんでした。"; }

std::wstring OwnerSilentText(OwnerWait wait) {
  if (wait == OwnerWait::kEmptying) {
    return L"画像を置いたプログラムが応答しないため、クリップボードを空にできませんでした。";
  }
  return L"画像を置いたプログラムが応答しないため、保存しませんでした。";
}

}  // namespace pixkeeper
