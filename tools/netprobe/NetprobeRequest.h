// The request form of kelvane-netprobe, the small helper that holds the two
// network privileges so that neither the wizard nor kelvane-cli has to. A
// request is a few words, on the command line or as one line on standard
// input, and nothing else is taken:
//
//   discover      [--to ADDRESS[:PORT]]
//   dhcp-presence [--to ADDRESS[:PORT]]
//   echo ADDRESS  [--count N] [--timeout MS]
//
// The probes go to 255.255.255.255:67 (the default; no other port) or to a
// loopback address (any port, for the emulator); they always leave from UDP
// port 68. The echo target is one unicast IPv4 address: 0.0.0.0/8, multicast,
// the reserved range and the limited broadcast are refused here, a subnet's
// broadcast address by the program. Addresses are dotted quads without
// leading zeros, numbers plain decimal; each option at most once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::netprobe {

enum class Operation { kNone, kDiscover, kDhcpPresence, kEcho };

inline constexpr std::uint16_t kProbeServerPort = 67;
inline constexpr int kMaxEchoes = 4;
inline constexpr int kMinEchoTimeoutMs = 100;
inline constexpr int kMaxEchoTimeoutMs = 1000;  // the program's own time-out
inline constexpr std::size_t kMaxRequestLine = 128;
inline constexpr std::size_t kMaxWords = 6;

struct Request {
  Operation operation = Operation::kNone;
  std::uint32_t address = 0;  // network order: the probe's destination or the echo target
  std::uint16_t port = kProbeServerPort;  // the probe's destination port
  int count = 1;                          // echoes, stopping at the first reply
  int timeoutMs = kMaxEchoTimeoutMs;      // per echo
};

// The operation a request's first word names, without looking at the rest:
// enough to choose the one capability to keep before anything is parsed.
Operation OperationWord(std::string_view word);
// The same for the standard-input form, read as it came: its first word runs
// to the first space or newline, and nothing else of the line is looked at.
Operation OperationOfLine(std::string_view line);

// Splits the standard-input form: one line of at most kMaxRequestLine bytes,
// ended by a newline and followed by nothing, words separated by single
// spaces, printable ASCII only. False with the reason otherwise.
bool SplitRequestLine(std::string_view input, std::vector<std::string>& words, std::string& why);

// Reads a whole request. False with a one-line reason for anything outside the
// form above; `request` is then left as it was.
bool ParseRequest(const std::vector<std::string>& words, Request& request, std::string& why);

// A strict dotted quad ("a.b.c.d", each 0-255, no leading zeros, nothing else).
bool ParseDottedQuad(std::string_view text, std::uint32_t& networkOrder);

// What an echo may be aimed at before the interfaces are asked: not 0.0.0.0/8,
// not multicast (224/4), not the reserved range or the limited broadcast (240/4).
bool IsUnicastTarget(std::uint32_t networkOrder);

}  // namespace kelvane::netprobe
