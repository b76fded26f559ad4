// Small pieces shared by every router operation: the URL base, the two kinds
// of authenticated request (read a page, send a command) and the option box
// test of the router's settings form.
#pragma once

#include <string>
#include <string_view>

#include "state/WizardState.h"

namespace kelvane {

// Time-outs of router requests, seconds (protocol time-outs, never scaled).
inline constexpr int kRouterTimeoutSeconds = 10;
inline constexpr int kRouterWpaTimeoutSeconds = 25;

// `routerAddress` followed by `pathAndQuery` (which starts with "/").
std::string RouterUrl(const WizardState& state, std::string_view pathAndQuery);
// Fetches a page with the stored credentials (HttpGetAuth, 10 seconds).
bool RouterReadPage(const WizardState& state, std::string_view pathAndQuery, std::string& page);
// Sends a command with the stored credentials; its answer is not read.
bool RouterSendCommand(const WizardState& state, const std::string& url,
                       int timeoutSeconds = kRouterTimeoutSeconds);
// Whether the option box value found after `key` (up to the next ",") holds
// "CHECKED"; `found` tells whether the key was on the page at all.
bool BoxChecked(std::string_view page, std::string_view key, bool& found);
// "o" for a checked box, "x" for a clear one.
inline const char* BoxValue(bool checked) { return checked ? "o" : "x"; }
// "&DF00=o|x&DF01=o|x" as the settings form `page` shows its two connection
// boxes, or nothing when it has no DF00 box, so that a write through the same
// form keeps them as they are.
std::string KeptConnectionBoxes(std::string_view page);

}  // namespace kelvane
