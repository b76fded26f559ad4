// The emulator's clock and the few socket helpers its servers share.
#pragma once

#include <netinet/in.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace kelvane::routersim {

// Monotonic milliseconds of the emulator's own clock.
std::uint64_t SimNowMs();

// The longest a server thread waits before it looks at its stop flag again.
inline constexpr int kSimSliceMs = 20;

// Sleeps `ms` (nothing when negative) in slices, returning early once
// `stopping` is set.
void SleepUnlessStopped(const std::atomic<bool>& stopping, int ms);

// A dotted IPv4 address into `out` (network order); false when it is none.
bool ParseIpv4(const std::string& text, in_addr& out);
// "address:port" of a socket address.
std::string EndpointText(const sockaddr_in& address);

}  // namespace kelvane::routersim
