// The text a phone reads from a QR code to join a wireless network:
//   WIFI:T:<WPA|WEP|nopass>;S:<name>;P:<key>;H:true;;
// P is left out without security, H only for a hidden network. In the name
// and the key the characters \ ; , : " are escaped with a backslash; every
// other byte (UTF-8 included) goes as it is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

std::string EscapeJoinField(std::string_view text);

// "WPA" for the WPA modes (2, 5, 8, 9), "WEP" for 1, "nopass" for none (0)
// and any unknown mode.
std::string_view JoinAuthType(std::int32_t securityMode);

std::string WifiJoinText(std::string_view ssid, std::int32_t securityMode, std::string_view key, bool hidden = false);

}  // namespace kelvane
