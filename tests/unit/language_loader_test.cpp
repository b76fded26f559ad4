// Loading, reading and unloading language modules: the modules built next to
// the test programs (bin/res) and the loader test module (lang-test/res, with
// texts around the 1023-character cut and a file that is no library).
#include "language/LanguageModule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "language/LanguageTable.h"
#include "language/StringIds.h"

namespace kelvane {
namespace {

class LanguageLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    SetModuleFolder("");
    state().languageId = 1033;
    state().restartWizard = false;
  }
  void TearDown() override {
    UnloadLanguageModule(state());
    SetModuleFolder("");
    state().languageId = 1033;
  }
  static WizardState& state() { return WizardState::Instance(); }
  static std::u16string Text(std::uint32_t id) {
    std::u16string text = u"stale";
    LoadText(id, text);
    return text;
  }
};

TEST_F(LanguageLoader, ModulePathIsNextToTheExecutable) {
  std::string folder;
  ASSERT_TRUE(ExecutableFolder(folder));
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  struct Case {
    std::uint32_t languageId;
    const char* file;
  };
  const Case cases[] = {{1046, "res/LNG_BrazilPT.so"}, {1028, "res/LNG_ChineseTrad.so"},
                        {2052, "res/LNG_English.so"},  {0, "res/LNG_English.so"},
                        {3082, "res/LNG_Spanish.so"}};
  for (const Case& c : cases) EXPECT_EQ(LanguageModulePath(c.languageId), folder + c.file);

  SetModuleFolder("/some/where");
  EXPECT_EQ(LanguageModulePath(1049), "/some/where/res/LNG_Russian.so");
}

TEST_F(LanguageLoader, PresentModuleLoadsAndGivesItsTexts) {
  state().restartWizard = true;
  void* handle = LoadLanguageModule(state());
  ASSERT_NE(handle, nullptr) << LanguageModulePath(1033);
  EXPECT_EQ(state().languageModule, handle);
  EXPECT_FALSE(state().restartWizard);
  EXPECT_EQ(Text(kIdBack), u"Back");
  EXPECT_EQ(Text(kIdNext), u"Next");
  EXPECT_EQ(Text(kIdProductTitle), u"LMQ-5812 Easy Setup");
  EXPECT_EQ(Text(kIdYesButton), u"&Yes");
}

TEST_F(LanguageLoader, MissingIdOrNoModuleGivesEmptyAndFalse) {
  std::u16string text = u"stale";
  EXPECT_FALSE(LoadText(kIdBack, text));  // nothing loaded yet
  EXPECT_TRUE(text.empty());

  ASSERT_NE(LoadLanguageModule(state()), nullptr);
  for (std::uint32_t id : {0u, 1u, 29999u, 30017u, 65535u, 65536u + kIdBack, 0xFFFFFFFFu}) {
    text = u"stale";
    EXPECT_FALSE(LoadText(id, text)) << id;
    EXPECT_TRUE(text.empty()) << id;
  }
  UnloadLanguageModule(state());
  EXPECT_EQ(state().languageModule, nullptr);
  text = u"stale";
  EXPECT_FALSE(LoadText(kIdBack, text));
  EXPECT_TRUE(text.empty());
  UnloadLanguageModule(state());  // twice is harmless
}

TEST_F(LanguageLoader, MissingOrBrokenFileFailsWithoutFallBack) {
  // The test folder holds an English module only, and a Greek "module" that
  // is no library: neither Danish nor Greek may fall back to English.
  SetModuleFolder(KELVANE_LANG_TEST_DIR);
  for (std::uint32_t languageId : {1030u, 1032u}) {
    state().languageId = languageId;
    state().restartWizard = true;
    EXPECT_EQ(LoadLanguageModule(state()), nullptr) << languageId;
    EXPECT_EQ(state().languageModule, nullptr);
    EXPECT_FALSE(state().restartWizard);
    std::u16string text = u"stale";
    EXPECT_FALSE(LoadText(30004, text));
    EXPECT_TRUE(text.empty());
  }
  SetModuleFolder("/nonexistent-kelvane-folder");
  state().languageId = 1033;
  EXPECT_EQ(LoadLanguageModule(state()), nullptr);
}

TEST_F(LanguageLoader, UnlistedLanguageLoadsEnglish) {
  state().languageId = 2052;
  ASSERT_NE(LoadLanguageModule(state()), nullptr);
  EXPECT_EQ(state().languageId, 2052u);  // the loader does not change the choice
  EXPECT_EQ(Text(kIdBack), u"Back");
}

TEST_F(LanguageLoader, LongTextsAreCutAt1023Units) {
  SetModuleFolder(KELVANE_LANG_TEST_DIR);
  ASSERT_NE(LoadLanguageModule(state()), nullptr);

  std::u16string text;
  ASSERT_TRUE(LoadText(30001, text));  // 1500 characters in the table
  ASSERT_EQ(text.size(), 1023u);
  std::u16string expected;
  while (expected.size() < 1023) expected += u"0123456789";
  expected.resize(1023);
  EXPECT_EQ(text, expected);

  // A surrogate pair at units 1023-1024 is not cut in half.
  ASSERT_TRUE(LoadText(30002, text));
  EXPECT_EQ(text, std::u16string(1022, u'a'));

  ASSERT_TRUE(LoadText(30003, text));  // exactly at the limit: whole
  EXPECT_EQ(text, std::u16string(1023, u'b'));

  ASSERT_TRUE(LoadText(30004, text));  // escapes of the table file
  EXPECT_EQ(text, u"Test module\nsecond line");

  std::vector<std::uint32_t> ids;
  ASSERT_TRUE(ListTextIds(ids));
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{30001, 30002, 30003, 30004}));
}

TEST_F(LanguageLoader, UnloadThenLoadAnotherGivesTheOthersTexts) {
  ASSERT_NE(LoadLanguageModule(state()), nullptr);
  EXPECT_EQ(Text(kIdBack), u"Back");
  UnloadLanguageModule(state());

  SetModuleFolder(KELVANE_LANG_TEST_DIR);
  ASSERT_NE(LoadLanguageModule(state()), nullptr);
  EXPECT_EQ(Text(kIdBack).substr(0, 10), u"0123456789");
  EXPECT_EQ(Text(kIdNext).size(), 1022u);
  UnloadLanguageModule(state());

  SetModuleFolder("");
  state().languageId = 1028;
  ASSERT_NE(LoadLanguageModule(state()), nullptr) << LanguageModulePath(1028);
  EXPECT_EQ(Text(kIdNext), u"下一步");

  // Loading again without an unload replaces the module instead of leaking it.
  state().languageId = 1033;
  ASSERT_NE(LoadLanguageModule(state()), nullptr);
  EXPECT_EQ(Text(kIdNext), u"Next");
}

}  // namespace
}  // namespace kelvane
