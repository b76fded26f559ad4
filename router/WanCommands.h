// The WAN (Internet side) commands: each WAN type's settings record turned
// into exactly the request the router's own "cgi-bin/prim" form would send,
// and the readers of the form's connection-control boxes, so that a later
// write keeps them as they were.
#pragma once

#include <cstdint>
#include <string>

#include "state/WizardState.h"

namespace kelvane {

// Sends the command of the WAN type: 2 static, 3 PPPoE, 4 PPTP, 5 L2TP,
// 6 BigPond, 7 Telia, anything else dynamic IP.
bool ApplyWanSettings(std::int32_t wanType, const WizardState& state);
bool ApplyDynamicWan(const WizardState& state);
bool ApplyStaticWan(const WizardState& state);
bool ApplyPppoeWan(const WizardState& state);
bool ApplyPptpWan(const WizardState& state);
bool ApplyL2tpWan(const WizardState& state);
bool ApplyBigPondWan(const WizardState& state);
bool ApplyTeliaWan(const WizardState& state);

// Read the router's form of the type and set the record's option state
// (0 on demand, 1 automatically, 2 manually); false, and the state left as
// it was, when the form cannot be read.
bool ReadDynamicWanOptions(WizardState& state);
bool ReadPppoeWanOptions(WizardState& state);
bool ReadPptpWanOptions(WizardState& state);
bool ReadL2tpWanOptions(WizardState& state);
bool ReadBigPondWanOptions(WizardState& state);
bool ReadTeliaWanOptions(WizardState& state);
// The reader of the type (1, 3 to 7); false for a type without options.
bool ReadWanOptions(std::int32_t wanType, WizardState& state);

// The router's MAC clone action.
bool CloneMacAddress(const WizardState& state);
// Sets the WAN MAC address, keeping the form's option boxes.
bool SetWanMacAddress(const std::string& mac, const WizardState& state);

// Stores the type in `wanType`; the form without a code stores PPPoE, the
// fall-back proposal of the WAN detection page.
void SetWanType(std::int32_t wanType, WizardState& state);
void SetWanType(WizardState& state);

// The request URLs, exposed for tools and tests that show what would be sent.
// The PPPoE, PPTP and L2TP commands first read the router's form; these take
// that page.
std::string DynamicWanUrl(const WizardState& state);
std::string StaticWanUrl(const WizardState& state);
std::string PppoeWanUrl(const WizardState& state, const std::string& primPage);
std::string PptpWanUrl(const WizardState& state, const PptpSettings& record, bool l2tp,
                       const std::string& formPage);
std::string BigPondWanUrl(const WizardState& state);
std::string TeliaWanUrl(const WizardState& state);

}  // namespace kelvane
