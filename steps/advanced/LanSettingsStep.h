// The LAN tab's store: the router's LAN address and its domain name, checked
// together (every wrong field marked at once), then sent address first.
#pragma once

#include <string>

#include "language/StringIds.h"
#include "steps/kit/OutcomeTable.h"
#include "state/WizardState.h"

namespace kelvane {

enum class LanStoreOutcome { kStored, kInvalidInput, kAddressRefused, kDomainRefused };

struct LanStoreResult {
  LanStoreOutcome outcome = LanStoreOutcome::kInvalidInput;
  bool addressOk = false;
  bool domainOk = false;
  std::string address;  // the address as checked and sent: blanks stripped at both ends
  std::string domain;   // the domain as stored: blanks stripped at both ends
};

// The longest LAN domain name the router keeps.
inline constexpr std::size_t kLanDomainMax = 31;

// A dotted address the router can live at on its /24: no leading zeros, not
// 0.x.x.x, loopback, multicast or above, nor the network's own network and
// broadcast addresses. Any of these leaves the LAN unreachable.
bool IsUsableLanAddress(const std::string& address);

// Checks `address` (stripped of blanks at both ends, IsUsableLanAddress) and
// `domain` (stripped likewise, 0 to 31 printable characters); when both pass, sends the
// address, then stores the domain in lanDomainName (an empty one clears the
// field) and sends it. A domain that was not `domainShown` (its read failed,
// so its edit was empty and disabled) is neither checked nor sent.
LanStoreResult StoreLanSettings(const std::string& address, const std::string& domain, bool domainShown,
                                WizardState& state);

// What the result line shows for each outcome of the store; refused input
// names its field (LanStoreMessage).
inline constexpr OutcomeMessage<LanStoreOutcome> kLanStoreMessages[] = {
    {LanStoreOutcome::kStored, kIdAdvLanSaved},
    {LanStoreOutcome::kInvalidInput, kIdError},
    {LanStoreOutcome::kAddressRefused, kIdStoreSavingFailed},
    {LanStoreOutcome::kDomainRefused, kIdStoreSavingFailed},
};
StringId LanStoreMessage(const LanStoreResult& result);

}  // namespace kelvane
