// Readers of the plain configuration files the Linux backend consults: the
// resolver configuration and the DHCP client's lease file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kelvane {

// Reads a whole (small) file; false when it cannot be opened or exceeds `limit` bytes.
bool ReadTextFile(const std::string& path, std::string& text, std::size_t limit = 1 << 20);

// The IPv4 "nameserver" entries of resolv.conf text, in order. IPv6 servers
// and malformed lines are skipped.
std::vector<std::string> ParseResolvConfNameservers(const std::string& text);

// True when the servers are only the local stub resolver of systemd-resolved
// (127.0.0.53 or 127.0.0.54), whose upstream servers are listed elsewhere.
bool IsResolvedStubOnly(const std::vector<std::string>& servers);

// The DHCP server of the last lease in a dhclient lease file
// ("option dhcp-server-identifier a.b.c.d;"); empty when none.
std::string ParseDhclientLeaseServer(const std::string& text);

}  // namespace kelvane
