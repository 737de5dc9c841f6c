#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/RuntimeError.h"
#include "platform/win32/Win32Platform.h"

namespace pixkeeper {
namespace {

struct SeenMessage {
  WindowHandle window;
  unsigned message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

struct HookRecorder {
  std::vector<SeenMessage> seen;
  bool throwNext = false;
  WindowProcedure previous = 0;
  Win32Platform* platform = nullptr;

  static std::intptr_t Handle(void* context, WindowHandle window, unsigned message,
                              std::uintptr_t wParam, std::intptr_t lParam) {
    auto* self = static_cast<HookRecorder*>(context);
    self->seen.push_back({window, message, wParam, lParam});
    if (self->throwNext) throw std::runtime_error("out of the handler");
    if (message == WM_APP) return 42;
    return self->platform->CallWindowProcedure(self->previous, window, message, wParam, lParam);
  }
};

HWND MakeWindow(const wchar_t* title) {
  return ::CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                           nullptr, nullptr);
}

TEST(HookProcedureTest, ForwardsEveryMessageToTheHandlerAndStopsItsExceptions) {
  Win32Platform platform;
  HookRecorder recorder;
  recorder.platform = &platform;
  platform.SetHookHandler(&HookRecorder::Handle, &recorder);
  HWND window = MakeWindow(L"hooked");
  const auto handle = reinterpret_cast<WindowHandle>(window);

  recorder.previous = platform.SetWindowProcedure(handle, platform.HookProcedure());
  ASSERT_NE(0u, recorder.previous);

  EXPECT_EQ(42, platform.SendWindowMessage(handle, WM_APP, 7, -9));
  ASSERT_EQ(1u, recorder.seen.size());
  EXPECT_EQ(handle, recorder.seen[0].window);
  EXPECT_EQ(7u, recorder.seen[0].wParam);
  EXPECT_EQ(-9, recorder.seen[0].lParam);

  // Other messages reach the replaced procedure through the handler.
  EXPECT_EQ(6, platform.SendWindowMessage(handle, WM_GETTEXTLENGTH, 0, 0));

  recorder.throwNext = true;
  EXPECT_EQ(0, platform.SendWindowMessage(handle, WM_APP, 0, 0));
  recorder.throwNext = false;

  EXPECT_EQ(platform.HookProcedure(), platform.SetWindowProcedure(handle, recorder.previous));
  const std::size_t count = recorder.seen.size();
  platform.SendWindowMessage(handle, WM_APP, 0, 0);
  EXPECT_EQ(count, recorder.seen.size());

  ::DestroyWindow(window);
  platform.SetHookHandler(nullptr, nullptr);
}

TEST(ClipboardViewerTest, AViewerHearsEachChangeUntilItLeavesTheChain) {
  Win32Platform platform;
  HookRecorder recorder;
  recorder.platform = &platform;
  platform.SetHookHandler(&HookRecorder::Handle, &recorder);
  HWND window = MakeWindow(L"viewer");
  const auto handle = reinterpret_cast<WindowHandle>(window);
  recorder.previous = platform.SetWindowProcedure(handle, platform.HookProcedure());

  const auto drawCount = [&] {
    int count = 0;
    for (const SeenMessage& m : recorder.seen) count += m.message == WM_DRAWCLIPBOARD;
    return count;
  };
  const auto pump = [] {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  };

  const WindowHandle next = platform.SetClipboardViewer(handle);
  pump();
  const int joined = drawCount();
  platform.ClipboardSetText(L"一");
  pump();
  EXPECT_EQ(joined + 1, drawCount());

  platform.ChangeClipboardChain(handle, next);
  platform.ClipboardClear();
  pump();
  EXPECT_EQ(joined + 1, drawCount());

  platform.SetWindowProcedure(handle, recorder.previous);
  ::DestroyWindow(window);
  platform.SetHookHandler(nullptr, nullptr);
}

TEST(WindowTitleTest, FindsATopLevelWindowByItsExactUnicodeTitle) {
  Win32Platform platform;
  EXPECT_FALSE(platform.WindowWithTitleExists(L"ピクセル番人"));
  HWND window = MakeWindow(L"ピクセル番人");
  EXPECT_TRUE(platform.WindowWithTitleExists(L"ピクセル番人"));
  EXPECT_FALSE(platform.WindowWithTitleExists(L"ピクセル"));
  ::DestroyWindow(window);
  EXPECT_FALSE(platform.WindowWithTitleExists(L"ピクセル番人"));
}

// Answers the save dialog from another thread once it is shown.
class DialogAnswerer {
 public:
  DialogAnswerer(const wchar_t* title, const wchar_t* typedName)
      : thread_([title, typedName] {
          HWND dialog = nullptr;
          for (int i = 0; i < 1000 && dialog == nullptr; ++i) {
            dialog = ::FindWindowW(nullptr, title);
            if (dialog == nullptr) ::Sleep(10);
          }
          if (dialog == nullptr) return;
          if (typedName == nullptr) {
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
          }
          // The file name box of the dialog, an edit or an edit inside a combo box.
          HWND box = ::GetDlgItem(dialog, 0x047c);  // cmb13
          if (box == nullptr) box = ::GetDlgItem(dialog, 0x0480);  // edt1
          ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typedName));
          ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }) {}
  ~DialogAnswerer() { thread_.join(); }

 private:
  std::thread thread_;
};

TEST(SaveDialogTest, GivesTheChosenPathAndNameAndReportsACancel) {
  Win32Platform platform;
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  SaveDialogRequest request;
  request.initialDirectory = temp;
  request.title = L"画像ファイル選択";
  request.filter = L"画像ﾌｧｲﾙ (*.BMP)|*.BMP|";
  request.flags = 4;

  {
    DialogAnswerer answer(L"画像ファイル選択", L"え abc");
    const SaveDialogChoice choice = platform.ShowSaveDialog(request);
    EXPECT_EQ(L"え abc", choice.fileName);
    ASSERT_GT(choice.fullPath.size(), choice.fileName.size());
    EXPECT_EQ(L"\\え abc", choice.fullPath.substr(choice.fullPath.size() - 6));
  }
  {
    DialogAnswerer answer(L"画像ファイル選択", nullptr);
    try {
      platform.ShowSaveDialog(request);
      ADD_FAILURE() << "no error raised";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(error::kDialogCancelled, e.number());
    }
  }
}

}  // namespace
}  // namespace pixkeeper
