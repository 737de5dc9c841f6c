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

std::wstring DroppedText(const RuntimeError& error) {
  switch (error.number()) {
    case error::kCannotOpenClipboard: return Text(TextId::kDroppedClipboardBusy);
    case error::kInvalidPicture: return Text(TextId::kDroppedUnreadable);
    case error::kPictureTooLarge: return Text(TextId::kDroppedTooLarge);
    case error::kOutOfMemory: return Text(TextId::kDroppedOutOfMemory);
    default: return Text(TextId::kDroppedOther, {ReasonOf(error)});
  }
}

std::wstring CopyFailedText(const RuntimeError& error) {
  if (error.number() == error::kCannotOpenClipboard) return Text(TextId::kCopyClipboardBusy);
  return Text(TextId::kCopyFailed, {ReasonOf(error)});
}

}  // namespace pixkeeper
