// The Linux host backend against a real network: the test bed's namespaces,
// real dnsmasq, the real DHCP client. Everything runs inside the bed's own
// namespaces; the machine's own namespace sees no traffic.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <grp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <thread>

#include "net/Wait.h"
#include "net/host/linux/IcmpEcho.h"
#include "net/host/linux/LinuxHostNetwork.h"
#include "netns/NetnsBed.h"

namespace kelvane {
namespace {

using testbed::NetnsBed;
using testbed::Role;

// "key=value" lines, as the children report what they saw.
std::map<std::string, std::string> ParseReport(const std::string& text) {
  std::map<std::string, std::string> values;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const auto equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

std::string Dotted(std::uint32_t value) {
  in_addr a{};
  a.s_addr = value;
  return inet_ntoa(a);
}

bool InLeaseRange(const std::string& address) {
  if (address.rfind("192.168.123.", 0) != 0) return false;
  const int last = std::atoi(address.c_str() + 12);
  return last >= 100 && last <= 200;
}

class HostNetworkNetns : public ::testing::Test {
 protected:
  void TearDown() override {
    bed_.Down();
    EXPECT_EQ(bed_.MachineChanges(), "");
  }

  void SetUp() override {
    std::string why;
    if (!NetnsBed::CanRun(why)) GTEST_SKIP() << why;
    std::string error;
    ASSERT_TRUE(bed_.Up(error)) << error;
    SetTimeScale(1.0);  // these tests measure the real pauses
  }

  // A backend that never asks NetworkManager and keeps its DHCP files in the bed.
  LinuxHostOptions Options() const {
    LinuxHostOptions options;
    options.nmcli.clear();
    options.dhcpStateDir = bed_.TempDir() + "/dhcp";
    options.resolvConf = "/etc/resolv.conf";  // the pc role's own, bound by the bed
    options.nmConnectionsDir.clear();
    options.pppPeersDir.clear();
    return options;
  }

  void PcIp(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"ip"};
    argv.insert(argv.end(), args.begin(), args.end());
    const testbed::ExecResult r = bed_.Exec(Role::kPc, argv);
    ASSERT_EQ(r.exitCode, 0) << r.output;
  }

  NetnsBed bed_;
};

TEST_F(HostNetworkNetns, StaticPcIsSwitchedToDhcpThenReleasedAndRenewed) {
  PcIp({"addr", "add", "10.77.0.5/24", "dev", "lan0"});
  PcIp({"route", "add", "default", "via", "10.77.0.1"});

  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    LinuxHostNetwork net(Options());
    std::ostringstream r;
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
    out = r.str();
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);

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
  std::ifstream leases(bed_.TempDir() + "/dnsmasq.leases");
  std::stringstream text;
  text << leases.rdbuf();
  EXPECT_NE(text.str().find(v["renewAddress"]), std::string::npos) << text.str();
}

TEST_F(HostNetworkNetns, PingAnswersForTheRouterAndTimesOutForNobody) {
  PcIp({"addr", "add", "192.168.123.10/24", "dev", "lan0"});
  PcIp({"route", "add", "default", "via", "192.168.123.254"});

  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    LinuxHostNetwork net(Options());
    std::ostringstream r;
    PingError error = PingError::kSocketFailed;
    std::uint64_t start = SteadyMs();
    r << "router=" << net.PingHost("192.168.123.254", 4, &error) << "\nrouterError=" << static_cast<int>(error)
      << "\nrouterMs=" << SteadyMs() - start << "\n";
    start = SteadyMs();
    r << "public=" << net.PingHost("203.0.113.80", 1, &error) << "\n";
    start = SteadyMs();
    r << "nobody=" << net.PingHost("192.168.123.77", 3, &error) << "\nnobodyError=" << static_cast<int>(error)
      << "\nnobodyMs=" << SteadyMs() - start << "\n";
    r << "bad=" << net.PingHost("192.168.123.", 1, &error) << "\nbadError=" << static_cast<int>(error) << "\n";
    out = r.str();
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);
  EXPECT_EQ(v["router"], "1") << report;
  EXPECT_EQ(v["routerError"], std::to_string(static_cast<int>(PingError::kNone)));
  EXPECT_LT(std::stoul(v["routerMs"]), 1000u);
  EXPECT_EQ(v["public"], "1") << "the router forwards to the isp's hosts";
  EXPECT_EQ(v["nobody"], "0");
  // Nobody answers ARP, so the kernel may report the host unreachable; either
  // way each attempt lasts its full time-out.
  EXPECT_TRUE(v["nobodyError"] == std::to_string(static_cast<int>(PingError::kTimedOut)) ||
              v["nobodyError"] == std::to_string(static_cast<int>(PingError::kUnreachable)))
      << v["nobodyError"];
  // 3 attempts of 1000 ms plus a 300 ms pause after each: about 3.9 s.
  const unsigned long nobodyMs = std::stoul(v["nobodyMs"]);
  std::cout << "unanswered ping, 3 attempts: " << nobodyMs << " ms\n";
  EXPECT_GE(nobodyMs, 3800u);
  EXPECT_LE(nobodyMs, 4600u);
  EXPECT_EQ(v["bad"], "0");
  EXPECT_EQ(v["badError"], std::to_string(static_cast<int>(PingError::kBadTarget)));
}

TEST_F(HostNetworkNetns, BothSocketKindsSendTheWizardsEcho) {
  PcIp({"addr", "add", "192.168.123.11/24", "dev", "lan0"});
  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    std::ostringstream r;
    in_addr router{};
    inet_pton(AF_INET, "192.168.123.254", &router);
    PingError error = PingError::kNone;
    {
      // A new namespace allows no group ping sockets: root falls back to raw.
      IcmpEcho echo;
      r << "rawOpen=" << echo.Open(error) << "\nraw=" << echo.UsesRawSocket() << "\n";
      r << "rawEcho=" << echo.Echo(router.s_addr, 1000, error) << "\n";
    }
    std::ofstream("/proc/sys/net/ipv4/ping_group_range") << "0 2147483647";
    {
      IcmpEcho echo;
      r << "dgramOpen=" << echo.Open(error) << "\ndgramRaw=" << echo.UsesRawSocket() << "\n";
      r << "dgramEcho=" << echo.Echo(router.s_addr, 1000, error) << "\n";
    }
    out = r.str();
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);
  EXPECT_EQ(v["rawOpen"], "1") << report;
  EXPECT_EQ(v["raw"], "1");
  EXPECT_EQ(v["rawEcho"], "1");
  EXPECT_EQ(v["dgramOpen"], "1");
  EXPECT_EQ(v["dgramRaw"], "0");
  EXPECT_EQ(v["dgramEcho"], "1");
}

// A raw socket sees every ICMP packet of the host. Other traffic arriving
// faster than the wait slice must not keep the echo wait from calling the hook.
TEST_F(HostNetworkNetns, RawEchoKeepsCallingTheHookUnderForeignIcmp) {
  PcIp({"addr", "add", "192.168.123.14/24", "dev", "lan0"});
  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    IcmpEcho echo;
    PingError error = PingError::kNone;
    if (!echo.Open(error) || !echo.UsesRawSocket()) {
      out = "no raw echo socket";
      return 3;
    }
    // Echo requests to the namespace's own loopback every 2 ms, for at most 2 s.
    std::atomic<bool> stop{false};
    std::thread flood([&stop] {
      const int s = socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
      std::uint8_t packet[16] = {8, 0, 0, 0, 0x4b, 0x56};
      const std::uint16_t sum = InternetChecksum(packet, sizeof packet);
      packet[2] = static_cast<std::uint8_t>(sum >> 8);
      packet[3] = static_cast<std::uint8_t>(sum);
      sockaddr_in to{};
      to.sin_family = AF_INET;
      to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      for (int i = 0; i < 1000 && !stop; ++i) {
        sendto(s, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        usleep(2000);
      }
      close(s);
    });
    std::uint64_t last = SteadyMs();
    std::uint64_t longest = 0;
    const WaitHook previous = SetWaitHook([&] {
      const std::uint64_t now = SteadyMs();
      longest = std::max(longest, now - last);
      last = now;
    });
    in_addr nobody{};
    inet_pton(AF_INET, "192.168.123.77", &nobody);
    const bool answered = echo.Echo(nobody.s_addr, 1000, error);
    longest = std::max(longest, SteadyMs() - last);
    SetWaitHook(previous);
    stop = true;
    flood.join();
    std::ostringstream r;
    r << "answered=" << answered << "\nlongest=" << longest << "\n";
    out = r.str();
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);
  EXPECT_EQ(v["answered"], "0") << report;
  EXPECT_LT(std::stoul(v["longest"]), 250u) << "longest stretch without the hook, ms";
}

TEST_F(HostNetworkNetns, UnprivilegedPingSaysWhichPrivilegeIsMissing) {
  PcIp({"addr", "add", "192.168.123.12/24", "dev", "lan0"});
  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    // Drop to nobody; the namespace's ping_group_range admits no group.
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) {
      out = "cannot drop privileges";
      return 3;
    }
    LinuxHostNetwork net(Options());
    PingError error = PingError::kNone;
    const std::uint64_t start = SteadyMs();
    const bool ok = net.PingHost("192.168.123.254", 4, &error);
    std::ostringstream r;
    r << "ok=" << ok << "\nerror=" << static_cast<int>(error) << "\nms=" << SteadyMs() - start << "\n";
    out = r.str();
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);
  EXPECT_EQ(v["ok"], "0");
  EXPECT_EQ(v["error"], std::to_string(static_cast<int>(PingError::kNoPrivilege)));
  EXPECT_LT(std::stoul(v["ms"]), 200u) << "nothing is sent, so nothing is waited for";
  const std::string text = PingErrorText(PingError::kNoPrivilege);
  EXPECT_NE(text.find("cap_net_raw"), std::string::npos);
  EXPECT_NE(text.find("ping_group_range"), std::string::npos);
}

TEST_F(HostNetworkNetns, NamesResolveThroughDnsmasq) {
  PcIp({"addr", "add", "192.168.123.13/24", "dev", "lan0"});
  PcIp({"route", "add", "default", "via", "192.168.123.254"});
  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    LinuxHostNetwork net(Options());
    std::ostringstream r;
    std::string address;
    r << "router=" << net.ResolveHostName("router.kelvane.test", address) << "\nrouterAddress=" << address << "\n";
    address.clear();
    r << "public=" << net.ResolveHostName("www.kelvane.test", address) << "\npublicAddress=" << address << "\n";
    address = "untouched";
    const std::uint64_t start = SteadyMs();
    r << "missing=" << net.ResolveHostName("missing.kelvane.test", address) << "\nmissingAddress=" << address
      << "\nmissingMs=" << SteadyMs() - start << "\n";
    r << "literal=" << net.ResolveHostName("198.51.100.1", address) << "\nliteralAddress=" << address << "\n";
    out = r.str();
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);
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
  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    LinuxHostNetwork net(Options());
    std::ostringstream r;
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
    out = r.str();
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);
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

// The router's kernel is told not to answer echoes; a raw socket answers them
// instead, with the data cut to 10 bytes, then whole, then padded to 24.
int AnswerEchoesWithChangedLength(std::string& out) {
  std::ofstream("/proc/sys/net/ipv4/icmp_echo_ignore_all") << "1";
  const int fd = socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
  if (fd < 0) {
    out = "no raw socket";
    return 3;
  }
  const std::size_t lengths[] = {10, 18, 24};
  std::size_t answered = 0;
  const std::uint64_t end = SteadyMs() + 15000;
  std::uint8_t packet[1500];
  while (answered < 3 && SteadyMs() < end) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n = recvfrom(fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n < 28) continue;
    const std::size_t ipHeader = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
    std::uint8_t* icmp = packet + ipHeader;
    if (icmp[0] != 8) continue;  // echo requests only
    const std::size_t length = lengths[answered++];
    std::vector<std::uint8_t> reply(8 + length, 'p');
    std::memcpy(reply.data(), icmp, 8);
    const std::size_t got = static_cast<std::size_t>(n) - ipHeader - 8;
    std::memcpy(reply.data() + 8, icmp + 8, std::min(got, length));
    reply[0] = 0;  // echo reply
    reply[2] = reply[3] = 0;
    const std::uint16_t sum = InternetChecksum(reply.data(), reply.size());
    reply[2] = static_cast<std::uint8_t>(sum >> 8);
    reply[3] = static_cast<std::uint8_t>(sum);
    sendto(fd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), sizeof from);
  }
  close(fd);
  out = "answered=" + std::to_string(answered);
  return 0;
}

TEST_F(HostNetworkNetns, EchoWithOtherThanTheSentDataLengthFails) {
  PcIp({"addr", "add", "192.168.123.14/24", "dev", "lan0"});
  std::string responderReport;
  int responderCode = -1;
  std::thread responder([&] {
    responderCode = bed_.RunInRole(Role::kRouter, AnswerEchoesWithChangedLength, responderReport, 30000);
  });
  usleep(300 * 1000);  // let the responder take over the router's echoes
  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    LinuxHostNetwork net(Options());
    std::ostringstream r;
    for (const char* name : {"short", "whole", "long"}) {
      PingError error = PingError::kNone;
      r << name << "=" << net.PingHost("192.168.123.254", 1, &error) << "\n"
        << name << "Error=" << static_cast<int>(error) << "\n";
    }
    out = r.str();
    return 0;
  }, report);
  responder.join();
  ASSERT_EQ(code, 0) << report;
  EXPECT_EQ(responderCode, 0) << responderReport;
  auto v = ParseReport(report);
  EXPECT_EQ(v["short"], "0") << report;
  EXPECT_EQ(v["shortError"], std::to_string(static_cast<int>(PingError::kShortReply)));
  EXPECT_EQ(v["whole"], "1");
  EXPECT_EQ(v["long"], "0");
  EXPECT_EQ(v["longError"], std::to_string(static_cast<int>(PingError::kShortReply)));
}

TEST_F(HostNetworkNetns, SwitchWithoutAClientChangesNothing) {
  PcIp({"addr", "add", "10.77.0.6/24", "dev", "lan0"});
  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    LinuxHostOptions options = Options();
    options.dhcpClients = {"kelvane-no-such-dhcp-client"};
    LinuxHostNetwork net(options);
    std::ostringstream r;
    r << "switched=" << net.SwitchAdapterToDhcp("lan0") << "\n";
    r << "unknown=" << net.SwitchAdapterToDhcp("nosuch0") << "\n";
    out = r.str();
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);
  EXPECT_EQ(v["switched"], "0");
  EXPECT_EQ(v["unknown"], "0");
  const testbed::ExecResult addr = bed_.Exec(Role::kPc, {"ip", "-4", "-o", "addr", "show", "dev", "lan0"});
  EXPECT_NE(addr.output.find("10.77.0.6/24"), std::string::npos) << "the static address stays: " << addr.output;
}

TEST_F(HostNetworkNetns, LeasesOfOtherClientsAndFixedAddressesAreNotTouched) {
  // A lease-like address (finite lifetime) that no client of ours holds.
  PcIp({"addr", "add", "192.168.123.60/24", "dev", "lan0", "valid_lft", "600", "preferred_lft", "600"});
  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    LinuxHostNetwork net(Options());
    std::ostringstream r;
    HostAdapterInfo info;
    net.GetHostNetworkInfo(info);
    r << "dhcp=" << int(info.dhcpEnabled) << "\n";
    r << "released=" << net.ReleaseAllAdapters() << "\nrenewed=" << net.RenewAllAdapters() << "\n";
    out = r.str();
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);
  EXPECT_EQ(v["dhcp"], "1") << "a finite lifetime marks a lease";
  EXPECT_EQ(v["released"], "0") << "no release can be claimed for a lease we cannot drive";
  EXPECT_EQ(v["renewed"], "0");
  testbed::ExecResult addr = bed_.Exec(Role::kPc, {"ip", "-4", "-o", "addr", "show", "dev", "lan0"});
  EXPECT_NE(addr.output.find("192.168.123.60/24"), std::string::npos) << addr.output;
  EXPECT_EQ(bed_.PidsIn(Role::kPc).size(), 0u) << "no DHCP client was started";

  // A fixed address has no lease at all.
  PcIp({"addr", "flush", "dev", "lan0"});
  PcIp({"addr", "add", "192.168.123.61/24", "dev", "lan0"});
  const int code2 = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    LinuxHostNetwork net(Options());
    out = "released=" + std::to_string(net.ReleaseAllAdapters()) + "\nrenewed=" +
          std::to_string(net.RenewAllAdapters()) + "\n";
    return 0;
  }, report);
  ASSERT_EQ(code2, 0) << report;
  v = ParseReport(report);
  EXPECT_EQ(v["released"], "0");
  EXPECT_EQ(v["renewed"], "0");
  addr = bed_.Exec(Role::kPc, {"ip", "-4", "-o", "addr", "show", "dev", "lan0"});
  EXPECT_NE(addr.output.find("192.168.123.61/24"), std::string::npos) << addr.output;
}

// Adapters without carrier show no address: an unplugged lan0 with its fixed
// address and a virtual network's interface with a fixed address and nothing
// behind it (its peer down, as a bridge without ports shows on most kernels)
// come first in the kernel's order; the cabled adapter after them is chosen.
TEST_F(HostNetworkNetns, AdaptersWithoutCarrierDoNotCount) {
  PcIp({"addr", "add", "192.168.123.10/24", "dev", "lan0"});
  ASSERT_EQ(bed_.Exec(Role::kRouter, {"ip", "link", "set", "lan0", "down"}).exitCode, 0);  // cable pulled
  PcIp({"link", "add", "virbr0", "type", "veth", "peer", "name", "virbr0-nic"});
  PcIp({"addr", "add", "192.168.122.1/24", "dev", "virbr0"});
  PcIp({"link", "set", "virbr0", "up"});
  PcIp({"link", "add", "eth1", "type", "veth", "peer", "name", "eth1peer"});
  PcIp({"addr", "add", "192.168.50.2/24", "dev", "eth1"});
  PcIp({"link", "set", "eth1peer", "up"});
  PcIp({"link", "set", "eth1", "up"});
  PcIp({"route", "add", "default", "via", "192.168.50.1"});
  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    LinuxHostNetwork net(Options());
    std::ostringstream r;
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
    out = r.str();
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);
  EXPECT_EQ(v["lan0"], "0.0.0.0") << report;
  EXPECT_EQ(v["virbr0"], "0.0.0.0") << report;
  EXPECT_EQ(v.count("virbr0-nic"), 0u) << "a link that is down is no adapter";
  EXPECT_EQ(v["eth1"], "192.168.50.2") << report;
  EXPECT_EQ(v["found"], "1");
  EXPECT_EQ(v["name"], "eth1");
  EXPECT_EQ(v["address"], "192.168.50.2");
  EXPECT_EQ(v["gateway"], "192.168.50.1");
}

TEST_F(HostNetworkNetns, BroadcastTargetsGetTheirOwnReason) {
  PcIp({"addr", "add", "192.168.123.15/24", "dev", "lan0"});
  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    LinuxHostNetwork net(Options());
    std::ostringstream r;
    for (const char* target : {"255.255.255.255", "192.168.123.255"}) {
      PingError error = PingError::kNone;
      r << target << "=" << net.PingHost(target, 1, &error) << "\n" << target << "Error=" << static_cast<int>(error)
        << "\n";
    }
    out = r.str();
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);
  const std::string broadcast = std::to_string(static_cast<int>(PingError::kBroadcastTarget));
  EXPECT_EQ(v["255.255.255.255"], "0");
  EXPECT_EQ(v["255.255.255.255Error"], broadcast) << "not a missing privilege";
  EXPECT_EQ(v["192.168.123.255"], "0");
  EXPECT_EQ(v["192.168.123.255Error"], broadcast) << "the subnet's broadcast: refused by the kernel";
}

TEST_F(HostNetworkNetns, PcWithOnlyLoopbackHasNoNetworkInfo) {
  PcIp({"link", "del", "lan0"});
  std::string report;
  const int code = bed_.RunInRole(Role::kPc, [&](std::string& out) {
    LinuxHostNetwork net(Options());
    HostAdapterInfo info;
    std::vector<HostAdapterInfo> adapters;
    out = "info=" + std::to_string(net.GetHostNetworkInfo(info)) + "\nlisted=" +
          std::to_string(net.ListAdapters(adapters)) + "\ncount=" + std::to_string(adapters.size()) + "\n";
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);
  EXPECT_EQ(v["listed"], "1") << "the list itself can be read";
  EXPECT_EQ(v["count"], "0") << "loopback is no adapter";
  EXPECT_EQ(v["info"], "0");
}

TEST(NetnsBedWithoutDhcp, SwitchGivesUpAfterTwentyLooks) {
  std::string why;
  if (!NetnsBed::CanRun(why)) GTEST_SKIP() << why;
  testbed::NetnsBedOptions options;
  options.startDnsmasq = false;  // nobody answers DHCP
  NetnsBed bed(options);
  std::string error;
  ASSERT_TRUE(bed.Up(error)) << error;
  ASSERT_EQ(bed.Exec(Role::kPc, {"ip", "addr", "add", "10.77.0.7/24", "dev", "lan0"}).exitCode, 0);
  std::string report;
  const int code = bed.RunInRole(Role::kPc, [&](std::string& out) {
    SetTimeScale(0.05);  // the 1000 ms pauses become 50 ms
    LinuxHostOptions o;
    o.nmcli.clear();
    o.dhcpStateDir = bed.TempDir() + "/dhcp";
    LinuxHostNetwork net(o);
    const std::uint64_t start = SteadyMs();
    std::ostringstream r;
    r << "switched=" << net.SwitchAdapterToDhcp("lan0") << "\nms=" << SteadyMs() - start
      << "\nrecord=" << net.AdapterRecord().ipAddress.view() << "\n";
    out = r.str();
    return 0;
  }, report);
  ASSERT_EQ(code, 0) << report;
  auto v = ParseReport(report);
  EXPECT_EQ(v["switched"], "0");
  EXPECT_EQ(v["record"], "0.0.0.0") << "the static address was removed for the lease";
  bed.Down();
  EXPECT_EQ(bed.MachineChanges(), "");
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
