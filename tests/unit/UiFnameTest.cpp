// The file-name dialog's logic: filling, storing, the reset button and the
// start-value box's key filter.

#include <gtest/gtest.h>

#include <string>

#include "fakes/FakePlatform.h"
#include "platform/RuntimeError.h"
#include "ui/FnameFields.h"

namespace pixkeeper {
namespace {

// The dialog's controls as plain values; selecting an option runs its handler.
class FakeFnameFields final : public FnameFields {
 public:
  explicit FakeFnameFields(AppState& state) : state_(state) {}

  void SelectOption(int index) override {
    selectedOption = index;
    state_.NamingScheme = static_cast<Integer>(index);
  }
  std::wstring PrefixText() const override { return prefix; }
  void SetPrefixText(const std::wstring& text) override { prefix = text; }
  std::wstring StartValueText() const override { return startValue; }
  void SetStartValueText(const std::wstring& text) override { startValue = text; }
  void SetPresentValueText(const std::wstring& text) override { presentValue = text; }
  int KeepValueCheck() const override { return keepValue; }
  void SetKeepValueCheck(int value) override { keepValue = value; }

  int selectedOption = -1;
  std::wstring prefix;
  std::wstring startValue;
  std::wstring presentValue;
  int keepValue = 0;

 private:
  AppState& state_;
};

class UiFname : public ::testing::Test {
 protected:
  FakeProgram fake;
  AppState& state = fake.program.state;
  FakeFnameFields fields{state};
};

TEST_F(UiFname, FillingSelectsTheSchemeAndCopiesTheStoredFields) {
  state.NamingScheme = 2;
  state.FilePrefix = L"IMG";
  state.StartValue = L"0042";
  state.PresendFlag = -1;
  FillFnameFields(state, fields);
  EXPECT_EQ(2, fields.selectedOption);
  EXPECT_EQ(2, state.NamingScheme);
  EXPECT_EQ(L"IMG", fields.prefix);
  EXPECT_EQ(L"0042", fields.startValue);
  EXPECT_EQ(1, fields.keepValue);  // any non-zero flag checks the box

  state.PresendFlag = 0;
  FillFnameFields(state, fields);
  EXPECT_EQ(0, fields.keepValue);
}

TEST_F(UiFname, FillingRefusesASchemeWithoutAnOption) {
  for (Integer scheme : {Integer{3}, Integer{-1}, Integer{32767}}) {
    state.NamingScheme = scheme;
    state.FilePrefix = L"IMG";
    try {
      FillFnameFields(state, fields);
      FAIL() << "scheme " << scheme << " was accepted";
    } catch (const RuntimeError& error) {
      EXPECT_EQ(340, error.number());
      EXPECT_NE(std::wstring::npos, error.text().find(std::to_wstring(scheme)));
    }
    EXPECT_EQ(-1, fields.selectedOption);
    EXPECT_EQ(L"", fields.prefix);
  }
}

TEST_F(UiFname, ReturnStoresTheThreeFieldsAsTheyStand) {
  state.NamingScheme = 1;
  state.PresentValue = 17;
  fields.prefix = L" a:b ";
  fields.startValue = L"";
  fields.keepValue = 1;
  StoreFnameFields(state, fields);
  EXPECT_EQ(L" a:b ", state.FilePrefix);
  EXPECT_EQ(L"", state.StartValue);
  EXPECT_EQ(1, state.PresendFlag);
  // Neither the scheme nor the running number is Return's to change.
  EXPECT_EQ(1, state.NamingScheme);
  EXPECT_EQ(17, state.PresentValue);
}

TEST_F(UiFname, ResetTakesTheRunningNumberFromTheStartValueBox) {
  state.StartValue = L"5";
  fields.startValue = L"0042";
  ResetRunningNumber(fake.program, fields);
  EXPECT_EQ(42, state.PresentValue);
  EXPECT_EQ(L"42", fields.presentValue);
  EXPECT_EQ(L"0042", fields.startValue);
  EXPECT_EQ(L"5", state.StartValue);  // only Return stores the box
}

TEST_F(UiFname, ResetOfABoxWithoutANumberStartsFromZero) {
  for (const wchar_t* text : {L"", L"ab", L"1 2"}) {
    state.PresentValue = 9;
    fields.startValue = text;
    ResetRunningNumber(fake.program, fields);
    EXPECT_EQ(L"0", fields.startValue) << text;
    EXPECT_EQ(0, state.PresentValue);
    EXPECT_EQ(L"0", fields.presentValue);
  }
  EXPECT_TRUE(fake.platform.messages.empty());
}

TEST_F(UiFname, ResetOfANumberOutOfRangeIsShownAndEndsTheProgram) {
  state.PresentValue = 9;
  fields.startValue = L"99999";  // pasted past the key filter
  EXPECT_THROW(ResetRunningNumber(fake.program, fields), ProgramEnded);
  ASSERT_EQ(1u, fake.platform.messages.size());
  EXPECT_EQ(ErrorText(error::kOverflow), fake.platform.messages[0].text);
  EXPECT_EQ(message_style::kPlain, fake.platform.messages[0].style);
  EXPECT_FALSE(fake.platform.messages[0].title.has_value());
  EXPECT_EQ(9, state.PresentValue);
  EXPECT_EQ(L"99999", fields.startValue);
}

TEST(UiFnameKeyFilter, LetsOnlyBackspaceAndDigitsThrough) {
  std::wstring box;
  for (wchar_t typed : std::wstring(L"1a2-3 .\r\x16\x03\x18\x1b\x7f０")) {
    if (StartValueKeyPasses(static_cast<unsigned>(typed))) box += typed;
  }
  EXPECT_EQ(L"123", box);
  EXPECT_TRUE(StartValueKeyPasses(8));
  EXPECT_TRUE(StartValueKeyPasses('0'));
  EXPECT_TRUE(StartValueKeyPasses('9'));
  EXPECT_FALSE(StartValueKeyPasses('0' - 1));
  EXPECT_FALSE(StartValueKeyPasses('9' + 1));
}

}  // namespace
}  // namespace pixkeeper
