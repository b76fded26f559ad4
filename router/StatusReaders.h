// Readers of the router's small status pages. Each fetches one page with the
// stored credentials and picks fixed keys out of it; they rely on the page
// markers only, never on the layout around them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "state/WizardState.h"

namespace kelvane {

inline constexpr std::size_t kChannelFlagCount = 16;
using ChannelFlags = std::array<std::uint8_t, kChannelFlagCount>;
inline constexpr std::size_t kWanGatewayTextMax = 19;
inline constexpr std::size_t kWanDnsTextMax = 39;

// SSID, channel ("0" automatic), security display text, security mode and key
// from zero.htm?rc=&rf=0010. True when the key line was found. The key line is
// chosen by the mode: the mode the page shows, or `securityMode` as it was
// passed when the page shows no security code. The SSID is cleared first; the other outputs are
// left as they were when their key is missing. With WEP the key is the value
// of the page's "Key" line itself ("Key" at a line start or after a tag,
// then "="), never a "key" inside an SSID, a title or the "Prechare Key" line.
bool ReadWirelessStatus(std::string& ssid, std::string& channel, std::string& securityText, std::string& key,
                        std::int32_t& securityMode, WizardState& state);

// Region flag (1 for "USA") and one flag per channel (flag i is channel i+1)
// from sysinfo.htm. True when the channel mask was found.
bool ReadSystemInfo(int& regionFlag, ChannelFlags& channelFlags,
                    const WizardState& state);

// Link flag from zero.htm?rc=&rf=0004; true when the page was fetched.
bool ReadWanLinkStatus(std::uint8_t& linkFlag, const WizardState& state);

// Ready flag and the WAN type the router found on its WAN (1 dynamic IP,
// 3 PPPoE, 0 nothing) from zero.htm?rc=&rf=0004. The type is left as it was
// while the router is not ready.
bool ReadWanDetection(std::uint8_t& readyFlag, std::int32_t& detectedType,
                      const WizardState& state);

// WAN-up flag, gateway and DNS text from zero.htm?rc=&rf=0020. The flag is 1
// when the gateway is not 0.0.0.0 and the DNS text is an address or a list
// (then cut to its first server). Blanks and line ends around both texts are
// removed before the check; a single server must be a plain dotted address
// (not "10.1", not 255.255.255.255, nothing after it). True when the page was
// fetched and the DNS line found.
// `wanAddress`, when given, gets the page's "WAN IP=" address (WanIpReader.h).
bool ReadWanAddresses(std::uint8_t& wanUp, std::string& gateway, std::string& dns,
                      const WizardState& state, std::string* wanAddress = nullptr);

// Maps a security code of the status page to the stored mode and its display
// text; false (nothing changed) for an unknown code.
bool MapSecurityCode(const std::string& code, std::int32_t& mode, std::string& text);

}  // namespace kelvane
