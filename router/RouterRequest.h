// Small pieces shared by every router operation: the URL base, the two kinds
// of authenticated request (read a page, send a command), the record of why
// the last request failed, and the option box test of the router's settings
// form.
#pragma once

#include <string>
#include <string_view>

#include "state/WizardState.h"

namespace kelvane {

// Time-outs of router requests, seconds (protocol time-outs, never scaled).
inline constexpr int kRouterTimeoutSeconds = 10;
inline constexpr int kRouterWpaTimeoutSeconds = 25;

// Why the last router request failed. Router operations answer bool; this
// record (per thread) says why, for a caller that wants to tell the user.
enum class RouterFailureKind {
  kNone,               // the last request succeeded (a reader may still have found nothing)
  kBadAddress,         // the router address or the request cannot be sent as it is
  kNameNotResolved,    // the router's host name did not resolve
  kNothingAnswers,     // no connection within the time-out, or no route
  kConnectionRefused,  // the address answered, but no web server listens there
  kConnectFailed,      // another connect or send error
  kNoAnswer,           // connected, but no answer within the time-out
  kHttpStatus,         // the final answer had another status than 200
  kLoginRefused,       // the router refused the login (401, or ";login=false;")
  kValueRefused,       // the router refused the command (a script alert)
  kCutAnswer,          // the answer arrived cut short
  kBadRedirect,        // the router redirected to something that is not followed
  kNotRouterPage,      // a command was answered with something that is no page of the router
};

struct RouterFailure {
  RouterFailureKind kind = RouterFailureKind::kNone;
  int httpStatus = 0;   // kHttpStatus: the status code
  int seconds = 0;      // kNothingAnswers, kNoAnswer: the time-out used
  std::string detail;   // kValueRefused: the alert text; otherwise "host:port" when known
};

// The record of the last RouterReadPage/RouterSendCommand on this thread (or
// what NoteRouterFailure last stored).
const RouterFailure& LastRouterFailure();
// Replaces the record (for operations that make their requests themselves,
// such as the login).
void NoteRouterFailure(const RouterFailure& failure);
// The record that the last HttpGet/HttpGetAuth on this thread leaves behind;
// `response` is its answer (searched for an alert when `command` is set; an
// empty text judges by the status code alone). kNone when a 200 answer
// arrived whole.
RouterFailure RouterFailureFromHttp(const std::string& response, bool command);
// One line of plain English naming the cause, e.g. "no answer within 10 s",
// "HTTP status 404", "the router refused the value: Invalid SSID". Control
// characters of router text are left to the caller to escape.
std::string DescribeRouterFailure(const RouterFailure& failure);
// The text of the first script alert in `page` ("" when there is none), with
// the quotes and JavaScript escapes removed.
std::string AlertText(std::string_view page);

// `routerAddress` followed by `pathAndQuery` (which starts with "/").
std::string RouterUrl(const WizardState& state, std::string_view pathAndQuery);
// The router's login form, or a page saying the login failed.
bool IsLoginPage(std::string_view page);
// HttpGetAuth with the stored credentials; an answer that is the login form
// leads to one login with them and one more try (the router forgot the login).
bool RequestInSession(const WizardState& state, const std::string& url, std::string& answer, int timeoutSeconds);
// Fetches a page with the stored credentials (HttpGetAuth, 10 seconds). A
// login form in place of the page (the router forgot the login) leads to one
// login with the stored credentials and one more try; a login form then is a
// failure (kLoginRefused), and so is an answer cut short (kCutAnswer) or one
// without any mark-up of a page (kNotRouterPage).
bool RouterReadPage(const WizardState& state, std::string_view pathAndQuery, std::string& page);
// Sends a command with the stored credentials, keeping the login as
// RouterReadPage does. False also when the answer holds a script "alert("
// (the router refuses the value that way), is a login form, was cut short,
// or is no page of the router's.
bool RouterSendCommand(const WizardState& state, const std::string& url,
                       int timeoutSeconds = kRouterTimeoutSeconds);
// Whether the option box value found after `key` (up to the next ",") holds
// "CHECKED"; `found` tells whether the key was on the page at all.
bool BoxChecked(std::string_view page, std::string_view key, bool& found);
// "o" for a checked box, "x" for a clear one.
inline const char* BoxValue(bool checked) { return checked ? "o" : "x"; }
// "&DF00=o|x&DF01=o|x" as the settings form `page` shows its two connection
// boxes, or nothing when it has no DF00 box, so that a write through the same
// form keeps them as they are.
std::string KeptConnectionBoxes(std::string_view page);

}  // namespace kelvane
