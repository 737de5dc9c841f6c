#include "ui/OpenSaveFolder.h"

#include "capture/StatusText.h"
#include "platform/RuntimeError.h"

namespace pixkeeper {

void OpenSaveFolder(Program& program) {
  const std::wstring folder = program.state.BaseDir;
  // The shell would otherwise open some other folder, or say nothing.
  if (!program.platform.DirectoryExists(folder)) {
    program.window.ShowStatus(L"保存先のフォルダがありません: " + folder);
    return;
  }
  // Without its final "\": a file manager that takes the folder as "%1"
  // would read "\"" as a quote. A drive's root keeps it.
  std::wstring bare = folder;
  if (bare.size() > 3 && (bare.back() == L'\\' || bare.back() == L'/')) bare.pop_back();
  try {
    program.platform.OpenFolder(program.state.MainWindow, bare);
  } catch (const RuntimeError& error) {
    program.window.ShowStatus(L"保存先を開けませんでした: " + folder + L" (" + ReasonOf(error) + L")");
  }
}

}  // namespace pixkeeper
