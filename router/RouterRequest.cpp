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

std::string KeptConnectionBoxes(std::string_view page) {
  bool df00Found = false, df01Found = false;
  const bool df00 = BoxChecked(page, " DF00=", df00Found);
  const bool df01 = BoxChecked(page, " DF01=", df01Found);
  if (!df00Found) return "";
  std::string s = "&DF00=";
  s += BoxValue(df00);
  s += "&DF01=";
  s += BoxValue(df01);
  return s;
}

}  // namespace kelvane
