#pragma once
// Window classes by which other programs find the windows.

namespace pixkeeper {

constexpr wchar_t kMainWindowClass[] = L"PixkeeperForm1";
constexpr wchar_t kFnameWindowClass[] = L"PixkeeperFname";
constexpr wchar_t kDirConfigWindowClass[] = L"PixkeeperDirConfig";
constexpr wchar_t kImageViewWindowClass[] = L"PixkeeperImageView";
constexpr wchar_t kAboutWindowClass[] = L"PixkeeperAbout";

}  // namespace pixkeeper
