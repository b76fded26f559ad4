// The fuzz guard refuses what the fuzz programs must never do, and lets
// loopback traffic through. The test runs in a network namespace of its own
// (root only), so that even a broken guard could send nothing off the machine.
#include <arpa/inet.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sched.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "net/DiscoveryProbe.h"
#include "net/HttpClient.h"
#include "net/host/linux/ProcessRunner.h"
#include "tests/fuzz/FuzzGuard.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace kelvane;
using namespace kelvane::fuzz;

namespace {

sockaddr_in Address(const char* dotted, std::uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  inet_pton(AF_INET, dotted, &a.sin_addr);
  return a;
}

class FuzzGuardTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (::unshare(CLONE_NEWNET) != 0) {
      isolated_ = false;
      return;
    }
    // A new namespace starts with loopback down; raise it without running a program.
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    isolated_ = fd >= 0 && ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
    isolated_ = isolated_ && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    if (fd >= 0) ::close(fd);
  }

  void SetUp() override {
    if (!isolated_) GTEST_SKIP() << "needs root for a network namespace of its own (unshare CLONE_NEWNET)";
  }

  static bool isolated_;
};

bool FuzzGuardTest::isolated_ = false;

TEST_F(FuzzGuardTest, NonLoopbackConnectAndSendAreRefused) {
  struct Case {
    const char* address;
  };
  const Case cases[] = {{"192.0.2.1"}, {"10.0.0.1"}, {"192.168.123.254"}, {"255.255.255.255"}, {"0.0.0.0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    const sockaddr_in to = Address(c.address, 80);
    const int tcp = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(tcp, 0);
    const unsigned long before = GuardRefusals();
    errno = 0;
    EXPECT_EQ(::connect(tcp, reinterpret_cast<const sockaddr*>(&to), sizeof to), -1);
    EXPECT_EQ(errno, EACCES);  // an unguarded connect here fails with ENETUNREACH
    EXPECT_EQ(GuardRefusals(), before + 1);
    ::close(tcp);

    const int udp = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(udp, 0);
    const int one = 1;
    ::setsockopt(udp, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    errno = 0;
    EXPECT_EQ(::sendto(udp, "x", 1, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to), -1);
    EXPECT_EQ(errno, EACCES);
    msghdr message{};
    sockaddr_in name = to;
    message.msg_name = &name;
    message.msg_namelen = sizeof name;
    errno = 0;
    EXPECT_EQ(::sendmsg(udp, &message, 0), -1);
    EXPECT_EQ(errno, EACCES);
    ::close(udp);
  }
}

TEST_F(FuzzGuardTest, RawPacketNetlinkAndPingSocketsAreRefused) {
  struct Case {
    const char* what;
    int domain, type, protocol;
  };
  const Case cases[] = {
      {"raw ICMP", AF_INET, SOCK_RAW, IPPROTO_ICMP},
      {"ICMP datagram (ping)", AF_INET, SOCK_DGRAM, IPPROTO_ICMP},
      {"packet", AF_PACKET, SOCK_RAW, 0},
      {"netlink", AF_NETLINK, SOCK_RAW, 0},
      {"local", AF_UNIX, SOCK_STREAM, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    errno = 0;
    const int fd = ::socket(c.domain, c.type | SOCK_CLOEXEC, c.protocol);
    EXPECT_EQ(fd, -1);
    EXPECT_EQ(errno, EACCES);
    if (fd >= 0) ::close(fd);
  }
}

TEST_F(FuzzGuardTest, NameLookupsAreRefusedNumericOnesPass) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* result = nullptr;
  const unsigned long before = GuardRefusals();
  const unsigned long lookupsBefore = GuardLookups();
  EXPECT_NE(::getaddrinfo("localhost", nullptr, &hints, &result), 0);
  EXPECT_EQ(result, nullptr);
  EXPECT_NE(::getaddrinfo("router.example", "80", &hints, &result), 0);
  EXPECT_EQ(::gethostbyname("router.example"), nullptr);
  EXPECT_EQ(GuardRefusals(), before + 3);
  EXPECT_EQ(GuardLookups(), lookupsBefore + 3);

  hints.ai_flags = AI_NUMERICHOST;
  ASSERT_EQ(::getaddrinfo("127.0.0.1", nullptr, &hints, &result), 0);
  ::freeaddrinfo(result);

  // The client under test: a host name in a URL never reaches a resolver.
  std::string host, path;
  std::uint16_t port = 0;
  EXPECT_FALSE(ParseHttpUrl("http://router.example/", host, port, path));
}

TEST_F(FuzzGuardTest, ProgramStartsAreRefused) {
  const unsigned long before = GuardRefusals();
  pid_t pid = 0;
  char arg0[] = "true";
  char* argv[] = {arg0, nullptr};
  char* envp[] = {nullptr};
  EXPECT_NE(::posix_spawn(&pid, "/bin/true", nullptr, nullptr, argv, envp), 0);
  EXPECT_NE(::posix_spawnp(&pid, "true", nullptr, nullptr, argv, envp), 0);
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);  // only reached with a broken guard
  EXPECT_EQ(child, -1);
  EXPECT_EQ(::execve("/bin/true", argv, envp), -1);
  EXPECT_EQ(::execvp("true", argv), -1);
  EXPECT_EQ(::popen("true", "r"), nullptr);
  EXPECT_EQ(GuardRefusals(), before + 6);

  ProgramResult result;
  EXPECT_FALSE(RunProgram({"/bin/true"}, 2000, result));
  EXPECT_FALSE(result.started);
}

TEST_F(FuzzGuardTest, LoopbackPeersAnswerAndOtherPortsAreClosed) {
  LoopbackHttpPeer peer;
  peer.SetAnswers({"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"});
  std::string response;
  EXPECT_TRUE(HttpGet("http://127.0.0.1:" + std::to_string(peer.Port()) + "/", response, 5));
  EXPECT_EQ(response, "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok");

  // Once peers are named, other loopback ports are closed, and a redirect to
  // another address or a host name goes nowhere.
  const int tcp = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in other = Address("127.0.0.1", static_cast<std::uint16_t>(peer.Port() == 9 ? 10 : 9));
  errno = 0;
  EXPECT_EQ(::connect(tcp, reinterpret_cast<const sockaddr*>(&other), sizeof other), -1);
  EXPECT_EQ(errno, ECONNREFUSED);
  ::close(tcp);

  for (const char* location : {"http://192.0.2.7/", "http://router.example/"}) {
    SCOPED_TRACE(location);
    peer.SetAnswers({std::string("HTTP/1.0 301 Moved\r\nLocation: ") + location + "\r\n\r\n"});
    const unsigned long before = GuardRefusals();
    EXPECT_FALSE(HttpGet("http://127.0.0.1:" + std::to_string(peer.Port()) + "/", response, 5));
    EXPECT_EQ(peer.Requests().size(), 1u);
    EXPECT_GE(GuardRefusals(), before + 1);
  }

  // A probe to a non-loopback address is refused at the send.
  std::uint32_t address = 0;
  ProbeError error = ProbeError::kNone;
  const unsigned long before = GuardRefusals();
  EXPECT_FALSE(DiscoveryProbe(address, "192.0.2.1", kProbeServerPort, FreeUdpPort(), &error));
  EXPECT_EQ(error, ProbeError::kSendFailed);
  EXPECT_EQ(GuardRefusals(), before + 1);
}

}  // namespace
