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

namespace {

// What a probe or a login learned about the router's login flavour.
enum class Learned { kNothing, kBasic, kNotBasic };

// The deciding answer of a probe or login: why it did not let us in.
void NoteAnswer(const std::string& page) {
  RouterFailure failure = RouterFailureFromHttp(page, true);
  if (failure.kind == RouterFailureKind::kNone && page.find(kLoginFalseMarker) != std::string::npos) {
    failure.kind = RouterFailureKind::kLoginRefused;
  }
  NoteRouterFailure(failure);
}

// Nothing came back at all (no connection, no answer): there is no page to
// decide by.
bool NothingCameBack() {
  const HttpFailure f = LastHttpResult().failure;
  return f != HttpFailure::kNone;
}

bool Probe(const std::string& routerAddress, const std::string& user, const std::string& password,
           std::uint8_t& basicFlag, Learned& learned) {
  basicFlag = 0;
  learned = Learned::kNothing;
  std::string page;
  if (HttpGetPage(routerAddress, page)) {
    learned = Learned::kNotBasic;
    NoteRouterFailure({});
    // Open without the marker: the form login is needed first.
    return page.find(kOpenRouterMarker) != std::string::npos;
  }
  if (!HasWwwAuthenticate(page)) {
    NoteAnswer(page);
    return false;
  }
  // The router demands Basic credentials: that is what the flag tells the
  // callers, who then store a typed word as the user name. It must be set
  // even when these credentials are refused, or the right word typed next
  // would go into the password and never log in.
  basicFlag = 1;
  learned = Learned::kBasic;
  const bool ok = RouterGetPage(routerAddress, user, password, page);
  NoteAnswer(page);
  return ok && !PageRefuses(page);
}

bool Login(const std::string& routerAddress, const std::string& user, const std::string& password,
           Learned& learned) {
  learned = Learned::kNothing;
  std::string page;
  bool ok;
  if (HttpGetPage(routerAddress, page)) {
    learned = Learned::kNotBasic;
    if (page.find(kOpenRouterMarker) != std::string::npos) {
      NoteRouterFailure({});
      return true;
    }
    ok = FormLogin(routerAddress, password, page);
  } else if (HasWwwAuthenticate(page)) {
    learned = Learned::kBasic;
    ok = RouterGetPage(routerAddress, user, password, page);
  } else if (NothingCameBack()) {
    // A silent router is not asked a second time: the form login would only
    // wait as long again, and the caller must not read it as a refusal.
    NoteAnswer(page);
    return false;
  } else {
    ok = FormLogin(routerAddress, password, page);
  }
  NoteAnswer(page);
  // A cut answer may have lost its refusal: no login is assumed.
  return ok && !PageRefuses(page) && LastRouterFailure().kind != RouterFailureKind::kCutAnswer;
}

void Record(Learned learned, WizardState& state) {
  if (learned == Learned::kBasic) state.basicAuthLogin = 1;
  if (learned == Learned::kNotBasic) state.basicAuthLogin = 0;
}

}  // namespace

bool ProbeLoginMethod(const std::string& routerAddress, const std::string& user, const std::string& password,
                      std::uint8_t& basicFlag) {
  Learned learned;
  return Probe(routerAddress, user, password, basicFlag, learned);
}

bool LoginToRouter(const std::string& routerAddress, const std::string& user, const std::string& password) {
  Learned learned;
  return Login(routerAddress, user, password, learned);
}

bool ProbeLoginMethod(WizardState& state, std::uint8_t& basicFlag) {
  Learned learned;
  const bool ok = Probe(state.routerAddress.str(), state.loginUser.str(), state.loginPassword.str(), basicFlag, learned);
  Record(learned, state);
  return ok;
}

bool LoginToRouter(WizardState& state) {
  Learned learned;
  const bool ok = Login(state.routerAddress.str(), state.loginUser.str(), state.loginPassword.str(), learned);
  Record(learned, state);
  return ok;
}

bool LastLoginRefused() {
  const RouterFailureKind kind = LastRouterFailure().kind;
  return kind == RouterFailureKind::kLoginRefused || kind == RouterFailureKind::kValueRefused;
}

bool LastLoginUnanswered() {
  switch (LastRouterFailure().kind) {
    case RouterFailureKind::kNothingAnswers:
    case RouterFailureKind::kConnectionRefused:
    case RouterFailureKind::kConnectFailed:
    case RouterFailureKind::kNoAnswer:
    case RouterFailureKind::kCutAnswer:
    case RouterFailureKind::kNameNotResolved:
    case RouterFailureKind::kBadAddress:
      return true;
    default:
      return false;
  }
}

bool BasicWordFits(std::string_view word, const WizardState& state) {
  return !state.basicAuthLogin || word.find(':') == std::string_view::npos;
}

bool ChangeRouterPassword(const std::string& currentPassword, const std::string& newPassword,
                          WizardState& state) {
  // Escaped as the router's own form would send them (see FormLogin).
  const std::string fresh = UrlEncode(newPassword);
  const std::string url = RouterUrl(state, "/cgi-bin/pass?rc=@&PA=" + UrlEncode(currentPassword) + "&Pa=" + fresh +
                                               "&P1=" + fresh + "&rd=atbox");
  std::string page;
  const bool ok = RequestInSession(state, url, page, kRouterTimeoutSeconds);
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
