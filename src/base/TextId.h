#pragma once
// Every text a user reads, by id. Each language has a table with one entry
// per id (TextsJapanese.cpp, TextsEnglish.cpp); a new language is a new table.

namespace pixkeeper {

enum class TextId {
  // Menus: the label with its access letter; the Ctrl key is added from the
  // menu table.
  kMenuFile,
  kMenuOpenFolder,
  kMenuQuit,
  kMenuConfigure,
  kMenuSaveDirectory,
  kMenuFileNames,
  kMenuStartCentred,
  kMenuStartMinimised,
  kMenuViewWithProgram,
  kMenuSavePng,
  kMenuKeepClipboard,
  kMenuDayFolders,
  kMenuProgramFolders,
  kMenuSkipRepeats,
  kMenuThumbnails,
  kMenuPause,
  kMenuStartWithWindows,
  kMenuHelp,
  kMenuAbout,
  kMenuShow,

  // Window titles ("Pixkeeper" itself is no text to translate).
  kFnameTitle,
  kDirConfigTitle,
  kImageViewTitle,
  kAboutTitle,

  // Buttons and labels.
  kReturnButton,
  kOkButton,
  kResetButton,
  kFnameDateOption,
  kFnameNumberOption,
  kFnameStartValue,
  kFnameNextValue,
  kFnameKeepValue,
  kFnameAskOption,
  kFnameSchemeFrame,
  kFnamePrefixFrame,
  kAboutVersion,      // %1 the program, %2 its version
  kAboutHistoryFrame,
  kAboutHistory,      // one line per version step, separated by "\n"

  // Message boxes.
  kNoticeTitle,  // %1 the program
  kAlreadyRunning,
  kStartUpError,  // %1 the error number, %2 its text
  kNamedPicture,  // %1 what went wrong, %2 the picture's path
  kPictureMissing,
  kPictureUnreadable,
  kDirectoryMissing,  // %1 the directory chosen last
  kDriveNotReady,     // %1 the drive letter
  kNoSuchNamingOption,  // %1 the stored number
  kSaveDialogFailed,    // %1 the dialog's error code

  // The save dialog.
  kSaveDialogTitle,
  kPngFilter,
  kBmpFilter,

  // The folder for pictures whose program cannot be told.
  kOtherProgramFolder,

  // The status line and the notification-area icon.
  kPausedStatus,
  kPausedTip,  // %1 the program
  kSaveFailed,  // %1 the path, %2 the reason
  kRepeatSkipped,
  kOwnerSilentSaving,
  kOwnerSilentEmptying,
  kNoSaveFolder,         // %1 the folder
  kSaveFolderUnopened,   // %1 the folder, %2 the reason
  kStartWithWindowsFailed,  // %1 the reason
  // A picture not saved before any file was begun, and why.
  kDroppedClipboardBusy,
  kDroppedUnreadable,
  kDroppedTooLarge,
  kDroppedOutOfMemory,
  kDroppedOther,  // %1 the reason
  // A listed path not put on the clipboard.
  kCopyClipboardBusy,
  kCopyFailed,  // %1 the reason

  // The run-time error texts, by error number.
  kErrorInvalidCall,
  kErrorOverflow,
  kErrorOutOfMemory,
  kErrorSubscript,
  kErrorDivisionByZero,
  kErrorTypeMismatch,
  kErrorBadFileName,
  kErrorFileNotFound,
  kErrorDeviceIo,
  kErrorFileExists,
  kErrorDiskFull,
  kErrorPermissionDenied,
  kErrorDiskNotReady,
  kErrorPathFileAccess,
  kErrorPathNotFound,
  kErrorInvalidProperty,
  kErrorInvalidPicture,
  kErrorCannotOpenClipboard,
  kErrorPictureTooLarge,
  kErrorDialogCancelled,
  kErrorApplicationDefined,

  kCount  // not a text: the number of ids
};

}  // namespace pixkeeper
