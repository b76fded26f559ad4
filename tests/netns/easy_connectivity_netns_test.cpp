// The connectivity check of the easy mode in the namespace bed, with the
// real network backend of the PC: a real broadcast finds the emulated router,
// real dnsmasq answers the DHCP probe, and the PC is switched to DHCP by its
// real owner (a DHCP client, or the bed's NetworkManager).
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "BuiltProgram.h"
#include "net/Wait.h"
#include "net/host/HostNetwork.h"
#include "netns/NetnsFixture.h"
#include "steps/easy/ConnectivityStep.h"
#include "router/StatusReaders.h"
#include "state/ProbeTarget.h"
#include "state/WizardState.h"

namespace kelvane {
namespace {

using testbed::NetnsBed;
using testbed::Role;

std::string Said(const RecordingNarrator& n) {
  std::string s;
  for (StringId id : n.SaidIds()) s += std::to_string(id) + " ";
  return s;
}

// The check as the page sets it up in the PC: the real broadcast probe, the
// router's factory settings, the real network backend, a recording narrator.
struct PageCheck {
  PageCheck() {
    ProbeTarget::Instance() = ProbeTarget{};
    ResetRouterDefaults(state);
  }
  WizardState state;
  RecordingNarrator n;
  ConnectivityStep step{state, ActiveHostNetwork(), n};
};

class EasyConnectivityNetns : public testbed::BedTest {
 protected:
  // Brings the bed up with `pc` owning the PC's network; the router runs the
  // emulator with `simArgs` unless `withRouter` is false.
  void Up(testbed::PcNetwork pc, const std::vector<std::string>& simArgs, bool withRouter = true) {
    testbed::NetnsBedOptions options;
    options.pc = pc;
    StartBed(options, {"lmq-routersim"});
    if (!BedUp() || !withRouter) return;
    std::vector<std::string> argv = {testing::BuiltProgram("lmq-routersim"), "--listen", testbed::kRouterLanAddress};
    argv.insert(argv.end(), simArgs.begin(), simArgs.end());
    StartEmulator(argv);
  }

  // The check as the page runs it, in the PC's namespace; the report names
  // the outcome, what was said and what the state holds.
  int RunCheck(const std::function<int(std::string&)>& body, std::string& report) {
    return bed_->RunInRole(Role::kPc, body, report, 180000);
  }
};

// The PC with a lease finds the router by the real broadcast and logs in.
TEST_F(EasyConnectivityNetns, FindsTheRouterAndLogsIn) {
  Up(testbed::PcNetwork::kDhclient, {});
  if (!BedUp()) return;
  std::string report;
  const int rc = RunCheck(
      [](std::string& out) {
        PageCheck check;
        auto& [state, n, step] = check;
        const ConnectivityOutcome o = step.Run("");
        out = "outcome=" + std::to_string(static_cast<int>(o)) + " said=" + Said(n) +
              " router=" + state.routerAddress.str();
        return o == ConnectivityOutcome::kPassed && state.routerAddress == testbed::kRouterLanAddress ? 0 : 1;
      },
      report);
  EXPECT_EQ(rc, 0) << report;
}

// A changed login word on a Basic router: the prompt, then the right word
// typed with blanks passes, as the user name with an empty password.
TEST_F(EasyConnectivityNetns, ChangedWordBringsThePromptAndTheRightWordPasses) {
  Up(testbed::PcNetwork::kDhclient, {"--login", "basic", "--login-word", "s3cret"});
  if (!BedUp()) return;
  std::string report;
  const int rc = RunCheck(
      [](std::string& out) {
        PageCheck check;
        auto& [state, n, step] = check;
        const ConnectivityOutcome first = step.Run("");
        const std::string word = ConnectivityStep::TakeTypedWord(" s3cret ", state);
        const ConnectivityOutcome second = step.Run(word);
        out = "first=" + std::to_string(static_cast<int>(first)) + " second=" +
              std::to_string(static_cast<int>(second)) + " said=" + Said(n) + " user=" + state.loginUser.str() +
              " basic=" + std::to_string(state.basicAuthLogin);
        return first == ConnectivityOutcome::kLoginPrompt && second == ConnectivityOutcome::kPassed &&
                       state.loginUser == "s3cret" && state.loginPassword.empty() && state.basicAuthLogin == 1
                   ? 0
                   : 1;
      },
      report);
  EXPECT_EQ(rc, 0) << report;
}

// No router at all: 30067 once the 2-second probe has run out.
TEST_F(EasyConnectivityNetns, NoRouterGives30067WithinTheProbeTime) {
  Up(testbed::PcNetwork::kDhclient, {}, false);
  if (!BedUp()) return;
  std::string report;
  const int rc = RunCheck(
      [](std::string& out) {
        PageCheck check;
        auto& [state, n, step] = check;
        const auto start = std::chrono::steady_clock::now();
        const ConnectivityOutcome o = step.Run("");
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        out = "outcome=" + std::to_string(static_cast<int>(o)) + " said=" + Said(n) + " ms=" + std::to_string(ms);
        // The probe waits its 2 s (protocol time, not scaled); the PC's address
        // is there at the first attempt.
        return o == ConnectivityOutcome::kNoRouter && n.LastSaid() == 30067 && ms >= 1900 && ms < 3500 ? 0 : 1;
      },
      report);
  EXPECT_EQ(rc, 0) << report;
}

// A fixed address outside the router's network: the DHCP offer (the router
// answers the presence probe), then the switch by the PC's real owner gives a
// lease from the router's dnsmasq.
void OfferAndSwitch(EasyConnectivityNetns* test, NetnsBed& bed, std::string& report, int& rc) {
  (void)test;
  rc = bed.RunInRole(
      Role::kPc,
      [](std::string& out) {
        // A real DHCP client needs real seconds for its lease: the address
        // wait after the switch runs unscaled here.
        SetTimeScale(1.0);
        PageCheck check;
        auto& [state, n, step] = check;
        const ConnectivityOutcome o = step.Run("");
        const std::string before = FormatDotted(state.pcAddress);
        const DhcpSwitchOutcome s = o == ConnectivityOutcome::kDhcpOffer ? step.SwitchToDhcp()
                                                                         : DhcpSwitchOutcome::kSwitchFailed;
        // The login half runs after the switch, as the page runs it.
        const ConnectivityOutcome login =
            s == DhcpSwitchOutcome::kSwitched ? step.Login("") : ConnectivityOutcome::kLoginPrompt;
        std::string after = FormatDotted(state.pcAddress);
        if (s != DhcpSwitchOutcome::kSwitched) {
          // What the PC shows after a failed switch, for the report.
          std::vector<HostAdapterInfo> list;
          ActiveHostNetwork().ListAdapters(list);
          for (const HostAdapterInfo& a : list) after += std::string(" [") + a.adapterName.c_str() + " " + a.ipAddress.c_str() + "]";
        }
        out = "outcome=" + std::to_string(static_cast<int>(o)) + " switch=" + std::to_string(static_cast<int>(s)) +
              " login=" + std::to_string(static_cast<int>(login)) +
              " said=" + Said(n) + " before=" + before + " after=" + after + " adapter=" + state.pcAdapterName;
        const bool inRouterNet = after.rfind("192.168.123.", 0) == 0;
        // The next page reads the router with what the check found.
        std::string ssid, channel, security, key;
        const bool read = ReadWirelessStatus(ssid, channel, security, key, state.WirelessSettings.securityMode, state);
        out += " read=" + std::to_string(read) + " at=" + state.routerAddress.str();
        return o == ConnectivityOutcome::kDhcpOffer && before == testbed::kFixedOutsideAddress &&
                       s == DhcpSwitchOutcome::kSwitched && login == ConnectivityOutcome::kPassed && inRouterNet &&
                       state.pcAdapterName == "lan0" && read
                   ? 0
                   : 1;
      },
      report, 180000);
}

TEST_F(EasyConnectivityNetns, FixedOutsideGetsTheOfferAndIsSwitchedByTheDhcpClient) {
  Up(testbed::PcNetwork::kFixedOutside, {"--answer-dhcp"});
  if (!BedUp()) return;
  std::string report;
  int rc = 1;
  OfferAndSwitch(this, *bed_, report, rc);
  EXPECT_EQ(rc, 0) << report;
}

TEST_F(EasyConnectivityNetns, FixedOutsideIsSwitchedThroughNetworkManager) {
  Up(testbed::PcNetwork::kNetworkManagerFixed, {"--answer-dhcp"});
  if (!BedUp()) return;
  std::string report;
  int rc = 1;
  OfferAndSwitch(this, *bed_, report, rc);
  EXPECT_EQ(rc, 0) << report;
  // The daemon's profile now takes its address by DHCP.
  const auto method = bed_->NetworkManager().Nmcli({"-g", "ipv4.method", "connection", "show", testbed::kNmProfile});
  EXPECT_NE(method.output.find("auto"), std::string::npos) << method.output;
}

}  // namespace
}  // namespace kelvane
