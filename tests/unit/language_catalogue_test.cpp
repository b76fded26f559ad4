// Every language module built next to the programs carries exactly the
// catalogue of StringIds.h, with the conventions the wizard relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "language/LanguageModule.h"
#include "language/LanguageTable.h"
#include "language/StringIds.h"

namespace kelvane {
namespace {

std::string Utf8(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// The printf-style placeholders of a text ("%s", "%d", "%02d", ...), "%%" not
// counted, sorted so that a translation may reorder them.
std::vector<std::u16string> Placeholders(const std::u16string& text) {
  std::vector<std::u16string> found;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'%') continue;
    if (i + 1 < text.size() && text[i + 1] == u'%') {
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < text.size() && (std::u16string_view(u"-+ #0123456789.l").find(text[j]) != std::u16string_view::npos)) ++j;
    if (j < text.size() && std::u16string_view(u"sdiuxXcfgp").find(text[j]) != std::u16string_view::npos) {
      found.push_back(text.substr(i, j - i + 1));
      i = j;
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

// A button mnemonic: one "&" (not "&&") followed by a visible character.
bool HasMnemonic(const std::u16string& text) {
  int count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (i + 1 < text.size() && text[i + 1] == u'&') {
      ++i;
      continue;
    }
    if (i + 1 >= text.size() || text[i + 1] == u' ' || text[i + 1] == u'\n') return false;
    ++count;
  }
  return count == 1;
}

struct ModuleTexts {
  bool loaded = false;
  std::map<std::uint32_t, std::u16string> texts;  // every ID the module holds
};

// Reads every module once; loading is through the wizard's own loader.
const std::map<std::string, ModuleTexts>& AllModules() {
  static const std::map<std::string, ModuleTexts> modules = [] {
    std::map<std::string, ModuleTexts> result;
    WizardState& state = WizardState::Instance();
    SetModuleFolder("");
    for (int row = 0; row < kLanguageCount; ++row) {
      const std::uint32_t languageId = LanguageAtIndex(row);
      ModuleTexts& module = result[LanguageModuleName(languageId)];
      state.languageId = languageId;
      if (LoadLanguageModule(state) == nullptr) continue;
      module.loaded = true;
      std::vector<std::uint32_t> ids;
      ListTextIds(ids);
      for (std::uint32_t id : ids) LoadText(id, module.texts[id]);
      UnloadLanguageModule(state);
    }
    state.languageId = 1033;
    return result;
  }();
  return modules;
}

class LanguageCatalogue : public ::testing::TestWithParam<int> {
 protected:
  const char* Name() const { return LanguageModuleName(LanguageAtIndex(GetParam())); }
  const ModuleTexts& Module() const { return AllModules().at(Name()); }
  const ModuleTexts& English() const { return AllModules().at("English"); }
};

TEST_P(LanguageCatalogue, ModuleExistsAndLoads) {
  EXPECT_TRUE(Module().loaded) << "res/LNG_" << Name() << ".so is missing or not a valid module";
}

TEST_P(LanguageCatalogue, HoldsEveryIdOfTheCatalogueNonEmpty) {
  if (!Module().loaded) GTEST_SKIP() << Name() << " not built";
  for (StringId id : kAllStringIds) {
    const auto it = Module().texts.find(id);
    if (it == Module().texts.end()) {
      ADD_FAILURE() << Name() << ": ID " << id << " missing";
    } else {
      EXPECT_FALSE(it->second.empty()) << Name() << ": ID " << id << " empty";
    }
  }
}

TEST_P(LanguageCatalogue, HoldsNoIdOutsideTheCatalogue) {
  if (!Module().loaded) GTEST_SKIP() << Name() << " not built";
  const std::set<StringId> catalogue(kAllStringIds.begin(), kAllStringIds.end());
  for (const auto& [id, text] : Module().texts) {
    EXPECT_TRUE(catalogue.count(id)) << Name() << ": ID " << id << " is not in the catalogue: " << Utf8(text);
  }
}

TEST_P(LanguageCatalogue, ButtonTextsCarryOneMnemonic) {
  if (!Module().loaded) GTEST_SKIP() << Name() << " not built";
  for (StringId id : {kIdYesButton, kIdNoButton, kIdCancelButton, kIdHelpWindowOk, kIdRetryButton}) {
    const auto it = Module().texts.find(id);
    if (it == Module().texts.end()) continue;  // reported by the catalogue test
    EXPECT_TRUE(HasMnemonic(it->second)) << Name() << ": ID " << id << " \"" << Utf8(it->second) << "\"";
  }
  // Back and Next are plain: the sheet adds the arrows.
  for (StringId id : {kIdBack, kIdNext}) {
    const auto it = Module().texts.find(id);
    if (it == Module().texts.end()) continue;
    EXPECT_EQ(it->second.find_first_of(u"<>&"), std::u16string::npos) << Name() << ": ID " << id;
  }
}

TEST_P(LanguageCatalogue, PlaceholdersAgreeWithEnglish) {
  if (!Module().loaded || !English().loaded) GTEST_SKIP() << "module not built";
  for (const auto& [id, text] : Module().texts) {
    const auto english = English().texts.find(id);
    if (english == English().texts.end()) continue;
    EXPECT_EQ(Placeholders(text), Placeholders(english->second))
        << Name() << ": ID " << id << " \"" << Utf8(text) << "\"";
  }
}

TEST_P(LanguageCatalogue, TextsAreCleanAndFixedNamesStay) {
  if (!Module().loaded || !English().loaded) GTEST_SKIP() << "module not built";
  for (const auto& [id, text] : Module().texts) {
    // An escape written twice ("\\n") shows as a backslash and an n.
    EXPECT_EQ(text.find(u"\\n"), std::u16string::npos) << Name() << ": ID " << id << " holds a literal \\n";
    EXPECT_EQ(text.find(u"\\t"), std::u16string::npos) << Name() << ": ID " << id << " holds a literal \\t";
    EXPECT_NE(text.front(), u' ') << Name() << ": ID " << id << " starts with a blank";
    EXPECT_NE(text.back(), u' ') << Name() << ": ID " << id << " ends with a blank";
    EXPECT_GT(text.size(), 0u);
  }
  const auto title = Module().texts.find(kIdProductTitle);
  if (title != Module().texts.end()) {
    EXPECT_NE(title->second.find(u"LMQ-5812"), std::u16string::npos) << Name() << ": product title";
  }
  // The language names in the selector are written in their own language, so
  // every module shows the same fourteen names.
  for (StringId id = kIdLanguageGerman; id <= kIdLanguageRussian; ++id) {
    const auto mine = Module().texts.find(id);
    const auto english = English().texts.find(id);
    if (mine == Module().texts.end() || english == English().texts.end()) continue;
    EXPECT_EQ(Utf8(mine->second), Utf8(english->second)) << Name() << ": language name ID " << id;
  }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, LanguageCatalogue, ::testing::Range(0, kLanguageCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(LanguageModuleName(LanguageAtIndex(info.param)));
                         });

}  // namespace
}  // namespace kelvane
