#include "base/Texts.h"

#include <array>
#include <cstddef>

namespace pixkeeper {

namespace {

constexpr std::size_t kTextCount = static_cast<std::size_t>(TextId::kCount);
using IndexedTexts = std::array<std::wstring, kTextCount>;

// A table as an array by id. An id a table lacks would show as an empty text;
// the tests hold every table to every id.
IndexedTexts Indexed(const TextTable& table) {
  IndexedTexts texts;
  for (const auto& [id, text] : table) texts[static_cast<std::size_t>(id)] = text;
  return texts;
}

const IndexedTexts& TextsOf(Language language) {
  static const IndexedTexts japanese = Indexed(JapaneseTexts());
  static const IndexedTexts english = Indexed(EnglishTexts());
  return language == Language::kEnglish ? english : japanese;
}

Language current = Language::kJapanese;

}  // namespace

void UseLanguage(Language language) { current = language; }

Language CurrentLanguage() { return current; }

const std::wstring& Text(TextId id) { return TextsOf(current)[static_cast<std::size_t>(id)]; }

std::wstring Text(TextId id, std::initializer_list<std::wstring> values) { return FillIn(Text(id), values); }

std::wstring FillIn(const std::wstring& pattern, std::initializer_list<std::wstring> values) {
  std::wstring text;
  text.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const wchar_t next = i + 1 < pattern.size() ? pattern[i + 1] : L'\0';
    if (pattern[i] == L'%' && next == L'%') {
      text += L'%';
      ++i;
    } else if (pattern[i] == L'%' && next >= L'1' && next <= L'9' &&
               static_cast<std::size_t>(next - L'1') < values.size()) {
      text += values.begin()[next - L'1'];
      ++i;
    } else {
      text += pattern[i];
    }
  }
  return text;
}

}  // namespace pixkeeper
