#include "ui/FindWindow.h"

namespace pixkeeper {

void CheckSingleInstance(Platform& platform, const std::wstring& title) {
  if (!platform.WindowWithTitleExists(title)) return;
  platform.ShowMessage(L"すでに起動されているので終了します。", message_style::kInformation,
                       title + L"からのお知らせ");
  platform.EndProgram();
}

}  // namespace pixkeeper
