#include "capture/StatusText.h"

#include "base/Texts.h"

namespace pixkeeper {

std::wstring ReasonOf(const RuntimeError& error) {
  return error.reason().empty() ? error.text() : error.reason();
}

std::wstring SaveFailedText(const std::wstring& path, const RuntimeError& error) {
  return Text(TextId::kSaveFailed, {path, ReasonOf(error)});
}

std::wstring RepeatedText() { return Text(TextId::kRepeatSkipped); }

std::wstring OwnerSilentText(OwnerWait wait) {
  return Text(wait == OwnerWait::kEmptying ? TextId::kOwnerSilentEmptying : TextId::kOwnerSilentSaving);
}

}  // namespace pixkeeper
