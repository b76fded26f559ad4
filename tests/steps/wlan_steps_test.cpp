// The easy wireless page's load from the emulated router and its checks.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "router/RouterRequest.h"
#include "steps/easy/StoreStep.h"
#include "steps/easy/WirelessLoadStep.h"
#include "support/EmulatedRouter.h"
#include "support/RouterSettingsCheck.h"

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
  bool keyShown = true;  // the page shows the pass phrase in the mixed mode
};

TEST(WirelessLoad, FromTheRouter) {
  const std::vector<LoadCase> cases = {
      {"channel 0 is Auto", "07FF", "0", "0", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}, 0, 0, "11"},
      {"channel 6, WPA2", "07FF", "6", "8", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}, 6, 3, "6"},
      {"region mask 1-13, mixed", "1FFF", "13", "5",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13"}, 13, 4, "13"},
      {"sparse mask, WEP", "0015", "3", "1", {"1", "3", "5"}, 2, 1, "3"},
      // Read all the same: the key stays empty, never the one held before.
      {"mixed, pass phrase not shown", "07FF", "6", "5",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}, 6, 4, "6", false},
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
      s.mixedKeyShown = c.keyShown;
    });
    WizardState state;
    ResetRouterDefaults(state);
    ASSERT_TRUE(router.Connect(state));
    state.WirelessSettings.key = "held from before";
    const WirelessForm form = LoadWirelessForm(state, kListTexts);
    EXPECT_TRUE(form.loaded);
    EXPECT_EQ(form.keyUnknown, !c.keyShown);
    EXPECT_EQ(form.channels, c.channels);
    EXPECT_EQ(form.channelIndex, c.channelIndex);
    EXPECT_EQ(form.securityIndex, c.securityIndex);
    EXPECT_EQ(state.WirelessSettings.ssid, "HomeNet");
    EXPECT_EQ(state.WirelessSettings.channel.view(), c.storedChannel);
    EXPECT_EQ(state.WirelessSettings.securityMode, kSecurityListModes[static_cast<std::size_t>(c.securityIndex)]);
    if (c.securityCode == "1") {
      EXPECT_EQ(state.WirelessSettings.key, "0123456789");
    } else if (!c.keyShown) {
      EXPECT_EQ(state.WirelessSettings.key, "");
    } else if (c.securityCode != "0") {
      EXPECT_EQ(state.WirelessSettings.key, "pass phrase%1");  // decoded as read
    }
  }
}

// A router in the mixed mode that does not show its pass phrase, through the
// page's own steps (load, check, store): left empty the key is not sent and
// the router keeps its phrase and mode; a typed key replaces it; another
// mode still needs a key.
TEST(WirelessLoad, APassPhraseTheRouterDidNotShowIsKeptUnlessTyped) {
  struct Case {
    const char* name;
    int securityIndex;  // the list entry left chosen
    const char* typed;
    bool keyOk;
    test::RouterSettings changed;  // besides the name
  };
  const std::vector<Case> cases = {
      {"left empty", 4, "", true, {}},
      {"typed", 4, "a new phrase", true, {{"wireless.psk", "a new phrase"}}},
      {"WPA2 chosen, empty", 3, "", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::EmulatedRouter router;
    ASSERT_TRUE(router.ok()) << router.why();
    router.Sim().WithState([](routersim::RouterSimState& s) {
      s.securityCode = "5";
      s.psk = "the router's own";
      s.mixedKeyShown = false;
    });
    WizardState state;
    ResetRouterDefaults(state);
    ASSERT_TRUE(router.Connect(state));
    state.WirelessSettings.key = "held from before";
    const WirelessForm form = LoadWirelessForm(state, kListTexts);
    ASSERT_TRUE(form.loaded);
    ASSERT_TRUE(form.keyUnknown);
    state.WirelessSettings.securityMode = kSecurityListModes[static_cast<std::size_t>(c.securityIndex)];
    const WirelessVerdict v =
        StoreWirelessForm(state, "Renamed", c.typed, form.channelIndex, form.channels, form.keyUnknown);
    EXPECT_EQ(v.keyOk, c.keyOk);
    if (!v.Ok()) continue;
    state.configureWireless = 1;
    state.applyWan = 0;
    const test::SettingsWatch watch(router.Sim());
    router.Sim().ClearLog();
    RecordingNarrator narrator;
    EXPECT_EQ(StoreStep().Run(state, router.Pc(), narrator), StoreOutcome::kStored);
    test::RouterSettings changed = c.changed;
    changed["wireless.ssid"] = "Renamed";
    EXPECT_EQ(watch.Unexpected(changed), "");
    for (const std::string& line : router.Requests()) {
      if (line.find("wlap") == std::string::npos) continue;
      EXPECT_EQ(line.find("PK=") != std::string::npos, *c.typed != '\0') << line;
      EXPECT_EQ(line.find("held"), std::string::npos) << line;
    }
  }
}

// A router that fails one request of the load claims nothing it did not read
// (no made-up name, channel or security, the state as it was) and loads once
// the fault clears; an unreadable channel list still offers the router's own
// channel. (Bounds and silence: easy_router_faults_steps_test.)
TEST(WirelessLoad, RouterFailingOneRequest) {
  struct Case {
    const char* name;
    const char* match;  // the request the fault hits
    int status;         // answered instead, or 0
    bool silent;
    bool loaded;
    std::vector<std::string> channels;
    int channelIndex;
  };
  const std::vector<Case> cases = {
      {"status page 500", "rf=0010", 500, false, false, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}, -1},
      {"status page 404", "rf=0010", 404, false, false, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"}, -1},
      {"channel list 500", "sysinfo", 500, false, true, {"6", "11"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::EmulatedRouter router;
    ASSERT_TRUE(router.ok()) << router.why();
    router.Sim().WithState([](routersim::RouterSimState& s) {
      s.channel = "6";
      s.securityCode = "8";
      s.ssid = "HomeNet";
      s.psk = "old passphrase";
    });
    WizardState state;
    ResetRouterDefaults(state);
    ASSERT_TRUE(router.Connect(state));
    state.WirelessSettings.ssid = "Before";
    state.WirelessSettings.securityMode = kSecurityWep;
    routersim::RouterSimFaults fault;
    fault.wrongStatus = c.status;
    fault.silent = c.silent;
    fault.match = c.match;
    router.Sim().SetFaults(fault);
    const auto start = std::chrono::steady_clock::now();
    const WirelessForm form = LoadWirelessForm(state, kListTexts);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(kRouterTimeoutSeconds + 3));
    EXPECT_EQ(form.loaded, c.loaded);
    EXPECT_EQ(form.channels, c.channels);
    EXPECT_EQ(form.channelIndex, c.channelIndex);
    if (!c.loaded) {
      EXPECT_EQ(form.securityIndex, -1);
      EXPECT_EQ(state.WirelessSettings.ssid, "Before");
      EXPECT_EQ(state.WirelessSettings.securityMode, kSecurityWep);
    }
    for (const std::string& line : router.Requests()) EXPECT_EQ(line.find("/cgi-bin/"), std::string::npos) << line;
    // Once the fault clears, the same load reads the router.
    router.Sim().SetFaults({});
    const WirelessForm again = LoadWirelessForm(state, kListTexts);
    EXPECT_TRUE(again.loaded);
    EXPECT_EQ(again.securityIndex, 3);
    EXPECT_EQ(state.WirelessSettings.ssid, "HomeNet");
    EXPECT_EQ(state.WirelessSettings.channel, "6");
  }
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
      {"utf-8 ssid", 9, "Caf\xc3\xa9 Home", "12345678", true, true, 1, 0},
      {"ssid of 32 characters in 34 bytes", 9, std::string(30, 'x') + "\xc3\xa9\xc3\xa9", "12345678", false, true, 1, 0},
      {"ssid with a control character", 9, "a\x1b[2J", "12345678", false, true, 1, 0},
      {"both wrong", 1, "", "abc", false, false, 1, 0},
      {"mixed, empty", 9, "Home", "", true, false, 1, 0},
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
