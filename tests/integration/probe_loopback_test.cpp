// The two LAN probes and the datagram socket, exercised on 127.0.0.1 only with
// unprivileged ports: a responder thread plays the router (or a DHCP server),
// checks the datagram's bytes and answers.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/DiscoveryProbe.h"
#include "net/TrafficLog.h"
#include "net/UdpSocket.h"
#include "net/Wait.h"

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

int BoundUdp(const char* address, std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  ::inet_pton(AF_INET, address, &local.sin_addr);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::uint16_t LocalPort(int fd) {
  sockaddr_in local{};
  socklen_t length = sizeof local;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
  return ntohs(local.sin_port);
}

std::uint16_t FreeUdpPort() {
  const int fd = BoundUdp("0.0.0.0", 0);
  const std::uint16_t port = LocalPort(fd);
  ::close(fd);
  return port;
}

void SendTo(int fd, const std::string& payload, std::uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::sendto(fd, payload.data(), payload.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

// Listens on 127.0.0.1; answers each datagram with `reply` sent from
// `replyFrom` (a loopback address) to 127.0.0.1:`replyPort`, or to the sender
// when `replyPort` is 0, after `replyDelayMs`. An empty `reply` means "stay
// silent". A `stray` datagram, from 127.0.0.5, reaches the same port just
// before the reply, as a DHCP server's broadcast may.
class Responder {
 public:
  Responder(std::string reply, std::uint16_t replyPort = 0, const char* replyFrom = "127.0.0.1",
            int replyDelayMs = 0, std::string stray = "")
      : reply_(std::move(reply)), stray_(std::move(stray)), replyPort_(replyPort), replyDelayMs_(replyDelayMs) {
    fd_ = BoundUdp("127.0.0.1", 0);
    replyFd_ = BoundUdp(replyFrom, 0);
    strayFd_ = BoundUdp("127.0.0.5", 0);
    EXPECT_GE(fd_, 0);
    EXPECT_GE(replyFd_, 0);
    EXPECT_GE(strayFd_, 0);
    port_ = LocalPort(fd_);
    thread_ = std::thread([this] { Run(); });
  }
  ~Responder() {
    stopping_ = true;
    thread_.join();
    ::close(fd_);
    ::close(replyFd_);
    ::close(strayFd_);
  }
  std::uint16_t Port() const { return port_; }
  std::vector<Bytes> Datagrams() {
    std::lock_guard<std::mutex> lock(mutex_);
    return datagrams_;
  }
  std::vector<std::uint16_t> SenderPorts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return senderPorts_;
  }

 private:
  void Run() {
    while (!stopping_) {
      pollfd entry{fd_, POLLIN, 0};
      if (::poll(&entry, 1, 20) <= 0) continue;
      std::uint8_t buffer[4096];
      sockaddr_in from{};
      socklen_t length = sizeof from;
      const ssize_t n = ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
      if (n < 0) continue;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        datagrams_.emplace_back(buffer, buffer + n);
        senderPorts_.push_back(ntohs(from.sin_port));
      }
      if (replyDelayMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(replyDelayMs_));
      const std::uint16_t to = replyPort_ != 0 ? replyPort_ : ntohs(from.sin_port);
      if (!stray_.empty()) SendTo(strayFd_, stray_, to);
      if (!reply_.empty()) SendTo(replyFd_, reply_, to);
    }
  }

  std::string reply_;
  std::string stray_;
  std::uint16_t replyPort_;
  int replyDelayMs_ = 0;
  int fd_ = -1;
  int replyFd_ = -1;
  int strayFd_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<Bytes> datagrams_;
  std::vector<std::uint16_t> senderPorts_;
};

// The datagrams as the router's firmware and a DHCP server see them, written
// out independently of the code under test.
Bytes ExpectedDiscovery() {
  Bytes bytes(548, 0);
  bytes[0] = 0xC0;
  bytes[1] = 0x01;
  bytes[2] = 0x01;
  std::memcpy(&bytes[108], "Qorvex", 6);
  return bytes;
}

Bytes ExpectedPresence() {
  Bytes bytes(300, 0);
  const std::uint8_t head[] = {0x01, 0x01, 0x06, 0x00, 0x02, 0x93, 0x02, 0x93};
  std::memcpy(&bytes[0], head, sizeof head);
  const std::uint8_t tail[] = {0x02, 0x93, 0x02, 0x93, 53, 1, 1, 255};
  std::memcpy(&bytes[236], tail, sizeof tail);
  return bytes;
}

std::uint64_t Elapsed(std::uint64_t since) { return SteadyMs() - since; }

// ---------------------------------------------------------------------------
// Router discovery

TEST(DiscoveryProbeTest, SendsTheExactDatagramAndTakesTheRepliesSource) {
  EXPECT_EQ(BuildDiscoveryDatagram(), ExpectedDiscovery());
  const std::uint16_t clientPort = FreeUdpPort();
  // The answer comes from another loopback address than the one probed: the
  // reply's source, not the destination, is the router.
  Responder router("ack", 0, "127.0.0.3");
  std::uint32_t address = 1;
  std::string text = "stale";
  ProbeError error = ProbeError::kSocketError;
  const std::uint64_t start = SteadyMs();
  ASSERT_TRUE(FindRouterByBroadcast(address, text, "127.0.0.1", router.Port(), clientPort, &error));
  EXPECT_LT(Elapsed(start), 500u);
  EXPECT_EQ(text, "127.0.0.3");
  const std::uint8_t expectedBytes[4] = {127, 0, 0, 3};
  EXPECT_EQ(std::memcmp(&address, expectedBytes, 4), 0);
  EXPECT_EQ(error, ProbeError::kNone);

  const std::vector<Bytes> seen = router.Datagrams();
  ASSERT_EQ(seen.size(), 1u);  // once, no repetition
  EXPECT_EQ(seen[0], ExpectedDiscovery());
  EXPECT_EQ(router.SenderPorts()[0], clientPort);  // sent from the bound client port
}

// A DHCP server's message to a client as it reaches port 68: op, then the
// magic cookie 63 82 53 63 at offset 236 and a message-type option.
std::string DhcpMessage(std::uint8_t op, std::uint8_t type) {
  std::string bytes(300, '\0');
  bytes[0] = static_cast<char>(op);
  bytes[1] = 1;
  bytes[2] = 6;
  const char tail[] = {'\x63', '\x82', '\x53', '\x63', 53, 1, static_cast<char>(type), '\xFF'};
  bytes.replace(236, sizeof tail, tail, sizeof tail);
  return bytes;
}

TEST(DiscoveryProbeTest, AnyReplyCountsWhateverItHoldsButADhcpServersTalk) {
  struct Case {
    const char* name;
    std::string stray;  // reaches the client port first, from 127.0.0.5
    std::string reply;  // the router's, from 127.0.0.1
    bool found;
  };
  const Case cases[] = {
      {"one byte", "", "x", true},
      {"a full datagram", "", std::string(1472, '\xFF'), true},
      {"longer than the buffer", "", std::string(3000, 'z'), true},
      {"zeros", "", std::string("\0\0\0", 3), true},
      {"a reply shaped like BOOTP without the cookie", "", DhcpMessage(2, 2).substr(0, 236), true},
      {"an offer before the router's answer", DhcpMessage(2, 2), "x", true},
      {"an acknowledgement before the router's answer", DhcpMessage(2, 5), "x", true},
      {"a client's request before the router's answer", DhcpMessage(1, 3), "x", true},
      {"an offer and nothing else", "", DhcpMessage(2, 2), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Responder router(c.reply, 0, "127.0.0.1", 0, c.stray);
    std::uint32_t address = 0;
    ProbeError error = ProbeError::kNone;
    const std::uint64_t start = SteadyMs();
    EXPECT_EQ(DiscoveryProbe(address, "127.0.0.1", router.Port(), FreeUdpPort(), &error), c.found);
    const std::uint64_t elapsed = Elapsed(start);
    if (c.found) {
      EXPECT_EQ(address, htonl(INADDR_LOOPBACK)) << "the sender of the router's answer, not of the stray";
      EXPECT_EQ(error, ProbeError::kNone);
      EXPECT_LT(elapsed, 1500u) << "the router's answer ends the wait";
    } else {
      EXPECT_EQ(address, 0u);
      EXPECT_EQ(error, ProbeError::kNoAnswer);
      EXPECT_GE(elapsed, 1950u) << "the wait goes on for its 2 seconds past a DHCP message";
    }
  }
}

TEST(DiscoveryProbeTest, SilenceIsNoRouterAfterTwoSecondsWithTheWindowAlive) {
  Responder mute("");
  int hookCalls = 0;
  const WaitHook previous = SetWaitHook([&hookCalls] { ++hookCalls; });
  std::uint32_t address = 7;
  std::string text = "stale";
  ProbeError error = ProbeError::kNone;
  const std::uint64_t start = SteadyMs();
  EXPECT_FALSE(FindRouterByBroadcast(address, text, "127.0.0.1", mute.Port(), FreeUdpPort(), &error));
  const std::uint64_t elapsed = Elapsed(start);
  SetWaitHook(previous);
  EXPECT_GE(elapsed, 1950u);
  EXPECT_LT(elapsed, 2600u);
  EXPECT_EQ(text, "");
  EXPECT_EQ(address, 0u);
  EXPECT_EQ(error, ProbeError::kNoAnswer);
  EXPECT_GE(hookCalls, 30);
  EXPECT_EQ(mute.Datagrams().size(), 1u);
}

TEST(DiscoveryProbeTest, AChainOfQuickAnswersYieldsOnEveryProbe) {
  // Each answer comes before a slice runs out; the window must still get its
  // turn once per probe, since each probe outlasts the yield interval.
  constexpr int kProbes = 8;
  Responder router("here", 0, "127.0.0.1", kYieldIntervalMs + 2);
  int hookCalls = 0;
  const WaitHook previous = SetWaitHook([&hookCalls] { ++hookCalls; });
  std::uint32_t address = 0;
  for (int i = 0; i < kProbes; ++i) EXPECT_TRUE(DiscoveryProbe(address, "127.0.0.1", router.Port(), FreeUdpPort()));
  SetWaitHook(previous);
  EXPECT_GE(hookCalls, kProbes);
}

// ---------------------------------------------------------------------------
// DHCP presence

TEST(DetectDhcpServerTest, SendsTheExactDatagramAndNotesAnAnswer) {
  EXPECT_EQ(BuildDhcpPresenceDatagram(), ExpectedPresence());
  const std::uint16_t clientPort = FreeUdpPort();
  Responder server("offer", clientPort);  // a DHCP server answers the client port
  bool answered = false;
  ProbeError error = ProbeError::kSocketError;
  const std::uint64_t start = SteadyMs();
  EXPECT_TRUE(DetectDhcpServer(answered, "127.0.0.1", server.Port(), clientPort, &error));
  EXPECT_LT(Elapsed(start), 500u);
  EXPECT_TRUE(answered);
  EXPECT_EQ(error, ProbeError::kNone);
  const std::vector<Bytes> seen = server.Datagrams();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], ExpectedPresence());
  EXPECT_NE(server.SenderPorts()[0], clientPort);  // from the unbound sender
}

TEST(DetectDhcpServerTest, SilenceIsSentButUnanswered) {
  Responder mute("");
  bool answered = true;
  ProbeError error = ProbeError::kNone;
  const std::uint64_t start = SteadyMs();
  EXPECT_TRUE(DetectDhcpServer(answered, "127.0.0.1", mute.Port(), FreeUdpPort(), &error));
  const std::uint64_t elapsed = Elapsed(start);
  EXPECT_GE(elapsed, 1950u);
  EXPECT_LT(elapsed, 2600u);
  EXPECT_FALSE(answered);
  EXPECT_EQ(error, ProbeError::kNoAnswer);
  EXPECT_EQ(mute.Datagrams().size(), 1u);
}

// ---------------------------------------------------------------------------
// Client port unavailable

TEST(ProbeClientPort, HeldByAnotherProgramFailsAtOnceWithoutSending) {
  const int blocker = BoundUdp("0.0.0.0", 0);  // no SO_REUSEADDR: nobody may share it
  ASSERT_GE(blocker, 0);
  const std::uint16_t clientPort = LocalPort(blocker);
  Responder router("ack", clientPort);

  std::uint32_t address = 0;
  std::string text;
  ProbeError error = ProbeError::kNone;
  const std::uint64_t start = SteadyMs();
  EXPECT_FALSE(FindRouterByBroadcast(address, text, "127.0.0.1", router.Port(), clientPort, &error));
  EXPECT_EQ(error, ProbeError::kPortInUse);
  bool answered = true;
  error = ProbeError::kNone;
  EXPECT_FALSE(DetectDhcpServer(answered, "127.0.0.1", router.Port(), clientPort, &error));
  EXPECT_FALSE(answered);
  EXPECT_EQ(error, ProbeError::kPortInUse);
  EXPECT_LT(Elapsed(start), 200u);
  WaitRealMs(100);
  EXPECT_TRUE(router.Datagrams().empty());
  ::close(blocker);
}

TEST(ProbeClientPort, MissingPrivilegeIsToldApartFromNoRouter) {
  std::FILE* file = std::fopen("/proc/sys/net/ipv4/ip_unprivileged_port_start", "r");
  int unprivilegedStart = 1024;
  if (file != nullptr) {
    if (std::fscanf(file, "%d", &unprivilegedStart) != 1) unprivilegedStart = 1024;
    std::fclose(file);
  }
  if (unprivilegedStart <= 68) GTEST_SKIP() << "this system lets anybody bind port 68";
  const std::uint16_t serverPort = FreeUdpPort();  // nothing listens: nothing may be sent anyway

  // A child without privileges: root drops to "nobody" first.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    std::uint32_t address = 0;
    ProbeError discoveryError = ProbeError::kNone;
    const bool found = DiscoveryProbe(address, "127.0.0.1", serverPort, 68, &discoveryError);
    bool answered = true;
    ProbeError dhcpError = ProbeError::kNone;
    const bool sent = DetectDhcpServer(answered, "127.0.0.1", serverPort, 68, &dhcpError);
    const bool good = !found && discoveryError == ProbeError::kNoPrivilege && !sent && !answered &&
                      dhcpError == ProbeError::kNoPrivilege;
    ::_exit(good ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot drop privileges here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "probe did not report kNoPrivilege for port 68";
  EXPECT_NE(std::string(ProbeErrorText(ProbeError::kNoPrivilege)).find("cap_net_bind_service"), std::string::npos);
}

// ---------------------------------------------------------------------------
// The datagram socket itself

TEST(UdpSocketTest, SendsTheCountAskedAndRefusesOversizedPayloads) {
  Responder sink("");
  UdpSocket socket;
  socket.SetAddress("127.0.0.1");
  socket.SetRemotePort(sink.Port());
  ASSERT_TRUE(socket.OpenSender());
  const std::string payload(UdpSocket::kBufferSize, 'p');
  EXPECT_FALSE(socket.SetPayload(payload.data(), payload.size() + 1));
  ASSERT_TRUE(socket.SetPayload(payload.data(), payload.size()));
  EXPECT_TRUE(socket.SendPayload(0));
  EXPECT_TRUE(socket.SendPayload(-1));
  EXPECT_TRUE(socket.SendPayload(3));
  WaitUntil(1000, [&] { return sink.Datagrams().size() >= 3; });
  WaitRealMs(50);
  const std::vector<Bytes> seen = sink.Datagrams();
  ASSERT_EQ(seen.size(), 3u);
  for (const auto& datagram : seen) EXPECT_EQ(datagram.size(), UdpSocket::kBufferSize);

  socket.Close();
  EXPECT_FALSE(socket.SendPayload(1));  // no socket any more
  EXPECT_EQ(socket.Close(), -1);
  UdpSocket fresh;
  EXPECT_EQ(fresh.Close(), -1);
  EXPECT_FALSE(fresh.ReceiveDatagram(0, 1000));
}

TEST(UdpSocketTest, AFailedBindLeavesNoSocket) {
  const int blocker = BoundUdp("0.0.0.0", 0);
  UdpSocket socket;
  socket.SetLocalPort(LocalPort(blocker));
  EXPECT_FALSE(socket.OpenBoundReceiver());
  EXPECT_FALSE(socket.IsOpen());
  EXPECT_EQ(socket.LastError(), EADDRINUSE);
  EXPECT_EQ(socket.Close(), -1);
  ::close(blocker);
}

TEST(UdpSocketTest, BoundReceiverWaitsTheGivenTimeAndAnswersItsSender) {
  UdpSocket receiver;
  const std::uint16_t port = FreeUdpPort();
  receiver.SetLocalPort(port);
  ASSERT_TRUE(receiver.OpenBoundReceiver());
  std::uint64_t start = SteadyMs();
  EXPECT_FALSE(receiver.ReceiveDatagram(0, 300000));
  const std::uint64_t elapsed = Elapsed(start);
  EXPECT_GE(elapsed, 295u);
  EXPECT_LT(elapsed, 700u);

  // A peer speaks first; the bound receiver's next send goes back to it.
  const int peer = BoundUdp("127.0.0.1", 0);
  const std::uint16_t peerPort = LocalPort(peer);
  SendTo(peer, "hello", port);
  std::vector<std::string> log;
  SetTrafficLogSink([&log](const std::string& line) { log.push_back(line); });
  ASSERT_TRUE(receiver.ReceiveDatagram(1, 0));
  EXPECT_EQ(receiver.Received(), "hello");
  EXPECT_EQ(receiver.SenderPort(), peerPort);
  std::uint8_t sender[4] = {};
  receiver.GetSenderAddress(sender);
  EXPECT_EQ(sender[0], 127);
  EXPECT_EQ(sender[3], 1);
  ASSERT_TRUE(receiver.SetPayload("back", 4));
  ASSERT_TRUE(receiver.SendPayload(1));
  SetTrafficLogSink(nullptr);
  char buffer[16] = {};
  pollfd entry{peer, POLLIN, 0};
  ASSERT_EQ(::poll(&entry, 1, 1000), 1);
  EXPECT_EQ(::recv(peer, buffer, sizeof buffer, 0), 4);
  EXPECT_STREQ(buffer, "back");
  ::close(peer);

  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[0].find("received 5 bytes from 127.0.0.1:" + std::to_string(peerPort)), std::string::npos)
      << log[0];
  EXPECT_NE(log[1].find("sent 4 bytes to 127.0.0.1:"), std::string::npos) << log[1];
}

}  // namespace
}  // namespace kelvane
