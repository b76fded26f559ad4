#include "steps/advanced/LanSettingsStep.h"

#include "router/Fields.h"
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

}  // namespace

LanStoreResult StoreLanSettings(const std::string& address, const std::string& domain, WizardState& state) {
  LanStoreResult result;
  result.domain = StripBlanks(domain);
  result.addressOk = IsIpAddress(address);
  result.domainOk = IsPrintableInRange(result.domain, 0, kLanDomainMax);
  if (!result.addressOk || !result.domainOk) {
    result.outcome = LanStoreOutcome::kInvalidInput;
    return result;
  }
  if (!SetLanAddress(address, state)) {
    result.outcome = LanStoreOutcome::kAddressRefused;
    return result;
  }
  if (result.domain.empty()) {
    state.lanDomainName.Clear();
  } else {
    state.lanDomainName = result.domain;
  }
  result.outcome = SetLanDomainName(result.domain, state) ? LanStoreOutcome::kStored : LanStoreOutcome::kDomainRefused;
  return result;
}

}  // namespace kelvane
