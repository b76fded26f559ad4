// The privileged helper, kelvane-netprobe, from the side of the programs that
// run it. The wizard and kelvane-cli hold no capability: when binding the
// probes' port 68 or opening an ICMP socket is refused to them, they run the
// helper (argument vector, no shell, through RunProgram) and read its answer
// into the same results as their own probes give.
// The answer form is in NetprobeAnswer.h.
#pragma once

#include <cstdint>
#include <string>

#include "net/DiscoveryProbe.h"
#include "net/host/HostNetwork.h"

namespace kelvane {

inline constexpr char kNetprobeName[] = "kelvane-netprobe";

// Where the helper is: beside this program (a build tree, the installed
// wizard), else where the package installs it. Empty when neither is there.
std::string NetprobePath();

// The three operations through the helper, with the results of their
// in-process counterparts. A refused request (exit 2) and a helper busy with
// an earlier call of this user (exit 3) have errors of their own; a helper
// that is missing or gave no usable answer reads as the missing privilege.
bool NetprobeDiscover(const std::string& destination, std::uint16_t remotePort, std::uint32_t& address,
                      ProbeError& error);
bool NetprobeDhcpPresence(const std::string& destination, std::uint16_t remotePort, bool& answered,
                          ProbeError& error);
bool NetprobeEcho(std::uint32_t address, int timeoutMs, PingError& error);

// Lets the probes of this process fall back on the helper (ProbeHelperRoute);
// the echo does so by itself (IcmpEcho).
void InstallNetprobeRoute();

}  // namespace kelvane
