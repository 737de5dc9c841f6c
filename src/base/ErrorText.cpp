#include "base/RuntimeError.h"

#include <string>
#include <utility>

#include "base/Texts.h"

namespace pixkeeper {

namespace {

TextId ErrorTextId(int number) {
  switch (number) {
    case 5: return TextId::kErrorInvalidCall;
    case error::kOverflow: return TextId::kErrorOverflow;
    case error::kOutOfMemory: return TextId::kErrorOutOfMemory;
    case 9: return TextId::kErrorSubscript;
    case 11: return TextId::kErrorDivisionByZero;
    case error::kTypeMismatch: return TextId::kErrorTypeMismatch;
    case error::kBadFileName: return TextId::kErrorBadFileName;
    case error::kFileNotFound: return TextId::kErrorFileNotFound;
    case 57: return TextId::kErrorDeviceIo;
    case error::kFileExists: return TextId::kErrorFileExists;
    case error::kDiskFull: return TextId::kErrorDiskFull;
    case error::kPermissionDenied: return TextId::kErrorPermissionDenied;
    case 71: return TextId::kErrorDiskNotReady;
    case error::kPathFileAccess: return TextId::kErrorPathFileAccess;
    case error::kPathNotFound: return TextId::kErrorPathNotFound;
    case 380: return TextId::kErrorInvalidProperty;
    case error::kInvalidPicture: return TextId::kErrorInvalidPicture;
    case error::kCannotOpenClipboard: return TextId::kErrorCannotOpenClipboard;
    case error::kPictureTooLarge: return TextId::kErrorPictureTooLarge;
    case error::kDialogCancelled: return TextId::kErrorDialogCancelled;
    default: return TextId::kErrorApplicationDefined;
  }
}

}  // namespace

std::wstring ErrorText(int number) { return Text(ErrorTextId(number)); }

namespace {

// std::runtime_error wants narrow text; the number is what a log reader needs.
std::string WhatText(int number) { return "run-time error " + std::to_string(number); }

}  // namespace

RuntimeError::RuntimeError(int number) : RuntimeError(number, ErrorText(number)) {}

RuntimeError::RuntimeError(int number, std::wstring text) : RuntimeError(number, std::move(text), L"") {}

RuntimeError::RuntimeError(int number, std::wstring text, std::wstring reason)
    : std::runtime_error(WhatText(number)), number_(number), text_(std::move(text)), reason_(std::move(reason)) {}

}  // namespace pixkeeper
