// The one rule for a wireless key, shared by the easy wireless page and the
// advanced wireless page: what a key typed for a security mode must look like,
// and what it tells about itself (typed as text or as hexadecimal digits, and
// for WEP the key length).
//
//   WEP (1):            10 hexadecimal digits or 5 characters  -> 64-bit (101)
//                       26 hexadecimal digits or 13 characters -> 128-bit (102)
//   WPA-PSK, WPA2-PSK, mixed (2, 5, 8, 9):
//                       64 hexadecimal digits or 8 to 63 printable characters
//   none (0):           any text; the key is not looked at
//
// Hexadecimal is tried first, so a 10-digit hexadecimal key is hexadecimal
// (keyIsText 0), never a text key.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelvane {

struct WirelessKeyVerdict {
  bool valid = false;
  std::uint8_t keyIsText = 1;      // 1: characters, 0: hexadecimal digits
  std::int32_t wepKeyLength = 0;   // kWepKey64 / kWepKey128 for a valid WEP key, else 0
};

WirelessKeyVerdict ClassifyWirelessKey(std::int32_t securityMode, std::string_view key);

}  // namespace kelvane
