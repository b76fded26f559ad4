// Loading and unloading the language module of the current language, and
// reading its texts by string ID.
//
//   bool ExecutableFolder(std::string& folder);
//   void SetModuleFolder(std::string folder);
//   std::string ModuleFolder();
//   std::string LanguageModulePath(std::uint32_t languageId);
//   void* LoadLanguageModule(WizardState& state = WizardState::Instance());
//   void UnloadLanguageModule(WizardState& state = WizardState::Instance());
//   bool LoadText(std::uint32_t id, std::u16string& text);
//   bool LoadText(const WizardState& state, std::uint32_t id, std::u16string& text);
//   bool ListTextIds(std::vector<std::uint32_t>& ids);
//
// The module of a language is <folder>res/LNG_<name>.so, where <folder> is the
// folder of the running executable (ending in "/") and <name> comes from
// LanguageModuleName(). There is never a fall-back to another language.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "state/WizardState.h"

namespace kelvane {

// Longest text LoadText hands out, in UTF-16 units; longer texts are cut.
inline constexpr std::size_t kMaxTextLength = 1023;

// The folder of the running executable, from /proc/self/exe, ending in "/".
// False (and `folder` empty) when the link cannot be read.
bool ExecutableFolder(std::string& folder);

// Overrides the folder that holds res/ (tests point it at a module folder of
// their own). An empty text restores the executable's folder. A missing
// trailing "/" is added.
void SetModuleFolder(std::string folder);

// The folder modules are loaded from: the override, else the executable's
// folder; empty when neither is known.
std::string ModuleFolder();

// Full path of the module file of `languageId` (English for unlisted IDs);
// empty when the folder is unknown.
std::string LanguageModulePath(std::uint32_t languageId);

// Loads the module of `state.languageId`. A module still loaded is unloaded
// first. A file that is missing, cannot be loaded, or holds no valid string
// table fails. Stores the handle (nullptr on failure) in
// `state.languageModule`, clears `state.restartWizard`, and returns the handle.
void* LoadLanguageModule(WizardState& state = WizardState::Instance());

// Frees `state.languageModule` (nothing happens when none is loaded) and sets
// it to nullptr.
void UnloadLanguageModule(WizardState& state = WizardState::Instance());

// Makes `text` empty, then reads the text of `id` from the loaded module, cut
// to kMaxTextLength UTF-16 units (never between the two halves of a surrogate
// pair). True when the module holds the ID; false and empty when it does not,
// when the ID is not a 16-bit one, or when no module is loaded.
bool LoadText(std::uint32_t id, std::u16string& text);
bool LoadText(const WizardState& state, std::uint32_t id, std::u16string& text);

// Every string ID the loaded module holds, ascending. False (and empty) when
// no module is loaded.
bool ListTextIds(std::vector<std::uint32_t>& ids);

}  // namespace kelvane
