#include "router/RouterRequest.h"

#include "net/HttpClient.h"
#include "net/TextScan.h"

namespace kelvane {

std::string RouterUrl(const WizardState& state, std::string_view pathAndQuery) {
  std::string url = state.routerAddress.str();
  url += pathAndQuery;
  return url;
}

bool RouterReadPage(const WizardState& state, std::string_view pathAndQuery, std::string& page) {
  return HttpGetAuth(RouterUrl(state, pathAndQuery), state.loginUser.str(), state.loginPassword.str(), page,
                     kRouterTimeoutSeconds);
}

bool RouterSendCommand(const WizardState& state, const std::string& url, int timeoutSeconds) {
  return HttpGetAuthDiscard(url, state.loginUser.str(), state.loginPassword.str(), timeoutSeconds);
}

bool BoxChecked(std::string_view page, std::string_view key, bool& found) {
  std::string value;
  found = ExtractValue(page, key, ",", value);
  return found && ContainsNoCase(value, "CHECKED");
}

}  // namespace kelvane
