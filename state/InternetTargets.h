// The hosts the Internet checks aim at: the public address pinged to make a
// connect-on-demand WAN dial, the public DNS server pinged to judge the
// Internet service, and the web site whose name is resolved and pinged. They
// are program options (--public-host, --public-dns, --test-site) so that tests
// and the demo point them at hosts inside their own network namespaces.
#pragma once

#include <string>
#include <string_view>

namespace kelvane {

inline constexpr const char* kDefaultPublicHost = "9.9.9.9";
inline constexpr const char* kDefaultPublicDns = "8.8.8.8";
inline constexpr const char* kDefaultTestSite = "www.wikipedia.org";

struct InternetTargets {
  static InternetTargets& Instance();

  std::string publicHost = kDefaultPublicHost;  // dotted IPv4
  std::string publicDns = kDefaultPublicDns;    // dotted IPv4
  std::string testSite = kDefaultTestSite;      // host name or dotted IPv4
};

// Answers whether `text` is a dotted IPv4 address of four decimal parts.
bool IsDottedIpv4(std::string_view text);
// Answers whether `text` is a usable host name (letters, digits, hyphens and
// dots, labels of 1-63 characters, at most 253 in all) or a dotted IPv4 address.
bool IsHostNameOrAddress(std::string_view text);

}  // namespace kelvane
