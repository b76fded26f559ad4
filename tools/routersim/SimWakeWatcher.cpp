#include "tools/routersim/SimWakeWatcher.h"

#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "tools/routersim/SimIo.h"

namespace kelvane::routersim {
namespace {

// Whether `address` lies in the /24 network of `lan` (both network order).
bool SameLan24(std::uint32_t address, const std::string& lan) {
  in_addr l{};
  if (!ParseIpv4(lan, l)) return false;
  return (ntohl(address) & 0xFFFFFF00u) == (ntohl(l.s_addr) & 0xFFFFFF00u);
}

}  // namespace

bool SimWakeWatcher::Open(const std::string& interface, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why + ": " + std::strerror(errno);
    return false;
  };
  sockaddr_ll ll{};
  ll.sll_family = AF_PACKET;
  ll.sll_protocol = htons(ETH_P_IP);
  ll.sll_ifindex = static_cast<int>(if_nametoindex(interface.c_str()));
  if (ll.sll_ifindex == 0) return fail("no interface " + interface);
  const int fd = socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_IP));
  if (fd < 0) return fail("cannot watch " + interface + " (a packet socket needs root)");
  if (bind(fd, reinterpret_cast<sockaddr*>(&ll), sizeof ll) != 0) {
    const int bindError = errno;
    close(fd);
    errno = bindError;
    return fail("cannot watch " + interface);
  }
  socket_.Adopt(fd);
  return true;
}

void SimWakeWatcher::Start(Hooks hooks) {
  hooks_ = std::move(hooks);
  socket_.Start([this] { Loop(); });
}

void SimWakeWatcher::Loop() {
  const int fd = socket_.Fd();
  std::uint8_t buf[2048];
  while (!socket_.Stopping()) {
    if (!socket_.WaitReadable()) continue;
    sockaddr_ll from{};
    socklen_t fromLen = sizeof from;
    const ssize_t n = recvfrom(fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
    // Only what comes in from the LAN: an IPv4 header, then ICMP echo request.
    if (n < 20 || from.sll_pkttype == PACKET_OUTGOING) continue;
    const std::size_t headerLength = static_cast<std::size_t>(buf[0] & 0x0F) * 4;
    if ((buf[0] >> 4) != 4 || headerLength < 20 || static_cast<std::size_t>(n) < headerLength + 8) continue;
    if (buf[9] != IPPROTO_ICMP || buf[headerLength] != 8) continue;
    std::uint32_t destination = 0;
    std::memcpy(&destination, buf + 16, 4);
    if (destination == INADDR_BROADCAST || SameLan24(destination, hooks_.lanAddress())) continue;
    in_addr d{};
    d.s_addr = destination;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &d, text, sizeof text);
    hooks_.echoSeen(text);
  }
}

}  // namespace kelvane::routersim
