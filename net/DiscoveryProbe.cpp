#include "net/DiscoveryProbe.h"

#include <cerrno>
#include <cstdio>

#include "net/ProbeHelper.h"
#include "net/UdpSocket.h"
#include "net/ByteOrder.h"
#include "net/Wait.h"

namespace kelvane {
namespace {

constexpr char kMagicWord[] = "Qorvex";
constexpr std::size_t kMagicOffset = 108;
constexpr std::uint32_t kPresenceTransaction = 0x02930293;
constexpr std::size_t kCookieOffset = 236;
constexpr char kDhcpCookie[] = "\x63\x82\x53\x63";

ProbeError BindError(int error) {
  if (error == EACCES || error == EPERM) return ProbeError::kNoPrivilege;
  if (error == EADDRINUSE) return ProbeError::kPortInUse;
  return ProbeError::kSocketError;
}

void Report(ProbeError* out, ProbeError value) {
  if (out != nullptr) *out = value;
}

// Port 68 refused for want of privilege: the helper holds it, if installed.
const ProbeHelperRoute* HelperFor(ProbeError bindError, std::uint16_t localPort) {
  if (bindError != ProbeError::kNoPrivilege || localPort != kProbeClientPort) return nullptr;
  return ProbeHelperRouteInUse();
}

}  // namespace

const char* ProbeErrorText(ProbeError error) {
  switch (error) {
    case ProbeError::kNone:
      return "answered";
    case ProbeError::kNoAnswer:
      return "no answer within 2 seconds";
    case ProbeError::kNoPrivilege:
      return "binding UDP port 68 needs the cap_net_bind_service capability: installation grants it to "
             "the helper kelvane-netprobe alone, which this program runs when it lacks it (is the helper "
             "installed, with 'setcap cap_net_bind_service,cap_net_raw=p' on it?), or run as root";
    case ProbeError::kPortInUse:
      return "the UDP client port is in use by another program";
    case ProbeError::kSocketError:
      return "the UDP socket could not be opened";
    case ProbeError::kSendFailed:
      return "the probe could not be sent";
    case ProbeError::kHelperBusy:
      return "another program is probing (the helper kelvane-netprobe is still busy with an earlier call of "
             "this user); try again";
    case ProbeError::kHelperRefused:
      return "the helper kelvane-netprobe refused the probe: it probes only 255.255.255.255 port 67 or a "
             "loopback address";
  }
  return "unknown";
}

std::vector<std::uint8_t> BuildDiscoveryDatagram() {
  std::vector<std::uint8_t> bytes(kDiscoveryDatagramSize, 0);
  bytes[0] = 0xC0;  // not a BOOTREQUEST: this op value marks the probe
  bytes[1] = 1;     // Ethernet
  bytes[2] = 1;
  for (std::size_t i = 0; i + 1 < sizeof kMagicWord; ++i)
    bytes[kMagicOffset + i] = static_cast<std::uint8_t>(kMagicWord[i]);
  return bytes;
}

std::vector<std::uint8_t> BuildDhcpPresenceDatagram() {
  std::vector<std::uint8_t> bytes(kDhcpPresenceDatagramSize, 0);
  bytes[0] = 1;  // BOOTREQUEST
  bytes[1] = 1;  // Ethernet
  bytes[2] = 6;  // hardware address length
  WriteU32BE(&bytes[4], kPresenceTransaction);
  WriteU16BE(&bytes[8], 0);                        // secs
  WriteU16BE(&bytes[10], 0);                       // flags
  WriteU32BE(&bytes[236], kPresenceTransaction);  // where the magic cookie would be
  bytes[240] = 53;                           // DHCP message type
  bytes[241] = 1;
  bytes[242] = 1;  // DHCPDISCOVER
  bytes[243] = 255;
  return bytes;
}

bool IsDhcpMessage(std::string_view datagram) {
  if (datagram.size() < kCookieOffset + 4 || (datagram[0] != 1 && datagram[0] != 2)) return false;
  return datagram.substr(kCookieOffset, 4) == std::string_view(kDhcpCookie, 4);
}

bool ReceiveRouterAnswer(UdpSocket& socket, std::uint32_t& address) {
  const std::uint64_t deadline = SteadyMs() + kProbeWaitMs;
  for (std::uint64_t now = SteadyMs(); now < deadline; now = SteadyMs()) {
    const long left = static_cast<long>(deadline - now);
    if (!socket.ReceiveDatagram(left / 1000, (left % 1000) * 1000L)) return false;
    if (!IsDhcpMessage(socket.Received())) {
      address = socket.SenderAddress();
      return true;
    }
  }
  return false;
}

bool DiscoveryProbe(std::uint32_t& address, const std::string& destination, std::uint16_t remotePort,
                    std::uint16_t localPort, ProbeError* error) {
  address = 0;
  UdpSocket socket;
  socket.SetAddress(destination);
  socket.SetRemotePort(remotePort);
  socket.SetLocalPort(localPort);
  const std::vector<std::uint8_t> datagram = BuildDiscoveryDatagram();
  if (!socket.OpenBoundReceiver()) {
    const ProbeError bindError = BindError(socket.LastError());
    if (const ProbeHelperRoute* helper = HelperFor(bindError, localPort)) {
      ProbeError helperError = ProbeError::kNone;
      const bool found = helper->discover(destination, remotePort, address, helperError);
      Report(error, helperError);
      return found;
    }
    Report(error, bindError);
    return false;
  }
  if (!socket.SetPayload(datagram.data(), datagram.size()) || !socket.SendPayload(1)) {
    Report(error, ProbeError::kSendFailed);
    return false;
  }
  // The first datagram that is not a DHCP server's talk is the answer; the
  // login later sends the router password to its sender.
  if (!ReceiveRouterAnswer(socket, address)) {
    Report(error, ProbeError::kNoAnswer);
    return false;
  }
  Report(error, ProbeError::kNone);
  return true;
}

bool FindRouterByBroadcast(std::uint32_t& address, std::string& addressText, const std::string& destination,
                           std::uint16_t remotePort, std::uint16_t localPort, ProbeError* error) {
  address = 0;
  addressText.clear();
  if (!DiscoveryProbe(address, destination, remotePort, localPort, error)) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(&address);
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
  addressText = text;
  return true;
}

bool DetectDhcpServer(bool& answered, const std::string& destination, std::uint16_t remotePort,
                      std::uint16_t localPort, ProbeError* error) {
  answered = false;
  UdpSocket receiver;
  receiver.SetLocalPort(localPort);
  if (!receiver.OpenBoundReceiver()) {
    const ProbeError bindError = BindError(receiver.LastError());
    if (const ProbeHelperRoute* helper = HelperFor(bindError, localPort)) {
      ProbeError helperError = ProbeError::kNone;
      const bool sent = helper->dhcpPresence(destination, remotePort, answered, helperError);
      Report(error, helperError);
      return sent;
    }
    Report(error, bindError);
    return false;
  }
  UdpSocket sender;
  sender.SetAddress(destination);
  sender.SetRemotePort(remotePort);
  if (!sender.OpenSender()) {
    Report(error, ProbeError::kSocketError);
    return false;
  }
  const std::vector<std::uint8_t> datagram = BuildDhcpPresenceDatagram();
  if (!sender.SetPayload(datagram.data(), datagram.size()) || !sender.SendPayload(1)) {
    Report(error, ProbeError::kSendFailed);
    return false;
  }
  answered = receiver.ReceiveDatagram(kProbeWaitMs / 1000, (kProbeWaitMs % 1000) * 1000L);
  Report(error, answered ? ProbeError::kNone : ProbeError::kNoAnswer);
  return true;
}

}  // namespace kelvane
