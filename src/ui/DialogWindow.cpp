#include "ui/DialogWindow.h"

#include "base/RuntimeError.h"
#include "ui/ScreenGeometry.h"

namespace pixkeeper {

HICON ProgramIcon(HWND owner) {
  return reinterpret_cast<HICON>(GetClassLongPtrW(owner, GCLP_HICON));
}

HWND AddControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style,
                DWORD exStyle, int id, const TwipsRect& rect, const WindowFont& font) {
  HWND control = CreateWindowExW(exStyle, className, text,
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) throw RuntimeError(error::kOutOfMemory);
  font.ApplyTo(control);
  PlaceControl(control, rect);
  return control;
}

void DialogFocus::OnActivate(HWND dialog, bool active) {
  if (!active) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(dialog, focus)) last_ = focus;
    return;
  }
  HWND target = last_ != nullptr && IsWindowEnabled(last_) ? last_
                                                          : GetNextDlgTabItem(dialog, nullptr, FALSE);
  if (target != nullptr) SetFocus(target);
}

}  // namespace pixkeeper
