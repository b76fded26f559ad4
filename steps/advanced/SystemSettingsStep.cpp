#include "steps/advanced/SystemSettingsStep.h"

#include "router/Fields.h"
#include "router/RouterLogin.h"

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

bool ChangeRouterPasswordAndLogin(const std::string& current, const std::string& next, WizardState& state) {
  if (!BasicWordFits(next, state)) return false;
  if (!ChangeRouterPassword(current, next, state)) return false;
  StoreLoginWord(next, state);
  return true;
}

}  // namespace kelvane
