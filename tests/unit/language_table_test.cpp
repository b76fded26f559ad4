// The language table, the start-up language from the locale, and the welcome
// page's selector logic.
#include "language/LanguageTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "language/LanguageModule.h"
#include "language/LanguageSelector.h"
#include "language/StringIds.h"

namespace kelvane {
namespace {

TEST(LanguageTable, RowsIndexesAndModuleNames) {
  struct Row {
    int index;
    std::uint32_t languageId;
    const char* module;
  };
  const Row rows[] = {
      {0, 1028, "ChineseTrad"}, {1, 1030, "Danish"},   {2, 1043, "Dutch"},     {3, 1033, "English"},
      {4, 1036, "French"},      {5, 1031, "German"},   {6, 1032, "Greek"},     {7, 1040, "Italian"},
      {8, 1042, "Korean"},      {9, 1046, "BrazilPT"}, {10, 1049, "Russian"},  {11, 1060, "Slovenian"},
      {12, 3082, "Spanish"},    {13, 1053, "Swedish"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.module);
    EXPECT_EQ(LanguageAtIndex(row.index), row.languageId);
    EXPECT_EQ(LanguageIndex(row.languageId), row.index);
    EXPECT_STREQ(LanguageModuleName(row.languageId), row.module);
    EXPECT_TRUE(IsListedLanguage(row.languageId));
  }
  EXPECT_EQ(LanguageTable().size(), 15u);
  EXPECT_EQ(LanguageTable()[14], 0u);
}

TEST(LanguageTable, EdgesOfIndexAndLookup) {
  EXPECT_EQ(LanguageAtIndex(14), 0u);  // the end mark
  EXPECT_EQ(LanguageAtIndex(15), 1033u);
  EXPECT_EQ(LanguageAtIndex(-1), 1033u);
  EXPECT_EQ(LanguageIndex(2052), 0);  // absent: row 0
  EXPECT_EQ(LanguageIndex(0), 14);
  EXPECT_FALSE(IsListedLanguage(0));
  EXPECT_FALSE(IsListedLanguage(2052));
  EXPECT_STREQ(LanguageModuleName(2052), "English");
  EXPECT_STREQ(LanguageModuleName(0), "English");
  EXPECT_STREQ(LanguageModuleName(2070), "English");
}

TEST(LanguageTable, SelectorTextIds) {
  const std::uint32_t expected[] = {30696, 30690, 30689, 0,     30687, 30686, 30692,
                                    30691, 30697, 30693, 30698, 30695, 30688, 30694};
  for (int i = 0; i < kLanguageCount; ++i) EXPECT_EQ(LanguageSelectorTextId(i), expected[i]) << "row " << i;
  EXPECT_EQ(LanguageSelectorTextId(14), 0u);
  EXPECT_EQ(LanguageSelectorTextId(-1), 0u);
}

TEST(LanguageIdFromLocale, MapsLocaleNames) {
  struct Case {
    const char* locale;
    std::uint32_t languageId;
  };
  const Case cases[] = {
      {"zh_TW", 1028},       {"zh_TW.UTF-8", 1028}, {"zh_HK.UTF-8", 1028}, {"zh_MO", 1028},
      {"zh_CN.UTF-8", 2052}, {"zh_SG", 2052},       {"zh", 2052},          {"en", 1033},
      {"en_US.UTF-8", 1033}, {"en_GB", 1033},       {"C", 1033},           {"POSIX", 1033},
      {"C.UTF-8", 1033},     {"pt_BR", 1046},       {"pt_BR.UTF-8", 1046}, {"pt", 2070},
      {"pt_PT.UTF-8", 2070}, {"de", 1031},          {"de_AT.UTF-8", 1031}, {"de_CH", 1031},
      {"es", 3082},          {"es_ES.UTF-8", 3082}, {"es_MX", 3082},       {"fr_CA.UTF-8", 1036},
      {"da_DK", 1030},       {"nl_BE", 1043},       {"el_GR.UTF-8", 1032}, {"it_IT@euro", 1040},
      {"ko_KR.eucKR", 1042}, {"ru_RU.KOI8-R", 1049}, {"sl_SI", 1060},      {"sv_FI", 1053},
      {"ja_JP.UTF-8", 1041}, {"fi_FI", 1035},       {"xx_YY", 0},          {"DE_de", 1031},
  };
  for (const Case& c : cases) EXPECT_EQ(LanguageIdFromLocale(c.locale), c.languageId) << c.locale;
}

// Sets the three locale variables for one test and restores them afterwards.
class LocaleEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  void TearDown() override {
    for (std::size_t i = 0; i < 3; ++i) {
      if (saved_[i]) {
        setenv(kNames[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kNames[i]);
      }
    }
  }
  static void Set(const char* lcAll, const char* lcMessages, const char* lang) {
    const char* values[] = {lcAll, lcMessages, lang};
    for (std::size_t i = 0; i < 3; ++i) {
      if (values[i]) {
        setenv(kNames[i], values[i], 1);
      } else {
        unsetenv(kNames[i]);
      }
    }
  }
  static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::vector<std::optional<std::string>> saved_;
};

TEST_F(LocaleEnvironment, ChooseStartupLanguageTakesTheFirstNonEmptyVariable) {
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {"de_DE.UTF-8", "fr_FR", "ru_RU", 1031},
      {"", "fr_FR.UTF-8", "ru_RU", 1036},
      {nullptr, nullptr, "ru_RU.UTF-8", 1049},
      {"", "", "el_GR", 1032},
      {nullptr, nullptr, nullptr, 1033},
      {nullptr, nullptr, "zh_CN.UTF-8", 1033},  // unlisted: English
      {nullptr, nullptr, "pt_PT.UTF-8", 1033},  // only Brazilian Portuguese has a module
      {nullptr, nullptr, "pt_BR.UTF-8", 1046},
      {nullptr, nullptr, "zh_TW.UTF-8", 1028},
      {"C", "de_DE", "de_DE", 1033},            // LC_ALL wins even when it is "C"
      {nullptr, nullptr, "xx_YY", 1033},
  };
  for (const Case& c : cases) {
    Set(c.lcAll, c.lcMessages, c.lang);
    WizardState state;
    state.languageId = 4242;
    EXPECT_EQ(ChooseStartupLanguage(state), c.expected) << (c.lang ? c.lang : "(unset)");
    EXPECT_EQ(state.languageId, c.expected);
  }
}

TEST(LanguageSelector, FillsFourteenNamesAndSelectsTheCurrentLanguage) {
  WizardState& state = WizardState::Instance();
  SetModuleFolder("");
  state.languageId = 1046;  // Brazilian Portuguese, shown with the English module's names
  const std::uint32_t wanted = state.languageId;
  state.languageId = 1033;
  ASSERT_NE(LoadLanguageModule(state), nullptr) << LanguageModulePath(1033);
  state.languageId = wanted;

  std::vector<std::u16string> items = {u"stale"};
  int selected = -2;
  FillLanguageSelector(items, selected, state);
  ASSERT_EQ(items.size(), 14u);
  EXPECT_EQ(selected, 9);
  EXPECT_EQ(items[3], u"English");
  for (int row = 0; row < kLanguageCount; ++row) {
    if (row == kLanguageEnglishIndex) continue;
    std::u16string expected;
    ASSERT_TRUE(LoadText(state, LanguageSelectorTextId(row), expected));
    EXPECT_EQ(items[static_cast<std::size_t>(row)], expected) << "row " << row;
    EXPECT_FALSE(expected.empty());
  }

  state.languageId = 2052;  // not listed: nothing to show
  FillLanguageSelector(items, selected, state);
  EXPECT_TRUE(items.empty());
  EXPECT_EQ(selected, -1);
  UnloadLanguageModule(state);
  state.languageId = 1033;
}

TEST(LanguageSelector, ChangeOnlyForAnotherLanguage) {
  struct Case {
    std::uint32_t current;
    int selected;
    bool change;
    std::uint32_t after;
  };
  const Case cases[] = {
      {1033, 3, false, 1033},  // the active entry: no rebuild
      {1033, 6, true, 1032},   // Greek
      {1032, 6, false, 1032},
      {1028, -1, true, 1033},  // no selection means English
      {1033, -1, false, 1033},
      {1033, 14, false, 1033},  // the end mark is no language
      {1049, 9, true, 1046},
  };
  for (const Case& c : cases) {
    WizardState state;
    state.languageId = c.current;
    state.restartWizard = false;
    EXPECT_EQ(DecideLanguageChange(c.selected, state), c.change) << c.current << " row " << c.selected;
    EXPECT_EQ(state.restartWizard, c.change);
    EXPECT_EQ(state.languageId, c.after);
  }
}

}  // namespace
}  // namespace kelvane
