// Readers of the settings the router holds, so that every value the wizard
// (and the CLI) can write can be read back: the WAN type and the fields of
// each type as the advanced WAN page shows them, and the LAN domain name.
//
//   bool ReadWanSettings(WizardState& state, WanSettingsReading& reading);
//       zero.htm?rc=&rf=0008 for the type code, prim.htm for the fields (and
//       for telling BigPond and Telia from dynamic IP), then the type's
//       connection-control boxes (ReadWanOptions). Writes state.wanType and
//       the type's record (cleared first; passwords are never read back).
//       Answers the read's success, see below.
//   LanDomainRead ReadLanDomainName(WizardState& state, std::string& domain);
//       dhcp.htm; one of three outcomes, see below.
//   bool ReadFormFieldValue(std::string_view page, std::string_view nameAnchor, std::string& value);
//       the VALUE of the form field whose tag holds `nameAnchor`.
//
// The type code is the 4 characters before the first "<BR>" of the type page:
// "0000" static IP (2), "0200" PPPoE (3), "0300" PPTP (4), "0700" L2TP (5),
// "0100" dynamic IP (1) unless the form shown is BigPond's (its Wt is "0101",
// 6) or Telia's ("0104", 7), or, on a form without its Wt, holds "NAME=IT0"
// (BigPond) or else "NAME=IU0" (Telia); anything else is type 0 and nothing
// more is read. The fields are read from the form brought to the type.
//
// Success of ReadWanSettings: the result of the last page fetch or field
// extraction of the path taken, so a missing last field of a type (the MAC
// for dynamic IP, DNS 2 for static IP, the service name for PPPoE, the user
// name for PPTP and L2TP, the login server for BigPond, the user name for
// Telia) makes it false although the type is known; an unknown type code
// read from a fetched page is a success. A failed read of the
// connection-control boxes also makes it false.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "state/WizardState.h"

namespace kelvane {

struct WanSettingsReading {
  std::int32_t type = kWanNone;  // the type read, as written to state.wanType
  std::string typeCode;          // the router's 4-character code ("" when not found)
  // PPTP and L2TP: address, mask or gateway differ from "0.0.0.0" (the page
  // then shows the static address mode, else the dynamic one).
  bool staticAddress = false;
  bool macFound = false;       // dynamic IP: the form held the WAN MAC
  bool optionsRead = false;    // the connection-control boxes were read
};

bool ReadWanSettings(WizardState& state, WanSettingsReading& reading);

// The router's code of a WAN type ("0100" dynamic IP ... "0104" Telia; ""
// for none), and the router's settings form brought to that type: the page
// its own form would show once the type is chosen (the stored type stays).
// Every command built from the form takes it from there, so that no field of
// another type's form (its MTU, its boxes) goes with it.
const char* WanTypeCode(std::int32_t type);
bool ShowWanForm(std::int32_t type, WizardState& state, std::string& page);

// Outcomes of the domain name read.
enum class LanDomainRead {
  kRead,          // found: stored in state.lanDomainName and given in `domain`
  kFetchFailed,   // the page could not be fetched: state.lanDomainName is cleared
  kFieldMissing,  // fetched, but no domain field: state.lanDomainName is kept
};
// `domain` is the name read, or empty for the other two outcomes.
LanDomainRead ReadLanDomainName(WizardState& state, std::string& domain);

// The value of the form field named by `nameAnchor` ("NAME=WI", any case),
// wherever VALUE stands within that field's tag (before or after the name,
// across line breaks): a quoted value up to its closing quote, an unquoted
// one up to a blank, tab, ">", CR or LF. The HTML character references
// &quot; &lt; &gt; &amp; &#39; are decoded. A tag without VALUE, or an
// anchor that is only the start of a longer name, is passed over. False when
// no such field is on the page.
bool ReadFormFieldValue(std::string_view page, std::string_view nameAnchor, std::string& value);

}  // namespace kelvane
