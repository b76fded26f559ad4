// The network and process guard linked into every fuzz program.
//
// Fuzzed bytes reach code that connects, resolves names, broadcasts, pings and
// starts programs (a redirect names any host, a reader may fall back to a
// helper program). FuzzGuard.cpp defines the libc entry points for those
// actions in the program itself, so they take precedence over the C library's:
//   - socket: only IPv4/IPv6 stream and datagram sockets (no raw, packet,
//     netlink, local or ICMP "ping" sockets);
//   - connect, sendto, sendmsg, sendmmsg: only to 127.0.0.0/8 (or ::1), and
//     when a program has named its peer ports, only to those;
//   - sendmsg control data choosing an interface, SO_BINDTODEVICE other than lo;
//   - every name look-up (getaddrinfo unless numeric, gethostbyname*, ...);
//   - every program start (fork, vfork, exec*, posix_spawn*, system, popen).
// A refused call fails the way the call fails on a locked-down system (EACCES,
// EAI_FAIL, a null result) and is counted; nothing leaves the machine.
#pragma once

#include <cstdint>

namespace kelvane::fuzz {

// From the first call on, loopback traffic too may go only to the named
// ports (the program's own peers and its own bound ports); other loopback
// ports are refused as if closed (ECONNREFUSED).
void GuardAllowPort(std::uint16_t port);

// Number of calls the guard has refused so far, and of those the name look-ups.
unsigned long GuardRefusals();
unsigned long GuardLookups();

}  // namespace kelvane::fuzz
