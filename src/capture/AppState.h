#pragma once
// The one process-wide record of settings, counters and window handles.

#include <string>

#include "base/Integer.h"
#include "platform/Platform.h"

namespace pixkeeper {

namespace naming_scheme {
constexpr Integer kDateTime = 0;
constexpr Integer kRunningNumber = 1;
constexpr Integer kUserInput = 2;
}  // namespace naming_scheme

struct AppState {
  Integer NamingScheme = 0;
  std::wstring FilePrefix;
  std::wstring StartValue;
  Integer PresendFlag = 0;
  Integer PresendValue = 0;
  std::wstring BaseDir;
  Integer PresentValue = 0;
  Integer StampRepeat = 0;
  std::wstring LastStamp;
  std::wstring LastStampFolder;  // the folder of the file LastStamp named
  WindowProcedure PrevWndProc = 0;
  WindowHandle NextViewer = 0;
  WindowHandle MainWindow = 0;

  // Whether the main window is hooked and in the viewer chain, so that the
  // closing steps run once whichever exit path comes first.
  bool Hooked = false;
  bool InViewerChain = false;
};

}  // namespace pixkeeper
