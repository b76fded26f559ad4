// kelvane-cli's host commands as a user runs them in the PC's namespace, and
// the NetworkManager path of the Linux backend against a stand-in nmcli that
// answers with recorded output (the exact commands; the real daemon is met in
// host_networkmanager_netns_test).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "net/host/linux/LinuxHostNetwork.h"
#include "BuiltProgram.h"
#include "netns/NetnsFixture.h"

namespace kelvane {
namespace {

using testbed::Role;

// The source tree's test folder comes from the build (KELVANE_TESTS_DIR), not
// from __FILE__, which a compiler cache may make relative.
std::string Fixtures() { return std::string(KELVANE_TESTS_DIR) + "/fixtures/host"; }

std::string CliPath() { return testing::BuiltProgram("kelvane-cli"); }

class HostCliNetns : public testbed::BedTest {
 protected:
  void SetUp() override {
    StartBed();
    PcIp({"addr", "add", "192.168.123.30/24", "dev", "lan0"});
  }
};

TEST_F(HostCliNetns, PingResolveAndHostInfoFromThePc) {
  const std::string cli = CliPath();
  if (cli.empty()) GTEST_SKIP() << "kelvane-cli is not built (KELVANE_BIN_DIR)";
  testbed::ExecResult r = bed_->Exec(Role::kPc, {cli, "ping", "192.168.123.254", "--count", "2"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("answered=yes"), std::string::npos) << r.output;

  r = bed_->Exec(Role::kPc, {cli, "ping", "192.168.123.99", "--count", "1"});
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_NE(r.output.find("answered=no"), std::string::npos) << r.output;

  r = bed_->Exec(Role::kPc, {cli, "resolve", "router.kelvane.test"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("address=192.168.123.254"), std::string::npos) << r.output;

  r = bed_->Exec(Role::kPc, {cli, "ping", "www.kelvane.test", "--count", "1"});
  EXPECT_EQ(r.exitCode, 1) << "the pc has no route beyond its LAN: " << r.output;
  EXPECT_NE(r.output.find("ping=203.0.113.80"), std::string::npos) << "the name was resolved first: " << r.output;

  r = bed_->Exec(Role::kPc, {cli, "host-info"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  for (const char* line : {"adapter=lan0", "address=192.168.123.30", "mask=255.255.255.0", "dhcp=0",
                           "dns1=192.168.123.254", "usable=yes"})
    EXPECT_NE(r.output.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << r.output;

  r = bed_->Exec(Role::kPc, {cli, "ping", "--count", "0", "192.168.123.254"});
  EXPECT_EQ(r.exitCode, 2) << r.output;
}

TEST_F(HostCliNetns, UnprivilegedPingNamesTheMissingPrivilege) {
  const std::string cli = CliPath();
  if (cli.empty()) GTEST_SKIP() << "kelvane-cli is not built (KELVANE_BIN_DIR)";
  // The namespace's ping_group_range admits nobody; nobody has no capability.
  const testbed::ExecResult r = bed_->Exec(
      Role::kPc, {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", cli, "ping", "192.168.123.254",
                  "--count", "1"});
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_NE(r.output.find("cap_net_raw"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("ping_group_range"), std::string::npos) << r.output;
}

// --- NetworkManager path -----------------------------------------------------------

bool Contains(const std::vector<std::string>& lines, const std::string& wanted) {
  for (const std::string& l : lines)
    if (l == wanted) return true;
  return false;
}

TEST_F(HostCliNetns, NetworkManagerDecidesTheDhcpFlagAndDoesTheSwitch) {
  // The recorded answers, with lan0's profile on method "auto" (no method file
  // for its uuid) for the first half and "manual" for the second.
  const std::string answers = bed_->TempDir() + "/nmcli";
  std::filesystem::copy(Fixtures() + "/nmcli", answers);
  const std::string methodFile = answers + "/method-5f1e2a7c-3b0e-4c55-9d1e-0a8f4b2c6d11.txt";
  std::filesystem::remove(methodFile);
  const std::string log = bed_->TempDir() + "/nmcli-calls.log";
  setenv("KV_FAKE_NMCLI_DIR", answers.c_str(), 1);
  setenv("KV_FAKE_NMCLI_LOG", log.c_str(), 1);

  auto [code, report, v] = testbed::RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    LinuxHostOptions options;
    options.nmcli = Fixtures() + "/fake-nmcli";
    options.dhcpStateDir = bed_->TempDir() + "/dhcp";
    LinuxHostNetwork net(options);
    std::vector<HostAdapterInfo> adapters;
    r << "listed=" << net.ListAdapters(adapters) << "\n";
    if (!adapters.empty())
      r << "dhcp=" << int(adapters[0].dhcpEnabled) << "\nserver=" << adapters[0].dhcpServer.view()
        << "\naddress=" << adapters[0].ipAddress.view() << "\n";
    r << "switched=" << net.RestartAdapterWithDhcp("lan0") << "\n";
    r << "released=" << net.ReleaseInterface("lan0") << "\n";
    r << "renewed=" << net.RenewInterface("lan0") << "\n";
    // A fixed profile: no lease on the device any more, and the method says so.
    std::ofstream(methodFile) << "ipv4.method:manual\n";
    {
      std::ifstream in(answers + "/devices-show.txt");
      std::string kept;
      for (std::string line; std::getline(in, line);)
        if (line.rfind("DHCP4.", 0) != 0) kept += line + "\n";
      in.close();
      std::ofstream(answers + "/devices-show.txt", std::ios::trunc) << kept;
    }
    adapters.clear();
    net.ListAdapters(adapters);
    if (!adapters.empty()) r << "manualDhcp=" << int(adapters[0].dhcpEnabled) << "\n";
    r << "manualRenewed=" << net.RenewInterface("lan0") << "\n";
    r << "badName=" << net.RestartAdapterWithDhcp("--help") << "\n";
    return 0;
  });
  unsetenv("KV_FAKE_NMCLI_DIR");
  unsetenv("KV_FAKE_NMCLI_LOG");
  ASSERT_EQ(code, 0) << report;

  EXPECT_EQ(v["listed"], "1") << report;
  EXPECT_EQ(v["dhcp"], "1") << "NetworkManager's method wins over the static address's lifetime";
  EXPECT_EQ(v["server"], "192.168.123.254");
  EXPECT_EQ(v["address"], "192.168.123.30");
  EXPECT_EQ(v["switched"], "1");
  EXPECT_EQ(v["released"], "1");
  EXPECT_EQ(v["renewed"], "1");
  EXPECT_EQ(v["manualDhcp"], "0");
  EXPECT_EQ(v["manualRenewed"], "0") << "a fixed address has no lease to renew";
  EXPECT_EQ(v["badName"], "0");

  const std::vector<std::string> calls = testbed::Lines(testbed::ReadText(log));
  const std::string uuid = "5f1e2a7c-3b0e-4c55-9d1e-0a8f4b2c6d11";
  EXPECT_TRUE(Contains(calls, "[connection][modify][uuid][" + uuid +
                                  "][ipv4.method][auto][ipv4.addresses][][ipv4.gateway][][ipv4.dns][]"))
      << "gateway, DNS servers and static addresses cleared in one modify";
  EXPECT_TRUE(Contains(calls, "[--wait][20][connection][up][uuid][" + uuid + "]"));
  EXPECT_TRUE(Contains(calls, "[device][disconnect][lan0]"));
  // The released profile comes back on its device, and the autoconnect that
  // the disconnect blocked is on again.
  EXPECT_TRUE(Contains(calls, "[--wait][20][connection][up][uuid][" + uuid + "][ifname][lan0]"));
  EXPECT_TRUE(Contains(calls, "[device][set][lan0][autoconnect][yes]"));
  int activations = 0;
  for (const std::string& c : calls)
    activations += c.find("[connection][up]") != std::string::npos || c.find("[device][connect]") != std::string::npos;
  EXPECT_EQ(activations, 2) << "the switch and the renew; the renew of the manual profile asked nothing";
  for (const std::string& c : calls) EXPECT_EQ(c.find("--help"), std::string::npos) << c;

  // The kernel's address was left to NetworkManager.
  const testbed::ExecResult addr = bed_->Exec(Role::kPc, {"ip", "-4", "-o", "addr", "show", "dev", "lan0"});
  EXPECT_NE(addr.output.find("192.168.123.30/24"), std::string::npos) << addr.output;
}

}  // namespace
}  // namespace kelvane
