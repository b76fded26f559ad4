// Storing the settings against the emulator in this process: what the router
// receives in each way the sequence can end, and what the user reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "steps/easy/SettingsSummary.h"
#include "steps/easy/StoreStep.h"
#include "steps/easy/WirelessLoadStep.h"
#include "router/RouterLogin.h"
#include "router/RouterRequest.h"
#include "router/WanCommands.h"
#include "router/WirelessLanCommands.h"
#include "support/EmulatedRouter.h"
#include "support/RouterSettingsCheck.h"

namespace kelvane {
namespace {

using routersim::RouterSimFaults;
using routersim::RouterSimState;

// The command names the router received ("wlap", "prim", "want", "rebo", a
// page read as "prim.htm"), in order.
std::vector<std::string> Commands(const std::vector<std::string>& requests) {
  std::vector<std::string> names;
  for (const std::string& line : requests) {
    const std::size_t start = line.find(' ');
    if (start == std::string::npos) continue;
    std::string path = line.substr(start + 1, line.find_first_of(" ?", start + 1) - start - 1);
    if (path.rfind("/cgi-bin/", 0) == 0) path = path.substr(9);
    else if (!path.empty() && path[0] == '/') path = path.substr(1);
    names.push_back(path);
  }
  return names;
}

struct StoreCase {
  const char* name;
  std::function<void(WizardState&, test::EmulatedRouter&)> setUp;
  StoreOutcome outcome;
  std::vector<std::string> commands;  // what the router received
  bool countdown;                     // the restart countdown ran
};

class StoreStepTest : public ::testing::TestWithParam<StoreCase> {};

void Prepare(WizardState& state, test::EmulatedRouter& router) {
  ResetRouterDefaults(state);
  EXPECT_TRUE(router.Connect(state));
  state.wanType = kWanDynamicIp;
  state.wirelessPresent = true;
  state.configureWireless = 1;
  state.applyWan = 1;
  state.WirelessSettings.ssid = "HomeNet";
  state.WirelessSettings.channel = "6";
  state.WirelessSettings.securityMode = kSecurityWpa2Psk;
  state.WirelessSettings.key = "correct horse battery";
}

// Each row of the store failure table, and the ways through without one.
const StoreCase kCases[] = {
    {"AllSent",
     [](WizardState&, test::EmulatedRouter&) {},
     StoreOutcome::kStored,
     {"zero.htm", "wlap", "zero.htm", "prim", "zero.htm", "want", "rebo", "", "zero.htm", "zero.htm"},
     true},
    {"FirstPingFailsNothingSent",
     [](WizardState&, test::EmulatedRouter& r) { r.Pc().pings["127.0.0.1"] = {{PingError::kTimedOut}, 0}; },
     StoreOutcome::kNoRouterBefore,
     {},
     false},
    {"WirelessRefusedNoWanNoRestart",
     [](WizardState&, test::EmulatedRouter& r) {
       RouterSimFaults f;
       f.refuseAlert = "Invalid key";
       f.match = "wlap";
       r.Sim().SetFaults(f);
     },
     StoreOutcome::kWirelessRefused,
     {"zero.htm", "wlap"},
     false},
    {"WanRefusedNoRestart",
     [](WizardState&, test::EmulatedRouter& r) {
       RouterSimFaults f;
       f.refuseAlert = "Invalid setting";
       f.match = "/cgi-bin/prim";
       r.Sim().SetFaults(f);
     },
     StoreOutcome::kWanRefused,
     {"zero.htm", "wlap", "zero.htm", "prim"},
     false},
    // A WAN command the router did not take, whatever it answered: never
    // "saved", never a restart.
    {"WanAnsweredWithTheLoginFormEveryTime",
     [](WizardState&, test::EmulatedRouter& r) {
       RouterSimFaults f;
       f.loginPageInstead = true;
       f.match = "/cgi-bin/prim";
       r.Sim().SetFaults(f);
     },
     StoreOutcome::kWanRefused,
     {"zero.htm", "wlap", "zero.htm", "prim", "", "prim"},
     false},
    {"WanSessionLostOnceLogsInAndSendsAgain",
     [](WizardState&, test::EmulatedRouter& r) {
       RouterSimFaults f;
       f.loginPageInstead = true;
       f.match = "/cgi-bin/prim";
       f.nth = 1;
       r.Sim().SetFaults(f);
     },
     StoreOutcome::kStored,
     {"zero.htm", "wlap", "zero.htm", "prim", "", "prim", "zero.htm", "want", "rebo", "", "zero.htm", "zero.htm"},
     true},
    {"WanAnsweredWithOversizedJunk",
     [](WizardState&, test::EmulatedRouter& r) {
       RouterSimFaults f;
       f.junkBytes = 200 * 1024;
       f.match = "/cgi-bin/prim";
       r.Sim().SetFaults(f);
     },
     StoreOutcome::kWanRefused,
     {"zero.htm", "wlap", "zero.htm", "prim"},
     false},
    {"WanAnsweredEmpty",
     [](WizardState&, test::EmulatedRouter& r) {
       RouterSimFaults f;
       f.emptyAnswer = true;
       f.match = "/cgi-bin/prim";
       r.Sim().SetFaults(f);
     },
     StoreOutcome::kWanRefused,
     {"zero.htm", "wlap", "zero.htm", "prim"},
     false},
    {"WanThrownAwayQuietlyIsReadBack",
     [](WizardState& s, test::EmulatedRouter& r) {
       s.wanType = kWanPptp;
       s.PptpSettings.server = "vpn.example";
       RouterSimFaults f;
       f.ignoreQuietly = true;
       f.match = "/cgi-bin/prim";
       r.Sim().SetFaults(f);
     },
     StoreOutcome::kWanRefused,
     {"zero.htm", "wlap", "zero.htm", "want", "prim", "zero.htm"},
     false},
    {"RestartRefusedSettingsSent",
     [](WizardState&, test::EmulatedRouter& r) {
       RouterSimFaults f;
       f.refuseAlert = "Busy";
       f.match = "rebo";
       r.Sim().SetFaults(f);
     },
     StoreOutcome::kRestartRefused,
     {"zero.htm", "wlap", "zero.htm", "prim", "zero.htm", "want", "rebo"},
     false},
    {"RestartedButSilent",
     [](WizardState&, test::EmulatedRouter& r) {
       RouterSimFaults f;
       f.restartNeverReturns = true;
       r.Sim().SetFaults(f);
       r.Pc().pings["127.0.0.1"] = {{PingError::kNone, PingError::kTimedOut}, 0};
     },
     StoreOutcome::kNoRouterAfter,
     {"zero.htm", "wlap", "zero.htm", "prim", "zero.htm", "want", "rebo"},
     true},
    {"NoWirelessPartNeverGetsTheWirelessCommand",
     [](WizardState& s, test::EmulatedRouter&) {
       s.wirelessPresent = false;
       s.configureWireless = 1;
     },
     StoreOutcome::kStored,
     {"prim", "zero.htm", "want", "rebo", "", "zero.htm"},
     true},
    {"WirelessSkippedStillRestarts",
     [](WizardState& s, test::EmulatedRouter&) { s.configureWireless = 0; },
     StoreOutcome::kStored,
     {"prim", "zero.htm", "want", "rebo", "", "zero.htm"},
     true},
    // A factory reset the router held (asked for by the router sheet's
    // command) takes effect with the store's restart: the router comes back
    // with its factory name, no security and its factory login word.
    {"PendingFactoryResetIsNotInUse",
     [](WizardState& s, test::EmulatedRouter&) { EXPECT_TRUE(ResetRouterToDefaults(s)); },
     StoreOutcome::kSettingsNotKept,
     {"zero.htm", "wlap", "zero.htm", "prim", "zero.htm", "want", "rebo", "", "zero.htm"},
     true},
    {"PendingFactoryResetRefusesTheLoginWord",
     [](WizardState& s, test::EmulatedRouter& r) {
       r.Sim().WithState([](RouterSimState& rs) {
         rs.flavour = routersim::LoginFlavour::kForm;
         rs.loginWord = "s3cret";
       });
       StoreLoginWord("s3cret", s);
       EXPECT_TRUE(LoginToRouter(s));
       EXPECT_TRUE(ResetRouterToDefaults(s));
     },
     StoreOutcome::kSettingsLost,
     {"zero.htm", "wlap", "zero.htm", "prim", "zero.htm", "want", "rebo", "", "logi"},
     true},
    {"NothingToWriteNoRestart",
     [](WizardState& s, test::EmulatedRouter&) {
       s.configureWireless = 0;
       s.applyWan = 0;
     },
     StoreOutcome::kStored,
     {"want"},
     false},
};

TEST_P(StoreStepTest, LeavesExactlyTheEffectOfItsOutcome) {
  const StoreCase& c = GetParam();
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  WizardState state;
  Prepare(state, router);
  c.setUp(state, router);
  router.Sim().ClearLog();

  RecordingNarrator narrator;
  const StoreOutcome outcome = StoreStep().Run(state, router.Pc(), narrator);
  EXPECT_EQ(outcome, c.outcome);
  EXPECT_EQ(Commands(router.Requests()), c.commands);
  // The message the page is left with is the outcome's.
  EXPECT_EQ(narrator.LastSaid(), MessageFor<StoreOutcome>(kStoreMessages, outcome));
  EXPECT_EQ(!narrator.CountdownSeconds().empty(), c.countdown);
}

INSTANTIATE_TEST_SUITE_P(Table, StoreStepTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StoreStep, OutcomeTableMatchesTheFailureTable) {
  const std::vector<std::pair<StoreOutcome, StringId>> expected = {
      {StoreOutcome::kStored, 30226},         {StoreOutcome::kNoRouterBefore, 30223},
      {StoreOutcome::kWirelessRefused, 30224}, {StoreOutcome::kWanRefused, 30224},
      {StoreOutcome::kRestartRefused, 30225}, {StoreOutcome::kNoRouterAfter, 30223},
      {StoreOutcome::kSettingsLost, 31015},   {StoreOutcome::kSettingsNotKept, 31016},
  };
  for (const auto& [outcome, id] : expected) EXPECT_EQ(MessageFor<StoreOutcome>(kStoreMessages, outcome), id);
  // Each row that stops names the outcome whose message it shows.
  const auto rows = StoreStep::Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].policy != HopPolicy::kStopOnFailure) continue;
    EXPECT_EQ(MessageFor<StoreOutcome>(kStoreMessages, StoreStep::OutcomeOfRow(static_cast<int>(i))),
              rows[i].failureId)
        << "row " << i;
  }
}

TEST(StoreStep, NarratesEveryStepAndCountsTwentyTwoDownToOne) {
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  WizardState state;
  Prepare(state, router);
  RecordingNarrator narrator;
  ASSERT_EQ(StoreStep().Run(state, router.Pc(), narrator), StoreOutcome::kStored);

  const std::vector<StringId> said = narrator.SaidIds();
  const std::vector<StringId> expected = {30218, 30219, 30219, 30220, 30218, 30226};
  EXPECT_EQ(said, expected);
  // 22 000 ms in 100 ms ticks: every second from 22 down to 1, never 0.
  const std::vector<int> seconds = narrator.CountdownSeconds();
  ASSERT_EQ(seconds.size(), 220u);
  EXPECT_EQ(seconds.front(), 22);
  EXPECT_EQ(seconds.back(), 1);
  EXPECT_TRUE(std::is_sorted(seconds.rbegin(), seconds.rend()));
  EXPECT_EQ(std::count(seconds.begin(), seconds.end(), 0), 0);
  for (int s = 1; s <= 22; ++s) EXPECT_EQ(std::count(seconds.begin(), seconds.end(), s), 10) << s;
  // Every progress text is followed by its 500 ms pause.
  for (std::size_t i = 0; i + 1 < narrator.Events().size(); ++i) {
    const auto& e = narrator.Events()[i];
    if (e.kind == RecordingNarrator::Kind::kSay) {
      EXPECT_EQ(narrator.Events()[i + 1].kind, RecordingNarrator::Kind::kPause);
      EXPECT_EQ(narrator.Events()[i + 1].value, 500);
    }
  }
  // The router holds what was chosen.
  const RouterSimState after = router.Sim().StateCopy();
  EXPECT_EQ(after.ssid, "HomeNet");
  EXPECT_EQ(after.channel, "6");
  EXPECT_EQ(after.psk, "correct horse battery");
  EXPECT_EQ(after.wanType, routersim::kWtDynamic);
}

TEST(StoreStep, AFailedRunStartsAgainFromTheFirstPing) {
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  WizardState state;
  Prepare(state, router);
  RouterSimFaults refuse;
  refuse.refuseAlert = "Busy";
  refuse.match = "wlap";
  router.Sim().SetFaults(refuse);
  RecordingNarrator first;
  ASSERT_EQ(StoreStep().Run(state, router.Pc(), first), StoreOutcome::kWirelessRefused);

  router.Sim().SetFaults({});
  router.Sim().ClearLog();
  router.Pc().ClearCalls();
  RecordingNarrator second;
  EXPECT_EQ(StoreStep().Run(state, router.Pc(), second), StoreOutcome::kStored);
  ASSERT_FALSE(second.SaidIds().empty());
  EXPECT_EQ(second.SaidIds().front(), 30218);
  EXPECT_EQ(Commands(router.Requests()),
            (std::vector<std::string>{"zero.htm", "wlap", "zero.htm", "prim", "zero.htm", "want", "rebo", "",
                                      "zero.htm", "zero.htm"}));
  EXPECT_EQ(router.Pc().CountCalls("PingHost"), 2);
}

// The router comes back from its restart at another address (here from
// 127.0.0.1 to 127.0.0.2, both on loopback): the store looks for it by
// broadcast, says where it is, renews the PC's lease and ends stored; a later
// run starts at the new address. A router found nowhere else keeps the known
// address and the connection error.
TEST(StoreStep, ARouterBackAtAnotherAddressIsFollowed) {
  routersim::RouterSimOptions options;
  options.lanChangeProgram = "/bin/true";  // lets the web server follow the address
  test::EmulatedRouter router(options);
  ASSERT_TRUE(router.ok()) << router.why();
  router.Sim().WithState([](RouterSimState& s) { s.lanAddress = "127.0.0.1"; });
  WizardState state;
  Prepare(state, router);
  router.Sim().WithState([](RouterSimState& s) { s.pendingLanAddress = "127.0.0.2"; });
  SimHostNetwork& pc = router.Pc();
  // The failing pings take real time: the emulator's restart (200 ms) is
  // over when the router is looked for, as a real one is after the countdown.
  pc.pings["127.0.0.1"] = {{PingError::kNone, PingError::kTimedOut}, 150};
  pc.renewLeases["eth0"] = SimHostNetwork::Adapter("eth0", "127.0.0.20", "127.0.0.2", true);

  RecordingNarrator narrator;
  EXPECT_EQ(StoreStep().Run(state, pc, narrator), StoreOutcome::kStored);
  const std::string moved = "127.0.0.2:" + std::to_string(router.Sim().HttpPort());
  EXPECT_EQ(state.routerAddress.view(), moved);
  EXPECT_EQ(pc.CountCalls("RenewAllAdapters"), 1);
  EXPECT_EQ(FormatDotted(state.pcAddress), "127.0.0.20");
  const std::vector<StringId> said = narrator.SaidIds();
  EXPECT_NE(std::find(said.begin(), said.end(), kIdStoreRouterMoved), said.end());
  EXPECT_EQ(narrator.LastSaid(), kIdStoreDone);
  bool addressShown = false;
  for (const auto& e : narrator.Events()) addressShown = addressShown || e.text == " 127.0.0.2";
  EXPECT_TRUE(addressShown);
  // The router is read at its new address.
  std::string page;
  EXPECT_TRUE(RouterReadPage(state, "/zero.htm?rc=&rf=0010", page));

  // A router that answers nowhere: the address stays, nothing is renewed.
  pc.ClearCalls();
  pc.pings["127.0.0.2"] = {{PingError::kTimedOut}, 0};
  router.Sim().Stop();
  RecordingNarrator second;
  EXPECT_EQ(StoreStep().Run(state, pc, second), StoreOutcome::kNoRouterBefore);
  EXPECT_EQ(state.routerAddress.view(), moved);
  EXPECT_EQ(pc.CountCalls("RenewAllAdapters"), 0);
  EXPECT_EQ(second.LastSaid(), kIdStoreConnectionError);
}

// What the user chose on the easy pages for one WAN type, and what the router
// must then hold for it (the boxes, DF08/DF09 and IM0 of the type's form stay).
struct WanChoice {
  std::int32_t wanType;
  void (*fill)(WizardState&);
  test::RouterSettings router;
};

const WanChoice kWanChoices[] = {
    {kWanDynamicIp, [](WizardState&) {}, {{"wan.type", "0100"}}},
    {kWanStaticIp,
     [](WizardState& s) {
       s.StaticIpSettings.ipAddress = "203.0.113.9";
       s.StaticIpSettings.subnetMask = "255.255.255.0";
       s.StaticIpSettings.gateway = "203.0.113.1";
       s.StaticIpSettings.primaryDns = "203.0.113.53";
       s.StaticIpSettings.secondaryDns = "";
     },
     {{"wan.type", "0000"}, {"wan.static.WI", "203.0.113.9"}, {"wan.static.WN", "255.255.255.0"},
      {"wan.static.WG", "203.0.113.1"}, {"wan.static.ID00", "203.0.113.53"}, {"wan.static.ID01", ""}}},
    {kWanPppoe,
     [](WizardState& s) {
       s.PppoeSettings.userName = "carol@isp.example";
       s.PppoeSettings.password = "p&ss word";
       s.PppoeSettings.serviceName = "";
     },
     {{"wan.type", "0200"}, {"wan.pppoe.IU0", "carol@isp.example"}, {"wan.pppoe.IW0", "p&ss word"},
      {"wan.pppoe.IT0", ""}, {"wan.pppoe.ID00", ""}, {"wan.pppoe.ID01", ""}}},
    {kWanPptp,
     [](WizardState& s) {
       s.PptpSettings.ipAddress = "10.20.30.40";
       s.PptpSettings.subnetMask = "255.255.255.0";
       s.PptpSettings.gateway = "10.20.30.1";
       s.PptpSettings.server = "vpn.example";
       s.PptpSettings.userName = "hal";
       s.PptpSettings.password = "pptp";
     },
     {{"wan.type", "0300"}, {"wan.pptp.WI", "10.20.30.40"}, {"wan.pptp.WN", "255.255.255.0"},
      {"wan.pptp.WG", "10.20.30.1"}, {"wan.pptp.DI0", "vpn.example"}, {"wan.pptp.IU0", "hal"},
      {"wan.pptp.IW0", "pptp"}}},
    {kWanL2tp,
     [](WizardState& s) {
       s.L2tpSettings.ipAddress = "10.20.30.41";
       s.L2tpSettings.subnetMask = "255.255.255.0";
       s.L2tpSettings.gateway = "10.20.30.1";
       s.L2tpSettings.server = "10.20.30.2";
       s.L2tpSettings.userName = "ida";
       s.L2tpSettings.password = "l2tp";
     },
     {{"wan.type", "0700"}, {"wan.l2tp.WI", "10.20.30.41"}, {"wan.l2tp.WN", "255.255.255.0"},
      {"wan.l2tp.WG", "10.20.30.1"}, {"wan.l2tp.DI0", "10.20.30.2"}, {"wan.l2tp.IU0", "ida"},
      {"wan.l2tp.IW0", "l2tp"}}},
    {kWanBigPond,
     [](WizardState& s) {
       s.BigPondSettings.userName = "jo";
       s.BigPondSettings.password = "bigpond";
       s.BigPondSettings.loginServer = "login.example";
     },
     {{"wan.type", "0101"}, {"wan.bigpond.IU0", "jo"}, {"wan.bigpond.IW0", "bigpond"},
      {"wan.bigpond.IT0", "login.example"}}},
    {kWanTelia,
     [](WizardState& s) {
       s.TeliaSettings.userName = "kim";
       s.TeliaSettings.password = "telia";
     },
     {{"wan.type", "0104"}, {"wan.telia.IU0", "kim"}, {"wan.telia.IW0", "telia"}}},
};

// The wireless choices, one per security mode, and what the router then holds.
struct WirelessChoice {
  std::int32_t mode;
  const char* key;
  bool keyIsText;
  test::RouterSettings router;
};

const WirelessChoice kWirelessChoices[] = {
    {kSecurityNone, "", true, {{"wireless.security", "0"}}},
    {kSecurityWep, "0123456789", false,
     {{"wireless.security", "1"}, {"wireless.wepSize", "1"}, {"wireless.wepKey", "0123456789"}}},
    {kSecurityWpaPsk, "pass phrase one", true,
     {{"wireless.security", "2"}, {"wireless.psk", "pass phrase one"}, {"wireless.pskHex", "0"}}},
    {kSecurityWpa2Psk, "correct horse battery", true,
     {{"wireless.security", "4"}, {"wireless.psk", "correct horse battery"}, {"wireless.pskHex", "0"}}},
    {kSecurityWpaMixed, "mixed mode phrase", true,
     {{"wireless.security", "5"}, {"wireless.psk", "mixed mode phrase"}, {"wireless.pskHex", "0"}}},
};

using StartAndLayout = std::tuple<test::RouterStart, routersim::PageLayout>;
class StoreNothingElseTest : public ::testing::TestWithParam<StartAndLayout> {};

// From a router on each WAN type and security mode, in each page layout, the
// store changes what the user chose (another WAN type, another security mode)
// and nothing else: no option box, IM0 or key of another type or mode moves.
TEST_P(StoreNothingElseTest, ChangesOnlyWhatTheUserChose) {
  const auto& [start, layout] = GetParam();
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  test::StartRouterOn(router.Sim(), start, layout);
  const std::size_t row =
      static_cast<std::size_t>(std::find_if(test::RouterStarts().begin(), test::RouterStarts().end(),
                                            [&](const auto& r) { return r.name == start.name; }) -
                               test::RouterStarts().begin());
  const WanChoice& wan = kWanChoices[(row + 1) % std::size(kWanChoices)];
  const WirelessChoice& wireless = kWirelessChoices[(row + 2) % std::size(kWirelessChoices)];

  WizardState state;
  Prepare(state, router);
  state.wanType = wan.wanType;
  // The WAN page reads the type's option boxes before the user edits it.
  if (wan.wanType != kWanStaticIp) {
    ASSERT_TRUE(ReadWanOptions(wan.wanType, state));
  }
  wan.fill(state);
  state.WirelessSettings.ssid = "Chosen Net";
  state.WirelessSettings.channel = "7";
  state.WirelessSettings.securityMode = wireless.mode;
  state.WirelessSettings.key = wireless.key;
  state.WirelessSettings.keyIsText = wireless.keyIsText ? 1 : 0;
  state.WirelessSettings.wepKeyLength = wireless.mode == kSecurityWep ? kWepKey64 : 0;
  const test::SettingsWatch watch(router.Sim());

  RecordingNarrator narrator;
  ASSERT_EQ(StoreStep().Run(state, router.Pc(), narrator), StoreOutcome::kStored);
  test::RouterSettings changed = wan.router;
  changed.insert(wireless.router.begin(), wireless.router.end());
  changed["wireless.ssid"] = "Chosen Net";
  changed["wireless.channel"] = "7";
  EXPECT_EQ(watch.Unexpected(changed), "");
}

// The user keeps the security the wireless page read from the router (its
// mode and key) and only renames the network: the router keeps its cipher
// too, which the command cannot name (WPA-PSK on AES, WPA2-PSK on TKIP).
TEST_P(StoreNothingElseTest, ARenameKeepsTheRoutersSecurity) {
  const auto& [start, layout] = GetParam();
  test::EmulatedRouter router;
  ASSERT_TRUE(router.ok()) << router.why();
  test::StartRouterOn(router.Sim(), start, layout);
  WizardState state;
  Prepare(state, router);
  state.applyWan = 0;
  const WirelessForm form =
      LoadWirelessForm(state, {"Not used", "WEP", "WPA-PSK", "WPA2-PSK", "WPA-PSK / WPA2-PSK"});
  ASSERT_TRUE(form.loaded);
  const std::string key(state.WirelessSettings.key.view());
  ASSERT_TRUE(StoreWirelessForm(state, "Renamed", key, form.channelIndex, form.channels, form.keyUnknown).Ok());
  const test::SettingsWatch watch(router.Sim());
  RecordingNarrator narrator;
  ASSERT_EQ(StoreStep().Run(state, router.Pc(), narrator), StoreOutcome::kStored);
  EXPECT_EQ(watch.Unexpected({{"wireless.ssid", "Renamed"}}), "");
}

INSTANTIATE_TEST_SUITE_P(Table, StoreNothingElseTest,
                         ::testing::Combine(::testing::ValuesIn(test::RouterStarts()),
                                            ::testing::ValuesIn(test::kAllLayouts)),
                         [](const auto& info) {
                           return std::get<0>(info.param).name + "_" +
                                  routersim::PageLayoutName(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

// The summary lines as "H:label(suffix)", "F:label=value" or "F:label=#id", "-".
std::vector<std::string> Shape(const std::vector<SummaryLine>& lines) {
  std::vector<std::string> out;
  for (const SummaryLine& l : lines) {
    switch (l.kind) {
      case SummaryLine::Kind::kBlank: out.push_back("-"); break;
      case SummaryLine::Kind::kHeading:
        out.push_back("H:" + std::to_string(l.label) + (l.suffix ? "(" + std::to_string(l.suffix) + ")" : ""));
        break;
      case SummaryLine::Kind::kField:
        out.push_back("F:" + std::to_string(l.label) + "=" + (l.valueId ? "#" + std::to_string(l.valueId) : l.value));
        break;
    }
  }
  return out;
}

TEST(SettingsSummary, LinesFollowTheChoicesAndHidePasswords) {
  WizardState s;
  ResetRouterDefaults(s);
  s.WirelessSettings.ssid = "Home";
  s.WirelessSettings.channel = "0";
  s.WirelessSettings.securityMode = kSecurityWep;
  s.WirelessSettings.wepKeyLength = 0;
  s.wanType = kWanTelia;
  s.TeliaSettings.userName = "erin";
  s.TeliaSettings.password = "abc";
  s.TeliaSettings.optionState = kConnectAutomatically;
  EXPECT_EQ(Shape(BuildSettingsSummary(s)),
            (std::vector<std::string>{"H:30081", "F:30086=Home", "F:30087=#30090", "F:30088=#30092", "-",
                                      "H:30161(30657)", "F:30661=erin", "F:30660=***", "F:30456=#30457"}));

  // Static IP has no connection control; wireless skipped leaves out its part and the blank line.
  s.configureWireless = 0;
  s.wanType = kWanStaticIp;
  s.StaticIpSettings.ipAddress = "198.51.100.20";
  const auto staticLines = Shape(BuildSettingsSummary(s));
  ASSERT_FALSE(staticLines.empty());
  EXPECT_EQ(staticLines.front(), "H:30161(30147)");
  EXPECT_EQ(staticLines.size(), 6u);
  EXPECT_EQ(staticLines[1], "F:" + std::to_string(kIdStaticIpAddressLabel) + "=198.51.100.20");

  // A type without a form: the WAN part stops at its heading.
  s.wanType = kWanNone;
  EXPECT_EQ(Shape(BuildSettingsSummary(s)), (std::vector<std::string>{"H:30161"}));
  // Nothing to write: nothing to show.
  s.applyWan = 0;
  EXPECT_TRUE(BuildSettingsSummary(s).empty());
  // A numbered channel shows its number; "Auto" and "0" the automatic text.
  EXPECT_TRUE(ChannelIsNumber("6"));
  EXPECT_FALSE(ChannelIsNumber("0"));
  EXPECT_FALSE(ChannelIsNumber("Auto"));
  EXPECT_FALSE(ChannelIsNumber(""));
}

}  // namespace
}  // namespace kelvane
