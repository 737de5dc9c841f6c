#include "ui/FindWindow.h"

#include "base/Texts.h"

namespace pixkeeper {

void CheckSingleInstance(Platform& platform, const std::wstring& title) {
  if (!platform.WindowWithTitleExists(title)) return;
  platform.ShowMessage(Text(TextId::kAlreadyRunning), message_style::kInformation,
                       Text(TextId::kNoticeTitle, {title}));
  platform.EndProgram();
}

}  // namespace pixkeeper
