// One entry of the PC's dial-up phonebook, as the account readers see it.
// On Linux the phonebook is NetworkManager's connection profiles and pppd's
// peer files; each is mapped onto these fields. Passwords are never read.
#pragma once

#include <cstdint>
#include <string>

namespace kelvane {

// Which protocols a VPN entry tries, in the phonebook's own numbering.
enum VpnStrategy : std::int32_t {
  kVpnDefault = 0,
  kVpnPptpOnly = 1,
  kVpnPptpFirst = 2,
  kVpnL2tpOnly = 3,
  kVpnL2tpFirst = 4,
};

struct DialEntry {
  std::string name;              // entry name (profile id or peer file name)
  std::string deviceType;        // "PPPoE", "VPN", or anything else
  std::int32_t vpnStrategy = kVpnDefault;
  std::string localPhoneNumber;  // PPPoE: service name; VPN: server name or address
  std::uint8_t clientAddress[4] = {0, 0, 0, 0};  // fixed client address, 0.0.0.0 if none
  bool dialParamsReadable = true;  // false: the user name could not be read
  std::string userName;
  std::string source;  // where it came from (file path or "nmcli"), for diagnostics
};

enum class DialKind { kPppoe, kPptp, kL2tp };

// PPPoE: device type "PPPoE"; PPTP: "VPN" with strategy below 3; L2TP: "VPN"
// with strategy 3 or above (device types compared without regard to case).
bool IsDialEntryOfKind(const DialEntry& entry, DialKind kind);

}  // namespace kelvane
