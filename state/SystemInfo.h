// The short system version code that selects alternative widths and offsets
// on a few pages (502 and 6006). Linux has none of those versions, so the code
// is always 0 and every page takes its default layout.
#pragma once

#include <cstdint>

namespace kelvane {

std::uint16_t GetOsVersionCode();

// Stores GetOsVersionCode() in WizardState::osVersionCode; answers whether it
// is non-zero (callers do not look at the answer).
bool CollectSystemInfo();

}  // namespace kelvane
