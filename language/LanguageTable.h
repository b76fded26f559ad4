// The languages the wizard offers, in the order of the welcome page's selector,
// and the choice of the start-up language from the locale.
//
// Language identifiers are the numeric language IDs the rest of the program
// keys on (1033 English, 1032 Greek, ...): page layouts switch on them.
//
//   const std::array<std::uint32_t, 15>& LanguageTable();
//   int LanguageIndex(std::uint32_t languageId);        // 0-14; 0 when absent
//   std::uint32_t LanguageAtIndex(int index);           // 1033 outside 0-14
//   bool IsListedLanguage(std::uint32_t languageId);    // one of rows 0-13
//   const char* LanguageModuleName(std::uint32_t languageId);
//   std::uint32_t LanguageSelectorTextId(int index);    // 0 for row 3 (English)
//   std::uint32_t LanguageIdFromLocale(std::string_view localeName);
//   std::uint32_t SystemDefaultLanguage();
//   std::uint32_t ChooseStartupLanguage(WizardState& state = WizardState::Instance());
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "state/WizardState.h"

namespace kelvane {

inline constexpr std::uint32_t kLanguageEnglish = 1033;
inline constexpr std::uint32_t kLanguageGreek = 1032;
inline constexpr std::uint32_t kLanguageBrazilPT = 1046;
inline constexpr std::uint32_t kLanguageSlovenian = 1060;
inline constexpr int kLanguageCount = 14;       // rows 0-13; row 14 is the end mark 0
inline constexpr int kLanguageEnglishIndex = 3;  // the row whose name the program holds itself
inline constexpr char16_t kEnglishLanguageName[] = u"English";

// The 15 entries: rows 0-13 are the languages, row 14 the end mark 0.
const std::array<std::uint32_t, 15>& LanguageTable();

// Index (0-14) of the first entry equal to `languageId`; 0 when there is none.
int LanguageIndex(std::uint32_t languageId);

// The entry at `index` for 0-14 (14 gives the end mark 0); 1033 for any other
// index, including -1 for "no selection".
std::uint32_t LanguageAtIndex(int index);

// True for the fourteen languages of rows 0-13 (the end mark 0 is not one).
bool IsListedLanguage(std::uint32_t languageId);

// Module name of a language, as in res/LNG_<name>.so: "ChineseTrad", ...,
// "English" for every language not in rows 0-13.
const char* LanguageModuleName(std::uint32_t languageId);

// String ID of the selector text of row `index` (0-13); 0 for row 3, whose
// text is kEnglishLanguageName, and for any index outside 0-13.
std::uint32_t LanguageSelectorTextId(int index);

// Maps a POSIX locale name ("de_AT.UTF-8", "zh_TW", "pt_BR@euro", "C") to a
// language ID. The language part decides, except where one language is written
// two ways and only one of them has a module:
//   zh_TW, zh_HK, zh_MO (Traditional script) -> 1028; zh_CN, zh_SG, zh -> 2052.
//   pt_BR -> 1046; every other Portuguese, "pt" alone included, -> 2070 (the
//   European variant, which glibc also assumes for a bare "pt").
//   es (any territory) -> 3082; other listed languages by language alone.
//   "C", "POSIX" and "" -> 1033. A few unlisted languages keep their own ID
//   (ja 1041, nb/no 1044, fi 1035, ...); anything else gives 0 (unknown).
std::uint32_t LanguageIdFromLocale(std::string_view localeName);

// The language of the locale the user runs in: the first non-empty of
// LC_ALL, LC_MESSAGES and LANG, through LanguageIdFromLocale (1033 when all
// three are empty or unset).
std::uint32_t SystemDefaultLanguage();

// The start-up language: the system default when it is one of rows 0-13,
// otherwise 1033. Stored in `state.languageId` and returned.
std::uint32_t ChooseStartupLanguage(WizardState& state = WizardState::Instance());

}  // namespace kelvane
