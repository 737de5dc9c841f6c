#include "ui/DirConfig.h"

#include <optional>

#include "base/RuntimeError.h"
#include "base/Texts.h"
#include "ui/ControlIds.h"
#include "ui/ControlText.h"
#include "ui/DirChoice.h"
#include "ui/FormCenter.h"
#include "ui/ScreenGeometry.h"
#include "ui/WindowClasses.h"

namespace pixkeeper {

namespace {

constexpr double kClientWidth = 4815;
constexpr double kClientHeight = 3735;
// The drive list's field; its drop-down part reaches further down.
constexpr TwipsRect kDriveField{120, 120, 4575, 360};
constexpr double kDriveDropDown = 2400;
// Sent to itself on showing: the activation runs once the dialog is visible.
constexpr UINT kActivateOnce = WM_APP + 1;

}  // namespace

DirConfig::DirConfig(Program& program, HWND owner)
    : BaseWindow(program.platform), program_(program) {
  RegisterWindowClass(kDirConfigWindowClass, ProgramIcon(owner));
  if (CreateTopLevel(kDirConfigWindowClass, Text(TextId::kDirConfigTitle).c_str(), kDialogStyle, kDialogExStyle, owner,
                     nullptr) == nullptr) {
    throw RuntimeError(error::kOutOfMemory);
  }
  font_.ApplyTo(hwnd());
  SetClientSizeTwips(hwnd(), kClientWidth, kClientHeight);
  // Created in tab order.
  drive_ = AddControl(hwnd(), L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0,
                      ids::kDrive,
                      {kDriveField.left, kDriveField.top, kDriveField.width,
                       kDriveField.height + kDriveDropDown},
                      font_);
  dir_ = AddControl(hwnd(), L"LISTBOX", L"",
                    LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE, ids::kDir, {120, 600, 4575, 2250}, font_);
  AddControl(hwnd(), L"BUTTON", Text(TextId::kReturnButton).c_str(), BS_PUSHBUTTON | WS_TABSTOP, 0, ids::kDirReturn,
             {3240, 3000, 1455, 615}, font_);
  drives_ = LogicalDrives();
  for (const DriveEntry& drive : drives_) {
    SendMessageW(drive_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.text.c_str()));
  }

  // The load step.
  WindowPlacement placement(hwnd());
  CenterForm(program.platform, placement);
}

void DirConfig::ShowModal() {
  PostMessageW(hwnd(), kActivateOnce, 0, 0);
  modal_.Run(hwnd());
}

// The stored directory is shown; one that cannot be is reported once, and a
// root is shown instead, which captures meanwhile write into.
void DirConfig::Activate() {
  AppState& state = program_.state;
  const DirOpening opening =
      ChooseOpening(state.BaseDir, FallbackRoots(program_.platform), &IsDirectory);
  if (opening.warn) {
    program_.platform.ShowMessage(MissingDirMessage(state.BaseDir), message_style::kError,
                                  std::nullopt);
    state.BaseDir = opening.directory;
  }
  OpenDirectory(opening.directory);
}

void DirConfig::OpenDirectory(const std::wstring& path) {
  openPath_ = ListPathOf(FullPathOf(path));
  lines_ = DirectoryLines(openPath_, VisibleSubdirectories(openPath_));
  std::vector<std::wstring> texts;
  size_t openLine = 0;
  for (size_t i = 0; i < lines_.size(); ++i) {
    texts.push_back(LineText(lines_[i]));
    if (lines_[i].kind == DirectoryLine::Kind::Open) openLine = i;
  }
  SetListEntries(dir_, font_.get(), texts);
  SendMessageW(dir_, LB_SETCURSEL, openLine, 0);
  ScrollToLine(texts[openLine], lines_[openLine].level);
  SelectDrive(openPath_[0]);
}

// Deep down, the open folder's line starts past the list's right edge: the
// list is scrolled sideways to its parent's indent.
void DirConfig::ScrollToLine(const std::wstring& text, int level) {
  RECT client{};
  GetClientRect(dir_, &client);
  int position = 0;
  if (level > 1 && TextWidth(dir_, font_.get(), text) > client.right) {
    position = TextWidth(dir_, font_.get(), text.substr(0, static_cast<size_t>((level - 1) * kIndentPerLevel)));
  }
  SendMessageW(dir_, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), 0);
}

void DirConfig::SelectDrive(wchar_t letter) {
  for (size_t i = 0; i < drives_.size(); ++i) {
    if (drives_[i].letter == UpperLetter(letter)) {
      SendMessageW(drive_, CB_SETCURSEL, i, 0);
      return;
    }
  }
}

// Another drive opens its current directory; one without a medium is
// reported and the list returns to the drive that is open.
void DirConfig::OnDriveChange() {
  const LRESULT index = SendMessageW(drive_, CB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<size_t>(index) >= drives_.size()) return;
  const wchar_t letter = drives_[static_cast<size_t>(index)].letter;
  if (!openPath_.empty() && UpperLetter(openPath_[0]) == letter) return;
  if (!DriveReady(letter)) {
    program_.platform.ShowMessage(DriveNotReadyMessage(letter), message_style::kError,
                                  std::nullopt);
    if (!openPath_.empty()) SelectDrive(openPath_[0]);
    return;
  }
  const std::wstring current = FullPathOf(std::wstring(1, letter) + L":");
  OpenDirectory(IsDirectory(current) ? current : std::wstring(1, letter) + L":\\");
}

// A directory that has gone meanwhile opens nothing new: the list is read
// again (from the drive's root if the open directory has gone too).
void DirConfig::OnDirDoubleClick() {
  const LRESULT index = SendMessageW(dir_, LB_GETCURSEL, 0, 0);
  if (index < 0 || static_cast<size_t>(index) >= lines_.size()) return;
  const std::wstring target = lines_[static_cast<size_t>(index)].path;
  if (IsDirectory(target)) {
    OpenDirectory(target);
  } else {
    OpenDirectory(IsDirectory(openPath_) ? openPath_ : openPath_.substr(0, 3));
  }
}

void DirConfig::QueryUnloadAndUnload() {
  if (!openPath_.empty()) program_.state.BaseDir = ClosingBaseDir(openPath_);
  modal_.End(hwnd());
  DestroyWindow(hwnd());
}

void DirConfig::OnCommand(int id, int code) {
  if (id == ids::kDrive && code == CBN_SELCHANGE) OnDriveChange();
  if (id == ids::kDir && code == LBN_DBLCLK) OnDirDoubleClick();
  if (id == ids::kDirReturn && code == BN_CLICKED) QueryUnloadAndUnload();
  // IDOK and IDCANCEL (Enter and Esc) close nothing.
}

LRESULT DirConfig::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kActivateOnce:
      Activate();
      return 0;
    case WM_ACTIVATE:
      focus_.OnActivate(hwnd(), LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      QueryUnloadAndUnload();
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace pixkeeper
