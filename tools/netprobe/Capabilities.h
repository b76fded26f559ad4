// The helper's capabilities, handled with the kernel's own calls (no library
// to load): it starts with cap_net_bind_service and cap_net_raw permitted but
// not effective, keeps the one its operation needs, raises it for the one
// call that needs it (bind to port 68, opening the ICMP socket) and then
// drops everything.
#pragma once

namespace kelvane::netprobe {

inline constexpr int kNoCapability = -1;

// Drops every capability but `capability` (a CAP_* number, or kNoCapability)
// from the permitted set, empties the effective and inheritable sets and the
// ambient set. False when the kernel refused.
bool KeepOnly(int capability);
// Makes the kept capability effective.
bool Raise(int capability);
// Empties every set for good.
bool DropAll();

}  // namespace kelvane::netprobe
