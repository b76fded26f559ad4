#include "net/host/linux/IcmpEcho.h"

#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "net/SocketWait.h"
#include "net/Wait.h"

namespace kelvane {
namespace {

constexpr std::size_t kIcmpHeader = 8;

std::uint16_t Read16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

EchoHelper& InstalledEchoHelper() {
  static EchoHelper helper = nullptr;
  return helper;
}

}  // namespace

void SetEchoHelper(EchoHelper helper) { InstalledEchoHelper() = helper; }

std::uint16_t InternetChecksum(const std::uint8_t* data, std::size_t size) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i + 1 < size; i += 2) sum += Read16(data + i);
  if (size % 2 != 0) sum += static_cast<std::uint32_t>(data[size - 1]) << 8;
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum);
}

EchoReplyKind ClassifyEchoPacket(const std::uint8_t* packet, std::size_t size, bool withIpHeader,
                                 bool checkId, std::uint16_t id, std::uint16_t sequence,
                                 std::size_t& dataBytes) {
  dataBytes = 0;
  std::size_t offset = 0;
  if (withIpHeader) {
    if (size < 20) return EchoReplyKind::kNotOurs;
    offset = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
    if (offset < 20 || offset > size) return EchoReplyKind::kNotOurs;
  }
  if (size - offset < kIcmpHeader) return EchoReplyKind::kNotOurs;
  const std::uint8_t* icmp = packet + offset;
  const std::uint8_t type = icmp[0];
  if (type == ICMP_ECHOREPLY) {
    if (icmp[1] != 0) return EchoReplyKind::kNotOurs;
    if (checkId && Read16(icmp + 4) != id) return EchoReplyKind::kNotOurs;
    if (Read16(icmp + 6) != sequence) return EchoReplyKind::kNotOurs;
    dataBytes = size - offset - kIcmpHeader;
    return EchoReplyKind::kReply;
  }
  if (type == ICMP_DEST_UNREACH || type == ICMP_TIME_EXCEEDED) {
    // The error quotes the original IP header and the first 8 bytes of our echo.
    const std::uint8_t* quoted = icmp + kIcmpHeader;
    const std::size_t left = size - offset - kIcmpHeader;
    if (left < 20) return EchoReplyKind::kNotOurs;
    const std::size_t quotedHeader = static_cast<std::size_t>(quoted[0] & 0x0F) * 4;
    if (quotedHeader < 20 || left < quotedHeader + kIcmpHeader) return EchoReplyKind::kNotOurs;
    const std::uint8_t* echo = quoted + quotedHeader;
    if (echo[0] != ICMP_ECHO || (checkId && Read16(echo + 4) != id) || Read16(echo + 6) != sequence)
      return EchoReplyKind::kNotOurs;
    return EchoReplyKind::kError;
  }
  return EchoReplyKind::kNotOurs;
}

bool IcmpEcho::Open(PingError& error) {
  Close();
  fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
  raw_ = false;
  if (fd_ < 0) {
    fd_ = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    raw_ = fd_ >= 0;
  }
  if (fd_ < 0) {
    // The raw socket is the last resort: when it is refused, what is missing
    // is the privilege, whatever kept the datagram socket from opening.
    const int rawErrno = errno;
    const bool denied = rawErrno == EACCES || rawErrno == EPERM;
    if (denied && InstalledEchoHelper() != nullptr) {
      helper_ = InstalledEchoHelper();
      error = PingError::kNone;
      return true;
    }
    error = denied ? PingError::kNoPrivilege : PingError::kSocketFailed;
    return false;
  }
  const int ttl = kPingTtl;
  const int tos = 0;
  const int on = 1;
  if (setsockopt(fd_, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl) != 0 ||
      setsockopt(fd_, IPPROTO_IP, IP_TOS, &tos, sizeof tos) != 0) {
    Close();
    error = PingError::kSocketFailed;
    return false;
  }
  // Datagram sockets learn about ICMP errors through the error queue.
  if (!raw_) setsockopt(fd_, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
  id_ = static_cast<std::uint16_t>(getpid() & 0xFFFF);
  error = PingError::kNone;
  return true;
}

void IcmpEcho::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  helper_ = nullptr;
}

bool IcmpEcho::Echo(std::uint32_t address, int timeoutMs, PingError& error) {
  if (helper_ != nullptr) return helper_(address, timeoutMs, error);
  if (fd_ < 0) {
    error = PingError::kSocketFailed;
    return false;
  }
  ++sequence_;
  std::uint8_t packet[kIcmpHeader + kPingPayloadSize] = {};
  packet[0] = ICMP_ECHO;
  packet[1] = 0;
  packet[4] = static_cast<std::uint8_t>(id_ >> 8);
  packet[5] = static_cast<std::uint8_t>(id_);
  packet[6] = static_cast<std::uint8_t>(sequence_ >> 8);
  packet[7] = static_cast<std::uint8_t>(sequence_);
  std::memcpy(packet + kIcmpHeader, kPingPayload, kPingPayloadSize);
  const std::uint16_t sum = InternetChecksum(packet, sizeof packet);
  packet[2] = static_cast<std::uint8_t>(sum >> 8);
  packet[3] = static_cast<std::uint8_t>(sum);

  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = address;
  const std::uint64_t deadline = SteadyMs() + static_cast<std::uint64_t>(std::max(timeoutMs, 0));
  if (sendto(fd_, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0) {
    // The socket is open, so privilege is not what is missing: Linux answers
    // EACCES to an echo aimed at a broadcast address (255.255.255.255 or a
    // subnet's), which a socket without SO_BROADCAST may not send to.
    error = errno == EACCES ? PingError::kBroadcastTarget
            : errno == EPERM ? PingError::kNoPrivilege
                             : PingError::kSendFailed;
    // Keep the attempt's duration: a failed send is treated like a lost echo.
    WaitRealMs(static_cast<int>(deadline - std::min(deadline, SteadyMs())));
    return false;
  }

  // An ICMP error (often our own kernel's, when nobody answers ARP) is noted
  // but does not end the attempt: every unanswered echo takes the full
  // time-out, so the callers' waits are the same whatever the cause.
  bool unreachable = false;
  std::uint8_t buffer[65536];
  for (;;) {
    // Every pass asks: on a busy raw socket other hosts' ICMP keeps poll
    // returning at once, and the window must stay alive regardless.
    YieldIfDue();
    if (SteadyMs() >= deadline) break;
    const int revents = WaitForSocket(fd_, POLLIN, deadline);
    if (revents < 0) break;
    if ((revents & POLLERR) != 0 && !raw_) {
      // An ICMP error for our datagram socket: read it off the error queue.
      std::uint8_t control[512];
      std::uint8_t data[256];
      iovec iov{data, sizeof data};
      msghdr msg{};
      msg.msg_iov = &iov;
      msg.msg_iovlen = 1;
      msg.msg_control = control;
      msg.msg_controllen = sizeof control;
      // The queued error carries our echo as sent; fewer than its header's
      // bytes cannot name the sequence.
      const ssize_t got = recvmsg(fd_, &msg, MSG_ERRQUEUE | MSG_DONTWAIT);
      if (got >= static_cast<ssize_t>(kIcmpHeader)) {
        for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
          if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR) continue;
          sock_extended_err ee;
          std::memcpy(&ee, CMSG_DATA(c), sizeof ee);
          if (ee.ee_origin == SO_EE_ORIGIN_ICMP && Read16(data + 6) == sequence_) {
            unreachable = true;
          }
        }
      }
      continue;
    }
    if ((revents & POLLIN) != 0) {
      const ssize_t n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n > 0) {
        std::size_t dataBytes = 0;
        const EchoReplyKind kind = ClassifyEchoPacket(buffer, static_cast<std::size_t>(n), raw_, raw_, id_,
                                                      sequence_, dataBytes);
        if (kind == EchoReplyKind::kReply) {
          YieldIfDue();
          if (dataBytes == static_cast<std::size_t>(kPingPayloadSize)) {
            error = PingError::kNone;
            return true;
          }
          error = PingError::kShortReply;
          return false;
        }
        if (kind == EchoReplyKind::kError) unreachable = true;
      }
    }
  }
  error = unreachable ? PingError::kUnreachable : PingError::kTimedOut;
  return false;
}

}  // namespace kelvane

