#include "steps/kit/WirelessKeyRule.h"

#include <algorithm>

#include "router/Fields.h"
#include "state/WizardState.h"
#include "steps/kit/WirelessKey.h"

namespace kelvane {

namespace {

bool AllPrintable(std::string_view text) { return std::all_of(text.begin(), text.end(), IsPrintableChar); }

}  // namespace

StringId KeyRuleText(std::int32_t securityMode) {
  if (securityMode == kSecurityNone) return 0;
  return securityMode == kSecurityWep ? kIdKeyRuleWep : kIdKeyRuleWpa;
}

StringId KeyProblemText(std::int32_t securityMode, std::string_view key) {
  if (ClassifyWirelessKey(securityMode, key).valid) return 0;
  if (!AllPrintable(key)) return kIdKeyBadCharacter;
  if (securityMode == kSecurityWep) return kIdWepKeyWrongLength;
  return key.size() < 8 ? kIdKeyTooShort : kIdKeyTooLong;
}

StringId SsidProblemText(std::string_view ssid) {
  if (IsValidSsid(ssid)) return 0;
  if (ssid.empty()) return kIdSsidEmpty;
  if (ssid.size() > kMaxSsidBytes) return kIdSsidTooLong;
  return kIdSsidBadCharacter;
}

}  // namespace kelvane
