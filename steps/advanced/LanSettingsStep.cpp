#include "steps/advanced/LanSettingsStep.h"

#include "router/Fields.h"
#include "router/RouterRequest.h"
#include "router/WanSettingsReader.h"
#include "router/WirelessLanCommands.h"

namespace kelvane {

namespace {

std::string StripBlanks(const std::string& text) {
  const char* blanks = " \t\r\n\f\v";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

// The router's answer to a command is no proof it was taken: a router that
// threw it away answers with its page all the same. Its forms must show
// what was sent.
bool LanAddressTaken(const std::string& address, WizardState& state) {
  std::string page, shown;
  return RouterReadPage(state, "/prim.htm", page) && ReadFormFieldValue(page, "NAME=LI", shown) && shown == address;
}

bool LanDomainTaken(const std::string& domain, WizardState& state) {
  std::string page, shown;
  return RouterReadPage(state, "/dhcp.htm", page) && ReadFormFieldValue(page, "NAME=HD", shown) && shown == domain;
}

}  // namespace

bool IsUsableLanAddress(const std::string& address) {
  if (!IsIpAddress(address)) return false;
  int octets[4] = {};
  std::size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    const std::size_t end = i < 3 ? address.find('.', at) : address.size();
    if (end == std::string::npos || end == at) return false;
    const std::string part = address.substr(at, end - at);
    // "010" is octal to some readers and decimal to others.
    if (part.size() > 1 && part[0] == '0') return false;
    int value = 0;
    for (char c : part) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
      if (value > 255) return false;
    }
    octets[i] = value;
    at = end + 1;
  }
  // 0.x.x.x, loopback, multicast and above, and the /24's own network and
  // broadcast addresses leave the LAN unreachable.
  if (octets[0] == 0 || octets[0] == 127 || octets[0] >= 224) return false;
  return octets[3] != 0 && octets[3] != 255;
}

LanStoreResult StoreLanSettings(const std::string& address, const std::string& domain, bool domainShown,
                                WizardState& state) {
  LanStoreResult result;
  result.address = StripBlanks(address);
  result.domain = StripBlanks(domain);
  result.addressOk = IsUsableLanAddress(result.address);
  result.domainOk = !domainShown || IsPrintableInRange(result.domain, 0, kLanDomainMax);
  if (!result.addressOk || !result.domainOk) {
    result.outcome = LanStoreOutcome::kInvalidInput;
    return result;
  }
  if (!SetLanAddress(result.address, state) || !LanAddressTaken(result.address, state)) {
    result.outcome = LanStoreOutcome::kAddressRefused;
    return result;
  }
  if (!domainShown) {
    // The domain could not be read, so the user never saw it: it stays as
    // the router holds it.
    result.outcome = LanStoreOutcome::kStored;
    return result;
  }
  if (result.domain.empty()) {
    state.lanDomainName.Clear();
  } else {
    state.lanDomainName = result.domain;
  }
  result.outcome = SetLanDomainName(result.domain, state) && LanDomainTaken(result.domain, state)
                       ? LanStoreOutcome::kStored
                       : LanStoreOutcome::kDomainRefused;
  return result;
}

StringId LanStoreMessage(const LanStoreResult& result) {
  if (result.outcome != LanStoreOutcome::kInvalidInput) {
    return MessageFor<LanStoreOutcome>(kLanStoreMessages, result.outcome);
  }
  return !result.addressOk ? kIdLanAddressUnusable : kIdLanDomainUnusable;
}

}  // namespace kelvane
