#include "tools/routersim/SimDiscoveryResponder.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "tools/routersim/SimIo.h"

namespace kelvane::routersim {

bool SimDiscoveryResponder::Open(const Options& options, std::string* error) {
  options_ = options;
  auto fail = [&](const std::string& why) {
    if (error) *error = why + ": " + std::strerror(errno);
    Close();
    return false;
  };
  sockaddr_in u{};
  u.sin_family = AF_INET;
  if (!ParseIpv4(options_.bindAddress, u.sin_addr)) {
    errno = EINVAL;
    return fail("bad UDP bind address " + options_.bindAddress);
  }
  u.sin_port = htons(options_.port);
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return fail("socket");
  socket_.Adopt(fd);
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
  // Learn the interface and local address each datagram came in on, so the
  // reply leaves through the same LAN port (a limited broadcast would
  // otherwise follow the default route, which may be the WAN side).
  setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &one, sizeof one);
  if (bind(fd, reinterpret_cast<sockaddr*>(&u), sizeof u) != 0)
    return fail("cannot bind UDP port " + std::to_string(options_.port));
  socklen_t len = sizeof u;
  getsockname(fd, reinterpret_cast<sockaddr*>(&u), &len);
  port_ = ntohs(u.sin_port);
  return true;
}

void SimDiscoveryResponder::Start(Arrival arrival) {
  arrival_ = std::move(arrival);
  socket_.Start([this] { Loop(); });
}

void SimDiscoveryResponder::Loop() {
  const int fd = socket_.Fd();
  std::uint8_t buf[2048];
  while (!socket_.Stopping()) {
    if (!socket_.WaitReadable()) continue;
    sockaddr_in from{};
    iovec iov{buf, sizeof buf};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    const ssize_t n = recvmsg(fd, &msg, 0);
    if (n < 0) continue;
    in_pktinfo arrival{};
    bool haveArrival = false;
    for (cmsghdr* cm = CMSG_FIRSTHDR(&msg); cm; cm = CMSG_NXTHDR(&msg, cm)) {
      if (cm->cmsg_level == IPPROTO_IP && cm->cmsg_type == IP_PKTINFO) {
        std::memcpy(&arrival, CMSG_DATA(cm), sizeof arrival);
        haveArrival = true;
      }
    }
    const std::size_t size = static_cast<std::size_t>(n);
    const bool discovery = size >= 114 && buf[0] == 192 && std::memcmp(buf + 108, "Qorvex", 6) == 0;
    const bool dhcp = size >= 243 && buf[0] == 1 &&
                      ((buf[236] == 0x02 && buf[237] == 0x93 && buf[238] == 0x02 && buf[239] == 0x93) ||
                       (buf[236] == 0x63 && buf[237] == 0x82 && buf[238] == 0x53 && buf[239] == 0x63));
    const std::optional<std::string> onAir =
        arrival_("UDP " + std::to_string(size) + " bytes from " + EndpointText(from) +
                 (discovery ? " discovery" : dhcp ? " dhcp" : " other"));
    if (!onAir || (!discovery && !(dhcp && options_.answerDhcp))) continue;
    const std::string& lan = *onAir;

    // The reply: a BOOTP-shaped answer naming the router. The wizard only
    // uses its source address.
    std::vector<std::uint8_t> reply(discovery ? 548 : 300, 0);
    reply[0] = discovery ? 193 : 2;
    reply[1] = 1;
    reply[2] = 6;
    std::memcpy(reply.data() + 4, buf + 4, 4);  // transaction id
    in_addr lanAddr{};
    if (ParseIpv4(lan, lanAddr)) std::memcpy(reply.data() + 20, &lanAddr, 4);
    if (discovery) std::memcpy(reply.data() + 108, "LMQ-5812", 8);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(options_.replyPort);
    if (!ParseIpv4(options_.replyAddress, to.sin_addr)) continue;
    iovec out{reply.data(), reply.size()};
    alignas(cmsghdr) char outControl[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr reply_msg{};
    reply_msg.msg_name = &to;
    reply_msg.msg_namelen = sizeof to;
    reply_msg.msg_iov = &out;
    reply_msg.msg_iovlen = 1;
    if (haveArrival) {
      reply_msg.msg_control = outControl;
      reply_msg.msg_controllen = sizeof outControl;
      cmsghdr* cm = CMSG_FIRSTHDR(&reply_msg);
      cm->cmsg_level = IPPROTO_IP;
      cm->cmsg_type = IP_PKTINFO;
      cm->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
      in_pktinfo info{};
      info.ipi_ifindex = arrival.ipi_ifindex;
      info.ipi_spec_dst = arrival.ipi_spec_dst;  // the router's address on that port
      // A router answers from its LAN address. The kernel's choice follows the
      // route back to the sender, which for a PC with an address outside the
      // LAN is the WAN side; use the LAN address where it is ours.
      const bool fromLan = ParseIpv4(lan, lanAddr) && lanAddr.s_addr != arrival.ipi_spec_dst.s_addr;
      if (fromLan) info.ipi_spec_dst = lanAddr;
      std::memcpy(CMSG_DATA(cm), &info, sizeof info);
      if (fromLan && sendmsg(fd, &reply_msg, 0) >= 0) continue;
      info.ipi_spec_dst = arrival.ipi_spec_dst;  // the LAN address is not on this host
      std::memcpy(CMSG_DATA(cm), &info, sizeof info);
    }
    sendmsg(fd, &reply_msg, 0);
  }
}

}  // namespace kelvane::routersim
