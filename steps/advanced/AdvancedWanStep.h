// The router sheet's WAN page without its window: storing the six rows of
// the chosen type (from the same WAN form table as the easy-mode pages), the
// MAC address of dynamic IP, and the MAC clone.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "steps/kit/WanForms.h"
#include "state/WizardState.h"

namespace kelvane {

// The type list offers six types, position p standing for type p + 1: Telia
// is recognised on a router but cannot be chosen here.
inline constexpr int kAdvancedWanTypeCount = 6;
inline constexpr std::array<StringId, kAdvancedWanTypeCount> kAdvancedWanTypeTexts{
    kIdAdvWanDynamicIp, kIdAdvWanStaticIp, 0, 0, 0, 0};  // 0: the protocol's own name
inline constexpr std::array<const char*, kAdvancedWanTypeCount> kAdvancedWanTypeNames{
    nullptr, nullptr, "PPPoE", "PPTP", "L2TP", "BigPond"};

enum class AdvancedWanStoreOutcome {
  kStored,        // the router took the settings (and the MAC for dynamic IP)
  kNoType,        // no type chosen (a router in Telia mode, or nothing read)
  kInvalidInput,  // a row or the MAC failed its check: nothing was sent
  kApplyRefused,  // the WAN command failed: wanType is unchanged
  kMacRefused,    // dynamic IP: the settings went, the MAC command failed
};

struct AdvancedWanStoreResult {
  AdvancedWanStoreOutcome outcome = AdvancedWanStoreOutcome::kNoType;
  std::array<bool, kWanMaxFields> rowOk{};  // per row of the type's form
  bool macOk = true;
  std::array<std::string, kWanMaxFields> rows;  // the rows as stored (address rows stripped)
  std::string mac;                              // the MAC text as stored (stripped)
};

// Stores `rows` (row 1 first) into the type's record and checks every one;
// for dynamic IP the MAC text is taken and checked only when the router
// itself runs dynamic IP (`routerWanType` 1). When everything passes, sends
// the type's WAN command; on success wanType becomes the type and the router
// is asked to refresh its WAN state; dynamic IP then sends the MAC held in
// the record.
AdvancedWanStoreResult StoreAdvancedWan(std::int32_t type, const std::array<std::string, kWanMaxFields>& rows,
                                        const std::string& mac, int optionIndex, std::int32_t routerWanType,
                                        WizardState& state);

// The router's MAC clone, then the WAN MAC it now holds, read back from its
// settings form into DynamicIpSettings. False when the clone failed or the
// MAC cannot be read (then `mac` is empty).
bool CloneAndReadMac(WizardState& state, std::string& mac);

}  // namespace kelvane
