// The user's texts: every language complete and consistent, and the choice
// of language at start. The menus and messages as shown, in each language,
// are checked end to end.

#include <gtest/gtest.h>

#include <set>

#include "base/Language.h"
#include "base/Texts.h"

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
}

// Windows' display language decides unless "ja" or "en" is stored. (The
// stored value read at start, and never written, is checked end to end.)
TEST(Texts, TheChoiceOfLanguage) {
  const Language ja = Language::kJapanese, en = Language::kEnglish;
  for (auto [display, stored, chosen] : {std::tuple<std::uint16_t, const wchar_t*, Language>{0x0411, L"", ja},
           {0x0011, L"", ja}, {0x0409, L"", en}, {0x0407, L"", en}, {0x0804, L"", en}, {0x0411, L"en", en},
           {0x0409, L"ja", ja}, {0x0407, L"ja", ja}, {0x0411, L"EN", ja}, {0x0409, L" ja", en}, {0x0409, L"jp", en}}) {
    EXPECT_EQ(ChooseLanguage(display, stored), chosen) << std::hex << display << " " << stored;
  }
}

}  // namespace pixkeeper
