#include "ui/OpenSaveFolder.h"

#include "base/RuntimeError.h"
#include "base/Texts.h"
#include "capture/StatusText.h"

namespace pixkeeper {

void OpenSaveFolder(Program& program) {
  const std::wstring folder = program.state.BaseDir;
  // The shell would otherwise open some other folder, or say nothing.
  if (!program.platform.DirectoryExists(folder)) {
    program.window.ShowStatus(Text(TextId::kNoSaveFolder, {folder}));
    return;
  }
  // Without its final "\": a file manager that takes the folder as "%1"
  // would read "\"" as a quote. A drive's root keeps it.
  std::wstring bare = folder;
  if (bare.size() > 3 && (bare.back() == L'\\' || bare.back() == L'/')) bare.pop_back();
  try {
    program.platform.OpenFolder(program.state.MainWindow, bare);
  } catch (const RuntimeError& error) {
    program.window.ShowStatus(Text(TextId::kSaveFolderUnopened, {folder, ReasonOf(error)}));
  }
}

}  // namespace pixkeeper
