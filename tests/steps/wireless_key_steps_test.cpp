// The wireless key rule shared by both wireless pages, with its boundaries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "router/Fields.h"
#include "steps/kit/WirelessKey.h"
#include "steps/kit/WirelessKeyRule.h"
#include "state/WizardState.h"

namespace kelvane {
namespace {

struct KeyCase {
  const char* name;
  std::int32_t mode;
  std::string key;
  bool valid;
  std::uint8_t keyIsText;
  std::int32_t wepKeyLength;
};

TEST(WirelessKey, RulesAndBoundaries) {
  const std::vector<KeyCase> cases = {
      {"wep 10 hex", 1, "0123456789", true, 0, 101},
      {"wep 10 hex upper", 1, "ABCDEF0123", true, 0, 101},
      {"wep 10 with a letter beyond f", 1, "012345678g", false, 1, 0},
      {"wep 5 characters", 1, "ab cd", true, 1, 101},
      {"wep 26 hex", 1, std::string(26, 'a'), true, 0, 102},
      {"wep 13 characters", 1, "thirteen-char", true, 1, 102},
      {"wep 4 characters", 1, "abcd", false, 1, 0},
      {"wep 6 characters", 1, "abcdef", false, 1, 0},
      {"wep 12 characters", 1, std::string(12, 'z'), false, 1, 0},
      {"wep 14 characters", 1, std::string(14, 'z'), false, 1, 0},
      {"wep 25 hex", 1, std::string(25, 'a'), false, 1, 0},
      {"wep 27 hex", 1, std::string(27, 'a'), false, 1, 0},
      {"wep empty", 1, "", false, 1, 0},
      {"wep 5 with a control character", 1, "ab\tcd", false, 1, 0},
      {"wpa 7 characters", 2, "1234567", false, 1, 0},
      {"wpa 8 characters", 2, "12345678", true, 1, 0},
      {"wpa 63 characters", 2, std::string(63, 'k'), true, 1, 0},
      {"wpa 64 hex", 2, std::string(64, 'F'), true, 0, 0},
      {"wpa 64 not hex", 2, std::string(63, 'F') + "g", false, 1, 0},
      {"wpa 65 hex", 2, std::string(65, 'F'), false, 1, 0},
      {"wpa2 8 characters", 8, "abcdefgh", true, 1, 0},
      {"mixed 63", 9, std::string(63, '~'), true, 1, 0},
      {"mixed (advanced code) 64 hex", 5, std::string(64, '0'), true, 0, 0},
      {"wpa with a byte above 0x7e", 2, "abcdefg\xe9", false, 1, 0},
      {"none takes anything", 0, "\x01", true, 1, 0},
      {"none takes nothing", 0, "", true, 1, 0},
      {"unknown mode takes nothing", 3, "12345678", false, 1, 0},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    const WirelessKeyVerdict v = ClassifyWirelessKey(c.mode, c.key);
    EXPECT_EQ(v.valid, c.valid);
    EXPECT_EQ(v.keyIsText, c.keyIsText);
    EXPECT_EQ(v.wepKeyLength, c.wepKeyLength);
  }
}

TEST(WirelessKey, SsidLength) {
  // One rule for the pages and the command line: bytes of UTF-8, as the router
  // and phones count them, and what a refusal says.
  const struct {
    std::string ssid;
    bool valid;
    StringId problem;
  } cases[] = {
      {"", false, kIdSsidEmpty},
      {"a", true, 0},
      {std::string(32, 's'), true, 0},
      {std::string(33, 's'), false, kIdSsidTooLong},
      {"bad\x7f", false, kIdSsidBadCharacter},
      {"Caf\xc3\xa9 Home", true, 0},
      {"\xe2\x98\x95 \xf0\x9f\x93\xb6", true, 0},  // symbols and emoji
      {std::string(16, '\xc3'), false, kIdSsidBadCharacter},  // cut sequences
      {"\xc3", false, kIdSsidBadCharacter},
      {"Caf\xe9", false, kIdSsidBadCharacter},  // Latin-1, not UTF-8
      {"tab\there", false, kIdSsidBadCharacter},
      {"c1\xc2\x85", false, kIdSsidBadCharacter},
      {std::string(24, 'x') + "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", true, 0},  // 32 bytes, 28 characters
      {std::string(30, 'x') + "\xc3\xa9\xc3\xa9", false, kIdSsidTooLong},  // 32 characters, 34 bytes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ssid);
    EXPECT_EQ(IsValidSsid(c.ssid), c.valid);
    EXPECT_EQ(SsidProblemText(c.ssid), c.problem);
  }
}

}  // namespace
}  // namespace kelvane
