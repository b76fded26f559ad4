#include "steps/kit/WirelessKey.h"

#include "router/Fields.h"
#include "state/WizardState.h"

namespace kelvane {

WirelessKeyVerdict ClassifyWirelessKey(std::int32_t securityMode, std::string_view key) {
  WirelessKeyVerdict v;
  switch (securityMode) {
    case kSecurityNone:
      v.valid = true;
      return v;
    case kSecurityWep:
      if (IsHexKey(key, 10)) return {true, 0, kWepKey64};
      if (IsPrintableOfLength(key, 5)) return {true, 1, kWepKey64};
      if (IsHexKey(key, 26)) return {true, 0, kWepKey128};
      if (IsPrintableOfLength(key, 13)) return {true, 1, kWepKey128};
      return v;
    case kSecurityWpaPsk:
    case kSecurityWpaMixed:
    case kSecurityWpa2Psk:
    case kSecurityWpaMixedAlt:
      if (IsHexKey(key, 64)) return {true, 0, 0};
      if (IsPrintableInRange(key, 8, 63)) return {true, 1, 0};
      return v;
    default:
      return v;  // an unknown mode takes no key
  }
}

}  // namespace kelvane
