#pragma once
// What the file-name dialog does with its controls, apart from the controls
// themselves: filling them at start, storing them, the reset button and the
// start-value box's key filter.

#include <string>

#include "capture/Program.h"

namespace pixkeeper {

// The dialog's controls as its logic sees them.
class FnameFields {
 public:
  virtual ~FnameFields() = default;
  // Selects option `index` of the naming-scheme options and runs its handler.
  virtual void SelectOption(int index) = 0;
  virtual std::wstring PrefixText() const = 0;
  virtual void SetPrefixText(const std::wstring& text) = 0;
  virtual std::wstring StartValueText() const = 0;
  virtual void SetStartValueText(const std::wstring& text) = 0;
  virtual void SetPresentValueText(const std::wstring& text) = 0;
  virtual int KeepValueCheck() const = 0;  // 0 clear, 1 checked
  virtual void SetKeepValueCheck(int value) = 0;
};

// The number of naming-scheme options; a stored scheme must name one of them.
constexpr int kNamingOptionCount = 3;

// The main window's load step: the option of NamingScheme (RuntimeError 340
// when there is none), the prefix, the start value and the keep-value mark.
void FillFnameFields(const AppState& state, FnameFields& fields);

// The Return button: prefix, start value and keep-value mark, as they stand.
void StoreFnameFields(AppState& state, const FnameFields& fields);

// Shown in the next-value box each time the dialog is shown.
std::wstring NextValueText(const AppState& state);

// The reset button: PresentValue from the start-value box. A box that holds no
// number becomes "0"; any other error is shown and ends the program.
void ResetRunningNumber(Program& program, FnameFields& fields);

// Typed characters that reach the start-value box: Backspace and digits only.
constexpr bool StartValueKeyPasses(unsigned code) {
  return code == 8 || (code >= '0' && code <= '9');
}

}  // namespace pixkeeper
