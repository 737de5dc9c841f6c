#include "ui/FnameFields.h"

#include <optional>

#include "base/Integer.h"
#include "base/RuntimeError.h"
#include "base/Texts.h"

namespace pixkeeper {

namespace {
constexpr int kNoSuchControl = 340;
}  // namespace

void FillFnameFields(const AppState& state, FnameFields& fields) {
  const int scheme = state.NamingScheme;
  if (scheme < 0 || scheme >= kNamingOptionCount) {
    throw RuntimeError(kNoSuchControl,
                       Text(TextId::kNoSuchNamingOption, {IntegerText(state.NamingScheme)}));
  }
  fields.SelectOption(scheme);
  fields.SetPrefixText(state.FilePrefix);
  fields.SetStartValueText(state.StartValue);
  fields.SetKeepValueCheck(state.PresendFlag != 0 ? 1 : 0);
}

void StoreFnameFields(AppState& state, const FnameFields& fields) {
  state.FilePrefix = fields.PrefixText();
  state.StartValue = fields.StartValueText();
  state.PresendFlag = static_cast<Integer>(fields.KeepValueCheck());
}

std::wstring NextValueText(const AppState& state) { return IntegerText(state.PresentValue); }

namespace {

// The start-value box as a number; a box that holds no number becomes "0".
Integer StartValueNumber(FnameFields& fields) {
  try {
    return TextToInteger(fields.StartValueText());
  } catch (const RuntimeError& error) {
    if (error.number() != error::kTypeMismatch) throw;
  }
  fields.SetStartValueText(L"0");
  return TextToInteger(fields.StartValueText());
}

}  // namespace

void ResetRunningNumber(Program& program, FnameFields& fields) {
  try {
    program.state.PresentValue = StartValueNumber(fields);
    fields.SetPresentValueText(NextValueText(program.state));
  } catch (const RuntimeError& error) {
    program.platform.ShowMessage(ErrorText(error.number()), message_style::kPlain, std::nullopt);
    program.platform.EndProgram();
  }
}

}  // namespace pixkeeper
