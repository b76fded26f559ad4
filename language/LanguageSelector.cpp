#include "language/LanguageSelector.h"

#include "language/LanguageModule.h"
#include "language/LanguageTable.h"

namespace kelvane {

void FillLanguageSelector(std::vector<std::u16string>& items, int& selected, const WizardState& state) {
  items.clear();
  selected = -1;
  if (!IsListedLanguage(state.languageId)) return;
  for (int row = 0; row < kLanguageCount; ++row) {
    std::u16string name;
    if (row == kLanguageEnglishIndex) {
      name = kEnglishLanguageName;
    } else {
      LoadText(state, LanguageSelectorTextId(row), name);
    }
    items.push_back(std::move(name));
  }
  selected = LanguageIndex(state.languageId);
}

bool DecideLanguageChange(int selectedIndex, WizardState& state) {
  std::uint32_t languageId = LanguageAtIndex(selectedIndex);
  // Only rows 0-13 are in the list; anything else (the end mark) means English.
  if (!IsListedLanguage(languageId)) languageId = kLanguageEnglish;
  if (languageId == state.languageId) return false;
  state.restartWizard = true;
  state.languageId = languageId;
  return true;
}

}  // namespace kelvane
