#include "platform/RuntimeError.h"

#include <string>
#include <utility>

namespace pixkeeper {

std::wstring ErrorText(int number) {
  switch (number) {
    case 5: return L"プロシージャの呼び出し、または引数が不正です。";
    case error::kOverflow: return L"オーバーフローしました。";
    case error::kOutOfMemory: return L"メモリが不足しています。";
    case 9: return L"インデックスが有効範囲にありません。";
    case 11: return L"0 で除算しました。";
    case error::kTypeMismatch: return L"型が一致しません。";
    case error::kBadFileName: return L"ファイル名または番号が不正です。";
    case error::kFileNotFound: return L"ファイルが見つかりません。";
    case 57: return L"デバイス I/O エラーです。";
    case error::kDiskFull: return L"ディスクの空き容量が不足しています。";
    case error::kPermissionDenied: return L"書き込みできません。";
    case 71: return L"ディスクが準備されていません。";
    case error::kPathFileAccess: return L"パス名が無効です。";
    case error::kPathNotFound: return L"パスが見つかりません。";
    case 380: return L"プロパティの値が不正です。";
    case error::kInvalidPicture: return L"ピクチャが不正です。";
    case error::kCannotOpenClipboard: return L"クリップボードを開けません。";
    case error::kDialogCancelled: return L"[キャンセル] が選択されました。";
    default: return L"アプリケーション定義またはオブジェクト定義のエラーです。";
  }
}

namespace {

// std::runtime_error wants narrow text; the number is what a log reader needs.
std::string WhatText(int number) { return "run-time error " + std::to_string(number); }

}  // namespace

RuntimeError::RuntimeError(int number) : RuntimeError(number, ErrorText(number)) {}

RuntimeError::RuntimeError(int number, std::wstring text) : RuntimeError(number, std::move(text), L"") {}

RuntimeError::RuntimeError(int number, std::wstring text, std::wstring reason)
    : std::runtime_error(WhatText(number)), number_(number), text_(std::move(text)), reason_(std::move(reason)) {}

}  // namespace pixkeeper
