#pragma once
// Window classes and titles by which other programs find the windows.

namespace pixkeeper {

constexpr wchar_t kMainWindowClass[] = L"PixkeeperForm1";
constexpr wchar_t kFnameWindowClass[] = L"PixkeeperFname";
constexpr wchar_t kFnameTitle[] = L"保存ファイル名選択";

}  // namespace pixkeeper
