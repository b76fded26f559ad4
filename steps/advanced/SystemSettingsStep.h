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
  bool Passed() const { return currentOk && newOk && confirmOk; }
};

PasswordCheck CheckPasswordChange(const std::string& current, const std::string& next, const std::string& confirm);

// Sends the change; on success the new word becomes the login credential by
// the convention of the router's login (the user name for Basic routers,
// else the password). False, with the credentials unchanged, when the router
// refuses.
bool ChangeRouterPasswordAndLogin(const std::string& current, const std::string& next, WizardState& state);

}  // namespace kelvane
