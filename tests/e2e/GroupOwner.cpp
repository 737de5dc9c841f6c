#include <atomic>
#include <thread>

#include "Harness.h"

using namespace e2e;

namespace {

// A clipboard owner on a thread of its own: it puts a picture, or only
// promises it, then takes no message for `silentMs` (as a program held in a
// debugger), then answers as usual, rendering the promised picture. `asked`
// tells that a message was sent to it while it was silent: someone waits.
struct SlowOwner {
  SlowOwner(const Picture& p, bool promise, int silent) : picture(p), promised(promise), silentMs(silent) {
    thread = std::thread([this] { Run(); });
    WaitFor([this] { return ready.load(); });
  }
  ~SlowOwner() { done = true, thread.join(); }
  void Render() {
    PutData(CF_DIB, picture.dib.data(), picture.dib.size());
    ++rendered;
  }
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<SlowOwner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_RENDERFORMAT) return self->Render(), 0;
    if (self && message == WM_DESTROYCLIPBOARD) return ++self->destroyed, 0;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  void Run() {
    HWND window = CreateWindowExW(0, L"E2eOwner", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    while (!OpenClipboard(window)) Sleep(5);
    EmptyClipboard();
    promised ? void(SetClipboardData(CF_DIB, nullptr)) : Render();
    CloseClipboard();
    ready = true;
    for (const ULONGLONG end = GetTickCount64() + silentMs; GetTickCount64() < end; Sleep(5)) {
      if (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) asked = true;
    }
    for (MSG message; !done;) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    DestroyWindow(window);
  }
  Picture picture;
  bool promised;
  int silentMs;
  std::atomic<bool> ready{false}, done{false}, asked{false};
  std::atomic<int> rendered{0}, destroyed{0};
  std::thread thread;
};

// How long Pixkeeper's main window takes to handle a minimise posted to it,
// and then a restore: the longer, in milliseconds. A window whose thread
// waits in SendMessage still answers sent messages, so posted ones it is.
int AnswerMs() {
  auto timed = [](WPARAM command, bool iconic) {
    const ULONGLONG start = GetTickCount64();
    PostMessageW(Main(), WM_SYSCOMMAND, command, 0);
    if (!WaitFor([&] { return (IsIconic(Main()) != FALSE) == iconic; }, 3000)) return 9999;
    return static_cast<int>(GetTickCount64() - start);
  };
  return std::max(timed(SC_MINIMIZE, true), timed(SC_RESTORE, false));
}
void Answers(const wstring& what) {
  const int ms = AnswerMs();
  Check(ms < 250, what + L": the main window took " + to_wstring(ms) + L" ms to answer");
}
bool Waiting(const SlowOwner& owner) { return WaitFor([&] { return owner.asked.load(); }, 3000); }

}  // namespace

// The window never waits on the program that filled the clipboard: not for
// a picture it only promised, not for emptying. One that does not answer in
// 10 s is given up and said; ending the program does not wait for it.
void GroupOwner() {
  const WNDCLASSW ownerClass{0, SlowOwner::Proc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"E2eOwner"};
  RegisterClassW(&ownerClass);
  const wstring silent = Tr(L"画像を置いたプログラムが応答しないため、保存しませんでした。",
                           L"Not saved: the program that put the picture does not respond.");
  const Map settings = Numbering(L"W");
  if (!Start(settings)) return;
  {
    // Wine asks the owner even to tell the formats; Windows only to empty.
    SlowOwner owner(MakeTestPicture("rgb24", 64, 32), false, 4000);
    Check(Waiting(owner), L"put, owner silent: waited for");
    Answers(L"put, owner silent");
    Check(ClipEmpty(8000) && owner.destroyed == 1, L"put, owner silent: emptied once it answers");
    ExpectCapture(L"put, owner silent", 0, L"W0001.BMP", owner.picture);
  }
  {
    SlowOwner owner(MakeTestPicture("pal8", 300, 200), true, 4000);
    Check(Waiting(owner), L"promised, owner silent: read");
    Answers(L"promised, owner silent, reading");
    Check(ListCount() == 1, L"promised, owner silent: nothing listed while it waits");
    ExpectCapture(L"promised, owner silent", 1, L"W0002.BMP", owner.picture);
  }
  {
    SlowOwner owner(MakeTestPicture("rgb32", 40, 30), true, 12000);
    const ULONGLONG start = GetTickCount64();
    Check(WaitFor([&] { return Status() == silent; }, 11000) && GetTickCount64() - start > 9000,
          L"never answers: said after 10 s, not before");
    Answers(L"never answers, given up");
    Check(WaitFor([&] { return owner.rendered == 1; }, 4000) && WorkerIdle(), L"never answers: rendered late");
    Check(ListCount() == 2 && Status() == silent && IsClipboardFormatAvailable(CF_DIB),
          L"never answers: the late picture not saved, the clipboard left");
  }
  ExpectCapture(L"the next change", 2, L"W0003.BMP", Put("rgb24", 5));
  Eq(Status(), L"", L"the next save clears the status line");

  // Ending while a wait is under way: at once, the settings stored, the
  // chain left to the viewers behind.
  for (bool promised : {true, false}) {
    SlowOwner owner(MakeTestPicture("rgb24", 20, 10), promised, 5000);
    Check(Waiting(owner), L"ending: a wait under way");
    PostMessageW(Main(), WM_CLOSE, 0, 0);
    Check(Ended(pk, 2000), L"ending while waiting: within 2 s");
    Eq(RegAll(), Stored(With(settings, {{L"PresendValue", promised ? L"4" : L"5"}})), L"ending while waiting: stored");
    const int before = viewers[viewer].notices;
    Check(GetClipboardViewer() == viewer && PutClipboard([] { return PutText(L"after"); }) &&
              WaitFor([&] { return viewers[viewer].notices > before; }), L"ending while waiting: the chain left whole");
    if (promised && !Start(settings)) return;
  }
}
