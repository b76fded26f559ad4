// Whether the router's WAN address is itself translated further out: an
// address of the provider's shared space for carrier-grade NAT
// (100.64.0.0/10) or of a private range (10/8, 172.16/12, 192.168/16). The
// Internet then works, but nothing at home can be reached from outside.
#pragma once

#include <string_view>

namespace kelvane {

bool IsTranslatedWanAddress(std::string_view dotted);

}  // namespace kelvane
