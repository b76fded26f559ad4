// The wireless key rule shared by both wireless pages, with its boundaries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "steps/kit/WirelessKey.h"
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
  EXPECT_FALSE(IsValidSsid(""));
  EXPECT_TRUE(IsValidSsid("a"));
  EXPECT_TRUE(IsValidSsid(std::string(32, 's')));
  EXPECT_FALSE(IsValidSsid(std::string(33, 's')));
  EXPECT_FALSE(IsValidSsid("bad\x7f"));
}

}  // namespace
}  // namespace kelvane
