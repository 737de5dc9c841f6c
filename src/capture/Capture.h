#pragma once
// Capture and save: a picture on the clipboard becomes a BMP file in BaseDir.

#include "capture/Program.h"

namespace pixkeeper {

// Runs on every clipboard change. Never throws: a failed capture is abandoned
// silently and the clipboard keeps its contents.
void CaptureClipboard(Program& program);

}  // namespace pixkeeper
