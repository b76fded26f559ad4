// Waiting for a socket without freezing the window (see net/Wait.h).
#pragma once

#include <cstdint>
#include <string>

namespace kelvane {

// Waits until `fd` reports one of `events` (poll flags) or the steady clock
// (SteadyMs) reaches `deadlineMs`: in the event loop through the ready wait
// when there is one, else in slices (SliceMs), asking YieldIfDue() on every
// pass and before it returns. Answers the reported flags, 0 on time-out and
// -1 when poll itself failed.
int WaitForSocket(int fd, short events, std::uint64_t deadlineMs);

// Parses a dotted IPv4 text of at most 15 characters into `networkOrder`;
// anything else (host names included) gives INADDR_NONE and false.
bool ParseDottedAddress(const std::string& dotted, std::uint32_t& networkOrder);

// SteadyMs() + `ms`, with non-positive values meaning "now".
std::uint64_t DeadlineAfterMs(long long ms);

}  // namespace kelvane
