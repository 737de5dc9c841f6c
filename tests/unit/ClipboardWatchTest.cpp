#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/ClipboardWatch.h"
#include "fakes/FakePlatform.h"
#include "platform/RuntimeError.h"
#include "settings/Settings.h"

namespace pixkeeper {
namespace {

constexpr WindowHandle kMain = FakeProgram::kMainWindow;
constexpr WindowHandle kNext = 0x200;
constexpr WindowHandle kAfterNext = 0x300;

class ClipboardWatchTest : public ::testing::Test {
 protected:
  ClipboardWatchTest() {
    state.BaseDir = L"C:\\Shots\\";
    state.FilePrefix = L"BMP";
    state.NamingScheme = naming_scheme::kRunningNumber;
    platform.nextViewerOnJoin = kNext;
  }

  void Start() {
    HookWindow(fake.program);
    JoinViewerChain(fake.program);
    platform.calls.clear();
  }

  std::intptr_t Deliver(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
    return HookProc(fake.program, kMain, message, wParam, lParam);
  }

  FakeProgram fake;
  FakePlatform& platform = fake.platform;
  AppState& state = fake.program.state;
};

TEST_F(ClipboardWatchTest, SettingUpHooksFirstThenJoinsEachFollowedByAPause) {
  HookWindow(fake.program);
  JoinViewerChain(fake.program);
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"SetWindowProcedure", "Sleep(5)",
                                                      "SetClipboardViewer", "Sleep(5)"}));
  EXPECT_EQ(state.PrevWndProc, FakePlatform::kOriginalProcedure);
  EXPECT_EQ(platform.windowProcedures[kMain], FakePlatform::kHookProcedure);
  EXPECT_EQ(state.NextViewer, kNext);
  EXPECT_EQ(platform.viewersJoined, std::vector<WindowHandle>{kMain});

  // A second set-up must not make PrevWndProc name the hook itself.
  HookWindow(fake.program);
  JoinViewerChain(fake.program);
  EXPECT_EQ(platform.calls.size(), 4u);
  EXPECT_EQ(state.PrevWndProc, FakePlatform::kOriginalProcedure);
}

TEST_F(ClipboardWatchTest, EveryOtherMessageReachesThePreviousProcedureUnchanged) {
  Start();
  platform.onCallWindowProcedure = [](const WindowProcedureCall& call) {
    return static_cast<std::intptr_t>(call.message) * 3 + call.lParam;
  };
  const std::intptr_t result = Deliver(0x0201, 0xABCD, -77);
  EXPECT_EQ(result, 0x0201 * 3 - 77);
  ASSERT_EQ(platform.procedureCalls.size(), 1u);
  const WindowProcedureCall& call = platform.procedureCalls[0];
  EXPECT_EQ(call.procedure, FakePlatform::kOriginalProcedure);
  EXPECT_EQ(call.window, kMain);
  EXPECT_EQ(call.message, 0x0201u);
  EXPECT_EQ(call.wParam, 0xABCDu);
  EXPECT_EQ(call.lParam, -77);
  EXPECT_EQ(platform.calls, std::vector<std::string>{"CallWindowProcedure(0x201)"});
}

TEST_F(ClipboardWatchTest, AClipboardNoticeIsCapturedThenPassedDownTheChainThenOn) {
  Start();
  platform.PutPicture(TinyDib());
  platform.calls.clear();
  platform.onCallWindowProcedure = [](const WindowProcedureCall&) { return 5; };
  EXPECT_EQ(Deliver(window_message::kDrawClipboard, 1, 2), 5);

  const int saved = platform.IndexOfCall("SaveBitmapFile");
  const int beep = platform.IndexOfCall("SoundBeep");
  const int sent = platform.IndexOfCall("SendWindowMessage(0x308)");
  const int passed = platform.IndexOfCall("CallWindowProcedure(0x308)");
  ASSERT_GE(saved, 0);
  EXPECT_LT(saved, beep);
  EXPECT_LT(beep, sent);
  EXPECT_LT(sent, passed);
  ASSERT_EQ(platform.sentMessages.size(), 1u);
  EXPECT_EQ(platform.sentMessages[0].window, kNext);
  EXPECT_EQ(platform.sentMessages[0].wParam, 1u);
  EXPECT_EQ(platform.sentMessages[0].lParam, 2);
  EXPECT_EQ(fake.window.fileList, std::vector<std::wstring>{L"C:\\Shots\\BMP0000.BMP"});
}

TEST_F(ClipboardWatchTest, AloneInTheChainNothingIsSentAndLeavingNamesNoSuccessor) {
  platform.nextViewerOnJoin = 0;
  Start();
  Deliver(window_message::kDrawClipboard);
  Deliver(window_message::kChangeClipboardChain, kAfterNext, 0);
  EXPECT_TRUE(platform.sentMessages.empty());
  EXPECT_EQ(platform.procedureCalls.size(), 2u);
  LeaveViewerChain(fake.program);
  EXPECT_EQ(platform.chainChanges,
            (std::vector<std::pair<WindowHandle, WindowHandle>>{{kMain, 0}}));
}

TEST_F(ClipboardWatchTest, AChainChangeReplacesTheNextViewerOrTravelsOn) {
  Start();
  // Another viewer further down leaves: the notice goes on to the next one.
  Deliver(window_message::kChangeClipboardChain, kAfterNext, 0x400);
  ASSERT_EQ(platform.sentMessages.size(), 1u);
  EXPECT_EQ(platform.sentMessages[0].window, kNext);
  EXPECT_EQ(platform.sentMessages[0].message, window_message::kChangeClipboardChain);
  EXPECT_EQ(platform.sentMessages[0].wParam, kAfterNext);
  EXPECT_EQ(platform.sentMessages[0].lParam, 0x400);
  EXPECT_EQ(state.NextViewer, kNext);

  // The next viewer itself leaves: its successor takes its place.
  Deliver(window_message::kChangeClipboardChain, kNext, static_cast<std::intptr_t>(kAfterNext));
  EXPECT_EQ(platform.sentMessages.size(), 1u);
  EXPECT_EQ(state.NextViewer, kAfterNext);
  EXPECT_EQ(platform.procedureCalls.size(), 2u);

  Deliver(window_message::kDrawClipboard);
  EXPECT_EQ(platform.sentMessages.back().window, kAfterNext);
  LeaveViewerChain(fake.program);
  EXPECT_EQ(platform.chainChanges.back().second, kAfterNext);
}

TEST_F(ClipboardWatchTest, DestroyWhileHookedSavesLeavesUnhooksThenPassesItOn) {
  Start();
  state.PresentValue = 12;
  Deliver(window_message::kDestroy);

  const std::vector<std::string> tail = {"ChangeClipboardChain", "Sleep(5)", "SetWindowProcedure",
                                         "Sleep(5)", "CallWindowProcedure(0x2)"};
  ASSERT_GE(platform.calls.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(platform.calls.end() - 5, platform.calls.end()), tail);
  EXPECT_EQ(platform.calls.front(), "WriteSetting(BaseDir)");
  EXPECT_EQ(platform.Stored(L"PresendValue"), L"12");
  EXPECT_EQ(platform.chainChanges,
            (std::vector<std::pair<WindowHandle, WindowHandle>>{{kMain, kNext}}));
  EXPECT_EQ(platform.windowProcedures[kMain], FakePlatform::kOriginalProcedure);
  EXPECT_EQ(platform.procedureCalls.back().procedure, FakePlatform::kOriginalProcedure);
  // Both fields keep their values.
  EXPECT_EQ(state.PrevWndProc, FakePlatform::kOriginalProcedure);
  EXPECT_EQ(state.NextViewer, kNext);
}

TEST_F(ClipboardWatchTest, TheClosingStepsRunOnceWhicheverPathComesFirst) {
  // The close request first, then a late WM_DESTROY.
  Start();
  SaveSettings(fake.program);
  LeaveViewerChain(fake.program);
  UnhookWindow(fake.program);
  Deliver(window_message::kDestroy);
  LeaveViewerChain(fake.program);
  UnhookWindow(fake.program);
  EXPECT_EQ(platform.CountCalls("WriteSetting(BaseDir)"), 1);
  EXPECT_EQ(platform.CountCalls("ChangeClipboardChain"), 1);
  EXPECT_EQ(platform.CountCalls("SetWindowProcedure"), 1);
  EXPECT_EQ(platform.CountCalls("CallWindowProcedure(0x2)"), 1);

  // WM_DESTROY first, then the close request's own steps.
  FakeProgram other;
  HookWindow(other.program);
  JoinViewerChain(other.program);
  HookProc(other.program, kMain, window_message::kDestroy, 0, 0);
  LeaveViewerChain(other.program);
  UnhookWindow(other.program);
  EXPECT_EQ(other.platform.CountCalls("WriteSetting(BaseDir)"), 1);
  EXPECT_EQ(other.platform.CountCalls("ChangeClipboardChain"), 1);
  EXPECT_EQ(other.platform.CountCalls("SetWindowProcedure"), 2);  // hook and unhook
}

TEST_F(ClipboardWatchTest, AFailedSaveOnDestroyStillLeavesAndUnhooks) {
  Start();
  platform.settingWriteError = error::kPermissionDenied;
  EXPECT_NO_THROW(Deliver(window_message::kDestroy));
  EXPECT_EQ(platform.CountCalls("ChangeClipboardChain"), 1);
  EXPECT_EQ(platform.windowProcedures[kMain], FakePlatform::kOriginalProcedure);
  EXPECT_EQ(platform.procedureCalls.back().message, window_message::kDestroy);
}

TEST_F(ClipboardWatchTest, ANoticeDuringTheCaptureIsPassedDownTheChainToo) {
  Start();
  platform.onClipboardChange = [this] { Deliver(window_message::kDrawClipboard); };
  platform.PutPicture(TinyDib());
  // Two changes (the picture, then the capture's own clear), two notices on.
  EXPECT_EQ(platform.CountCalls("SendWindowMessage(0x308)"), 2);
  EXPECT_EQ(platform.CountCalls("CallWindowProcedure(0x308)"), 2);
  EXPECT_EQ(fake.window.fileList.size(), 1u);
  EXPECT_EQ(state.CaptureBusy, 0);
}

}  // namespace
}  // namespace pixkeeper
