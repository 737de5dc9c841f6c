#pragma once
// 保存先を開く: the save directory in the system's file manager.

#include "capture/Program.h"

namespace pixkeeper {

// A directory that does not exist, or that the shell cannot open, is said in
// the status line.
void OpenSaveFolder(Program& program);

}  // namespace pixkeeper
