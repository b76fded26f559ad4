// The router's own WAN address from zero.htm?rc=&rf=0020 ("WAN IP=" line).
// Some firmware leaves the line out; then the reader answers false and the
// callers say nothing about the address.
#pragma once

#include <string>
#include <string_view>

#include "state/WizardState.h"

namespace kelvane {

// The address of a fetched page's "WAN IP=" line; empty when the line is
// missing or holds no dotted address other than 0.0.0.0.
std::string WanIpFromPage(std::string_view page);

// True when the page was fetched and held a dotted address other than 0.0.0.0.
bool ReadWanIpAddress(std::string& address, const WizardState& state);

}  // namespace kelvane
