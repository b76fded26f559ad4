// ICMP echo on Linux: an ICMP datagram socket ("ping socket", allowed for the
// groups in net.ipv4.ping_group_range), or a raw socket (needs cap_net_raw)
// when the datagram socket is refused.
#pragma once

#include <cstddef>
#include <cstdint>

#include "net/host/HostNetwork.h"

namespace kelvane {

enum class EchoReplyKind {
  kNotOurs,  // another process's packet, an old sequence number, or garbage
  kReply,    // our echo reply; `dataBytes` holds the length of its data
  kError,    // an ICMP error quoting our echo (unreachable, time exceeded)
};

// Looks at one received packet. `withIpHeader`: raw sockets hand over the IP
// header too, datagram sockets do not (and have already matched the id, which
// `checkId` false skips).
EchoReplyKind ClassifyEchoPacket(const std::uint8_t* packet, std::size_t size, bool withIpHeader,
                                 bool checkId, std::uint16_t id, std::uint16_t sequence,
                                 std::size_t& dataBytes);

// The Internet checksum of RFC 1071.
std::uint16_t InternetChecksum(const std::uint8_t* data, std::size_t size);

// Where echoes go when this process may open neither ICMP socket: the
// privileged helper, once the program has installed it (InstallNetprobeRoute).
// One echo, with the results of IcmpEcho::Echo.
using EchoHelper = bool (*)(std::uint32_t address, int timeoutMs, PingError& error);
void SetEchoHelper(EchoHelper helper);

class IcmpEcho {
 public:
  IcmpEcho() = default;
  ~IcmpEcho() { Close(); }
  IcmpEcho(const IcmpEcho&) = delete;
  IcmpEcho& operator=(const IcmpEcho&) = delete;

  bool Open(PingError& error);
  // Sends one echo with the wizard's payload and waits up to `timeoutMs`
  // (real time, in slices that call the wait hook) for its reply.
  bool Echo(std::uint32_t address, int timeoutMs, PingError& error);
  void Close();

  bool UsesRawSocket() const { return raw_; }
  bool UsesHelper() const { return helper_ != nullptr; }

 private:
  EchoHelper helper_ = nullptr;  // set by Open when neither socket may be opened
  int fd_ = -1;
  bool raw_ = false;
  std::uint16_t id_ = 0;
  std::uint16_t sequence_ = 0;
};

}  // namespace kelvane
