#pragma once
// The language the program speaks: Japanese where Windows speaks Japanese,
// English everywhere else, unless the user's stored choice says otherwise.

#include <cstdint>
#include <string>

namespace pixkeeper {

enum class Language { kJapanese, kEnglish };

// `displayLanguage` is Windows' display language (a LANGID); `stored` the
// stored "Language" value: "ja" or "en" decide, anything else (missing,
// blank, a typo) leaves the choice to Windows.
Language ChooseLanguage(std::uint16_t displayLanguage, const std::wstring& stored);

}  // namespace pixkeeper
