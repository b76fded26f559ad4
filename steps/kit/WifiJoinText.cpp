#include "steps/kit/WifiJoinText.h"

#include "state/WizardState.h"

namespace kelvane {

std::string EscapeJoinField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\' || c == ';' || c == ',' || c == ':' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

std::string_view JoinAuthType(std::int32_t securityMode) {
  switch (securityMode) {
    case kSecurityWep: return "WEP";
    case kSecurityWpaPsk:
    case kSecurityWpaMixed:
    case kSecurityWpa2Psk:
    case kSecurityWpaMixedAlt: return "WPA";
    default: return "nopass";
  }
}

std::string WifiJoinText(std::string_view ssid, std::int32_t securityMode, std::string_view key, bool hidden) {
  const std::string_view type = JoinAuthType(securityMode);
  std::string text = "WIFI:T:";
  text += type;
  text += ";S:" + EscapeJoinField(ssid) + ";";
  if (type != "nopass") text += "P:" + EscapeJoinField(key) + ";";
  if (hidden) text += "H:true;";
  return text + ";";
}

}  // namespace kelvane
