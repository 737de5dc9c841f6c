#include "ui/FindWindow.h"

#include "base/Texts.h"

namespace pixkeeper {

void CheckSingleInstance(Platform& platform, const std::wstring& windowClass, const std::wstring& title) {
  // By class too: other windows bear the title, the file manager's window on
  // the default save folder among them.
  if (!platform.WindowExists(windowClass, title)) return;
  platform.ShowMessage(Text(TextId::kAlreadyRunning), message_style::kInformation,
                       Text(TextId::kNoticeTitle, {title}));
  platform.EndProgram();
}

}  // namespace pixkeeper
