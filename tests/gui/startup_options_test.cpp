// The command line: our options, their values, and what is left for the
// toolkit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/StartupOptions.h"
#include "state/InternetTargets.h"

namespace kelvane {
namespace {

struct ParseCase {
  std::vector<const char*> args;  // without argv[0]
  bool ok;
  std::string publicHost, publicDns, testSite;
  bool help, version, verbose;
  std::vector<std::string> toolkit;  // without argv[0]
  std::string errorPart;
};

bool Parse(const ParseCase& c, StartupOptions& options, std::string& error) {
  std::vector<const char*> argv = {"kelvane"};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  return ParseStartupOptions(static_cast<int>(argv.size()), argv.data(), options, error);
}

TEST(StartupOptionsParse, Table) {
  const std::vector<ParseCase> cases = {
      {{}, true, "", "", "", false, false, false, {}, ""},
      {{"--help"}, true, "", "", "", true, false, false, {}, ""},
      {{"--version", "--verbose"}, true, "", "", "", false, true, true, {}, ""},
      {{"--public-host", "203.0.113.10", "--public-dns=198.51.100.53", "--test-site", "www.example.test"},
       true, "203.0.113.10", "198.51.100.53", "www.example.test", false, false, false, {}, ""},
      {{"--test-site=203.0.113.80"}, true, "", "", "203.0.113.80", false, false, false, {}, ""},
      // The toolkit's own options pass through, with their values.
      {{"-platform", "offscreen", "--verbose", "-style", "fusion"},
       true, "", "", "", false, false, true, {"-platform", "offscreen", "-style", "fusion"}, ""},
      // After "--" nothing is ours.
      {{"--", "--help"}, true, "", "", "", false, false, false, {"--help"}, ""},
      {{"--bogus"}, false, "", "", "", false, false, false, {}, "unknown option --bogus"},
      {{"--public-host"}, false, "", "", "", false, false, false, {}, "needs a value"},
      {{"--public-host", "203.0.113"}, false, "", "", "", false, false, false, {}, "dotted IPv4"},
      {{"--public-dns=256.1.1.1"}, false, "", "", "", false, false, false, {}, "dotted IPv4"},
      {{"--public-dns="}, false, "", "", "", false, false, false, {}, "dotted IPv4"},
      {{"--test-site", "bad name"}, false, "", "", "", false, false, false, {}, "host name"},
      {{"--test-site", "-lead.example"}, false, "", "", "", false, false, false, {}, "host name"},
      {{"--test-site", "a..b"}, false, "", "", "", false, false, false, {}, "host name"},
  };
  for (const ParseCase& c : cases) {
    std::string label;
    for (const char* a : c.args) label += std::string(a) + " ";
    StartupOptions options;
    std::string error;
    ASSERT_EQ(Parse(c, options, error), c.ok) << label << " error: " << error;
    if (!c.ok) {
      EXPECT_NE(error.find(c.errorPart), std::string::npos) << label << " error: " << error;
      continue;
    }
    EXPECT_EQ(options.publicHost, c.publicHost) << label;
    EXPECT_EQ(options.publicDns, c.publicDns) << label;
    EXPECT_EQ(options.testSite, c.testSite) << label;
    EXPECT_EQ(options.help, c.help) << label;
    EXPECT_EQ(options.version, c.version) << label;
    EXPECT_EQ(options.verbose, c.verbose) << label;
    ASSERT_FALSE(options.toolkitArgs.empty());
    EXPECT_EQ(options.toolkitArgs.front(), "kelvane");
    EXPECT_EQ(std::vector<std::string>(options.toolkitArgs.begin() + 1, options.toolkitArgs.end()), c.toolkit)
        << label;
  }
}

TEST(StartupOptionsParse, TargetsReachTheSharedSettingsOnlyWhenGiven) {
  InternetTargets& targets = InternetTargets::Instance();
  targets = InternetTargets{};
  StartupOptions options;
  std::string error;
  const char* argv[] = {"kelvane", "--public-dns", "198.51.100.53"};
  ASSERT_TRUE(ParseStartupOptions(3, argv, options, error)) << error;
  ApplyInternetTargets(options);
  EXPECT_EQ(targets.publicDns, "198.51.100.53");
  EXPECT_EQ(targets.publicHost, kDefaultPublicHost);
  EXPECT_EQ(targets.testSite, kDefaultTestSite);
  targets = InternetTargets{};
}

}  // namespace
}  // namespace kelvane
