// The HostNetwork algorithms (adapter choice, attempts and pauses, the DHCP
// switch's address wait, ping attempts, renew/release of every interface,
// phonebook choice) over the simulated backend.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <functional>

#include "net/Wait.h"
#include "net/host/sim/SimHostNetwork.h"

namespace kelvane {
namespace {

std::uint32_t Value(const char* dotted) {
  in_addr a{};
  inet_pton(AF_INET, dotted, &a);
  return a.s_addr;
}

class HostAlgorithms : public ::testing::Test {
 protected:
  void SetUp() override {
    previousScale_ = TimeScale();
    SetTimeScale(0.01);  // 1000 ms pauses become 10 ms
  }
  void TearDown() override { SetTimeScale(previousScale_); }

  SimHostNetwork sim_;
  double previousScale_ = 1.0;
};

struct SelectionCase {
  const char* name;
  std::vector<HostAdapterInfo> adapters;
  bool found;
  const char* chosenName;
  const char* chosenAddress;
};

TEST_F(HostAlgorithms, AdapterChoiceFollowsTheListOrder) {
  const std::vector<SelectionCase> cases = {
      {"all unaddressed",
       {SimHostNetwork::Adapter("eth0", "0.0.0.0"), SimHostNetwork::Adapter("eth1", "0.0.0.0")},
       false, "eth1", "0.0.0.0"},
      {"link-local before routable",
       {SimHostNetwork::Adapter("eth0", "169.254.10.20"), SimHostNetwork::Adapter("eth1", "192.168.123.100")},
       false, "eth0", "169.254.10.20"},
      {"two addressed adapters",
       {SimHostNetwork::Adapter("eth0", "192.168.123.100", "192.168.123.254"),
        SimHostNetwork::Adapter("eth1", "10.0.0.5", "10.0.0.1")},
       true, "eth0", "192.168.123.100"},
      {"unaddressed then addressed",
       {SimHostNetwork::Adapter("wlan0", "0.0.0.0"), SimHostNetwork::Adapter("eth0", "192.168.123.101")},
       true, "eth0", "192.168.123.101"},
      {"only loopback-like address is not judged", {SimHostNetwork::Adapter("x0", "127.0.0.1")}, true, "x0",
       "127.0.0.1"},
      {"no adapters", {}, false, "", ""},
  };
  for (const SelectionCase& c : cases) {
    HostAdapterInfo chosen;
    chosen.adapterName = "stale";
    EXPECT_EQ(ChooseLanAdapter(c.adapters, chosen), c.found) << c.name;
    EXPECT_EQ(chosen.adapterName.view(), c.chosenName) << c.name;
    EXPECT_EQ(chosen.ipAddress.view(), c.chosenAddress) << c.name;
  }
}

TEST_F(HostAlgorithms, FindLocalAddressRetriesAndFillsTheState) {
  // No address for the first two looks, then a lease.
  sim_.adapterSequence = {{SimHostNetwork::Adapter("eth0", "0.0.0.0")},
                          {SimHostNetwork::Adapter("eth0", "0.0.0.0")}};
  sim_.adapters = {SimHostNetwork::Adapter("eth0", "192.168.123.150", "192.168.123.254", true)};
  WizardState state;
  bool dhcp = false;
  ASSERT_TRUE(sim_.FindLocalAddress(10, dhcp, state));
  EXPECT_TRUE(dhcp);
  EXPECT_EQ(state.pcAddress, Value("192.168.123.150"));
  EXPECT_EQ(state.pcGateway, Value("192.168.123.254"));
  EXPECT_EQ(state.pcAdapterName, "eth0");
  EXPECT_EQ(sim_.CountCalls("ListAdapters"), 3);
}

TEST_F(HostAlgorithms, FindLocalAddressGivesUpAfterItsAttempts) {
  sim_.adapters = {SimHostNetwork::Adapter("eth0", "0.0.0.0")};
  bool dhcp = true;
  std::uint32_t address = 7, gateway = 8;
  std::string name = "untouched";
  SetTimeScale(0.1);  // 1000 ms pauses become 100 ms
  const std::uint64_t start = SteadyMs();
  EXPECT_FALSE(sim_.FindLocalAddress(4, dhcp, address, gateway, name));
  const std::uint64_t elapsed = SteadyMs() - start;
  EXPECT_EQ(sim_.CountCalls("ListAdapters"), 4);
  // Three pauses between four attempts, none after the last.
  EXPECT_GE(elapsed, 290u);
  EXPECT_LT(elapsed, 390u);
  EXPECT_EQ(name, "untouched");
  EXPECT_EQ(address, 7u);
  EXPECT_TRUE(dhcp);

  sim_.ClearCalls();
  EXPECT_FALSE(sim_.FindLocalAddress(0, dhcp, address, gateway, name));
  EXPECT_EQ(sim_.CountCalls("ListAdapters"), 0) << "no attempt at all with 0 attempts";
}

TEST_F(HostAlgorithms, UnreadableAdapterListFailsEveryAttempt) {
  sim_.adaptersReadable = false;
  bool dhcp = false;
  std::uint32_t address = 0, gateway = 0;
  std::string name;
  EXPECT_FALSE(sim_.FindLocalAddress(2, dhcp, address, gateway, name));
  HostAdapterInfo info;
  EXPECT_FALSE(sim_.GetHostNetworkInfo(info));
}

TEST_F(HostAlgorithms, HostNetworkInfoSucceedsWithoutAnyAddress) {
  sim_.adapters = {SimHostNetwork::Adapter("eth0", "0.0.0.0", "0.0.0.0", false),
                   SimHostNetwork::Adapter("eth1", "0.0.0.0", "0.0.0.0", true)};
  sim_.dnsServers = {"192.168.123.254"};
  HostAdapterInfo info;
  ASSERT_TRUE(sim_.GetHostNetworkInfo(info));
  EXPECT_EQ(info.adapterName.view(), "eth1") << "the last adapter's fields when none qualifies";
  EXPECT_EQ(info.ipAddress.view(), "0.0.0.0");
  EXPECT_EQ(info.dhcpEnabled, 1);
  EXPECT_EQ(info.dnsServer1.view(), "192.168.123.254");
  EXPECT_TRUE(info.dnsServer2.empty()) << "only one DNS server";

  sim_.dnsServers = {"198.51.100.1", "198.51.100.2", "198.51.100.3"};
  ASSERT_TRUE(sim_.GetHostNetworkInfo(info));
  EXPECT_EQ(info.dnsServer1.view(), "198.51.100.1");
  EXPECT_EQ(info.dnsServer2.view(), "198.51.100.2");

  sim_.dnsReadable = false;
  info.adapterName = "kept";
  EXPECT_FALSE(sim_.GetHostNetworkInfo(info));
  EXPECT_EQ(info.adapterName.view(), "kept");
}

TEST_F(HostAlgorithms, DhcpSwitchWaitsForTheAddress) {
  sim_.adapters = {SimHostNetwork::Adapter("eth0", "10.77.0.5", "10.77.0.1", false)};
  // After the restart: five looks without an address, then the lease.
  sim_.adaptersAfterRestart = {SimHostNetwork::Adapter("eth0", "192.168.123.120", "192.168.123.254")};
  sim_.adapterSequence = {};
  struct Case {
    const char* name;
    bool restartSucceeds;
    int emptyLooks;
    bool expected;
    int expectedLooks;
  };
  const std::vector<Case> cases = {
      {"restart refused", false, 0, false, 0},
      {"address at once", true, 0, true, 1},
      {"address after five looks", true, 5, true, 6},
      {"no address within twenty looks", true, 25, false, 20},
  };
  for (const Case& c : cases) {
    SimHostNetwork sim;
    sim.adapters = sim_.adapters;
    sim.adaptersAfterRestart = sim_.adaptersAfterRestart;
    sim.restartSucceeds = c.restartSucceeds;
    for (int i = 0; i < c.emptyLooks; ++i) sim.adapterSequence.push_back({SimHostNetwork::Adapter("eth0", "0.0.0.0")});
    EXPECT_EQ(sim.SwitchAdapterToDhcp("eth0"), c.expected) << c.name;
    EXPECT_EQ(sim.CountCalls("ListAdapters"), c.expectedLooks) << c.name;
    EXPECT_EQ(sim.CountCalls("RestartAdapterWithDhcp"), 1) << c.name;
  }
}

TEST_F(HostAlgorithms, RenewAndReleaseVisitEveryInterface) {
  sim_.leaseInterfaces = {"eth0", "eth1", "eth2"};
  sim_.renewResults = {{"eth1", false}};
  EXPECT_FALSE(sim_.RenewAllAdapters());
  EXPECT_EQ(sim_.CountCalls("RenewInterface"), 3) << "a failure does not stop the walk";
  sim_.releaseResults = {{"eth2", false}};
  EXPECT_FALSE(sim_.ReleaseAllAdapters());
  EXPECT_EQ(sim_.CountCalls("ReleaseInterface"), 3) << "a failure does not stop the walk";

  SimHostNetwork empty;
  EXPECT_TRUE(empty.RenewAllAdapters()) << "nothing to renew is not a failure";
  EXPECT_TRUE(empty.ReleaseAllAdapters());
}

// After a release the interfaces no longer show a lease, so the renew must
// go by what was released: exactly those, none of the others, and a failed
// one again at the next renew. Before, the renew walked every interface and
// refused the released ones.
TEST_F(HostAlgorithms, RenewAfterReleaseRenewsExactlyWhatWasReleased) {
  sim_.adapters = {SimHostNetwork::Adapter("eth0", "192.168.123.140", "192.168.123.254"),
                   SimHostNetwork::Adapter("eth1", "10.77.0.5", "10.77.0.1", false),
                   SimHostNetwork::Adapter("wlan0", "192.168.123.141", "192.168.123.254")};
  sim_.releaseResults = {{"eth1", false}};  // a fixed address has no lease
  EXPECT_FALSE(sim_.ReleaseAllAdapters());
  EXPECT_EQ(sim_.Released(), (std::vector<std::string>{"eth0", "wlan0"}));
  HostAdapterInfo info;
  ASSERT_TRUE(sim_.GetHostNetworkInfo(info));
  EXPECT_EQ(info.adapterName.view(), "eth1") << "the released adapters show no address";

  // The router comes back on another network as the renew starts; wlan0
  // finds no server yet.
  sim_.onCall = [this](const SimHostNetwork::Call& call) {
    if (call.operation == "RenewAllAdapters") {
      sim_.renewLeases["eth0"] = SimHostNetwork::Adapter("eth0", "192.168.0.100", "192.168.0.1");
      sim_.renewResults = {{"wlan0", false}};
    }
  };
  sim_.ClearCalls();
  EXPECT_FALSE(sim_.RenewAllAdapters());
  std::vector<std::string> renewed;
  for (const auto& c : sim_.calls)
    if (c.operation == "RenewInterface") renewed.push_back(c.argument);
  EXPECT_EQ(renewed, (std::vector<std::string>{"eth0", "wlan0"})) << "the fixed eth1 is not touched";
  EXPECT_EQ(sim_.CountCalls("ListLeaseInterfaces"), 0);
  EXPECT_EQ(sim_.Released(), (std::vector<std::string>{"wlan0"}));

  bool dhcp = false;
  WizardState state;
  ASSERT_TRUE(sim_.FindLocalAddress(1, dhcp, state));
  EXPECT_EQ(state.pcAddress, Value("192.168.0.100")) << "an address on the new network";

  sim_.onCall = nullptr;
  sim_.renewResults.clear();
  sim_.ClearCalls();
  EXPECT_TRUE(sim_.RenewAllAdapters());
  EXPECT_EQ(sim_.CountCalls("RenewInterface"), 1);
  EXPECT_TRUE(sim_.Released().empty());
  // With nothing released, a renew walks every lease interface again.
  sim_.ClearCalls();
  sim_.renewResults = {{"eth1", false}};
  EXPECT_FALSE(sim_.RenewAllAdapters());
  EXPECT_EQ(sim_.CountCalls("RenewInterface"), 3);
}

// Page tests press Cancel or close the window while a slow step runs: the
// simulated operations wait their scripted time in slices that call the hook.
TEST_F(HostAlgorithms, ScriptedDelaysKeepCallingTheWaitHook) {
  sim_.adapters = {SimHostNetwork::Adapter("eth0", "192.168.123.140", "192.168.123.254")};
  sim_.releaseDelayMs = 120;
  sim_.renewDelayMs = 120;
  sim_.restartDelayMs = 120;
  int hookCalls = 0;
  const WaitHook previous = SetWaitHook([&] { ++hookCalls; });
  struct Step {
    const char* name;
    std::function<bool()> run;
  };
  const std::vector<Step> steps = {
      {"release", [&] { return sim_.ReleaseAllAdapters(); }},
      {"renew", [&] { return sim_.RenewAllAdapters(); }},
      {"switch", [&] { return sim_.SwitchAdapterToDhcp("eth0"); }},
  };
  for (const Step& step : steps) {
    hookCalls = 0;
    const std::uint64_t start = SteadyMs();
    EXPECT_TRUE(step.run()) << step.name;
    EXPECT_GE(SteadyMs() - start, 115u) << step.name;
    EXPECT_GE(hookCalls, 2) << step.name;
  }
  SetWaitHook(previous);
}

TEST_F(HostAlgorithms, PcWithOnlyLoopbackHasNoNetworkInfo) {
  sim_.adapters = {};
  sim_.dnsServers = {"192.168.123.254"};
  HostAdapterInfo info;
  info.adapterName = "kept";
  EXPECT_FALSE(sim_.GetHostNetworkInfo(info));
  EXPECT_EQ(info.adapterName.view(), "kept");
}

TEST_F(HostAlgorithms, BroadcastTargetIsRefusedWithItsOwnReason) {
  PingError error = PingError::kNone;
  EXPECT_FALSE(sim_.PingHost("255.255.255.255", 4, &error));
  EXPECT_EQ(error, PingError::kBroadcastTarget);
  EXPECT_EQ(sim_.CountCalls("OpenEcho"), 0) << "nothing is sent to the limited broadcast";
  EXPECT_STREQ(PingErrorText(PingError::kBroadcastTarget), "cannot ping a broadcast address");
  // A subnet's broadcast is known only to the backend, which answers the same reason.
  sim_.pings["192.168.123.255"] = {{PingError::kBroadcastTarget}, 0};
  EXPECT_FALSE(sim_.PingHost("192.168.123.255", 1, &error));
  EXPECT_EQ(error, PingError::kBroadcastTarget);
  // Every reason has its own text.
  std::vector<std::string> texts;
  for (int e = 0; e <= static_cast<int>(PingError::kHelperRefused); ++e)
    texts.push_back(PingErrorText(static_cast<PingError>(e)));
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(std::unique(texts.begin(), texts.end()), texts.end());
}

TEST_F(HostAlgorithms, PingStopsAtTheFirstWholeEcho) {
  struct Case {
    const char* name;
    std::vector<PingError> results;
    int attempts;
    bool expected;
    int expectedEchoes;
    PingError expectedError;
  };
  const std::vector<Case> cases = {
      {"first echo answers", {PingError::kNone}, 4, true, 1, PingError::kNone},
      {"third echo answers", {PingError::kTimedOut, PingError::kTimedOut, PingError::kNone}, 4, true, 3,
       PingError::kNone},
      {"short replies never count", {PingError::kShortReply}, 4, false, 4, PingError::kShortReply},
      {"silence", {PingError::kTimedOut}, 2, false, 2, PingError::kTimedOut},
      {"no attempts", {PingError::kNone}, 0, false, 0, PingError::kTimedOut},
  };
  for (const Case& c : cases) {
    SimHostNetwork sim;
    sim.pings["192.168.123.254"] = {c.results, 0};
    PingError error = PingError::kSocketFailed;
    EXPECT_EQ(sim.PingHost("192.168.123.254", c.attempts, &error), c.expected) << c.name;
    EXPECT_EQ(sim.CountCalls("SendOneEcho"), c.expectedEchoes) << c.name;
    EXPECT_EQ(error, c.expectedError) << c.name;
  }
}

TEST_F(HostAlgorithms, PingThatCannotSendSendsNothing) {
  sim_.openEchoError = PingError::kNoPrivilege;
  PingError error = PingError::kNone;
  EXPECT_FALSE(sim_.PingHost("192.168.123.254", 4, &error));
  EXPECT_EQ(error, PingError::kNoPrivilege);
  EXPECT_EQ(sim_.CountCalls("SendOneEcho"), 0);

  // Bad targets never reach the socket, so they cannot become a broadcast.
  for (const std::string& target : {std::string(), std::string("192.168.123"), std::string("192.168.123.256"),
                                   std::string("router"), std::string("255.255.255.255x"), std::string("1.2.3.4 "),
                                   std::string("192.168.123.254\0", 16)}) {
    SimHostNetwork sim;
    EXPECT_FALSE(sim.PingHost(target, 1, &error)) << target;
    EXPECT_EQ(error, PingError::kBadTarget) << target;
    EXPECT_EQ(sim.CountCalls("OpenEcho"), 0) << target;
  }
}

TEST_F(HostAlgorithms, PingPausesAfterEveryFailedEcho) {
  SetTimeScale(0.5);  // the 300 ms pause becomes 150 ms
  sim_.pings["192.168.123.77"] = {{PingError::kTimedOut}, 40};
  const std::uint64_t start = SteadyMs();
  EXPECT_FALSE(sim_.PingHost("192.168.123.77", 3));
  const std::uint64_t elapsed = SteadyMs() - start;
  // 3 × (40 ms echo + 150 ms pause), the last pause included.
  EXPECT_GE(elapsed, 560u);
  EXPECT_LT(elapsed, 900u);
}

TEST_F(HostAlgorithms, ResolutionFormatsTheFirstAddress) {
  sim_.resolutions = {{"www.kelvane.test", "203.0.113.80"}};
  std::string address = "untouched";
  EXPECT_FALSE(sim_.ResolveHostName("missing.kelvane.test", address));
  EXPECT_EQ(address, "untouched");
  EXPECT_FALSE(sim_.ResolveHostName("", address));
  ASSERT_TRUE(sim_.ResolveHostName("www.kelvane.test", address));
  EXPECT_EQ(address, "203.0.113.80");
}

DialEntry Entry(const std::string& name, const std::string& type, int strategy, const std::string& server,
                const std::string& user, std::array<std::uint8_t, 4> client = {0, 0, 0, 0}) {
  DialEntry e;
  e.name = name;
  e.deviceType = type;
  e.vpnStrategy = strategy;
  e.localPhoneNumber = server;
  e.userName = user;
  std::copy(client.begin(), client.end(), e.clientAddress);
  return e;
}

TEST_F(HostAlgorithms, DialEntryClassification) {
  struct Case {
    const char* type;
    int strategy;
    bool pppoe, pptp, l2tp;
  };
  const std::vector<Case> cases = {
      {"PPPoE", 0, true, false, false},        {"pppoe", 0, true, false, false},
      {"VPN", kVpnDefault, false, true, false}, {"vpn", kVpnPptpOnly, false, true, false},
      {"VPN", kVpnPptpFirst, false, true, false}, {"VPN", kVpnL2tpOnly, false, false, true},
      {"VPN", kVpnL2tpFirst, false, false, true}, {"modem", 0, false, false, false},
      {"vpn:org.example.openvpn", 0, false, false, false},
  };
  for (const Case& c : cases) {
    const DialEntry e = Entry("x", c.type, c.strategy, "", "");
    EXPECT_EQ(IsDialEntryOfKind(e, DialKind::kPppoe), c.pppoe) << c.type << c.strategy;
    EXPECT_EQ(IsDialEntryOfKind(e, DialKind::kPptp), c.pptp) << c.type << c.strategy;
    EXPECT_EQ(IsDialEntryOfKind(e, DialKind::kL2tp), c.l2tp) << c.type << c.strategy;
  }
}

TEST_F(HostAlgorithms, VpnReadersTakeTheFirstEntryOfTheirKind) {
  sim_.phonebook = {
      Entry("DSL", "PPPoE", 0, "FastNet", "carol"),
      Entry("Branch", "VPN", kVpnL2tpFirst, "vpn1.kelvane.test", "alice", {10, 8, 0, 2}),
      Entry("Office", "VPN", kVpnPptpOnly, "198.51.100.7", "bob"),
      Entry("Second office", "VPN", kVpnPptpOnly, "198.51.100.8", "eve"),
  };
  WizardState state;
  state.PptpSettings.password = "typed before";
  ASSERT_TRUE(sim_.FindPcPptpAccount(state));
  EXPECT_EQ(state.PptpSettings.server.view(), "198.51.100.7");
  EXPECT_EQ(state.PptpSettings.userName.view(), "bob");
  EXPECT_EQ(state.PptpSettings.ipAddress.view(), "0.0.0.0");
  EXPECT_EQ(state.PptpSettings.password.view(), "typed before") << "passwords are never touched";

  ASSERT_TRUE(sim_.FindPcL2tpAccount(state));
  EXPECT_EQ(state.L2tpSettings.server.view(), "vpn1.kelvane.test");
  EXPECT_EQ(state.L2tpSettings.userName.view(), "alice");
  EXPECT_EQ(state.L2tpSettings.ipAddress.view(), "10.8.0.2");

  ASSERT_TRUE(sim_.FindPcPppoeAccount(state));
  EXPECT_EQ(state.PppoeSettings.serviceName.view(), "FastNet");
  EXPECT_EQ(state.PppoeSettings.userName.view(), "carol");
}

TEST_F(HostAlgorithms, OnlyTheFirstTenEntriesAreLookedAt) {
  for (int i = 0; i < 10; ++i) sim_.phonebook.push_back(Entry("m" + std::to_string(i), "modem", 0, "", ""));
  sim_.phonebook.push_back(Entry("late dsl", "PPPoE", 0, "Late", "late"));
  sim_.phonebook.push_back(Entry("late vpn", "VPN", kVpnPptpOnly, "198.51.100.12", "late"));
  WizardState state;
  state.PptpSettings.userName = "kept";
  EXPECT_FALSE(sim_.FindPcPppoeAccount(state));
  EXPECT_TRUE(state.PppoeSettings.userName.empty()) << "the list was read, so the record was cleared";
  EXPECT_FALSE(sim_.FindPcPptpAccount(state));
  EXPECT_EQ(state.PptpSettings.userName.view(), "kept") << "no PPTP entry: nothing changed";
  EXPECT_FALSE(sim_.FindPcL2tpAccount(state));
}

TEST_F(HostAlgorithms, EmptyOrUnreadablePhonebookChangesNothing) {
  WizardState state;
  state.PppoeSettings.userName = "typed";
  state.PppoeSettings.serviceName = "typed service";
  state.L2tpSettings.server = "typed server";
  for (bool readable : {true, false}) {
    SimHostNetwork sim;
    sim.phonebookReadable = readable;
    EXPECT_FALSE(sim.FindPcPppoeAccount(state));
    EXPECT_FALSE(sim.FindPcL2tpAccount(state));
    EXPECT_EQ(state.PppoeSettings.userName.view(), "typed");
    EXPECT_EQ(state.PppoeSettings.serviceName.view(), "typed service");
    EXPECT_EQ(state.L2tpSettings.server.view(), "typed server");
  }
}

TEST_F(HostAlgorithms, UnreadableDialParametersLeaveTheUserNameEmpty) {
  DialEntry entry = Entry("DSL", "PPPoE", 0, "FastNet", "carol");
  entry.dialParamsReadable = false;
  sim_.phonebook = {entry};
  WizardState state;
  state.PppoeSettings.userName = "old";
  ASSERT_TRUE(sim_.FindPcPppoeAccount(state));
  EXPECT_TRUE(state.PppoeSettings.userName.empty());
  EXPECT_EQ(state.PppoeSettings.serviceName.view(), "FastNet");
}

TEST_F(HostAlgorithms, ActiveBackendCanBeSwapped) {
  HostNetwork* previous = SetActiveHostNetwork(&sim_);
  EXPECT_EQ(&ActiveHostNetwork(), &sim_);
  sim_.pings["127.0.0.1"] = {{PingError::kNone}, 0};
  EXPECT_TRUE(ActiveHostNetwork().PingHost("127.0.0.1"));
  ASSERT_EQ(sim_.calls.front().operation, "PingHost");
  EXPECT_EQ(sim_.calls.front().argument, "127.0.0.1 4") << "four attempts by default";
  SetActiveHostNetwork(previous);
  EXPECT_NE(&ActiveHostNetwork(), &sim_);
}

}  // namespace
}  // namespace kelvane
