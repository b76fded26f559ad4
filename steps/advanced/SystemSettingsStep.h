// The system tab's password change: the three entries checked together, the
// change sent, and the new word taken as the login credential.
#pragma once

#include <string>

#include "state/WizardState.h"

namespace kelvane {

// A login password the router keeps: 1 to 9 printable characters.
inline constexpr std::size_t kRouterPasswordMax = 9;

struct PasswordCheck {
  bool currentOk = false;
  bool newOk = false;
  bool confirmOk = false;
  // True when the result line shows the error: the entries have the right
  // length but the new one repeats the current one or the confirmation
  // differs. A wrong length only marks its label.
  bool showError = false;
  // The router takes its login word as a Basic user name, which cannot hold a
  // ":": the new word would lock the user out. The result line says so.
  bool colonRefused = false;
  bool Passed() const { return currentOk && newOk && confirmOk; }
};

PasswordCheck CheckPasswordChange(const std::string& current, const std::string& next, const std::string& confirm);
// The same, and a new word this router cannot take as its login (see
// BasicWordFits) is refused with `colonRefused`.
PasswordCheck CheckPasswordChange(const std::string& current, const std::string& next, const std::string& confirm,
                                  const WizardState& state);

enum class PasswordChangeOutcome {
  kChanged,         // the router took the new word; the credentials hold it
  kCurrentRefused,  // the router refused the change: the current word was not its login word
  kRouterSilent,    // nothing usable came back
  kRouterError,     // the router answered with an error (e.g. status 500)
  kWordUnfit,       // nothing sent: this router cannot take the new word as its login
};

// Sends the change; on success the new word becomes the login credential by
// the convention of the router's login (the user name for Basic routers,
// else the password). Otherwise the credentials are unchanged, and the
// outcome says why, so the user learns what to do next.
PasswordChangeOutcome ChangePasswordAndLogin(const std::string& current, const std::string& next,
                                             WizardState& state);
// The same as a yes or no.
bool ChangeRouterPasswordAndLogin(const std::string& current, const std::string& next, WizardState& state);

}  // namespace kelvane
