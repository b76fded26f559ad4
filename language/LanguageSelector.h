// The welcome page's language list, without the widget: what it shows, which
// row is selected, and what a new selection does. The page copies the items
// into its combo box and, when DecideLanguageChange answers true, ends the
// sheet's modal loop so that the start-up loop rebuilds it in the new language.
//
//   void FillLanguageSelector(std::vector<std::u16string>& items, int& selected,
//                             const WizardState& state = WizardState::Instance());
//   bool DecideLanguageChange(int selectedIndex, WizardState& state = WizardState::Instance());
#pragma once

#include <string>
#include <vector>

#include "state/WizardState.h"

namespace kelvane {

// Clears `items`; when `state.languageId` is one of the fourteen languages,
// adds the fourteen names in table order (the loaded module's texts, the
// literal "English" for row 3) and sets `selected` to the row of
// `state.languageId`. Otherwise the list stays empty and `selected` is -1.
void FillLanguageSelector(std::vector<std::u16string>& items, int& selected,
                          const WizardState& state = WizardState::Instance());

// The selector's selection changed to `selectedIndex` (-1: no selection, which
// means English). When that language differs from `state.languageId`, sets
// `state.restartWizard` and `state.languageId` and answers true: the sheet must
// close and be rebuilt. The same language answers false and changes nothing.
bool DecideLanguageChange(int selectedIndex, WizardState& state = WizardState::Instance());

}  // namespace kelvane
