// The main window's hook and its place in the clipboard viewer chain.

#include "capture/ClipboardWatch.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "support/TestPictures.h"
#include "ui/StartUp.h"

namespace pixkeeper {

constexpr unsigned kDestroy = 0x2, kDraw = 0x308, kChainChanged = 0x30D;
constexpr WindowProcedure kOwn = 0x1000;  // the main window's own procedure
constexpr WindowHandle kNext = 0x200;
const char kWrites[] = "write:BaseDir write:FTYPE write:FNAME write:StartValue write:PresendFlag write:PresendValue "
                       "write:StartPos write:StartMode write:ViewMode write:SaveFormat write:KeepClipboard "
                       "write:DayFolders write:ProgramFolders write:SkipRepeats write:Thumbnails ";
const std::string kUndo = "leave,100,200 sleep5 proc,100,1000 sleep5 ", kPassOn = "call,1000,100,2,0,0";

// A main window hooked and in the chain, with the next viewer 0x200 (kNext).
struct Watched : FakeProgram {
  Watched() {
    state.BaseDir = L"C:\\Shots\\", state.FilePrefix = L"BMP", state.NamingScheme = 1;
    HookWindow(program);
    JoinViewerChain(program);
  }
};

struct ClipboardWatch : Watched, ::testing::Test {
  std::string Deliver(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
    platform.log.clear();
    EXPECT_EQ(HookProc(program, kMainWindow, message, wParam, lParam), std::intptr_t{message * 3} + lParam);
    return platform.log;
  }
};

// The window is hooked, then joins the chain, each once. Every message
// reaches the replaced procedure unchanged, with its result passed back;
// notices are captured, then go on down the chain, and a viewer that leaves
// is replaced by its successor when it is the next one.
TEST_F(ClipboardWatch, MessagesAndTheChain) {
  HookWindow(program);  // a second hook would make PrevWndProc name the hook itself
  JoinViewerChain(program);
  EXPECT_EQ(platform.log, "proc,100,2000 sleep5 join,100 sleep5");
  for (auto [message, wParam, lParam, next, log, nextAfter] :
       {std::tuple<unsigned, std::uintptr_t, std::intptr_t, WindowHandle, std::string, WindowHandle>{
            0x201, 0xABCD, 77, 0x200, "call,1000,100,201,abcd,4d", 0x200},
        {kDraw, 1, 2, 0x200, kAsked + "has8 hasPNG send,200,308,1,2 call,1000,100,308,1,2", 0x200},
        {kDraw, 1, 2, 0, kAsked + "has8 hasPNG call,1000,100,308,1,2", 0},
        {kChainChanged, 0x300, 0x400, 0x200, "send,200,30d,300,400 call,1000,100,30d,300,400", 0x200},
        {kChainChanged, 0x200, 0x300, 0x200, "call,1000,100,30d,200,300", 0x300},
        {kChainChanged, 0x300, 0, 0, "call,1000,100,30d,300,0", 0}}) {
    state.NextViewer = next;
    EXPECT_EQ(Deliver(message, wParam, lParam), log);
    EXPECT_EQ(state.NextViewer, nextAfter);
  }
  // A notice goes down the chain at once, before the worker takes it up; the
  // notice of the capture's own clearing is passed on too, and saves nothing.
  state.NextViewer = 0x200;
  platform.onClipboardChange = [this] { HookProc(program, kMainWindow, kDraw, 0, 0); };
  platform.log.clear();
  worker.held = true;
  platform.Put({2, 8}, testing::MakeTestPicture("rgb24", 2, 2).dib);
  EXPECT_EQ(platform.log, "send,200,308,0,0 call,1000,100,308,0,0");
  worker.Release();
  EXPECT_EQ(platform.log, "send,200,308,0,0 call,1000,100,308,0,0 " + kAsked + "has17 get2 " + kAskedAgain +
                          " save:C:\\Shots\\BMP0000.BMP list:C:\\Shots\\BMP0000.BMP clear "
                          "send,200,308,0,0 call,1000,100,308,0,0 beep");
}

TEST_F(ClipboardWatch, TheClosingStepsRunOnceWhicheverExitComesFirst) {
  state.PresentValue = 12;
  EXPECT_EQ(Deliver(kDestroy), kWrites + kUndo + kPassOn);  // saves, leaves, unhooks, then passes it on
  EXPECT_EQ(std::make_tuple(platform.Setting(L"PresendValue"), state.PrevWndProc, state.NextViewer),
            std::make_tuple(L"12", kOwn, kNext));
  LeaveViewerChain(program);  // the close request's own steps come too late
  UnhookWindow(program);
  EXPECT_EQ(Deliver(kDestroy), kPassOn);
  Watched last;  // the last viewer in the chain leaves it too
  last.state.NextViewer = 0, last.platform.log.clear();
  LeaveViewerChain(last.program);
  EXPECT_EQ(last.platform.log, "leave,100,0 sleep5");
  // The close request first (saves, leaves, unhooks, ends), then WM_DESTROY;
  // a failing save on WM_DESTROY.
  for (int run = 0; run < 2; ++run) {
    Watched fake;
    fake.platform.log.clear();
    if (run == 0) {
      EXPECT_THROW(RunQueryUnload(fake.program), ProgramEnded);
    }
    fake.platform.settingWriteError = run == 1 ? error::kPermissionDenied : 0;
    HookProc(fake.program, kMainWindow, kDestroy, 0, 0);
    EXPECT_EQ(fake.platform.log, (run == 0 ? kWrites + kUndo + "end " : "write:BaseDir " + kUndo) + kPassOn);
  }
}

}  // namespace pixkeeper
