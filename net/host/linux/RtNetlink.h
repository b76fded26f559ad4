// A small rtnetlink client of our own: dumps links, IPv4 addresses and IPv4
// routes, and deletes an address. The parsers work on plain byte buffers so
// that captured or hand-made kernel answers can be fed to them in tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvane {

struct NetLink {
  int index = 0;
  std::string name;
  unsigned flags = 0;       // IFF_* flags
  unsigned short type = 0;  // ARPHRD_* hardware type
  std::string kind;         // link kind ("veth", "bridge", ...), empty for hardware
  std::string alias;        // the interface alias, if one was set
};

inline constexpr std::uint32_t kInfiniteLifetime = 0xFFFFFFFFu;

struct NetAddress {
  int index = 0;
  std::uint32_t address = 0;  // network order
  int prefixLength = 0;
  std::uint32_t validLifetime = kInfiniteLifetime;  // seconds; infinite for static addresses
  std::uint32_t flags = 0;                          // IFA_F_* flags
};

struct NetRoute {
  int table = 0;
  int destinationLength = 0;
  std::uint32_t destination = 0;  // network order
  std::uint32_t gateway = 0;      // network order, 0 when on-link
  int outputIndex = 0;
  std::uint32_t priority = 0;     // metric
};

// Parsers of the messages in one or more netlink answers. They skip messages
// of other types and stop at NLMSG_DONE; they answer false on NLMSG_ERROR or a
// malformed message (what was parsed before stays in the output).
bool ParseLinkMessages(const std::vector<std::uint8_t>& data, std::vector<NetLink>& links);
bool ParseAddressMessages(const std::vector<std::uint8_t>& data, std::vector<NetAddress>& addresses);
bool ParseRouteMessages(const std::vector<std::uint8_t>& data, std::vector<NetRoute>& routes);

class RtNetlink {
 public:
  RtNetlink();
  ~RtNetlink();
  RtNetlink(const RtNetlink&) = delete;
  RtNetlink& operator=(const RtNetlink&) = delete;

  bool IsOpen() const { return fd_ >= 0; }

  // Each dump is one request and its whole multi-part answer (bounded by a
  // 2-second time-out), in the kernel's order.
  bool DumpLinks(std::vector<NetLink>& links);
  bool DumpAddresses(std::vector<NetAddress>& addresses);
  bool DumpRoutes(std::vector<NetRoute>& routes);

  bool DeleteAddress(const NetAddress& address);

 private:
  bool Request(std::uint16_t type, std::uint16_t flags, const void* body, std::size_t bodySize,
               const void* attributes, std::size_t attributesSize, std::vector<std::uint8_t>& answer);

  int fd_ = -1;
  std::uint32_t sequence_ = 0;
};

}  // namespace kelvane
