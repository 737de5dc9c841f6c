#include "ui/Form1.h"

#include <optional>

#include "base/RuntimeError.h"
#include "base/Texts.h"
#include "platform/win32/WorkerThread.h"
#include "settings/Settings.h"
#include "settings/StartWithWindows.h"
#include "ui/About.h"
#include "ui/ControlIds.h"
#include "ui/ControlText.h"
#include "ui/DirConfig.h"
#include "ui/FormCenter.h"
#include "ui/ImageView.h"
#include "ui/MainWindowLayout.h"
#include "ui/MenuBuilder.h"
#include "ui/OpenSaveFolder.h"
#include "ui/ScreenGeometry.h"
#include "ui/WindowClasses.h"

namespace pixkeeper {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr double kClientWidth = 4935;
constexpr double kClientHeight = 3495;
constexpr double kClientLeft = 3900;
constexpr double kClientTop = 3345;
constexpr TwipsRect kFileListDesign{120, 120, 4695, 3180};
// The status line below the list: one line of the window's font.
constexpr double kStatusLineHeight = 360;

int MenuId(OptionItem item) {
  switch (item) {
    case OptionItem::StartPosition: return ids::kSMenuStartPosition;
    case OptionItem::StartMode: return ids::kSMenuStartMode;
    case OptionItem::ViewMode: return ids::kSMenuViewMode;
    case OptionItem::SavePng: return ids::kSMenuSaveFormat;
    case OptionItem::KeepClipboard: return ids::kSMenuKeepClipboard;
    case OptionItem::DayFolders: return ids::kSMenuDayFolders;
    case OptionItem::ProgramFolders: return ids::kSMenuProgramFolders;
    case OptionItem::SkipRepeats: return ids::kSMenuSkipRepeats;
    case OptionItem::Thumbnails: return ids::kSMenuThumbnails;
    case OptionItem::Paused: return ids::kSMenuPause;
    case OptionItem::StartWithWindows: return ids::kSMenuStartWithWindows;
  }
  return 0;
}

}  // namespace

Form1::Form1(Platform& platform) : BaseWindow(platform), program_(platform, *this) {
  // Never deleted: the worker may still be inside a capture when the program
  // ends, and the system ends it with the process.
  program_.capture = new CaptureQueue(program_, win32::WorkerThread::Started(), tasks_);
  program_.saveSession = [this] { SaveSettings(program_); };
}

void Form1::Create(HINSTANCE instance, WORD iconResource) {
  RegisterWindowClass(kMainWindowClass, LoadIconW(instance, MAKEINTRESOURCEW(iconResource)));
  menu_ = BuildMenuBar(MainMenus());
  accelerators_ = BuildAccelerators(MainMenus());
  // No title until the load step: a copy that is starting must not be found
  // by its own single-instance check.
  if (CreateTopLevel(kMainWindowClass, L"", kStyle, 0, nullptr, menu_) == nullptr) {
    throw RuntimeError(error::kOutOfMemory);
  }
  tasks_.Attach(hwnd());
  tray_.Attach(hwnd(), instance, iconResource);
  font_.ApplyTo(hwnd());
  SetClientSizeTwips(hwnd(), kClientWidth, kClientHeight + kStatusLineHeight);

  // The client area's top-left corner goes to its place on the screen.
  RECT outer{};
  GetWindowRect(hwnd(), &outer);
  POINT clientOrigin{0, 0};
  ClientToScreen(hwnd(), &clientOrigin);
  SetWindowPos(hwnd(), nullptr, TwipsToPixelsX(kClientLeft) - (clientOrigin.x - outer.left),
               TwipsToPixelsY(kClientTop) - (clientOrigin.y - outer.top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  PlaceControl(fileList_.Create(hwnd(), ids::kFileList, font_.get()), kFileListDesign);

  // Read by other programs (and screen readers) as the control's text.
  statusLine_ = CreateWindowExW(
      0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_SUNKEN | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_CENTERIMAGE,
      0, 0, 0, 0, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kStatusLine)),
      GetModuleHandleW(nullptr), nullptr);
  if (statusLine_ == nullptr) throw RuntimeError(error::kOutOfMemory);
  font_.ApplyTo(statusLine_);
  PlaceStatusLine();
}

// Across the foot of the client area; the list keeps the rest.
void Form1::PlaceStatusLine() {
  const TwipsRect client = ClientRectTwips(hwnd());
  PlaceControl(statusLine_, {0, client.height - kStatusLineHeight, client.width, kStatusLineHeight});
}

void Form1::ShowStatus(const std::wstring& text) { SetWindowTextTo(statusLine_, text); }

void Form1::Load() { RunLoadStep(program_, *this); }

void Form1::Show() {
  ShowWindow(hwnd(), minimised_ ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  UpdateWindow(hwnd());
  if (!minimised_) SetFocus(fileList_.hwnd());
  // Without a taskbar yet (a start with Windows can come first), the icon is
  // added once the taskbar says it is there.
  tray_.Add(program_.capture->Paused());
}

void Form1::SetTitle(const std::wstring& title) {
  SetWindowTextTo(hwnd(), title);
  if (titleSet_) titleSet_();
}

void Form1::PrepareFnameDialog() {
  if (!fname_) fname_ = std::make_unique<Fname>(program_, hwnd());
  FillFnameFields(program_.state, *fname_);
}

void Form1::CenterOnScreen() {
  WindowPlacement placement(hwnd());
  CenterForm(platform(), placement);
}

void Form1::PlaceFileList() {
  const TwipsRect outer = WindowRectTwips(hwnd());
  const TwipsRect client = ClientRectTwips(hwnd());
  PlaceControl(fileList_.hwnd(), FileListPlacement(outer.width, outer.height - kStatusLineHeight, client.width,
                                            client.height - kStatusLineHeight));
  PlaceStatusLine();
}

void Form1::SetMinimised(bool minimised) { minimised_ = minimised; }

WindowHandle Form1::Handle() const { return reinterpret_cast<WindowHandle>(hwnd()); }

void Form1::AppendToFileList(const std::wstring& path, const ThumbnailView& thumbnail) {
  fileList_.Append(path, thumbnail);
}

ThumbnailLook Form1::Thumbnails() const { return fileList_.Look(); }

bool Form1::IsChecked(OptionItem item) const {
  return (GetMenuState(menu_, static_cast<UINT>(MenuId(item)), MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void Form1::SetChecked(OptionItem item, bool checked) {
  CheckMenuItem(menu_, static_cast<UINT>(MenuId(item)),
                MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  if (item == OptionItem::Thumbnails) fileList_.ShowThumbnails(checked);
}

void Form1::ToggleCheck(int menuId) {
  const bool checked =
      (GetMenuState(menu_, static_cast<UINT>(menuId), MF_BYCOMMAND) & MF_CHECKED) != 0;
  CheckMenuItem(menu_, static_cast<UINT>(menuId),
                MF_BYCOMMAND | (checked ? MF_UNCHECKED : MF_CHECKED));
}

std::wstring Form1::SelectedEntry() const {
  const LRESULT index = SendMessageW(fileList_.hwnd(), LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return {};
  const LRESULT length = SendMessageW(fileList_.hwnd(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR || length == 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(fileList_.hwnd(), LB_GETTEXT, static_cast<WPARAM>(index),
                                      reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
  return text;
}

void Form1::OnFileListSelectionChange() {
  const std::wstring path = SelectedEntry();
  // Put there by the worker, which may wait on the clipboard's owner; the
  // change reaches the capture through the hook, which leaves text alone.
  if (!path.empty()) program_.capture->CopyText(path);
}

void Form1::OnFileListDoubleClick() {
  const std::wstring path = SelectedEntry();
  if (path.empty()) return;  // nothing selected: nothing to show
  if (!platform().FileExists(path)) {
    platform().ShowMessage(MissingFileMessage(path), message_style::kError, std::nullopt);
    return;
  }
  SetBusyCursor(true);
  if (IsChecked(OptionItem::ViewMode)) {
    platform().OpenWithAssociatedApplication(Handle(), path, platform().ProgramDirectory());
  } else {
    ShowImageView(path);
  }
  SetBusyCursor(false);
}

void Form1::ShowImageView(const std::wstring& path) {
  Picture picture;
  try {
    picture = platform().LoadPictureFile(path);
  } catch (const RuntimeError&) {
    // Another kind of file, a truncated or a locked one: said, and nothing more.
    platform().ShowMessage(UnreadablePictureMessage(path), message_style::kError, std::nullopt);
    return;
  }
  ImageView viewer(platform(), hwnd(), std::move(picture));
  viewer.ShowModal();
}

void Form1::ShowFnameDialog() {
  // The close box unloads the dialog; it is then created anew, with the
  // contents of its layout.
  if (!fname_) fname_ = std::make_unique<Fname>(program_, hwnd());
  fname_->ShowModal();
  if (!fname_->IsLoaded()) fname_.reset();
}

void Form1::ShowAbout() {
  About about(platform(), hwnd());
  about.ShowModal();
}

void Form1::ShowDirConfig() {
  DirConfig dialog(program_, hwnd());
  dialog.ShowModal();
}

void Form1::SetPaused(bool paused) {
  if (paused) {
    program_.capture->Pause();
  } else {
    program_.capture->Resume();
  }
  SetChecked(OptionItem::Paused, paused);
  tray_.ShowPaused(paused);
  // Also seen in the window; a report that came meanwhile stays.
  if (paused) {
    ShowStatus(Text(TextId::kPausedStatus));
  } else if (WindowText(statusLine_) == Text(TextId::kPausedStatus)) {
    ShowStatus(L"");
  }
}

void Form1::BringToFront() {
  if (IsIconic(hwnd())) {
    ShowWindow(hwnd(), SW_RESTORE);
  } else {
    ShowWindow(hwnd(), SW_SHOW);
  }
  // The viewer or a dialog, when one is open, stays in front of the window.
  SetForegroundWindow(GetLastActivePopup(hwnd()));
}

void Form1::OnTrayNotice(WPARAM at, LPARAM notice) {
  switch (tray_.ActionFor(notice)) {
    case TrayAction::kShowWindow:
      BringToFront();
      return;
    case TrayAction::kShowMenu:
      tray_.ShowMenu(at, program_.capture->Paused());
      return;
    case TrayAction::kNone:
      return;
  }
}

void Form1::SetBusyCursor(bool busy) {
  busyCursor_ = busy;
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void Form1::OnCommand(int id, int code) {
  switch (id) {
    case ids::kFileList:
      if (code == LBN_SELCHANGE) OnFileListSelectionChange();
      if (code == LBN_DBLCLK) OnFileListDoubleClick();
      return;
    case ids::kProcEnd:
      RunQueryUnload(program_);
      return;
    case ids::kProcOpenFolder:
      OpenSaveFolder(program_);
      return;
    case ids::kTrayShow:
      BringToFront();
      return;
    case ids::kSMenuPause:
      SetPaused(!program_.capture->Paused());
      return;
    case ids::kSMenuStartWithWindows:
      ChooseStartWithWindows(program_);
      return;
    case ids::kSMenuFname:
      ShowFnameDialog();
      return;
    case ids::kSMenuDir:
      ShowDirConfig();
      return;
    case ids::kSMenuHelpVersion:
      ShowAbout();
      return;
    case ids::kSMenuSaveFormat:
      ToggleCheck(id);
      if (IsChecked(OptionItem::SavePng)) program_.capture->PreparePng();
      return;
    case ids::kSMenuThumbnails:
      ToggleCheck(id);
      fileList_.ShowThumbnails(IsChecked(OptionItem::Thumbnails));
      return;
    case ids::kSMenuStartPosition:
    case ids::kSMenuStartMode:
    case ids::kSMenuViewMode:
    case ids::kSMenuKeepClipboard:
    case ids::kSMenuDayFolders:
    case ids::kSMenuProgramFolders:
    case ids::kSMenuSkipRepeats:
      ToggleCheck(id);
      return;
    default:
      return;
  }
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (tasks_.Handle(message, wParam, lParam)) return 0;
  if (tray_.IsTaskbarCreated(message)) {
    tray_.Add(program_.capture->Paused());
    return 0;
  }
  switch (message) {
    case TrayIcon::kNoticeMessage:
      OnTrayNotice(wParam, lParam);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_MEASUREITEM:
      return fileList_.Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)) ? TRUE
                                                                             : Default(message, wParam, lParam);
    case WM_DRAWITEM:
      return fileList_.Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE
                                                                              : Default(message, wParam, lParam);
    case WM_CLOSE:
      // The close box, the system menu and Alt+F4; the request is never refused.
      RunQueryUnload(program_);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session ends: close as on any other request, so that the settings
      // and the running number are written.
      if (wParam != FALSE) RunQueryUnload(program_);
      return 0;
    case WM_SETFOCUS:
      // Back from another window: the keys go to the list again.
      SetFocus(fileList_.hwnd());
      return 0;
    case WM_SETCURSOR: {
      // Behind the viewer the window is disabled and hit as HTERROR: the
      // default handling (a beep on a click) stays, the pointer stays busy.
      // The hit code is a signed word: HTERROR is -2.
      const int hit = static_cast<short>(LOWORD(lParam));
      if (busyCursor_ && (hit == HTCLIENT || hit == HTERROR)) {
        if (hit == HTERROR) Default(message, wParam, lParam);
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      return Default(message, wParam, lParam);
    }
    case WM_DESTROY:
      tray_.Remove();
      PostQuitMessage(0);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace pixkeeper
