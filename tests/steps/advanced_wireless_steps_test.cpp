// The router sheet's wireless page without its window, in every page layout
// of the emulator: the security codes with their cipher and list position,
// the key read by mode, a failed read, and the store with the key rules.
#include <gtest/gtest.h>

#include <string>

#include "steps/advanced/AdvancedWirelessStep.h"
#include "support/EmulatedRouter.h"
#include "support/RouterSettingsCheck.h"

namespace kelvane {
namespace {

class AdvancedWireless : public ::testing::TestWithParam<routersim::PageLayout> {
 protected:
  void SetUp() override {
    router_ = test::RouterInLayout(GetParam(), state_);
    ASSERT_TRUE(router_->ok()) << router_->why();
    ASSERT_EQ(state_.routerAddress.view(), router_->Address());
  }
  void Router(const std::function<void(routersim::RouterSimState&)>& f) { router_->Sim().WithState(f); }
  std::unique_ptr<test::EmulatedRouter> router_;
  WizardState state_;
};

TEST_P(AdvancedWireless, SecurityCodesGiveModeCipherPositionAndTheKeyOfTheMode) {
  struct Case {
    const char* code;
    std::int32_t mode;
    int tkip;  // -1: left as it was
    int position;
    bool keyRead;
    std::string key;
  };
  const Case cases[] = {
      {"0", kSecurityNone, -1, 0, false, ""},
      {"1", kSecurityWep, -1, 1, true, "0a1b2c3d4e"},
      {"2", kSecurityWpaPsk, 1, 2, true, "pass phrase&more"},
      {"3", kSecurityWpaPsk, 0, 2, true, "pass phrase&more"},
      {"4", kSecurityWpa2Psk, 0, 3, true, "pass phrase&more"},
      {"8", kSecurityWpa2Psk, 1, 3, true, "pass phrase&more"},
      {"5", kSecurityWpaMixed, -1, 4, true, "pass phrase&more"},  // the mixed mode's phrase is read too
      {"7", 99, -1, -1, false, ""},  // unknown: the mode is left as it was, no key
  };
  for (const Case& c : cases) {
    state_.WirelessSettings.securityMode = 99;
    Router([&](routersim::RouterSimState& s) {
      s.ssid = "Monkey key";
      s.channel = "6";
      s.securityCode = c.code;
      s.wepKey = "0a1b2c3d4e";
      s.psk = "pass phrase&more";
    });
    state_.WirelessSettings.tkipCipher = 7;  // so "left as it was" shows
    state_.WirelessSettings.key = "held";
    const AdvancedWirelessReading r = ReadAdvancedWireless(state_);
    ASSERT_TRUE(r.ok) << c.code;
    EXPECT_EQ(r.ssid, "Monkey key") << c.code;
    EXPECT_EQ(r.channel, "6") << c.code;
    EXPECT_EQ(state_.WirelessSettings.securityMode, c.mode) << c.code;
    EXPECT_EQ(state_.WirelessSettings.tkipCipher, c.tkip < 0 ? 7 : c.tkip) << c.code;
    EXPECT_EQ(r.securityPosition, c.position) << c.code;
    EXPECT_EQ(r.keyRead, c.keyRead) << c.code;
    // A key not read from this router is forgotten, never sent later.
    EXPECT_EQ(state_.WirelessSettings.key.view(), c.keyRead ? c.key : "") << c.code;
  }
}

TEST_P(AdvancedWireless, AnUnreadableRouterIsAFailedReadAndTheChannelsFallBack) {
  router_->Sim().Stop();
  const AdvancedWirelessReading r = ReadAdvancedWireless(state_);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.channelsRead);
}

TEST_P(AdvancedWireless, ChannelsComeFromTheRegionMaskAndZeroIsAutomatic) {
  Router([](routersim::RouterSimState& s) {
    s.channelMask = "0015";  // channels 1, 3 and 5
    s.channel = "0";
  });
  const AdvancedWirelessReading r = ReadAdvancedWireless(state_);
  ASSERT_TRUE(r.ok);
  ASSERT_TRUE(r.channelsRead);
  EXPECT_EQ(r.channel, "0");
  std::string allowed;
  for (int i = 0; i < 14; ++i) {
    if (r.channels[static_cast<std::size_t>(i)] == 1) allowed += std::to_string(i + 1) + " ";
  }
  EXPECT_EQ(allowed, "1 3 5 ");
}

// A mode chosen anew is sent with its key; the router then picks the cipher
// (TKIP for WPA-PSK, AES for the WPA2 modes), and tkipCipher says so.
TEST_P(AdvancedWireless, StoreChecksTheKeyByModeAndSendsOnlyWhatPasses) {
  const std::string hex10 = "0123456789", hex26(26, 'a'), hex64(64, 'F');
  struct Case {
    std::int32_t mode;
    std::string key;
    bool keyOk;
    std::uint8_t keyIsText;
    std::int32_t wepLength;
    std::uint8_t tkip;
  };
  const Case cases[] = {
      {kSecurityWep, hex10, true, 0, kWepKey64, 0},
      {kSecurityWep, "abcde", true, 1, kWepKey64, 0},
      {kSecurityWep, hex26, true, 0, kWepKey128, 0},
      {kSecurityWep, "thirteen char", true, 1, kWepKey128, 0},
      {kSecurityWep, "twelve chars", false, 1, 0, 0},
      {kSecurityWep, "012345678g", false, 1, 0, 0},
      {kSecurityWpaPsk, "seven c", false, 1, 0, 0},
      {kSecurityWpaPsk, "eight ch", true, 1, 0, 1},
      {kSecurityWpaPsk, hex64, true, 0, 0, 1},
      {kSecurityWpaPsk, std::string(63, 'x'), true, 1, 0, 1},
      {kSecurityWpaPsk, std::string(64, 'x'), false, 1, 0, 0},
      {kSecurityWpa2Psk, hex64, true, 0, 0, 0},
      {kSecurityWpaMixed, "mixed mode key", true, 1, 0, 0},
  };
  for (const Case& c : cases) {
    state_.WirelessSettings.securityMode = c.mode;
    state_.WirelessSettings.wepKeyLength = 0;
    state_.WirelessSettings.tkipCipher = 0;
    router_->Sim().ClearLog();
    const AdvancedWirelessStore s =
        StoreAdvancedWireless("Home", c.key, "Auto", AdvancedSecurityPosition(c.mode), state_);
    const std::string what = std::to_string(c.mode) + " '" + c.key + "'";
    EXPECT_TRUE(s.ssidOk) << what;
    EXPECT_EQ(s.keyOk, c.keyOk) << what;
    EXPECT_EQ(s.sent, c.keyOk) << what;
    EXPECT_EQ(s.Ok(), c.keyOk) << what;
    EXPECT_EQ(router_->Requests().empty(), !c.keyOk) << what;
    if (!c.keyOk) continue;
    EXPECT_EQ(state_.WirelessSettings.keyIsText, c.keyIsText) << what;
    EXPECT_EQ(state_.WirelessSettings.wepKeyLength, c.wepLength) << what;
    EXPECT_EQ(state_.WirelessSettings.tkipCipher, c.tkip) << what;
    EXPECT_EQ(router_->Sim().StateCopy().channel, "0") << "Auto is sent as the automatic channel";
    // What the router holds now is what a phone joins.
    const JoinableNetwork join = NetworkToJoin(s.held);
    EXPECT_TRUE(join.known) << what;
    EXPECT_EQ(join.ssid, "Home") << what;
    EXPECT_EQ(join.mode, c.mode) << what;
    EXPECT_EQ(join.key, c.key) << what;
  }
}

TEST_P(AdvancedWireless, AnSsidOutsideOneToThirtyTwoCharactersIsRefusedAndNothingSent) {
  state_.WirelessSettings.securityMode = kSecurityNone;
  for (const std::string& ssid : {std::string(), std::string(33, 's')}) {
    router_->Sim().ClearLog();
    const AdvancedWirelessStore s = StoreAdvancedWireless(ssid, "", "11", 0, state_);
    EXPECT_FALSE(s.ssidOk) << ssid.size();
    EXPECT_FALSE(s.sent);
    EXPECT_TRUE(router_->Requests().empty());
  }
  EXPECT_TRUE(StoreAdvancedWireless(std::string(32, 's'), "", "11", 0, state_).Ok());
}

// Renaming the network the way the tab does it (read, then store with what
// the page shows) changes the name and nothing else: not the channel when the
// region cannot be read, not the mixed mode's phrase, not the cipher the
// command cannot name (WPA with AES, WPA2 with TKIP), and not the security
// when the router reports a code the list does not know (nothing is sent). A
// command the router did not take is no store, whatever it answered.
TEST_P(AdvancedWireless, RenamingTheNetworkChangesTheNameAndNothingElse) {
  struct Case {
    const char* name;
    const char* code;
    const char* channel;
    bool regionUnreadable;
    bool sent;
    const char* fault = nullptr;  // on the wireless command: "ignore", "login", "junk"
    bool ok = true;               // the store succeeded (read back)
  };
  const Case cases[] = {
      {"mixed mode keeps its phrase", "5", "6", false, true},
      {"channel 6 without the region", "2", "6", true, true},
      {"channel 1 without the region (not the 11 that begins alike)", "4", "1", true, true},
      {"an unknown code sends nothing", "7", "6", false, false, nullptr, false},
      {"WPA with AES keeps AES", "3", "6", false, true},
      {"WPA2 with TKIP keeps TKIP", "8", "6", false, true},
      {"WEP keeps its key", "1", "6", false, true},
      {"no security stays none", "0", "6", false, true},
      {"a command the router quietly drops", "2", "6", false, true, "ignore", false},
      {"the login page instead of the answer", "2", "6", false, false, "login", false},
      {"junk instead of the answer", "2", "6", false, false, "junk", false},
  };
  for (const Case& c : cases) {
    Router([&](routersim::RouterSimState& s) {
      s.ssid = "Old name";
      s.channel = c.channel;
      s.securityCode = c.code;
      s.psk = "router's own phrase";
      s.wepKey = "Wep13Letters!";
      s.wepSizeCode = 130;
    });
    routersim::RouterSimFaults faults;
    if (c.regionUnreadable) faults.wrongStatus = 500, faults.match = "sysinfo";
    router_->Sim().SetFaults(faults);
    state_.WirelessSettings.key = "a stale key";
    const AdvancedWirelessReading r = ReadAdvancedWireless(state_);
    ASSERT_TRUE(r.ok) << c.name;
    const AdvancedChannelChoice channels = AdvancedChannels(r);
    const routersim::RouterSimState before = router_->Sim().StateCopy();
    const test::SettingsWatch watch(router_->Sim());
    router_->Sim().ClearLog();
    routersim::RouterSimFaults onCommand;
    onCommand.match = "cgi-bin/wlap";
    if (c.fault != nullptr) {
      const std::string fault = c.fault;
      onCommand.ignoreQuietly = fault == "ignore";
      onCommand.loginPageInstead = fault == "login";
      onCommand.junkBytes = fault == "junk" ? 4096 : 0;
      router_->Sim().SetFaults(onCommand);
    }
    const AdvancedWirelessStore s =
        StoreAdvancedWireless("New name", state_.WirelessSettings.key.str(),
                              channels.items[static_cast<std::size_t>(channels.selected)], r.securityPosition,
                              state_, &r);
    router_->Sim().SetFaults({});
    EXPECT_EQ(s.sent, c.sent) << c.name;
    EXPECT_EQ(s.Ok(), c.ok) << c.name;
    EXPECT_EQ(s.securityOk, c.code != std::string("7")) << c.name;
    EXPECT_FALSE(s.securitySent) << c.name << ": nothing of the security was changed";
    const routersim::RouterSimState after = router_->Sim().StateCopy();
    const bool renamed = c.ok;
    EXPECT_EQ(after.ssid, renamed ? "New name" : "Old name") << c.name;
    EXPECT_EQ(after.channel, before.channel) << c.name;
    EXPECT_EQ(after.securityCode, before.securityCode) << c.name;
    EXPECT_EQ(after.psk, before.psk) << c.name;
    EXPECT_EQ(watch.Unexpected(renamed ? test::RouterSettings{{"wireless.ssid", "New name"}} : test::RouterSettings{}),
              "")
        << c.name;
    EXPECT_EQ(router_->Requests().empty(), c.code == std::string("7")) << c.name;
    // A phone is offered only what the router holds after a store it took.
    EXPECT_EQ(NetworkToJoin(s.held).known, c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(NetworkToJoin(s.held).ssid, "New name") << c.name;
    }
  }
  router_->Sim().SetFaults({});
}

// From a router on each WAN type and security mode, in each login flavour,
// a rename through the tab's read and store changes the name and nothing
// else, and the router is still reachable with what the program holds.
TEST_P(AdvancedWireless, ARenameFromEveryStartingRouterChangesOnlyTheName) {
  for (std::size_t row = 0; row < test::RouterStarts().size(); ++row) {
    const test::RouterStart& start = test::RouterStarts()[row];
    WizardState state;
    ASSERT_TRUE(test::StartAndConnect(*router_, start, GetParam(), test::StartFlavour(row), state)) << start.name;
    const std::string code = router_->Sim().StateCopy().securityCode;
    const AdvancedWirelessReading r = ReadAdvancedWireless(state);
    ASSERT_TRUE(r.ok) << start.name;
    const AdvancedChannelChoice channels = AdvancedChannels(r);
    const test::SettingsWatch watch(router_->Sim());
    const AdvancedWirelessStore s =
        StoreAdvancedWireless("Renamed " + start.name.substr(0, 8), state.WirelessSettings.key.str(),
                              channels.items[static_cast<std::size_t>(channels.selected)], r.securityPosition, state,
                              &r);
    EXPECT_TRUE(s.Ok()) << start.name;
    EXPECT_EQ(watch.Unexpected({{"wireless.ssid", "Renamed " + start.name.substr(0, 8)}}), "") << start.name;
    EXPECT_EQ(router_->Sim().StateCopy().securityCode, code) << start.name << ": the cipher too";
    EXPECT_TRUE(test::StillReachable(state)) << start.name;
  }
}

// A new security mode or key goes with the command; the router's answer is
// checked against what it shows afterwards.
TEST_P(AdvancedWireless, ANewModeOrKeyIsSentAndReadBack) {
  struct Case {
    const char* name;
    const char* code;  // the router's before
    int position;      // chosen in the list
    const char* key;
    const char* codeAfter;
  };
  const Case cases[] = {
      {"WPA with AES, a new phrase", "3", 2, "a new phrase", "2"},
      {"none to WPA2", "0", 3, "a new phrase", "4"},
      {"WPA2 to WEP", "4", 1, "0a1b2c3d4e", "1"},
      {"WEP to none", "1", 0, "", "0"},
  };
  for (const Case& c : cases) {
    Router([&](routersim::RouterSimState& s) {
      s.ssid = "Home";
      s.securityCode = c.code;
      s.psk = "router's own phrase";
      s.wepKey = "Wep13Letters!";
      s.wepSizeCode = 130;
    });
    const AdvancedWirelessReading r = ReadAdvancedWireless(state_);
    ASSERT_TRUE(r.ok) << c.name;
    const AdvancedWirelessStore s = StoreAdvancedWireless("Home", c.key, "11", c.position, state_, &r);
    EXPECT_TRUE(s.securitySent) << c.name;
    EXPECT_TRUE(s.Ok()) << c.name;
    EXPECT_EQ(router_->Sim().StateCopy().securityCode, c.codeAfter) << c.name;
    EXPECT_EQ(NetworkToJoin(s.held).key, c.key) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, AdvancedWireless,
                         ::testing::ValuesIn(test::kAllLayouts), test::LayoutParamName());

}  // namespace
}  // namespace kelvane
