// The remaining write commands: wireless settings, the router's LAN address
// and domain name, and the maintenance actions (WAN status refresh, restart,
// factory reset). Each is one authenticated GET whose answer is not read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "state/WizardState.h"

namespace kelvane {

// Sends SSID, channel, security mode and key. The channel "Auto" is stored
// back as "0", the router's code for automatic. WPA modes wait 25 seconds.
// Without `withSecurity` only the name and channel go: the router keeps its
// security mode, cipher and key as they are (the command has no field for
// the cipher, so sending the mode again would put the router's default
// cipher in place of its own).
bool SetWirelessSettings(std::string_view ssid, std::string_view key,
                         WizardState& state, bool withSecurity = true);
// Whether the router's wireless status page now shows what the command above
// sent: the name and channel, and with `withSecurity` the mode and a pass
// phrase it shows. A router that threw the command away answers as if it took
// it; only the page it shows afterwards tells. Without `withSecurity`,
// `heldMode` is the security mode the page showed before the command: the
// router must still hold it (one that took the missing security part as
// "none" did not keep what the user kept).
bool WirelessSettingsTaken(std::string_view ssid, std::string_view key, WizardState& state, bool withSecurity,
                           std::optional<std::int32_t> heldMode = std::nullopt);
// The wireless request URL and its time-out (applies the "Auto" rewrite).
std::string WirelessSettingsUrl(std::string_view ssid, std::string_view key, WizardState& state,
                                int& timeoutSeconds, bool withSecurity = true);

// Sets the LAN address (effective after a restart), keeping the form's boxes.
bool SetLanAddress(const std::string& address, const WizardState& state);
bool SetLanDomainName(const std::string& name, const WizardState& state);
bool RefreshWanStatus(const WizardState& state);
bool RebootRouter(const WizardState& state);
bool ResetRouterToDefaults(const WizardState& state);

}  // namespace kelvane
