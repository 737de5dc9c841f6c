#pragma once
// The user's texts in the language chosen at start.

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "base/Language.h"
#include "base/TextId.h"

namespace pixkeeper {

// One language's texts, each with its id, in any order.
using TextTable = std::vector<std::pair<TextId, const wchar_t*>>;
const TextTable& JapaneseTexts();
const TextTable& EnglishTexts();

// Chosen once at start, before the first window or message; until then the
// program speaks Japanese.
void UseLanguage(Language language);
Language CurrentLanguage();

// The text of `id` in the current language.
const std::wstring& Text(TextId id);
// The same with %1, %2, ... replaced by `values` in order; "%%" is a "%".
std::wstring Text(TextId id, std::initializer_list<std::wstring> values);
// Exposed for the tests: the replacement on any pattern.
std::wstring FillIn(const std::wstring& pattern, std::initializer_list<std::wstring> values);

}  // namespace pixkeeper
