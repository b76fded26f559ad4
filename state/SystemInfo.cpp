#include "state/SystemInfo.h"

#include "state/WizardState.h"

namespace kelvane {

std::uint16_t GetOsVersionCode() { return 0; }

bool CollectSystemInfo() {
  WizardState::Instance().osVersionCode = GetOsVersionCode();
  return WizardState::Instance().osVersionCode != 0;
}

}  // namespace kelvane
