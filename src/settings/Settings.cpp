#include "settings/Settings.h"

#include <cstddef>
#include <string>

#include "base/Integer.h"
#include "base/RuntimeError.h"

namespace pixkeeper {

namespace {

const wchar_t kApplication[] = L"PIXKEEPER";
const wchar_t kSection[] = L"CONFIG";
// Where pictures go when no folder is stored: a folder of the program's own
// in the user's Pictures, which standard users can write; the root of drive
// C: only where the system knows no Pictures folder.
const wchar_t kOwnFolder[] = L"Pixkeeper\\";
const wchar_t kLastResortBaseDir[] = L"C:\\";
const wchar_t kClearSwitch[] = L"/CLEAR";

// Stored texts are trimmed of ordinary spaces only.
std::wstring TrimSpaces(const std::wstring& text) {
  const std::size_t begin = text.find_first_not_of(L' ');
  if (begin == std::wstring::npos) return std::wstring();
  const std::size_t end = text.find_last_not_of(L' ');
  return text.substr(begin, end - begin + 1);
}

// Letters outside ASCII never match the switch, so ASCII upper case is all
// the comparison needs, whatever the user's locale.
std::wstring AsciiUpper(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return text;
}

class Store {
 public:
  explicit Store(Platform& platform) : platform_(platform) {}

  // The whole stored text, or the default when the key is absent.
  std::wstring Read(const wchar_t* key, const wchar_t* defaultText) {
    return platform_.ReadSetting(kApplication, kSection, key, defaultText);
  }
  std::wstring ReadTrimmed(const wchar_t* key, const wchar_t* defaultText) {
    return TrimSpaces(Read(key, defaultText));
  }
  // Raises 13 or 6 when the stored text is no Integer; loading stops there.
  Integer ReadInteger(const wchar_t* key, const wchar_t* defaultText) {
    return TextToInteger(Read(key, defaultText));
  }
  void ReadMark(MainWindowParts& window, OptionItem item, const wchar_t* key,
                const wchar_t* defaultText) {
    window.SetChecked(item, ReadInteger(key, defaultText) != 0);
  }

  void Write(const wchar_t* key, const std::wstring& text) {
    platform_.WriteSetting(kApplication, kSection, key, text);
  }
  void WriteMark(const MainWindowParts& window, OptionItem item, const wchar_t* key) {
    Write(key, window.IsChecked(item) ? L"1" : L"0");
  }

 private:
  Platform& platform_;
};

}  // namespace

std::wstring DefaultSaveDirectory(Platform& platform) {
  std::wstring folder;
  try {
    folder = platform.PicturesFolder() + kOwnFolder;
  } catch (const RuntimeError&) {
    return kLastResortBaseDir;
  }
  // A folder that cannot be made is said by the first capture that fails.
  try {
    platform.MakeDirectory(folder);
  } catch (const RuntimeError&) {
  }
  return folder;
}

void LoadSettings(Program& program) {
  AppState& state = program.state;
  Store store(program.platform);

  state.BaseDir = store.ReadTrimmed(L"BaseDir", L"");
  if (state.BaseDir.empty()) state.BaseDir = DefaultSaveDirectory(program.platform);
  state.NamingScheme = store.ReadInteger(L"FTYPE", L"0");
  state.FilePrefix = store.ReadTrimmed(L"FNAME", L"BMP");
  state.StartValue = store.ReadTrimmed(L"StartValue", L"0");  // stays text
  state.PresendFlag = store.ReadInteger(L"PresendFlag", L"0");
  state.PresendValue = store.ReadInteger(L"PresendValue", L"0");
  store.ReadMark(program.window, OptionItem::StartPosition, L"StartPos", L"1");
  store.ReadMark(program.window, OptionItem::StartMode, L"StartMode", L"0");
  store.ReadMark(program.window, OptionItem::ViewMode, L"ViewMode", L"0");
  store.ReadMark(program.window, OptionItem::SavePng, L"SaveFormat", L"0");
  store.ReadMark(program.window, OptionItem::KeepClipboard, L"KeepClipboard", L"0");
  store.ReadMark(program.window, OptionItem::DayFolders, L"DayFolders", L"0");
  store.ReadMark(program.window, OptionItem::ProgramFolders, L"ProgramFolders", L"0");
  store.ReadMark(program.window, OptionItem::SkipRepeats, L"SkipRepeats", L"0");
  store.ReadMark(program.window, OptionItem::Thumbnails, L"Thumbnails", L"0");
}

void SaveSettings(Program& program) {
  const AppState& state = program.state;
  Store store(program.platform);

  store.Write(L"BaseDir", state.BaseDir);
  store.Write(L"FTYPE", IntegerText(state.NamingScheme));
  store.Write(L"FNAME", state.FilePrefix);
  store.Write(L"StartValue", state.StartValue);
  store.Write(L"PresendFlag", IntegerText(state.PresendFlag));
  // The number this run reached, whether or not the next run continues it.
  store.Write(L"PresendValue", IntegerText(state.PresentValue));
  store.WriteMark(program.window, OptionItem::StartPosition, L"StartPos");
  store.WriteMark(program.window, OptionItem::StartMode, L"StartMode");
  store.WriteMark(program.window, OptionItem::ViewMode, L"ViewMode");
  store.WriteMark(program.window, OptionItem::SavePng, L"SaveFormat");
  store.WriteMark(program.window, OptionItem::KeepClipboard, L"KeepClipboard");
  store.WriteMark(program.window, OptionItem::DayFolders, L"DayFolders");
  store.WriteMark(program.window, OptionItem::ProgramFolders, L"ProgramFolders");
  store.WriteMark(program.window, OptionItem::SkipRepeats, L"SkipRepeats");
  store.WriteMark(program.window, OptionItem::Thumbnails, L"Thumbnails");
}

bool IsClearSwitch(const std::wstring& commandLine) {
  return AsciiUpper(commandLine) == kClearSwitch;
}

Language StoredLanguageChoice(Platform& platform) {
  return ChooseLanguage(platform.DisplayLanguage(), platform.ReadSetting(kApplication, kSection, L"Language", L""));
}

void HandleClearSwitch(Platform& platform) {
  if (!IsClearSwitch(platform.CommandLineText())) return;
  platform.DeleteSettingSection(kApplication, kSection);
  platform.EndProgram();
}

}  // namespace pixkeeper
