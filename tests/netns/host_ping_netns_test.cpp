// The Linux host backend's pings against a real network: the test bed's
// namespaces, the router's kernel (or a raw socket standing in for it)
// answering. Everything runs inside the bed's own namespaces; the machine's
// own namespace sees no traffic.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <grp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iostream>
#include <thread>

#include "net/Wait.h"
#include "net/host/linux/IcmpEcho.h"
#include "net/host/linux/LinuxHostNetwork.h"
#include "netns/NetnsFixture.h"

namespace kelvane {
namespace {

using testbed::BedHostOptions;
using testbed::Role;
using testbed::RunReporting;

class HostNetworkNetns : public testbed::RealTimeBedTest {};

TEST_F(HostNetworkNetns, PingAnswersForTheRouterAndTimesOutForNobody) {
  PcIp({"addr", "add", "192.168.123.10/24", "dev", "lan0"});
  PcIp({"route", "add", "default", "via", "192.168.123.254"});
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    LinuxHostNetwork net(BedHostOptions(*bed_));
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
    return 0;
  });
  ASSERT_EQ(code, 0) << report;
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
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
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
    return 0;
  });
  ASSERT_EQ(code, 0) << report;
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
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    IcmpEcho echo;
    PingError error = PingError::kNone;
    if (!echo.Open(error) || !echo.UsesRawSocket()) {
      r << "no raw echo socket";
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
    r << "answered=" << answered << "\nlongest=" << longest << "\n";
    return 0;
  });
  ASSERT_EQ(code, 0) << report;
  EXPECT_EQ(v["answered"], "0") << report;
  EXPECT_LT(std::stoul(v["longest"]), 250u) << "longest stretch without the hook, ms";
}

TEST_F(HostNetworkNetns, UnprivilegedPingSaysWhichPrivilegeIsMissing) {
  PcIp({"addr", "add", "192.168.123.12/24", "dev", "lan0"});
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    // Drop to nobody; the namespace's ping_group_range admits no group.
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) {
      r << "cannot drop privileges";
      return 3;
    }
    LinuxHostNetwork net(BedHostOptions(*bed_));
    PingError error = PingError::kNone;
    const std::uint64_t start = SteadyMs();
    const bool ok = net.PingHost("192.168.123.254", 4, &error);
    r << "ok=" << ok << "\nerror=" << static_cast<int>(error) << "\nms=" << SteadyMs() - start << "\n";
    return 0;
  });
  ASSERT_EQ(code, 0) << report;
  EXPECT_EQ(v["ok"], "0");
  EXPECT_EQ(v["error"], std::to_string(static_cast<int>(PingError::kNoPrivilege)));
  EXPECT_LT(std::stoul(v["ms"]), 200u) << "nothing is sent, so nothing is waited for";
  const std::string text = PingErrorText(PingError::kNoPrivilege);
  EXPECT_NE(text.find("cap_net_raw"), std::string::npos);
  EXPECT_NE(text.find("ping_group_range"), std::string::npos);
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
    responderCode = bed_->RunInRole(Role::kRouter, AnswerEchoesWithChangedLength, responderReport, 30000);
  });
  usleep(300 * 1000);  // let the responder take over the router's echoes
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    LinuxHostNetwork net(BedHostOptions(*bed_));
    for (const char* name : {"short", "whole", "long"}) {
      PingError error = PingError::kNone;
      r << name << "=" << net.PingHost("192.168.123.254", 1, &error) << "\n"
        << name << "Error=" << static_cast<int>(error) << "\n";
    }
    return 0;
  });
  responder.join();
  ASSERT_EQ(code, 0) << report;
  EXPECT_EQ(responderCode, 0) << responderReport;
  EXPECT_EQ(v["short"], "0") << report;
  EXPECT_EQ(v["shortError"], std::to_string(static_cast<int>(PingError::kShortReply)));
  EXPECT_EQ(v["whole"], "1");
  EXPECT_EQ(v["long"], "0");
  EXPECT_EQ(v["longError"], std::to_string(static_cast<int>(PingError::kShortReply)));
}

TEST_F(HostNetworkNetns, BroadcastTargetsGetTheirOwnReason) {
  PcIp({"addr", "add", "192.168.123.15/24", "dev", "lan0"});
  auto [code, report, v] = RunReporting(*bed_, Role::kPc, [&](std::ostream& r) {
    LinuxHostNetwork net(BedHostOptions(*bed_));
    for (const char* target : {"255.255.255.255", "192.168.123.255"}) {
      PingError error = PingError::kNone;
      r << target << "=" << net.PingHost(target, 1, &error) << "\n" << target << "Error=" << static_cast<int>(error)
        << "\n";
    }
    return 0;
  });
  ASSERT_EQ(code, 0) << report;
  const std::string broadcast = std::to_string(static_cast<int>(PingError::kBroadcastTarget));
  EXPECT_EQ(v["255.255.255.255"], "0");
  EXPECT_EQ(v["255.255.255.255Error"], broadcast) << "not a missing privilege";
  EXPECT_EQ(v["192.168.123.255"], "0");
  EXPECT_EQ(v["192.168.123.255Error"], broadcast) << "the subnet's broadcast: refused by the kernel";
}

}  // namespace
}  // namespace kelvane
