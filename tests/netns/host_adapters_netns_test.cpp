// The Linux host backend's view of the PC against a real network: adapters
// and addresses from the kernel, the switch to DHCP, release and renew
// through the real DHCP client against real dnsmasq, and names resolved
// through it. Everything runs inside the test bed's own namespaces; the
// machine's own namespace sees no traffic.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "net/Wait.h"
#include "net/host/linux/LinuxHostNetwork.h"
#include "netns/NetnsFixture.h"

namespace kelvane {
namespace {

using testbed::BedHostOptions;
using testbed::Dotted;
using testbed::InRange;
using testbed::NetnsBed;
using testbed::ReadText;
using testbed::Role;
using testbed::RunReporting;

bool InLeaseRange(const std::string& address) { return InRange(address, "192.168.123.", 100, 200); }

class HostNetworkNetns : public testbed::RealTimeBedTest {};

TEST_F(HostNetworkNetns, StaticPcIsSwitchedToDhcpThenReleasedAndRenewed) {
  PcIp({"addr", "add", "10.77.0.5/24", "dev", "lan0"});
  PcIp({"route", "add", "default", "via", "10.77.0.1"});

  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    LinuxHostNetwork net(BedHostOptions(*bed_));
    bool dhcp = true;
    std::uint32_t address = 0, gateway = 0;
    std::string name;
    r << "before=" << net.FindLocalAddress(1, dhcp, address, gateway, name) << "\n";
    r << "beforeAddress=" << Dotted(address) << "\nbeforeGateway=" << Dotted(gateway)
      << "\nbeforeDhcp=" << dhcp << "\nbeforeName=" << name << "\n";

    const std::uint64_t start = SteadyMs();
    r << "switched=" << net.SwitchAdapterToDhcp("lan0") << "\n";
    r << "switchMs=" << SteadyMs() - start << "\n";

    r << "after=" << net.FindLocalAddress(1, dhcp, address, gateway, name) << "\n";
    r << "afterAddress=" << Dotted(address) << "\nafterGateway=" << Dotted(gateway)
      << "\nafterDhcp=" << dhcp << "\n";
    HostAdapterInfo info;
    r << "info=" << net.GetHostNetworkInfo(info) << "\n";
    r << "infoDns1=" << info.dnsServer1.view() << "\ninfoDns2=" << info.dnsServer2.view()
      << "\ninfoServer=" << info.dhcpServer.view() << "\ninfoMask=" << info.subnetMask.view() << "\n";

    r << "released=" << net.ReleaseAllAdapters() << "\n";
    r << "afterRelease=" << net.FindLocalAddress(1, dhcp, address, gateway, name) << "\n";
    r << "releasedRecord=" << net.AdapterRecord().ipAddress.view() << "\n";

    r << "renewed=" << net.RenewAllAdapters() << "\n";
    address = 0;
    r << "afterRenew=" << net.FindLocalAddress(1, dhcp, address, gateway, name) << "\n";
    r << "renewAddress=" << Dotted(address) << "\n";
    return 0;
  });
  ASSERT_EQ(code, 0) << report;

  EXPECT_EQ(v["before"], "1") << report;
  EXPECT_EQ(v["beforeAddress"], "10.77.0.5");
  EXPECT_EQ(v["beforeGateway"], "10.77.0.1");
  EXPECT_EQ(v["beforeDhcp"], "0") << "a static address has an infinite lifetime";
  EXPECT_EQ(v["beforeName"], "lan0");

  ASSERT_EQ(v["switched"], "1") << report;
  EXPECT_LT(std::stoul(v["switchMs"]), 20000u);
  EXPECT_EQ(v["after"], "1");
  EXPECT_TRUE(InLeaseRange(v["afterAddress"])) << v["afterAddress"];
  EXPECT_EQ(v["afterGateway"], "192.168.123.254");
  EXPECT_EQ(v["afterDhcp"], "1");
  EXPECT_EQ(v["info"], "1");
  EXPECT_EQ(v["infoDns1"], "192.168.123.254") << "the DHCP client writes the lease's DNS server";
  EXPECT_EQ(v["infoDns2"], "");
  EXPECT_EQ(v["infoServer"], "192.168.123.254");
  EXPECT_EQ(v["infoMask"], "255.255.255.0");

  EXPECT_EQ(v["released"], "1") << report;
  EXPECT_EQ(v["afterRelease"], "0");
  EXPECT_EQ(v["releasedRecord"], "0.0.0.0");

  EXPECT_EQ(v["renewed"], "1") << report;
  EXPECT_EQ(v["afterRenew"], "1");
  EXPECT_TRUE(InLeaseRange(v["renewAddress"])) << v["renewAddress"];

  // dnsmasq really handed out the lease.
  const std::string leases = ReadText(bed_->TempDir() + "/dnsmasq.leases");
  EXPECT_NE(leases.find(v["renewAddress"]), std::string::npos) << leases;
}

TEST_F(HostNetworkNetns, NamesResolveThroughDnsmasq) {
  PcIp({"addr", "add", "192.168.123.13/24", "dev", "lan0"});
  PcIp({"route", "add", "default", "via", "192.168.123.254"});
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    LinuxHostNetwork net(BedHostOptions(*bed_));
    std::string address;
    r << "router=" << net.ResolveHostName("router.kelvane.test", address) << "\nrouterAddress=" << address << "\n";
    address.clear();
    r << "public=" << net.ResolveHostName("www.kelvane.test", address) << "\npublicAddress=" << address << "\n";
    address = "untouched";
    const std::uint64_t start = SteadyMs();
    r << "missing=" << net.ResolveHostName("missing.kelvane.test", address) << "\nmissingAddress=" << address
      << "\nmissingMs=" << SteadyMs() - start << "\n";
    r << "literal=" << net.ResolveHostName("198.51.100.1", address) << "\nliteralAddress=" << address << "\n";
    return 0;
  });
  ASSERT_EQ(code, 0) << report;
  EXPECT_EQ(v["router"], "1") << report;
  EXPECT_EQ(v["routerAddress"], "192.168.123.254");
  EXPECT_EQ(v["public"], "1") << "forwarded from the router's dnsmasq to the isp's";
  EXPECT_EQ(v["publicAddress"], "203.0.113.80");
  EXPECT_EQ(v["missing"], "0");
  EXPECT_EQ(v["missingAddress"], "untouched");
  EXPECT_LT(std::stoul(v["missingMs"]), 3000u);
  EXPECT_EQ(v["literal"], "1");
  EXPECT_EQ(v["literalAddress"], "198.51.100.1");
}

TEST_F(HostNetworkNetns, AddressSearchJudgesWhatTheKernelHas) {
  PcIp({"addr", "add", "169.254.7.9/16", "dev", "lan0"});
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    LinuxHostNetwork net(BedHostOptions(*bed_));
    bool dhcp = false;
    std::uint32_t address = 0, gateway = 0;
    std::string name = "untouched";
    std::uint64_t start = SteadyMs();
    r << "zero=" << net.FindLocalAddress(0, dhcp, address, gateway, name) << "\nzeroMs=" << SteadyMs() - start
      << "\nzeroName=" << name << "\n";
    start = SteadyMs();
    r << "linkLocal=" << net.FindLocalAddress(2, dhcp, address, gateway, name) << "\nlinkLocalMs="
      << SteadyMs() - start << "\nrecord=" << net.AdapterRecord().ipAddress.view() << "\n";
    HostAdapterInfo info;
    r << "info=" << net.GetHostNetworkInfo(info) << "\ninfoAddress=" << info.ipAddress.view()
      << "\ninfoMask=" << info.subnetMask.view() << "\ninfoName=" << info.adapterName.view()
      << "\ninfoDns1=" << info.dnsServer1.view() << "\n";
    return 0;
  });
  ASSERT_EQ(code, 0) << report;
  EXPECT_EQ(v["zero"], "0");
  EXPECT_LT(std::stoul(v["zeroMs"]), 50u);
  EXPECT_EQ(v["zeroName"], "untouched");
  EXPECT_EQ(v["linkLocal"], "0");
  // Two attempts: one 1000 ms pause between them, none after the last.
  EXPECT_GE(std::stoul(v["linkLocalMs"]), 1000u);
  EXPECT_LT(std::stoul(v["linkLocalMs"]), 1800u);
  EXPECT_EQ(v["record"], "169.254.7.9");
  EXPECT_EQ(v["info"], "1");
  EXPECT_EQ(v["infoAddress"], "169.254.7.9");
  EXPECT_EQ(v["infoMask"], "255.255.0.0");
  EXPECT_EQ(v["infoName"], "lan0");
  EXPECT_EQ(v["infoDns1"], "192.168.123.254");
}

TEST_F(HostNetworkNetns, SwitchWithoutAClientChangesNothing) {
  PcIp({"addr", "add", "10.77.0.6/24", "dev", "lan0"});
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    LinuxHostOptions options = BedHostOptions(*bed_);
    options.dhcpClients = {"kelvane-no-such-dhcp-client"};
    LinuxHostNetwork net(options);
    r << "switched=" << net.SwitchAdapterToDhcp("lan0") << "\n";
    r << "unknown=" << net.SwitchAdapterToDhcp("nosuch0") << "\n";
    return 0;
  });
  ASSERT_EQ(code, 0) << report;
  EXPECT_EQ(v["switched"], "0");
  EXPECT_EQ(v["unknown"], "0");
  const testbed::ExecResult addr = bed_->Exec(Role::kPc, {"ip", "-4", "-o", "addr", "show", "dev", "lan0"});
  EXPECT_NE(addr.output.find("10.77.0.6/24"), std::string::npos) << "the static address stays: " << addr.output;
}

TEST_F(HostNetworkNetns, LeasesOfOtherClientsAndFixedAddressesAreNotTouched) {
  // A lease-like address (finite lifetime) that no client of ours holds.
  PcIp({"addr", "add", "192.168.123.60/24", "dev", "lan0", "valid_lft", "600", "preferred_lft", "600"});
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    LinuxHostNetwork net(BedHostOptions(*bed_));
    HostAdapterInfo info;
    net.GetHostNetworkInfo(info);
    r << "dhcp=" << int(info.dhcpEnabled) << "\n";
    r << "released=" << net.ReleaseAllAdapters() << "\nrenewed=" << net.RenewAllAdapters() << "\n";
    return 0;
  });
  ASSERT_EQ(code, 0) << report;
  EXPECT_EQ(v["dhcp"], "1") << "a finite lifetime marks a lease";
  EXPECT_EQ(v["released"], "0") << "no release can be claimed for a lease we cannot drive";
  EXPECT_EQ(v["renewed"], "0");
  testbed::ExecResult addr = bed_->Exec(Role::kPc, {"ip", "-4", "-o", "addr", "show", "dev", "lan0"});
  EXPECT_NE(addr.output.find("192.168.123.60/24"), std::string::npos) << addr.output;
  EXPECT_EQ(bed_->PidsIn(Role::kPc).size(), 0u) << "no DHCP client was started";

  // A fixed address has no lease at all.
  PcIp({"addr", "flush", "dev", "lan0"});
  PcIp({"addr", "add", "192.168.123.61/24", "dev", "lan0"});
  auto [code2, report2, v2] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    LinuxHostNetwork net(BedHostOptions(*bed_));
    r << "released=" << net.ReleaseAllAdapters() << "\nrenewed=" << net.RenewAllAdapters() << "\n";
    return 0;
  });
  ASSERT_EQ(code2, 0) << report2;
  EXPECT_EQ(v2["released"], "0");
  EXPECT_EQ(v2["renewed"], "0");
  addr = bed_->Exec(Role::kPc, {"ip", "-4", "-o", "addr", "show", "dev", "lan0"});
  EXPECT_NE(addr.output.find("192.168.123.61/24"), std::string::npos) << addr.output;
}

// Adapters without carrier show no address: an unplugged lan0 with its fixed
// address and a virtual network's interface with a fixed address and nothing
// behind it (its peer down, as a bridge without ports shows on most kernels)
// come first in the kernel's order; the cabled adapter after them is chosen.
TEST_F(HostNetworkNetns, AdaptersWithoutCarrierDoNotCount) {
  PcIp({"addr", "add", "192.168.123.10/24", "dev", "lan0"});
  MustRun(Role::kRouter, {"ip", "link", "set", "lan0", "down"});  // cable pulled
  PcIp({"link", "add", "virbr0", "type", "veth", "peer", "name", "virbr0-nic"});
  PcIp({"addr", "add", "192.168.122.1/24", "dev", "virbr0"});
  PcIp({"link", "set", "virbr0", "up"});
  PcIp({"link", "add", "eth1", "type", "veth", "peer", "name", "eth1peer"});
  PcIp({"addr", "add", "192.168.50.2/24", "dev", "eth1"});
  PcIp({"link", "set", "eth1peer", "up"});
  PcIp({"link", "set", "eth1", "up"});
  PcIp({"route", "add", "default", "via", "192.168.50.1"});
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    LinuxHostNetwork net(BedHostOptions(*bed_));
    std::vector<HostAdapterInfo> adapters;
    // Wait for the kernel's view to settle (the new links up, eth1 with carrier).
    const auto eth1Ready = [&] {
      for (const HostAdapterInfo& a : adapters)
        if (a.adapterName.view() == "eth1" && a.ipAddress.view() != "0.0.0.0") return true;
      return false;
    };
    for (int i = 0; i < 100 && !(net.ListAdapters(adapters) && eth1Ready()); ++i) WaitRealMs(100);
    for (const HostAdapterInfo& a : adapters) r << a.adapterName.view() << "=" << a.ipAddress.view() << "\n";
    bool dhcp = false;
    std::uint32_t address = 0, gateway = 0;
    std::string name;
    r << "found=" << net.FindLocalAddress(1, dhcp, address, gateway, name) << "\nname=" << name
      << "\naddress=" << Dotted(address) << "\ngateway=" << Dotted(gateway) << "\n";
    return 0;
  });
  ASSERT_EQ(code, 0) << report;
  EXPECT_EQ(v["lan0"], "0.0.0.0") << report;
  EXPECT_EQ(v["virbr0"], "0.0.0.0") << report;
  EXPECT_EQ(v.count("virbr0-nic"), 0u) << "a link that is down is no adapter";
  EXPECT_EQ(v["eth1"], "192.168.50.2") << report;
  EXPECT_EQ(v["found"], "1");
  EXPECT_EQ(v["name"], "eth1");
  EXPECT_EQ(v["address"], "192.168.50.2");
  EXPECT_EQ(v["gateway"], "192.168.50.1");
}

TEST_F(HostNetworkNetns, PcWithOnlyLoopbackHasNoNetworkInfo) {
  PcIp({"link", "del", "lan0"});
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    LinuxHostNetwork net(BedHostOptions(*bed_));
    HostAdapterInfo info;
    std::vector<HostAdapterInfo> adapters;
    r << "info=" << net.GetHostNetworkInfo(info) << "\nlisted=" << net.ListAdapters(adapters)
      << "\ncount=" << adapters.size() << "\n";
    return 0;
  });
  ASSERT_EQ(code, 0) << report;
  EXPECT_EQ(v["listed"], "1") << "the list itself can be read";
  EXPECT_EQ(v["count"], "0") << "loopback is no adapter";
  EXPECT_EQ(v["info"], "0");
}

class NetnsBedWithoutDhcp : public testbed::BedTest {};

TEST_F(NetnsBedWithoutDhcp, SwitchGivesUpAfterTwentyLooks) {
  testbed::NetnsBedOptions options;
  options.startDnsmasq = false;  // nobody answers DHCP
  StartBed(options);
  if (!BedUp()) return;
  PcIp({"addr", "add", "10.77.0.7/24", "dev", "lan0"});
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    SetTimeScale(0.05);  // the 1000 ms pauses become 50 ms
    LinuxHostNetwork net(BedHostOptions(*bed_));
    const std::uint64_t start = SteadyMs();
    r << "switched=" << net.SwitchAdapterToDhcp("lan0") << "\nms=" << SteadyMs() - start
      << "\nrecord=" << net.AdapterRecord().ipAddress.view() << "\n";
    return 0;
  });
  ASSERT_EQ(code, 0) << report;
  EXPECT_EQ(v["switched"], "0");
  EXPECT_EQ(v["record"], "0.0.0.0") << "the static address was removed for the lease";
  // 19 scaled pauses of 50 ms plus the looks themselves.
  EXPECT_GE(std::stoul(v["ms"]), 950u);
  EXPECT_LT(std::stoul(v["ms"]), 8000u);
}

TEST(NetnsBedTeardown, RemovesNamespacesAndEveryProcessItStarted) {
  std::string why;
  if (!NetnsBed::CanRun(why)) GTEST_SKIP() << why;
  std::string names[3];
  std::vector<pid_t> pids;
  {
    NetnsBed bed;
    std::string error;
    ASSERT_TRUE(bed.Up(error)) << error;
    names[0] = bed.Namespace(Role::kPc);
    names[1] = bed.Namespace(Role::kRouter);
    names[2] = bed.Namespace(Role::kIsp);
    // A daemon left behind in a role, as a DHCP client would be.
    bed.Spawn(Role::kPc, {"sleep", "600"}, bed.TempDir() + "/sleep.log");
    for (int i = 0; i < 50 && bed.PidsIn(Role::kPc).empty(); ++i) usleep(20000);
    for (Role role : {Role::kPc, Role::kRouter, Role::kIsp})
      for (pid_t pid : bed.PidsIn(role)) pids.push_back(pid);
    EXPECT_GE(pids.size(), 3u) << "dnsmasq twice and the sleeper";
  }
  for (const std::string& name : names) {
    struct stat st {};
    EXPECT_NE(stat(("/run/netns/" + name).c_str(), &st), 0) << name << " is still there";
  }
  for (pid_t pid : pids) EXPECT_NE(kill(pid, 0), 0) << "process " << pid << " survived";
}

}  // namespace
}  // namespace kelvane
