#pragma once
// Menu commands and control identifiers of the program's windows. Other
// programs (and the end-to-end tests) find the controls by these numbers, so
// they stay as they are. IDOK (1) and IDCANCEL (2) are not used: Enter and Esc
// close no window.

namespace pixkeeper::ids {

// The main window's menu items.
constexpr int kProcEnd = 101;
constexpr int kProcOpenFolder = 102;
// The notification-area icon's menu: 表示 (the others share the ids above).
constexpr int kTrayShow = 103;
constexpr int kSMenuDir = 201;
constexpr int kSMenuFname = 202;
constexpr int kSMenuStartPosition = 203;
constexpr int kSMenuStartMode = 204;
constexpr int kSMenuViewMode = 205;
constexpr int kSMenuSaveFormat = 206;
constexpr int kSMenuKeepClipboard = 207;
constexpr int kSMenuDayFolders = 208;
constexpr int kSMenuProgramFolders = 209;
constexpr int kSMenuSkipRepeats = 210;
constexpr int kSMenuThumbnails = 211;
constexpr int kSMenuPause = 231;
constexpr int kSMenuStartWithWindows = 232;
constexpr int kSMenuHelpVersion = 301;

// The main window's list of saved files.
constexpr int kFileList = 1001;
// Its status line, below the list.
constexpr int kStatusLine = 1002;

// The file-name dialog: the three naming options are consecutive, by scheme.
constexpr int kFtypeOption0 = 2000;
constexpr int kFtypeFrame = 2010;
constexpr int kStartValueLabel = 2011;
constexpr int kStartValueText = 2012;
constexpr int kPresentValueLabel = 2013;
constexpr int kPresentValueText = 2014;
constexpr int kPresentValueReset = 2015;
constexpr int kPresentValueCheck = 2016;
constexpr int kFnameFrame = 2017;
constexpr int kFnameText = 2018;
constexpr int kFnameReturn = 2019;

// The save-directory dialog.
constexpr int kDrive = 3001;
constexpr int kDir = 3002;
constexpr int kDirReturn = 3003;

// The About box.
constexpr int kVersionLabel = 4001;
constexpr int kCorrespondFrame = 4002;
constexpr int kCorrespondList = 4003;
constexpr int kAboutOk = 4004;

}  // namespace pixkeeper::ids
