#include "net/UdpSocket.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "net/SocketWait.h"
#include "net/TrafficLog.h"
#include "net/Wait.h"

namespace kelvane {
namespace {

std::string DottedText(std::uint32_t networkOrder) {
  char text[INET_ADDRSTRLEN] = {};
  in_addr address{};
  address.s_addr = networkOrder;
  ::inet_ntop(AF_INET, &address, text, sizeof text);
  return text;
}

void LogDatagram(const char* direction, std::size_t size, std::uint32_t address, std::uint16_t port,
                 const char* via = nullptr) {
  if (!TrafficLogEnabled()) return;
  std::string line = std::string("UDP ") + direction + " " + std::to_string(size) + " bytes " +
                     (direction[0] == 's' ? "to " : "from ") + DottedText(address) + ":" + std::to_string(port);
  if (via != nullptr) line += std::string(" via ") + via;
  LogTraffic(line);
}

}  // namespace

UdpSocket::UdpSocket() { SetAddress(address_); }

UdpSocket::~UdpSocket() { Close(); }

std::uint32_t UdpSocket::SetAddress(const std::string& dotted) {
  address_ = dotted.substr(0, std::min<std::size_t>(dotted.size(), 16));
  addressValid_ = ParseDottedAddress(dotted, remoteAddress_);
  return remoteAddress_;
}

void UdpSocket::SetRemotePort(std::uint16_t port) { remotePort_ = port; }

void UdpSocket::SetLocalPort(std::uint16_t port) { localPort_ = port; }

bool UdpSocket::SetPayload(const void* bytes, std::size_t length) {
  if (length > kBufferSize || (length > 0 && bytes == nullptr)) return false;
  if (length > 0) std::memcpy(sendBuffer_, bytes, length);
  payloadLength_ = static_cast<std::uint16_t>(length);
  return true;
}

bool UdpSocket::OpenSender() {
  Close();
  mode_ = 0;
  socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (socket_ == -1) {
    lastError_ = errno;
    return false;
  }
  const int on = 1;
  if (::setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
    lastError_ = errno;
    Close();
    return false;
  }
  lastError_ = 0;
  return true;
}

bool UdpSocket::OpenBoundReceiver() {
  Close();
  mode_ = 1;
  socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (socket_ == -1) {
    lastError_ = errno;
    return false;
  }
  const int on = 1;
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(localPort_);
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  if (::setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      ::setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
      ::bind(socket_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    lastError_ = errno;
    Close();
    return false;
  }
  lastError_ = 0;
  return true;
}

bool UdpSocket::SendOnce() {
  if (remoteAddress_ == htonl(INADDR_BROADCAST) && address_ == "255.255.255.255")
    return SendBroadcastOnEachInterface();
  if (!addressValid_) {
    lastError_ = EINVAL;
    return false;
  }
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_port = htons(remotePort_);
  remote.sin_addr.s_addr = remoteAddress_;
  const ssize_t n = ::sendto(socket_, sendBuffer_, payloadLength_, 0, reinterpret_cast<const sockaddr*>(&remote),
                             sizeof remote);
  if (n < 0) {
    lastError_ = errno;
    return false;
  }
  LogDatagram("sent", payloadLength_, remoteAddress_, remotePort_);
  return true;
}

bool UdpSocket::SendBroadcastOnEachInterface() {
  // Linux refuses a limited broadcast that no route covers, and a LAN cable
  // without a default route is exactly the case here: name the way out
  // ourselves, once per interface that can broadcast.
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) {
    lastError_ = errno;
    return false;
  }
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_port = htons(remotePort_);
  remote.sin_addr.s_addr = htonl(INADDR_BROADCAST);

  // Every interface appears once per address family; an adapter still waiting
  // for DHCP has no IPv4 address but must be probed all the same.
  struct Way {
    unsigned flags = 0;
    in_addr source{};
  };
  std::map<std::string, Way> ways;
  for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_name == nullptr) continue;
    Way& way = ways[entry->ifa_name];
    way.flags |= entry->ifa_flags;
    if (entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == AF_INET && way.source.s_addr == 0)
      way.source = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr;
  }

  int sentCount = 0;
  int error = ENETUNREACH;
  for (const auto& [name, way] : ways) {
    if ((way.flags & IFF_UP) == 0 || (way.flags & IFF_BROADCAST) == 0 || (way.flags & IFF_LOOPBACK) != 0) continue;
    const unsigned index = ::if_nametoindex(name.c_str());
    if (index == 0) continue;

    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    iovec data{};
    data.iov_base = sendBuffer_;
    data.iov_len = payloadLength_;
    msghdr message{};
    message.msg_name = &remote;
    message.msg_namelen = sizeof remote;
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(index);
    info.ipi_spec_dst = way.source;
    std::memcpy(CMSG_DATA(header), &info, sizeof info);

    if (::sendmsg(socket_, &message, 0) >= 0) {
      ++sentCount;
      LogDatagram("sent", payloadLength_, remote.sin_addr.s_addr, remotePort_, name.c_str());
    } else {
      error = errno;
    }
  }
  ::freeifaddrs(list);
  if (sentCount == 0) {
    lastError_ = error;
    return false;
  }
  lastError_ = 0;
  return true;
}

bool UdpSocket::SendPayload(int count) {
  for (int i = 0; i < count; ++i) {
    if (socket_ == -1) {
      lastError_ = EBADF;
      return false;
    }
    if (!SendOnce()) return false;
  }
  return true;
}

bool UdpSocket::ReceiveDatagram(long seconds, long microseconds) {
  std::memset(receiveBuffer_, 0, sizeof receiveBuffer_);
  receivedLength_ = 0;
  if (socket_ == -1) return false;
  const long long waitMs =
      std::max(0LL, static_cast<long long>(seconds) * 1000 + static_cast<long long>(microseconds) / 1000);
  const std::uint64_t deadline = DeadlineAfterMs(waitMs);
  for (;;) {
    const int ready = WaitForSocket(socket_, POLLIN, deadline);
    if (ready <= 0) return false;
    sockaddr_in sender{};
    socklen_t senderLength = sizeof sender;
    const ssize_t n = ::recvfrom(socket_, receiveBuffer_, sizeof receiveBuffer_, 0,
                                 reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      if (SteadyMs() >= deadline) return false;
      continue;
    }
    // A datagram without payload is an answer all the same: its sender is
    // what the probes want. Only a failing receive is an error.
    if (n < 0) {
      lastError_ = errno;
      return false;
    }
    receivedLength_ = static_cast<std::uint16_t>(n);
    senderAddress_ = sender.sin_addr.s_addr;
    senderPort_ = ntohs(sender.sin_port);
    if (mode_ == 1) {
      // A bound receiver answers whoever spoke to it last.
      remoteAddress_ = senderAddress_;
      remotePort_ = senderPort_;
      address_ = DottedText(senderAddress_);
      addressValid_ = true;
    }
    LogDatagram("received", receivedLength_, senderAddress_, senderPort_);
    return true;
  }
}

void UdpSocket::GetSenderAddress(std::uint8_t destination[4]) const { std::memcpy(destination, &senderAddress_, 4); }

int UdpSocket::Close() {
  if (socket_ == -1) return -1;
  const int result = ::close(socket_);
  socket_ = -1;
  return result;
}

}  // namespace kelvane
