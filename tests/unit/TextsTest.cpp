// The user's texts: every language complete and consistent, the menus' keys
// the same in each, and the choice of language at start.

#include <gtest/gtest.h>

#include <cwctype>
#include <set>

#include "base/Texts.h"
#include "capture/SaveFolders.h"
#include "fakes/FakePlatform.h"
#include "settings/Settings.h"
#include "ui/MenuTable.h"
#include "ui/StartUp.h"

namespace pixkeeper {

namespace {

const std::vector<std::pair<Language, const TextTable*>> kTables = {
    {Language::kJapanese, &JapaneseTexts()}, {Language::kEnglish, &EnglishTexts()}};

// "%1", "%2", ... as they occur in a text.
std::multiset<wchar_t> Placeholders(const std::wstring& text) {
  std::multiset<wchar_t> found;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == L'%' && text[i + 1] >= L'1' && text[i + 1] <= L'9') found.insert(text[++i]);
  }
  return found;
}

bool HasJapanese(const std::wstring& text) {
  for (wchar_t c : text) {
    if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF)) return true;
  }
  return false;
}

// Speaks `language` for one test, then Japanese again.
struct Speaking {
  explicit Speaking(Language language) { UseLanguage(language); }
  ~Speaking() { UseLanguage(Language::kJapanese); }
};

}  // namespace

// Each table holds every id once, none of them empty, with the same
// placeholders as the Japanese text; the English holds no Japanese.
TEST(Texts, EveryLanguageIsComplete) {
  std::map<TextId, std::wstring> japanese(JapaneseTexts().begin(), JapaneseTexts().end());
  for (auto [language, table] : kTables) {
    std::set<TextId> seen;
    for (const auto& [id, text] : *table) {
      const int number = static_cast<int>(id);
      EXPECT_TRUE(seen.insert(id).second) << "id " << number << " twice";
      EXPECT_FALSE(std::wstring(text).empty()) << "id " << number;
      EXPECT_EQ(Placeholders(text), Placeholders(japanese[id])) << "id " << number;
      if (language == Language::kEnglish) {
        EXPECT_FALSE(HasJapanese(text)) << "id " << number;
      }
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(TextId::kCount));
  }
}

// Values go in by number, once: a value holding "%2" stays as it is.
TEST(Texts, FillIn) {
  EXPECT_EQ(FillIn(L"%2 then %1", {L"a", L"b"}), L"b then a");
  EXPECT_EQ(FillIn(L"%1 (%2)", {L"C:\\100%2\\", L"x"}), L"C:\\100%2\\ (x)");
  EXPECT_EQ(FillIn(L"100%% %3 %", {L"a"}), L"100% %3 %");
  Speaking english(Language::kEnglish);
  EXPECT_EQ(Text(TextId::kSaveFailed, {L"C:\\a.BMP", L"Disk full"}), L"Could not save C:\\a.BMP (Disk full)");
}

// Windows' display language decides unless "ja" or "en" is stored; the
// stored value is read, never written back.
TEST(Texts, TheChoiceOfLanguage) {
  const Language ja = Language::kJapanese, en = Language::kEnglish;
  for (auto [display, stored, chosen] : {std::tuple<std::uint16_t, const wchar_t*, Language>{0x0411, L"", ja},
           {0x0011, L"", ja}, {0x0409, L"", en}, {0x0407, L"", en}, {0x0804, L"", en}, {0x0411, L"en", en},
           {0x0409, L"ja", ja}, {0x0407, L"ja", ja}, {0x0411, L"EN", ja}, {0x0409, L" ja", en}, {0x0409, L"jp", en}}) {
    EXPECT_EQ(ChooseLanguage(display, stored), chosen) << std::hex << display << " " << stored;
  }
  FakeProgram fake;
  fake.platform.displayLanguage = 0x0409;
  fake.platform.Setting(L"Language") = L"ja";
  EXPECT_EQ(StoredLanguageChoice(fake.platform), ja);
  fake.platform.settings.clear();
  EXPECT_EQ(StoredLanguageChoice(fake.platform), en);
  LoadSettings(fake.program);
  SaveSettings(fake.program);
  EXPECT_EQ(fake.platform.settings.count(L"PIXKEEPER\\CONFIG\\Language"), 0u);
}

// Every item marks its access letter in every language, the Ctrl key is the
// access letter, and no two items share a letter within a menu or a Ctrl key.
TEST(Texts, MenuKeysAreTheSameInEveryLanguage) {
  auto marks = [](TextId id, wchar_t letter, const TextTable& table) {
    for (const auto& [tid, text] : table) {
      if (tid != id) continue;
      const std::wstring t = text;
      const std::size_t amp = t.find(L'&');
      return amp != std::wstring::npos && t.find(L'&', amp + 1) == std::wstring::npos && amp + 1 < t.size() &&
             static_cast<wchar_t>(std::towupper(t[amp + 1])) == letter;
    }
    return false;
  };
  std::set<wchar_t> ctrlKeys, titles;
  auto checkItems = [&](const std::vector<MenuItem>& items, bool withCtrl) {
    std::set<wchar_t> letters;
    for (const MenuItem& item : items) {
      EXPECT_TRUE(letters.insert(item.accessLetter).second) << item.id;
      if (item.ctrlKey != 0) {
        EXPECT_EQ(item.ctrlKey, item.accessLetter) << item.id;
        EXPECT_TRUE(!withCtrl || ctrlKeys.insert(item.ctrlKey).second) << item.id;
      }
      for (auto [language, table] : kTables) EXPECT_TRUE(marks(item.text, item.accessLetter, *table)) << item.id;
    }
  };
  for (const Menu& menu : MainMenus()) {
    EXPECT_TRUE(titles.insert(menu.accessLetter).second);
    for (auto [language, table] : kTables) EXPECT_TRUE(marks(menu.title, menu.accessLetter, *table));
    checkItems(menu.items, true);
  }
  checkItems(TrayMenuItems(), false);
  EXPECT_EQ(ctrlKeys.size(), 15u);
  Speaking english(Language::kEnglish);
  EXPECT_EQ(MenuItemLabel(MainMenus()[1].items[5]), L"Save as PN&G\tCtrl+G");
}

// The texts made from parts, in each language.
TEST(Texts, MessagesInEachLanguage) {
  const RuntimeError mismatch(13);
  EXPECT_EQ(StartUpErrorMessage(mismatch), L"実行時エラー '13':\r\n\r\n型が一致しません。");
  EXPECT_EQ(MissingFileMessage(L"C:\\a.BMP"), L"対象画像が存在しません。削除された可能性があります。\r\n対象画像名 [C:\\a.BMP]");
  EXPECT_EQ(ProgramFolderName(L"", false), L"その他");
  Speaking english(Language::kEnglish);
  EXPECT_EQ(StartUpErrorMessage(RuntimeError(13)), L"Error 13:\r\n\r\nA value has the wrong type.");
  EXPECT_EQ(UnreadablePictureMessage(L"C:\\a.BMP"), L"The picture cannot be shown.\r\nPicture: [C:\\a.BMP]");
  EXPECT_EQ(ProgramFolderName(L"", false), L"Other");
}

}  // namespace pixkeeper
