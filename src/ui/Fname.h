#pragma once
// The file-name dialog: naming scheme, prefix, start value of the running
// number and whether the number carries over to the next run.

#include <windows.h>

#include <string>

#include "capture/Program.h"
#include "ui/BaseWindow.h"
#include "ui/DialogWindow.h"
#include "ui/FnameFields.h"
#include "ui/ModalLoop.h"
#include "ui/WindowFont.h"

namespace pixkeeper {

class Fname final : public BaseWindow<Fname>, public FnameFields {
 public:
  // Creates and loads the dialog, hidden; `owner` keeps it off the task bar.
  Fname(Program& program, HWND owner);

  // Shows the dialog modally; returns when Return hides it or the close box
  // unloads it (IsLoaded() then answers false).
  void ShowModal();

  // The controls, for the main window's load step and the buttons.
  void SelectOption(int index) override;
  std::wstring PrefixText() const override;
  void SetPrefixText(const std::wstring& text) override;
  std::wstring StartValueText() const override;
  void SetStartValueText(const std::wstring& text) override;
  void SetPresentValueText(const std::wstring& text) override;
  int KeepValueCheck() const override;
  void SetKeepValueCheck(int value) override;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void CreateControls();
  HWND AddControl(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                  int id, double left, double top, double width, double height,
                  const WindowFont& font);
  void OnCommand(int id, int code);
  void OnReturn();
  void OnCloseBox();

  Program& program_;
  WindowFont font_{12};
  WindowFont resetFont_{9};
  HWND options_[kNamingOptionCount] = {};
  HWND startValueText_ = nullptr;
  HWND presentValueText_ = nullptr;
  HWND presentValueCheck_ = nullptr;
  HWND fnameText_ = nullptr;
  DialogFocus focus_;
  ModalShowing modal_;
};

}  // namespace pixkeeper
