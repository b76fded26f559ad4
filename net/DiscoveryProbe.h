// The two LAN broadcast probes: where is the router, and does anything serve
// DHCP on this LAN. Both wait 2 seconds (not scaled) in slices, calling the
// wait hook.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane {

class UdpSocket;

inline constexpr char kProbeBroadcastAddress[] = "255.255.255.255";
inline constexpr std::uint16_t kProbeServerPort = 67;
inline constexpr std::uint16_t kProbeClientPort = 68;
inline constexpr int kProbeWaitMs = 2000;
inline constexpr std::size_t kDiscoveryDatagramSize = 548;
inline constexpr std::size_t kDhcpPresenceDatagramSize = 300;

// Why a probe gave false (or, for DetectDhcpServer, why nothing answered).
enum class ProbeError {
  kNone,         // answered (or, for DetectDhcpServer, sent)
  kNoAnswer,     // sent, nothing came back within the wait
  kNoPrivilege,  // binding the client port needs cap_net_bind_service or root
  kPortInUse,    // the client port is held by another program
  kSocketError,  // the socket could not be made, set up or bound
  kSendFailed,   // the datagram could not be sent
  kHelperBusy,     // the helper was busy with an earlier call of this user
  kHelperRefused,  // the helper refused the request (not a destination it probes)
};

// A short English description of the reason, for logs and the command line.
const char* ProbeErrorText(ProbeError error);

// The exact datagrams on the wire.
std::vector<std::uint8_t> BuildDiscoveryDatagram();     // 548 bytes
std::vector<std::uint8_t> BuildDhcpPresenceDatagram();  // 300 bytes

// Clears `address` (network order) and `addressText`, runs DiscoveryProbe and on
// success writes the reply's source as "%d.%d.%d.%d" into `addressText`.
bool FindRouterByBroadcast(std::uint32_t& address, std::string& addressText,
                           const std::string& destination = kProbeBroadcastAddress,
                           std::uint16_t remotePort = kProbeServerPort,
                           std::uint16_t localPort = kProbeClientPort, ProbeError* error = nullptr);

// True for a datagram that is plainly a BOOTP/DHCP message between a DHCP
// server and a client (op 1 or 2 and the magic cookie 63 82 53 63 at offset
// 236), such as a server's offer or acknowledgement broadcast to port 68
// while the probe waits. The router's answer to the discovery datagram, which
// carries no cookie, is never one.
bool IsDhcpMessage(std::string_view datagram);

// Reads datagrams on `socket` (bound to the client port) until the router's
// answer, the first that is not a DHCP message, or until 2 seconds have passed
// since the call. True with its source address (network order) in `address`.
bool ReceiveRouterAnswer(UdpSocket& socket, std::uint32_t& address);

// Sends the 548-byte discovery datagram once from `localPort` and takes the
// source address (network order) of the first datagram reaching that port
// within 2 seconds that is not a DHCP message (ReceiveRouterAnswer).
bool DiscoveryProbe(std::uint32_t& address, const std::string& destination = kProbeBroadcastAddress,
                    std::uint16_t remotePort = kProbeServerPort,
                    std::uint16_t localPort = kProbeClientPort, ProbeError* error = nullptr);

// Listens on `localPort`, sends the 300-byte DHCP presence datagram once from an
// unbound sender, and sets `answered` when any datagram reaches the port within
// 2 seconds. The result tells whether the datagram could be sent.
bool DetectDhcpServer(bool& answered, const std::string& destination = kProbeBroadcastAddress,
                      std::uint16_t remotePort = kProbeServerPort,
                      std::uint16_t localPort = kProbeClientPort, ProbeError* error = nullptr);

}  // namespace kelvane
