#include "language/LanguageModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "language/LanguageModuleFormat.h"
#include "language/LanguageTable.h"

namespace kelvane {
namespace {

std::string& FolderOverride() {
  static std::string folder;
  return folder;
}

// The table of a module handle, checked once per load: a file that dlopen
// accepts but that was not built by our generator (or by an older one) must
// not be read as a table.
const KelvaneStringTable* TableOf(void* handle) {
  if (handle == nullptr) return nullptr;
  const auto* table = static_cast<const KelvaneStringTable*>(dlsym(handle, kStringTableSymbol));
  if (table == nullptr || table->magic != kStringTableMagic || table->version != kStringTableVersion ||
      (table->count > 0 && (table->entries == nullptr || table->text == nullptr))) {
    return nullptr;
  }
  return table;
}

// The loader remembers the table of the handle it loaded last, so LoadText
// needs no symbol lookup; a different handle in the state (or none) is looked
// up again.
struct LoadedModule {
  void* handle = nullptr;
  const KelvaneStringTable* table = nullptr;
};

LoadedModule& Loaded() {
  static LoadedModule loaded;
  return loaded;
}

const KelvaneStringTable* CurrentTable(const WizardState& state) {
  LoadedModule& loaded = Loaded();
  if (state.languageModule == nullptr) return nullptr;
  if (state.languageModule != loaded.handle) {
    loaded.handle = state.languageModule;
    loaded.table = TableOf(state.languageModule);
  }
  return loaded.table;
}

const KelvaneStringEntry* FindEntry(const KelvaneStringTable& table, std::uint32_t id) {
  const KelvaneStringEntry* begin = table.entries;
  const KelvaneStringEntry* end = table.entries + table.count;
  const KelvaneStringEntry* it = std::lower_bound(
      begin, end, id, [](const KelvaneStringEntry& e, std::uint32_t value) { return e.id < value; });
  if (it == end || it->id != id) return nullptr;
  // Never read outside the text block, whatever the entry claims.
  if (it->offset > table.textUnits || it->length > table.textUnits - it->offset) return nullptr;
  return it;
}

}  // namespace

bool ExecutableFolder(std::string& folder) {
  folder.clear();
  std::array<char, 4096> path{};
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0 || static_cast<std::size_t>(n) >= path.size() - 1) return false;
  std::string full(path.data(), static_cast<std::size_t>(n));
  const std::size_t slash = full.rfind('/');
  if (slash == std::string::npos) return false;
  folder = full.substr(0, slash + 1);
  return true;
}

void SetModuleFolder(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  FolderOverride() = std::move(folder);
}

std::string ModuleFolder() {
  if (!FolderOverride().empty()) return FolderOverride();
  std::string folder;
  ExecutableFolder(folder);
  return folder;
}

std::string LanguageModulePath(std::uint32_t languageId) {
  const std::string folder = ModuleFolder();
  if (folder.empty()) return std::string();
  return folder + "res/LNG_" + LanguageModuleName(languageId) + ".so";
}

void* LoadLanguageModule(WizardState& state) {
  UnloadLanguageModule(state);
  state.restartWizard = false;
  const std::string path = LanguageModulePath(state.languageId);
  if (path.empty()) return nullptr;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  if (TableOf(handle) == nullptr) {
    dlclose(handle);
    return nullptr;
  }
  state.languageModule = handle;
  return handle;
}

void UnloadLanguageModule(WizardState& state) {
  if (state.languageModule == nullptr) return;
  LoadedModule& loaded = Loaded();
  if (loaded.handle == state.languageModule) loaded = LoadedModule{};
  dlclose(state.languageModule);
  state.languageModule = nullptr;
}

bool LoadText(const WizardState& state, std::uint32_t id, std::u16string& text) {
  text.clear();
  if (id > 0xFFFF) return false;
  const KelvaneStringTable* table = CurrentTable(state);
  if (table == nullptr) return false;
  const KelvaneStringEntry* entry = FindEntry(*table, id);
  if (entry == nullptr) return false;
  std::size_t length = std::min<std::size_t>(entry->length, kMaxTextLength);
  const char16_t* units = table->text + entry->offset;
  // A cut right after a high surrogate would leave half a character.
  if (length < entry->length && length > 0 && units[length - 1] >= 0xD800 && units[length - 1] <= 0xDBFF) {
    --length;
  }
  text.assign(units, length);
  return true;
}

bool LoadText(std::uint32_t id, std::u16string& text) { return LoadText(WizardState::Instance(), id, text); }

bool ListTextIds(std::vector<std::uint32_t>& ids) {
  ids.clear();
  const KelvaneStringTable* table = CurrentTable(WizardState::Instance());
  if (table == nullptr) return false;
  ids.reserve(table->count);
  for (std::uint32_t i = 0; i < table->count; ++i) ids.push_back(table->entries[i].id);
  return true;
}

}  // namespace kelvane
