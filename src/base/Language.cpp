#include "base/Language.h"

namespace pixkeeper {

namespace {
// The primary language is the low ten bits of a LANGID.
constexpr std::uint16_t kPrimaryLanguageMask = 0x3FF;
constexpr std::uint16_t kPrimaryJapanese = 0x11;
}  // namespace

Language ChooseLanguage(std::uint16_t displayLanguage, const std::wstring& stored) {
  if (stored == L"ja") return Language::kJapanese;
  if (stored == L"en") return Language::kEnglish;
  return (displayLanguage & kPrimaryLanguageMask) == kPrimaryJapanese ? Language::kJapanese : Language::kEnglish;
}

}  // namespace pixkeeper
