#pragma once
// The one error type of the program: a run-time error with its number and text.

#include <stdexcept>
#include <string>

namespace pixkeeper {

// Error numbers that the logic raises or tests for.
namespace error {
constexpr int kOverflow = 6;
constexpr int kOutOfMemory = 7;
constexpr int kTypeMismatch = 13;
constexpr int kBadFileName = 52;
constexpr int kFileNotFound = 53;
constexpr int kFileExists = 58;
constexpr int kDiskFull = 61;
constexpr int kPermissionDenied = 70;
constexpr int kPathFileAccess = 75;
constexpr int kPathNotFound = 76;
constexpr int kInvalidPicture = 481;
constexpr int kCannotOpenClipboard = 521;
// A picture of more pixels than the program takes on.
constexpr int kPictureTooLarge = 32764;
constexpr int kDialogCancelled = 32755;
}  // namespace error

// The text for an error number, in the user's language.
std::wstring ErrorText(int number);

class RuntimeError : public std::runtime_error {
 public:
  explicit RuntimeError(int number);
  RuntimeError(int number, std::wstring text);
  // With the system's own words for the failure, in the user's language.
  RuntimeError(int number, std::wstring text, std::wstring reason);

  int number() const noexcept { return number_; }
  const std::wstring& text() const noexcept { return text_; }
  // The system's words for the failure; empty when it gave none.
  const std::wstring& reason() const noexcept { return reason_; }

 private:
  int number_;
  std::wstring text_;
  std::wstring reason_;
};

}  // namespace pixkeeper
