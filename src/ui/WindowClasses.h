#pragma once
// Window classes and titles by which other programs find the windows.

namespace pixkeeper {

constexpr wchar_t kMainWindowClass[] = L"PixkeeperForm1";
constexpr wchar_t kFnameWindowClass[] = L"PixkeeperFname";
constexpr wchar_t kFnameTitle[] = L"保存ファイル名選択";
constexpr wchar_t kDirConfigWindowClass[] = L"PixkeeperDirConfig";
constexpr wchar_t kDirConfigTitle[] = L"保存ディレクトリ選択";
constexpr wchar_t kImageViewWindowClass[] = L"PixkeeperImageView";
constexpr wchar_t kImageViewTitle[] = L"画像表示";
constexpr wchar_t kAboutWindowClass[] = L"PixkeeperAbout";
constexpr wchar_t kAboutTitle[] = L"バージョン情報";

}  // namespace pixkeeper
