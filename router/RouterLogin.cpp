#include "router/RouterLogin.h"

#include "net/HttpClient.h"
#include "net/TextScan.h"
#include "router/Fields.h"
#include "router/RouterRequest.h"

namespace kelvane {
namespace {

bool HasWwwAuthenticate(const std::string& response) {
  std::string value;
  return GetHeaderValue("WWW-Authenticate", response, value);
}

// The page reports a refused login: an alert or the login-false marker (both
// compared with case, as the router writes them).
bool PageRefuses(const std::string& page) {
  return page.find(kAlertMarker) != std::string::npos || page.find(kLoginFalseMarker) != std::string::npos;
}

// The router's own login form sends the password escaped like any form
// value; unescaped, a "&", "#", "%", "+", "=" or blank would corrupt the
// request and a ":" would be taken for a port.
bool FormLogin(const std::string& routerAddress, const std::string& password, std::string& page) {
  const std::string url = routerAddress + "/cgi-bin/logi?rc=@&PS=" + UrlEncode(password) + "&rd=menu";
  return HttpGetPage(url, page);
}

}  // namespace

void SetLoginUser(std::string_view text, WizardState& state) { state.loginUser = text; }

void SetLoginPassword(std::string_view text, WizardState& state) { state.loginPassword = text; }

void StoreLoginWord(std::string_view word, WizardState& state) {
  if (state.basicAuthLogin) {
    SetLoginUser(word, state);
    SetLoginPassword("", state);
  } else {
    SetLoginPassword(word, state);
  }
}

bool RouterGetPage(const std::string& url, const std::string& user, const std::string& password,
                   std::string& response) {
  return HttpGetAuth(url, user, password, response, kRouterTimeoutSeconds);
}

bool ProbeLoginMethod(const std::string& routerAddress, const std::string& user, const std::string& password,
                      std::uint8_t& basicFlag) {
  basicFlag = 0;
  std::string page;
  if (HttpGetPage(routerAddress, page)) {
    // Open without the marker: the form login is needed first.
    return page.find(kOpenRouterMarker) != std::string::npos;
  }
  if (!HasWwwAuthenticate(page)) return false;
  // The router demands Basic credentials: that is what the flag tells the
  // callers, who then store a typed word as the user name. It must be set
  // even when these credentials are refused, or the right word typed next
  // would go into the password and never log in.
  basicFlag = 1;
  if (!RouterGetPage(routerAddress, user, password, page)) return false;
  return !PageRefuses(page);
}

bool LoginToRouter(const std::string& routerAddress, const std::string& user, const std::string& password) {
  std::string page;
  bool ok;
  if (HttpGetPage(routerAddress, page)) {
    if (page.find(kOpenRouterMarker) != std::string::npos) return true;
    ok = FormLogin(routerAddress, password, page);
  } else if (HasWwwAuthenticate(page)) {
    ok = RouterGetPage(routerAddress, user, password, page);
  } else {
    ok = FormLogin(routerAddress, password, page);
  }
  return ok && !PageRefuses(page);
}

bool ChangeRouterPassword(const std::string& currentPassword, const std::string& newPassword,
                          WizardState& state) {
  // Escaped as the router's own form would send them (see FormLogin).
  const std::string fresh = UrlEncode(newPassword);
  const std::string url = RouterUrl(state, "/cgi-bin/pass?rc=@&PA=" + UrlEncode(currentPassword) + "&Pa=" + fresh +
                                               "&P1=" + fresh + "&rd=atbox");
  std::string page;
  const bool ok = HttpGetAuth(url, state.loginUser.str(), state.loginPassword.str(), page, kRouterTimeoutSeconds);
  // Refused when the router sends the browser back or answers with a script
  // alert, as it refuses its other commands.
  RouterFailure failure = RouterFailureFromHttp(page, true);
  if (ok && failure.kind != RouterFailureKind::kValueRefused && ContainsNoCase(page, kGoBackMarker)) {
    failure.kind = RouterFailureKind::kValueRefused;
    failure.detail.clear();
  }
  NoteRouterFailure(failure);
  return ok && failure.kind != RouterFailureKind::kValueRefused;
}

}  // namespace kelvane
