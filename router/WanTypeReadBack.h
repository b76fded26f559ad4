// Reading back the WAN type the router stores after a WAN command: a router
// that threw the command away (it had lost the login, the answer was cut or
// was no page of its own) still shows its old type, and the user must not be
// told that the settings were saved.
#pragma once

#include <cstdint>

#include "state/WizardState.h"

namespace kelvane {

// The code the router's type page (zero.htm, rf=0008) shows for a WAN type:
// "0000" static, "0200" PPPoE, "0300" PPTP, "0700" L2TP, "0100" for dynamic
// IP and for the provider logins (BigPond, Telia), which it reports as such.
const char* ReportedWanTypeCode(std::int32_t wanType);

// True when the router's type page shows the code of `wanType`, or when the
// page answers but shows no type code at all (a router that cannot be read
// back). False when the page cannot be read or shows another type.
bool WanTypeTaken(std::int32_t wanType, const WizardState& state);

// True when the router's settings form (prim.htm, left on the type just
// stored) shows the values the command for `wanType` sent that the form
// shows again: addresses, server, user and service names (never passwords).
// A field the form does not hold is passed over; dynamic IP sends none of
// them and reads nothing. False when the form cannot be read or shows
// another value: a router that threw a change within the same type away
// still shows its old type.
bool WanFieldsTaken(std::int32_t wanType, const WizardState& state);

}  // namespace kelvane
