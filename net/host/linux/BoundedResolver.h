// IPv4 name resolution that cannot freeze the window: getaddrinfo runs on a
// worker thread while the caller waits in slices that call the wait hook. The
// wait is bounded by kResolveBoundMs (real time); a lookup still running then
// is abandoned (its thread finishes on its own and its answer is dropped).
#pragma once

#include <cstdint>
#include <string>

namespace kelvane {

// glibc's own default worst case is 5 s per try and server, two tries; the
// wizard gives up after 10 s in any case.
inline constexpr int kResolveBoundMs = 10000;

// First IPv4 address of `name` (network order). False when the name does not
// resolve, has no IPv4 address, or the bound passed.
bool ResolveIpv4Bounded(const std::string& name, std::uint32_t& address, int boundMs = kResolveBoundMs);

}  // namespace kelvane
