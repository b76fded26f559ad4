// Which page serves which WAN type: one table for the WAN detection page (the
// proposal decides the next page), the WAN type selection page (one button
// per type), and the pages that come back to a WAN page.
#pragma once

#include <cstdint>

namespace kelvane {

// Dialog templates of the pages the routing leads to.
inline constexpr int kTemplateSelectWan = 4008;
inline constexpr int kTemplateStore = 4016;

struct WanRoute {
  std::int32_t wanType;
  int settingsTemplate;     // the WAN settings page of the type
  std::uint32_t pageCode;   // that page's code
};

inline constexpr WanRoute kWanRoutes[] = {
    {1, 4009, 30}, {2, 4010, 31}, {3, 4011, 32}, {4, 4012, 33},
    {5, 4014, 34}, {6, 4046, 35}, {7, 4047, 36},
};

// The settings page of `wanType`; 0 for a type without one.
constexpr int WanSettingsTemplate(std::int32_t wanType) {
  for (const WanRoute& r : kWanRoutes) {
    if (r.wanType == wanType) return r.settingsTemplate;
  }
  return 0;
}

// Where the WAN detection page goes with a proposal: dynamic IP needs no entry
// and goes straight to the store page; PPPoE, PPTP and L2TP to their pages;
// anything else to the manual choice.
constexpr int DetectionNextTemplate(std::int32_t wanType) {
  switch (wanType) {
    case 1: return kTemplateStore;
    case 3:
    case 4:
    case 5: return WanSettingsTemplate(wanType);
    default: return kTemplateSelectWan;
  }
}

}  // namespace kelvane
