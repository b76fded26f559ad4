// What the store page shows before anything is sent: the wireless settings
// and the WAN settings the user chose, as lines of catalogue texts and values.
// The WAN part comes from the WAN form table (labels in the page's order,
// every password as a row of "*"), so the summary always matches the pages.
#pragma once

#include <string>
#include <vector>

#include "language/StringIds.h"
#include "state/WizardState.h"

namespace kelvane {

struct SummaryLine {
  enum class Kind { kHeading, kField, kBlank };
  Kind kind = Kind::kBlank;
  StringId label = 0;   // heading text or field label
  StringId suffix = 0;  // heading: the service name shown in parentheses (0: none)
  StringId valueId = 0; // field: the value as a catalogue text (0: `value`)
  std::string value;    // field: the value as stored (router bytes)
};

// Heading of the WAN part.
inline constexpr StringId kIdSummaryWanHeading = 30161;

// The summary lines for the state as it is now: the wireless part when
// `configureWireless` is set, the WAN part when `applyWan` is set (a WAN type
// without a form leaves it at its heading).
std::vector<SummaryLine> BuildSettingsSummary(const WizardState& state);

// The name of the security mode in the summary (0 when the mode has none).
StringId SecurityModeText(std::int32_t securityMode, std::int32_t wepKeyLength);
// Whether the channel text is a number other than 0; anything else ("Auto",
// "0") is shown as the automatic channel.
bool ChannelIsNumber(const std::string& channel);

}  // namespace kelvane
