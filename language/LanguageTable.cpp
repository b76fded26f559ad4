#include "language/LanguageTable.h"

#include <cstdlib>
#include <string>

#include "language/StringIds.h"

namespace kelvane {
namespace {

struct LanguageRow {
  std::uint32_t languageId;
  const char* moduleName;
  std::uint32_t selectorTextId;
};

constexpr std::array<LanguageRow, kLanguageCount> kRows = {{
    {1028, "ChineseTrad", kIdLanguageChineseTrad},
    {1030, "Danish", kIdLanguageDanish},
    {1043, "Dutch", kIdLanguageDutch},
    {1033, "English", 0},
    {1036, "French", kIdLanguageFrench},
    {1031, "German", kIdLanguageGerman},
    {1032, "Greek", kIdLanguageGreek},
    {1040, "Italian", kIdLanguageItalian},
    {1042, "Korean", kIdLanguageKorean},
    {1046, "BrazilPT", kIdLanguagePortuguese},
    {1049, "Russian", kIdLanguageRussian},
    {1060, "Slovenian", kIdLanguageSlovenian},
    {3082, "Spanish", kIdLanguageSpanish},
    {1053, "Swedish", kIdLanguageSwedish},
}};

constexpr std::array<std::uint32_t, 15> kTable = [] {
  std::array<std::uint32_t, 15> table{};
  for (std::size_t i = 0; i < kRows.size(); ++i) table[i] = kRows[i].languageId;
  table[14] = 0;
  return table;
}();

// Language (lower case) to language ID, for languages whose territory does
// not change the module.
struct LocaleLanguage {
  std::string_view language;
  std::uint32_t languageId;
};

constexpr LocaleLanguage kByLanguage[] = {
    {"da", 1030}, {"nl", 1043}, {"en", 1033}, {"fr", 1036}, {"de", 1031},
    {"el", 1032}, {"it", 1040}, {"ko", 1042}, {"ru", 1049}, {"sl", 1060},
    {"es", 3082}, {"sv", 1053},
    // Unlisted languages, kept distinct so that nothing mistakes them for a
    // listed one; they all end in English.
    {"ja", 1041}, {"nb", 1044}, {"no", 1044}, {"nn", 2068}, {"fi", 1035},
    {"pl", 1045}, {"cs", 1029}, {"hu", 1038}, {"tr", 1055}, {"ar", 1025},
    {"he", 1037}, {"uk", 1058}, {"hr", 1050}, {"sk", 1051}, {"bg", 1026},
};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

const std::array<std::uint32_t, 15>& LanguageTable() { return kTable; }

int LanguageIndex(std::uint32_t languageId) {
  for (std::size_t i = 0; i < kTable.size(); ++i) {
    if (kTable[i] == languageId) return static_cast<int>(i);
  }
  return 0;
}

std::uint32_t LanguageAtIndex(int index) {
  if (index < 0 || index >= static_cast<int>(kTable.size())) return kLanguageEnglish;
  return kTable[static_cast<std::size_t>(index)];
}

bool IsListedLanguage(std::uint32_t languageId) {
  for (const LanguageRow& row : kRows) {
    if (row.languageId == languageId) return true;
  }
  return false;
}

const char* LanguageModuleName(std::uint32_t languageId) {
  for (const LanguageRow& row : kRows) {
    if (row.languageId == languageId) return row.moduleName;
  }
  return "English";
}

std::uint32_t LanguageSelectorTextId(int index) {
  if (index < 0 || index >= kLanguageCount) return 0;
  return kRows[static_cast<std::size_t>(index)].selectorTextId;
}

std::uint32_t LanguageIdFromLocale(std::string_view localeName) {
  // language[_territory][.codeset][@modifier]
  const std::size_t cut = localeName.find_first_of(".@");
  if (cut != std::string_view::npos) localeName = localeName.substr(0, cut);
  if (localeName.empty() || localeName == "C" || localeName == "POSIX") return kLanguageEnglish;

  const std::size_t sep = localeName.find_first_of("_-");
  const std::string language = Lower(localeName.substr(0, sep));
  const std::string territory =
      sep == std::string_view::npos ? std::string() : Lower(localeName.substr(sep + 1));

  if (language == "zh") {
    if (territory == "tw" || territory == "hk" || territory == "mo" || territory == "hant") return 1028;
    return 2052;
  }
  if (language == "pt") return territory == "br" ? kLanguageBrazilPT : 2070;
  for (const LocaleLanguage& entry : kByLanguage) {
    if (entry.language == language) return entry.languageId;
  }
  return 0;
}

std::uint32_t SystemDefaultLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return LanguageIdFromLocale(value);
  }
  return kLanguageEnglish;
}

std::uint32_t ChooseStartupLanguage(WizardState& state) {
  const std::uint32_t system = SystemDefaultLanguage();
  // The end mark 0 is in the table too, but it is no language: it would leave
  // the selector empty, so it counts as unlisted.
  state.languageId = IsListedLanguage(system) ? system : kLanguageEnglish;
  return state.languageId;
}

}  // namespace kelvane
