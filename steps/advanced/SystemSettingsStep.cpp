#include "steps/advanced/SystemSettingsStep.h"

#include "router/Fields.h"
#include "router/RouterLogin.h"
#include "router/RouterRequest.h"

namespace kelvane {

PasswordCheck CheckPasswordChange(const std::string& current, const std::string& next, const std::string& confirm) {
  PasswordCheck check;
  check.currentOk = IsPrintableInRange(current, 1, kRouterPasswordMax);
  check.newOk = IsPrintableInRange(next, 1, kRouterPasswordMax);
  check.confirmOk = IsPrintableInRange(confirm, 1, kRouterPasswordMax);
  if (!check.Passed()) return check;
  if (next == current) {
    check.newOk = false;
    check.confirmOk = false;
    check.showError = true;
  } else if (confirm != next) {
    check.confirmOk = false;
    check.showError = true;
  }
  return check;
}

PasswordCheck CheckPasswordChange(const std::string& current, const std::string& next, const std::string& confirm,
                                  const WizardState& state) {
  PasswordCheck check = CheckPasswordChange(current, next, confirm);
  if (check.newOk && !BasicWordFits(next, state)) {
    check.newOk = false;
    check.colonRefused = true;
  }
  return check;
}

PasswordChangeOutcome ChangePasswordAndLogin(const std::string& current, const std::string& next,
                                             WizardState& state) {
  if (!BasicWordFits(next, state)) return PasswordChangeOutcome::kWordUnfit;
  if (!ChangeRouterPassword(current, next, state)) {
    const RouterFailureKind why = LastRouterFailure().kind;
    if (why == RouterFailureKind::kValueRefused || why == RouterFailureKind::kLoginRefused) {
      return PasswordChangeOutcome::kCurrentRefused;
    }
    return LastLoginUnanswered() ? PasswordChangeOutcome::kRouterSilent : PasswordChangeOutcome::kRouterError;
  }
  // A router that dropped the command answers as if it took it; its login
  // tells: if it refuses the new word, it still holds the old one, and the
  // credentials must stay, or the user is shut out.
  const std::string user = state.loginUser.str();
  const std::string password = state.loginPassword.str();
  StoreLoginWord(next, state);
  if (!LoginToRouter(state) && LastLoginRefused()) {
    SetLoginUser(user, state);
    SetLoginPassword(password, state);
    return PasswordChangeOutcome::kRouterError;
  }
  return PasswordChangeOutcome::kChanged;
}

bool ChangeRouterPasswordAndLogin(const std::string& current, const std::string& next, WizardState& state) {
  return ChangePasswordAndLogin(current, next, state) == PasswordChangeOutcome::kChanged;
}

}  // namespace kelvane
