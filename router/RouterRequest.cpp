#include "router/RouterRequest.h"

#include <algorithm>
#include <cctype>

#include "net/HttpClient.h"
#include "net/TextScan.h"
#include "router/RouterLogin.h"

namespace kelvane {
namespace {

constexpr char kAlert[] = "alert(";
constexpr std::size_t kMaxAlertLength = 200;

RouterFailure& Failure() {
  static thread_local RouterFailure failure;
  return failure;
}

}  // namespace

const RouterFailure& LastRouterFailure() { return Failure(); }

void NoteRouterFailure(const RouterFailure& failure) { Failure() = failure; }

RouterFailure RouterFailureFromHttp(const std::string& response, bool command) {
  const HttpResult& http = LastHttpResult();
  RouterFailure f;
  f.detail = http.target;
  switch (http.failure) {
    case HttpFailure::kBadUrl: f.kind = RouterFailureKind::kBadAddress; return f;
    case HttpFailure::kNameNotResolved: f.kind = RouterFailureKind::kNameNotResolved; return f;
    case HttpFailure::kRedirectRefused: f.kind = RouterFailureKind::kBadRedirect; return f;
    case HttpFailure::kConnectTimedOut:
    case HttpFailure::kUnreachable:
      f.kind = RouterFailureKind::kNothingAnswers;
      f.seconds = http.timeoutSeconds;
      return f;
    case HttpFailure::kRefused: f.kind = RouterFailureKind::kConnectionRefused; return f;
    case HttpFailure::kConnectFailed:
    case HttpFailure::kSendFailed: f.kind = RouterFailureKind::kConnectFailed; return f;
    case HttpFailure::kNoAnswer:
      f.kind = RouterFailureKind::kNoAnswer;
      f.seconds = http.timeoutSeconds;
      return f;
    case HttpFailure::kNone: break;
  }
  if (http.status == 401 || http.loginFalse) {
    f.kind = RouterFailureKind::kLoginRefused;
    return f;
  }
  if (http.status != 200 && !IsHttpStatus(response, 200)) {
    f.kind = http.cut && http.status == 0 ? RouterFailureKind::kCutAnswer : RouterFailureKind::kHttpStatus;
    f.httpStatus = http.status;
    return f;
  }
  if (command && response.find(kAlert) != std::string::npos) {
    f.kind = RouterFailureKind::kValueRefused;
    f.detail = AlertText(response);
    return f;
  }
  if (http.cut) {
    f.kind = RouterFailureKind::kCutAnswer;
    return f;
  }
  f.detail.clear();
  return f;
}

std::string DescribeRouterFailure(const RouterFailure& failure) {
  const std::string at = failure.detail.empty() ? std::string() : " at " + failure.detail;
  switch (failure.kind) {
    case RouterFailureKind::kNone: return "the router's answer did not hold what was expected";
    case RouterFailureKind::kBadAddress: return "the router address or request cannot be sent as it is";
    case RouterFailureKind::kNameNotResolved: return "the router's name does not resolve";
    case RouterFailureKind::kNothingAnswers:
      return "nothing answers" + at + " (no connection within " + std::to_string(failure.seconds) + " s)";
    case RouterFailureKind::kConnectionRefused: return "connection refused" + at;
    case RouterFailureKind::kConnectFailed: return "the connection" + at + " failed";
    case RouterFailureKind::kNoAnswer: return "no answer within " + std::to_string(failure.seconds) + " s" + at;
    case RouterFailureKind::kHttpStatus:
      return failure.httpStatus > 0 ? "HTTP status " + std::to_string(failure.httpStatus)
                                    : "the answer is not HTTP";
    case RouterFailureKind::kLoginRefused: return "login refused";
    case RouterFailureKind::kValueRefused:
      return failure.detail.empty() ? "the router refused the value"
                                    : "the router refused the value: " + failure.detail;
    case RouterFailureKind::kCutAnswer: return "the router's answer was cut short";
    case RouterFailureKind::kBadRedirect: return "the router redirected to a location that is not followed";
    case RouterFailureKind::kNotRouterPage: return "the answer is not a page of the router";
  }
  return "unknown failure";
}

std::string AlertText(std::string_view page) {
  const std::size_t at = page.find(kAlert);
  if (at == std::string_view::npos) return "";
  std::string_view rest = page.substr(at + sizeof(kAlert) - 1);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  if (rest.empty()) return "";
  const char quote = rest.front();
  std::string text;
  if (quote != '"' && quote != '\'') {
    // Not a string literal: the expression up to the closing parenthesis.
    text.assign(rest.substr(0, std::min(rest.find(')'), kMaxAlertLength)));
    return text;
  }
  for (std::size_t i = 1; i < rest.size() && text.size() < kMaxAlertLength; ++i) {
    char c = rest[i];
    if (c == quote) break;
    if (c == '\\' && i + 1 < rest.size()) {
      c = rest[++i];
      if (c == 'n' || c == 'r' || c == 't') c = ' ';
    }
    text.push_back(c);
  }
  return text;
}

std::string RouterUrl(const WizardState& state, std::string_view pathAndQuery) {
  std::string url = state.routerAddress.str();
  url += pathAndQuery;
  return url;
}

bool IsLoginPage(std::string_view page) {
  return page.find(";login=false;") != std::string_view::npos || ContainsNoCase(page, "/cgi-bin/logi");
}

// One request with the stored credentials. A form-login router that forgot
// its login (it restarted, or timed it out) answers with its login form or
// ";login=false;": then log in once with the credentials held, and ask once
// more.
bool RequestInSession(const WizardState& state, const std::string& url, std::string& answer, int timeoutSeconds) {
  const std::string user = state.loginUser.str();
  const std::string password = state.loginPassword.str();
  bool ok = HttpGetAuth(url, user, password, answer, timeoutSeconds);
  if (!IsLoginPage(answer)) return ok;
  if (!LoginToRouter(state.routerAddress.str(), user, password)) return false;
  return HttpGetAuth(url, user, password, answer, timeoutSeconds);
}

namespace {

// The body after the header block (which may end its lines with LF alone).
std::string_view BodyOf(std::string_view answer) {
  const std::size_t crlf = answer.find("\r\n\r\n");
  if (crlf != std::string_view::npos) return answer.substr(crlf + 4);
  const std::size_t lf = answer.find("\n\n");
  return lf == std::string_view::npos ? std::string_view() : answer.substr(lf + 2);
}

// The router's ordinary answer is an HTML page (the page it shows next, or
// its alert); anything else did not come from the command being taken.
bool IsRouterPage(std::string_view answer) {
  const std::string_view text = BodyOf(answer);
  return ContainsNoCase(text, "<html") || ContainsNoCase(text, "<body") || ContainsNoCase(text, "<script");
}

// Every page of the router holds mark-up: "<BR>" lines, a form's fields, a
// script or a comment. An empty answer, or bytes without a single tag, is not
// the page asked for.
bool HasMarkup(std::string_view answer) {
  const std::string_view text = BodyOf(answer);
  for (std::size_t at = text.find('<'); at != std::string_view::npos && at + 1 < text.size();
       at = text.find('<', at + 1)) {
    const unsigned char next = static_cast<unsigned char>(text[at + 1]);
    if (std::isalpha(next) || next == '!' || next == '/') return true;
  }
  return false;
}

}  // namespace

bool RouterReadPage(const WizardState& state, std::string_view pathAndQuery, std::string& page) {
  const bool ok = RequestInSession(state, RouterUrl(state, pathAndQuery), page, kRouterTimeoutSeconds);
  Failure() = RouterFailureFromHttp(page, false);
  if (IsLoginPage(page)) {
    Failure().kind = RouterFailureKind::kLoginRefused;
    return false;
  }
  if (!ok) return false;
  // What the readers find in a page cut short, or in something that is no
  // page, the router never reported: a missing ",0000" would read as a link
  // that is up, a missing key as none.
  if (Failure().kind == RouterFailureKind::kCutAnswer) return false;
  if (!HasMarkup(page)) {
    Failure().kind = RouterFailureKind::kNotRouterPage;
    return false;
  }
  return true;
}

bool RouterSendCommand(const WizardState& state, const std::string& url, int timeoutSeconds) {
  std::string answer;
  const bool ok = RequestInSession(state, url, answer, timeoutSeconds);
  Failure() = RouterFailureFromHttp(answer, true);
  if (IsLoginPage(answer) && Failure().kind == RouterFailureKind::kNone) Failure().kind = RouterFailureKind::kLoginRefused;
  if (!ok) return false;
  // The router takes a command with an ordinary page and refuses a value with
  // a script alert on an otherwise ordinary 200 answer. A login form, an
  // answer cut short or one that is no page of the router's means the command
  // may not have been taken: never report it as done.
  if (Failure().kind == RouterFailureKind::kValueRefused || Failure().kind == RouterFailureKind::kCutAnswer) {
    return false;
  }
  if (IsLoginPage(answer)) {
    Failure().kind = RouterFailureKind::kLoginRefused;
    return false;
  }
  if (!IsRouterPage(answer)) {
    Failure().kind = RouterFailureKind::kNotRouterPage;
    return false;
  }
  return true;
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
