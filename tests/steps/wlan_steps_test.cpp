// The easy wireless page's load from the emulated router and its checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "steps/easy/WirelessLoadStep.h"
#include "support/EmulatedRouter.h"

namespace kelvane {
namespace {

const std::vector<std::string> kListTexts = {"Not used", "WEP", "WPA-PSK", "WPA2-PSK", "WPA-PSK / WPA2-PSK"};

TEST(WirelessLoad, SecurityFromTheRoutersText) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"NONE", 0}, {"none", 0}, {"WEP", 1}, {"wep 64", 1}, {"WPA-PSK", 2}, {"wpa2-psk", 3},
      {"WPA-PSK / WPA2-PSK", 4}, {"WPA2", 3}, {"Not", 0}, {"TKIP", -1}, {"", -1},
  };
  for (const auto& [text, index] : cases) EXPECT_EQ(SecurityIndexFromText(text, kListTexts), index) << text;
  EXPECT_EQ(kSecurityListModes, (std::array<std::int32_t, 5>{0, 1, 2, 8, 9}));
}

struct LoadCase {
  const char* name;
  std::string mask;
  std::string channel;
  std::string securityCode;
  std::vector<std::string> channels;
  int channelIndex;
  int securityIndex;
  std::string storedChannel;
};

TEST(WirelessLoad, FromTheRouter) {
  const std::vector<LoadCase> cases = {
      {"channel 0 is Auto", "07FF", "0", "0", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}, 0, 0, "11"},
      {"channel 6, WPA2", "07FF", "6", "8", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}, 6, 3, "6"},
      {"region mask 1-13, mixed", "1FFF", "13", "5",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13"}, 13, 4, "13"},
      {"sparse mask, WEP", "0015", "3", "1", {"1", "3", "5"}, 2, 1, "3"},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::EmulatedRouter router;
    ASSERT_TRUE(router.ok()) << router.why();
    router.Sim().WithState([&](routersim::RouterSimState& s) {
      s.channelMask = c.mask;
      s.channel = c.channel;
      s.securityCode = c.securityCode;
      s.ssid = "HomeNet";
      s.wepKey = "0123456789";
      s.psk = "pass phrase%1";
    });
    WizardState state;
    ResetRouterDefaults(state);
    router.Found(state);
    const WirelessForm form = LoadWirelessForm(state, kListTexts);
    EXPECT_TRUE(form.loaded);
    EXPECT_EQ(form.channels, c.channels);
    EXPECT_EQ(form.channelIndex, c.channelIndex);
    EXPECT_EQ(form.securityIndex, c.securityIndex);
    EXPECT_EQ(state.WirelessSettings.ssid, "HomeNet");
    EXPECT_EQ(state.WirelessSettings.channel.view(), c.storedChannel);
    EXPECT_EQ(state.WirelessSettings.securityMode, kSecurityListModes[static_cast<std::size_t>(c.securityIndex)]);
    if (c.securityCode == "1") {
      EXPECT_EQ(state.WirelessSettings.key, "0123456789");
    } else if (c.securityCode != "0") {
      EXPECT_EQ(state.WirelessSettings.key, "pass phrase%1");  // decoded as read
    }
  }
}

TEST(WirelessLoad, RouterUnreadablePreselectsChannel11) {
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  WizardState state;
  ResetRouterDefaults(state);
  router.Found(state);
  router.Sim().Stop();
  state.WirelessSettings.ssid = "Old";
  const WirelessForm form = LoadWirelessForm(state, kListTexts);
  EXPECT_FALSE(form.loaded);
  EXPECT_EQ(form.channels, (std::vector<std::string>{"11"}));
  EXPECT_EQ(form.channelIndex, 1);
  EXPECT_EQ(form.securityIndex, 0);
  EXPECT_EQ(state.WirelessSettings.ssid, kModelString);
  EXPECT_EQ(state.WirelessSettings.securityMode, kSecurityNone);
}

TEST(WirelessLoad, StoreChecksSsidAndKey) {
  struct Case {
    const char* name;
    std::int32_t mode;
    std::string ssid;
    std::string key;
    bool ssidOk, keyOk;
    std::uint8_t keyIsText;
    std::int32_t wepLength;
  };
  const std::vector<Case> cases = {
      {"none ignores the key", 0, "Home", "x", true, true, 1, 0},
      {"wep hex 64", 1, "Home", "abcdef0123", true, true, 0, 101},
      {"wep 10 not hex", 1, "Home", "abcdefghij", true, false, 1, 0},
      {"wep text 128", 1, "Home", "abcdefghijklm", true, true, 1, 102},
      {"wpa 7", 2, "Home", "1234567", true, false, 1, 0},
      {"wpa2 64 hex", 8, "Home", std::string(64, 'a'), true, true, 0, 0},
      {"empty ssid", 9, "", "12345678", false, true, 1, 0},
      {"ssid of 33", 9, std::string(33, 's'), "12345678", false, true, 1, 0},
      {"both wrong", 1, "", "abc", false, false, 1, 0},
  };
  const std::vector<std::string> channels = {"1", "6", "11"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WizardState state;
    ResetRouterDefaults(state);
    state.WirelessSettings.securityMode = c.mode;
    state.WirelessSettings.key = "kept";
    const WirelessVerdict v = StoreWirelessForm(state, c.ssid, c.key, 2, channels);
    EXPECT_EQ(v.ssidOk, c.ssidOk);
    EXPECT_EQ(v.keyOk, c.keyOk);
    EXPECT_EQ(state.WirelessSettings.keyIsText, c.keyIsText);
    EXPECT_EQ(state.WirelessSettings.wepKeyLength, c.wepLength);
    EXPECT_EQ(state.WirelessSettings.key, c.mode == 0 ? std::string("kept") : c.key.substr(0, 128));
    EXPECT_EQ(state.WirelessSettings.channel, "6");
  }
  WizardState state;
  StoreWirelessForm(state, "Home", "", 0, channels);
  EXPECT_EQ(state.WirelessSettings.channel, "Auto");
}

}  // namespace
}  // namespace kelvane
