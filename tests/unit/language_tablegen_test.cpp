// The string table tool refuses every malformed table with a message naming
// the line, so that a broken strings.txt stops the build.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class TableTool : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvane-langgen-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::remove((dir_ + "/strings.txt").c_str());
    std::remove((dir_ + "/out.cpp").c_str());
    std::remove((dir_ + "/err.txt").c_str());
    rmdir(dir_.c_str());
  }

  // Runs the tool on `content`; answers its exit status, stderr in `errors`.
  int Run(const std::string& content, std::string& errors) {
    {
      std::ofstream in(dir_ + "/strings.txt", std::ios::binary | std::ios::trunc);
      in << content;
    }
    std::remove((dir_ + "/out.cpp").c_str());
    const std::string command = std::string("'") + KELVANE_LANGGEN + "' '" + dir_ + "/strings.txt' '" + dir_ +
                                "/out.cpp' 2>'" + dir_ + "/err.txt'";
    const int status = std::system(command.c_str());
    std::ifstream err(dir_ + "/err.txt");
    std::ostringstream text;
    text << err.rdbuf();
    errors = text.str();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  bool OutputExists() const { return std::ifstream(dir_ + "/out.cpp").good(); }

  std::string dir_;
};

TEST_F(TableTool, RefusesMalformedTables) {
  struct Case {
    const char* what;
    std::string content;
    const char* where;    // "strings.txt:<line>:"
    const char* message;  // part of the message
  };
  const Case cases[] = {
      {"no tab", "30001\tBack\n30002 Next\n", "strings.txt:2:", "no TAB"},
      {"letters in the ID", "3000x\tBack\n", "strings.txt:1:", "not a decimal number"},
      {"empty ID", "\tBack\n", "strings.txt:1:", "not a decimal number"},
      {"ID zero", "0\tBack\n", "strings.txt:1:", "outside 1-65535"},
      {"ID too large", "65536\tBack\n", "strings.txt:1:", "outside 1-65535"},
      {"duplicate ID", "# c\n30001\tBack\n\n30001\tAgain\n", "strings.txt:4:", "duplicate ID 30001 (first defined on line 2)"},
      {"truncated UTF-8", "30001\tB\xC3\n", "strings.txt:1:", "invalid UTF-8"},
      {"overlong UTF-8", "30001\t\xC0\xAF\n", "strings.txt:1:", "invalid UTF-8"},
      {"surrogate in UTF-8", "30001\t\xED\xA0\x80\n", "strings.txt:1:", "invalid UTF-8"},
      {"bad UTF-8 in a comment", "# \xFF\n30001\tBack\n", "strings.txt:1:", "invalid UTF-8"},
      {"byte-order mark", "\xEF\xBB\xBF" "30001\tBack\n", "strings.txt:1:", "byte-order mark"},
      {"unknown escape", "30001\tBa\\ck\n", "strings.txt:1:", "unknown escape"},
      {"lone backslash", "30001\tBack\\\n", "strings.txt:1:", "lone backslash"},
      {"raw tab in text", "30001\tBa\tck\n", "strings.txt:1:", "control character U+0009"},
      {"empty text", "30001\t\n", "strings.txt:1:", "empty"},
      {"no entries", "# only a comment\n", "strings.txt:1:", "no entries"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string errors;
    EXPECT_EQ(Run(c.content, errors), 1);
    EXPECT_NE(errors.find(c.where), std::string::npos) << errors;
    EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
    EXPECT_FALSE(OutputExists());
  }
}

TEST_F(TableTool, AcceptsCommentsBlankLinesCrLfAndEscapes) {
  std::string errors;
  ASSERT_EQ(Run("# heading\r\n\r\n30002\tNext\r\n30001\tA\\nB\\tC\\\\D \xE4\xB8\x8B\r\n   \n", errors), 0)
      << errors;
  std::ifstream out(dir_ + "/out.cpp");
  std::ostringstream text;
  text << out.rdbuf();
  const std::string source = text.str();
  // Sorted by ID, lengths in UTF-16 units: "A\nB\tC\\D 下" is 9 units.
  EXPECT_NE(source.find("{30001, 0, 0, 9}"), std::string::npos) << source;
  EXPECT_NE(source.find("{30002, 0, 10, 4}"), std::string::npos) << source;
  EXPECT_LT(source.find("{30001"), source.find("{30002"));
  EXPECT_NE(source.find("0x41, 0xa, 0x42, 0x9, 0x43, 0x5c, 0x44, 0x20, 0x4e0b, 0,"), std::string::npos) << source;
}

// --localize: the menu entry and the AppStream entry in every language. The
// first catalogue gives the plain line, each further one a tagged line;
// text is escaped for its file; a text missing in one language stops it.
TEST_F(TableTool, LocalizesTemplates) {
  std::string errors;
  ASSERT_EQ(Run("30008\tR&D <Setup>\n30790\tLine\\nnext\n", errors), 0) << errors;  // writes strings.txt
  {
    std::ofstream de(dir_ + "/de.txt", std::ios::binary | std::ios::trunc);
    de << "30008\tEinrichtung \xC3\xBC\n";
  }
  const struct {
    std::string line;
    int status;
    std::string out;
  } cases[] = {
      {"Name=@30008@", 0, "Name=R&D <Setup>\nName[de]=Einrichtung \xC3\xBC\n"},
      {"  <name>@30008@</name>", 0,
       "  <name>R&amp;D &lt;Setup&gt;</name>\n  <name xml:lang=\"de\">Einrichtung \xC3\xBC</name>\n"},
      {"# @ID@ and a@b stay", 0, "# @ID@ and a@b stay\n"},
      {"Comment=@30790@", 1, ""},  // German has no 30790
      {"see @30008@ here", 1, ""},
  };
  for (const auto& c : cases) {
    {
      std::ofstream t(dir_ + "/t.in", std::ios::binary | std::ios::trunc);
      t << c.line << "\n";
    }
    std::remove((dir_ + "/t.out").c_str());
    const std::string command = std::string("'") + KELVANE_LANGGEN + "' --localize '" + dir_ + "/t.in' '" + dir_ +
                                "/t.out' en='" + dir_ + "/strings.txt' de='" + dir_ + "/de.txt' 2>/dev/null";
    const int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status) << c.line;
    std::ifstream out(dir_ + "/t.out");
    std::ostringstream text;
    text << out.rdbuf();
    EXPECT_EQ(text.str(), c.out) << c.line;
  }
  for (const char* name : {"/t.in", "/t.out", "/de.txt"}) std::remove((dir_ + name).c_str());
}

}  // namespace
