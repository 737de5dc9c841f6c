// The program's texts in English. Labels keep to the room their Japanese
// counterparts were laid out for.

#include "base/Texts.h"

namespace pixkeeper {

const TextTable& EnglishTexts() {
  static const TextTable table = {
      {TextId::kMenuFile, L"&File"},
      {TextId::kMenuOpenFolder, L"&Open save folder"},
      {TextId::kMenuQuit, L"&Quit Pixkeeper"},
      {TextId::kMenuConfigure, L"&Configure"},
      {TextId::kMenuSaveDirectory, L"Save &directory..."},
      {TextId::kMenuFileNames, L"&File names..."},
      {TextId::kMenuStartCentred, L"&Place in the screen's centre at start"},
      {TextId::kMenuStartMinimised, L"Start m&inimised"},
      {TextId::kMenuViewWithProgram, L"&View with the associated program"},
      {TextId::kMenuSavePng, L"Save as PN&G"},
      {TextId::kMenuKeepClipboard, L"&Keep pictures on the clipboard"},
      {TextId::kMenuDayFolders, L"A folder per da&y"},
      {TextId::kMenuProgramFolders, L"Folders &by program"},
      {TextId::kMenuSkipRepeats, L"Skip &unchanged repeats"},
      {TextId::kMenuThumbnails, L"Show thumbnai&ls"},
      {TextId::kMenuPause, L"Pause cap&turing"},
      {TextId::kMenuStartWithWindows, L"Start with &Windows"},
      {TextId::kMenuHelp, L"&Help"},
      {TextId::kMenuAbout, L"&About Pixkeeper"},
      {TextId::kMenuShow, L"&Show Pixkeeper"},

      {TextId::kFnameTitle, L"File names"},
      {TextId::kDirConfigTitle, L"Save directory"},
      {TextId::kImageViewTitle, L"Picture"},
      {TextId::kAboutTitle, L"About Pixkeeper"},

      {TextId::kReturnButton, L"Close"},
      {TextId::kOkButton, L"OK"},
      {TextId::kResetButton, L"Reset"},
      {TextId::kFnameDateOption, L"Date (FNAMEmmddhhmmss.BMP)"},
      {TextId::kFnameNumberOption, L"Number (FNAME9999.BMP)"},
      {TextId::kFnameStartValue, L"Start"},
      {TextId::kFnameNextValue, L"Next"},
      {TextId::kFnameKeepValue, L"Keep next number at exit"},
      {TextId::kFnameAskOption, L"Ask for a name at every save"},
      {TextId::kFnameSchemeFrame, L"File names"},
      {TextId::kFnamePrefixFrame, L"Name prefix (date and number)"},
      {TextId::kAboutVersion, L"%1 version %2"},
      {TextId::kAboutHistoryFrame, L"Version history"},
      {TextId::kAboutHistory,
       L"1.00-First release\n"
       L"1.01-Configure menu\n"
       L"1.02-A save directory that has gone is handled\n"
       L"     /CLEAR deletes broken settings\n"
       L"1.03-The running number's start can be set\n"
       L"     The running number can be kept for the next run\n"
       L"1.04-The saved files are listed\n"
       L"     A click puts a file's path on the clipboard\n"
       L"     A double-click shows the file\n"
       L"     Optionally in the associated program\n"
       L"     Starting VB no longer ends Pixkeeper with an error\n"
       L"     Cells cut or copied in Excel are no longer saved\n"
       L"     Time-stamped names within one second are kept apart"},

      {TextId::kNoticeTitle, L"%1"},
      {TextId::kAlreadyRunning, L"Pixkeeper is already running. This copy will close."},
      {TextId::kStartUpError, L"Error %1:\r\n\r\n%2"},
      {TextId::kNamedPicture, L"%1\r\nPicture: [%2]"},
      {TextId::kPictureMissing, L"The picture does not exist. It may have been deleted."},
      {TextId::kPictureUnreadable, L"The picture cannot be shown."},
      {TextId::kDirectoryMissing,
       L"The save directory chosen last does not exist, so the drive's root folder is shown.\r\n"
       L"Directory chosen last: [%1]"},
      {TextId::kDriveNotReady, L"Drive %1: is not ready."},
      {TextId::kNoSuchNamingOption, L"There is no file name option '%1'."},
      {TextId::kSaveDialogFailed, L"The file dialog cannot be shown. (code %1)"},

      {TextId::kSaveDialogTitle, L"Save picture as"},
      {TextId::kPngFilter, L"PNG files (*.PNG)"},
      {TextId::kBmpFilter, L"Bitmap files (*.BMP)"},

      {TextId::kOtherProgramFolder, L"Other"},

      {TextId::kPausedStatus, L"Capturing is paused."},
      {TextId::kPausedTip, L"%1 (paused)"},
      {TextId::kSaveFailed, L"Could not save %1 (%2)"},
      {TextId::kRepeatSkipped, L"Not saved: the same picture as the last one."},
      {TextId::kOwnerSilentSaving, L"Not saved: the program that put the picture does not respond."},
      {TextId::kOwnerSilentEmptying,
       L"The clipboard was not emptied: the program that put the picture does not respond."},
      {TextId::kNoSaveFolder, L"The save folder does not exist: %1"},
      {TextId::kSaveFolderUnopened, L"Could not open the save folder %1 (%2)"},
      {TextId::kStartWithWindowsFailed, L"Could not change \"Start with Windows\" (%1)"},
      {TextId::kDroppedClipboardBusy, L"Not saved: another program is using the clipboard."},
      {TextId::kDroppedUnreadable, L"Not saved: the picture cannot be read."},
      {TextId::kDroppedTooLarge, L"Not saved: the picture is too large."},
      {TextId::kDroppedOutOfMemory, L"Not saved: not enough memory."},
      {TextId::kDroppedOther, L"The picture was not saved (%1)"},
      {TextId::kCopyClipboardBusy, L"The path was not copied: another program is using the clipboard."},
      {TextId::kCopyFailed, L"The path was not copied (%1)"},

      {TextId::kErrorInvalidCall, L"A procedure was called with an invalid argument."},
      {TextId::kErrorOverflow, L"A number is too large (overflow)."},
      {TextId::kErrorOutOfMemory, L"Not enough memory."},
      {TextId::kErrorSubscript, L"An index is out of range."},
      {TextId::kErrorDivisionByZero, L"Division by zero."},
      {TextId::kErrorTypeMismatch, L"A value has the wrong type."},
      {TextId::kErrorBadFileName, L"The file name or number is not valid."},
      {TextId::kErrorFileNotFound, L"The file was not found."},
      {TextId::kErrorDeviceIo, L"A device input/output error occurred."},
      {TextId::kErrorFileExists, L"A file of that name exists already."},
      {TextId::kErrorDiskFull, L"The disk is full."},
      {TextId::kErrorPermissionDenied, L"Access is denied."},
      {TextId::kErrorDiskNotReady, L"The disk is not ready."},
      {TextId::kErrorPathFileAccess, L"The path cannot be used."},
      {TextId::kErrorPathNotFound, L"The path was not found."},
      {TextId::kErrorInvalidProperty, L"A property value is not valid."},
      {TextId::kErrorInvalidPicture, L"The picture is not valid."},
      {TextId::kErrorCannotOpenClipboard, L"The clipboard cannot be opened."},
      {TextId::kErrorPictureTooLarge, L"The picture is too large."},
      {TextId::kErrorDialogCancelled, L"Cancel was chosen."},
      {TextId::kErrorApplicationDefined, L"An error defined by the program occurred."},
  };
  return table;
}

}  // namespace pixkeeper
