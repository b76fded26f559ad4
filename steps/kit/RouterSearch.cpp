#include "steps/kit/RouterSearch.h"

#include <string>

#include "state/ProbeTarget.h"

namespace kelvane {

bool FindRouter(WizardState& state, ProbeError* error) {
  const ProbeTarget& target = ProbeTarget::Instance();
  std::uint32_t address = 0;
  std::string text;
  const bool found =
      FindRouterByBroadcast(address, text, target.destination, target.serverPort, target.clientPort, error);
  if (found && target.routerHttpPort != 0) text += ":" + std::to_string(target.routerHttpPort);
  state.routerAddressValue = address;
  state.routerAddress = text;
  return found;
}

bool ProbeDhcpService(bool& answered, ProbeError* error) {
  const ProbeTarget& target = ProbeTarget::Instance();
  answered = false;
  return DetectDhcpServer(answered, target.destination, target.serverPort, target.clientPort, error);
}

}  // namespace kelvane
