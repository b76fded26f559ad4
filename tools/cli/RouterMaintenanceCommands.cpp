// kelvane-cli's router commands that look after the router: refresh-wan,
// reboot, reset and password.
#include <cstdint>
#include <ostream>
#include <string>

#include "router/Fields.h"
#include "router/RouterLogin.h"
#include "router/RouterRequest.h"
#include "router/WirelessLanCommands.h"
#include "state/WizardState.h"
#include "tools/cli/RouterCommands.h"
#include "tools/cli/SecretInput.h"

namespace kelvane::cli::router_commands {
namespace {

// Runs one operation that takes no arguments, after logging in, and prints
// `done` when the router took it.
template <bool (*Operation)(const WizardState&)>
int Simple(CliContext& c, CommandArgs& args, const char* failure, const char* done) {
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  if (!c.EnsureLoggedIn()) return kExitFailed;
  if (!Operation(c.state)) return c.FailRouter(failure);
  c.out << done << "\n";
  return kExitOk;
}

}  // namespace

int RefreshWan(CliContext& c, CommandArgs& args) {
  return Simple<RefreshWanStatus>(c, args, "the router did not refresh its WAN status", "refreshed");
}

int Reboot(CliContext& c, CommandArgs& args) {
  return Simple<RebootRouter>(c, args, "the router did not take the restart command", "restarting");
}

int Reset(CliContext& c, CommandArgs& args) {
  // Every setting of the router goes: asked on a terminal, --yes otherwise.
  if (!args.Flag("--yes")) {
    if (!StdinIsTerminal()) return c.Usage("reset needs --yes when not run on a terminal");
    std::string answer;
    if (!AskTerminal("Restore the router's factory settings? Every setting is lost at its next restart. [y/N] ",
                     false, answer) ||
        (answer != "y" && answer != "Y" && answer != "yes")) {
      c.err << "kelvane-cli: reset not confirmed; nothing was sent\n";
      return kExitFailed;
    }
  }
  // The router holds the reset until it restarts, as the router sheet's
  // system tab says too: until then it keeps its address, its login word and
  // every setting, so the restart can still be asked for.
  static const std::string done = std::string("factory reset accepted; it takes effect when the router restarts ") +
                                   "(kelvane-cli reboot); then it answers at " + kDefaultRouterAddress +
                                   " with the login word '" + kDefaultLoginWord + "'";
  return Simple<ResetRouterToDefaults>(c, args, "the router did not take the reset command", done.c_str());
}

int Password(CliContext& c, CommandArgs& args) {
  std::string current, fresh;
  if (!args.Positional(current) || !args.Positional(fresh)) {
    return c.Usage("password needs the current and the new login word");
  }
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  if (!IsPrintableInRange(fresh, 1, 32)) return c.Usage("the new login word is 1 to 32 printable characters");
  if (!c.EnsureLoggedIn()) return kExitFailed;
  if (c.skipLogin) {
    std::uint8_t basic = 0;
    ProbeLoginMethod(c.state, basic);  // only to learn the flavour
  }
  // A Basic router takes the word as a user name, which cannot hold a ":":
  // stored, it would lock everyone out. Refused before anything is changed.
  if (!BasicWordFits(fresh, c.state)) {
    return c.Usage("this router asks for Basic credentials: its login word cannot contain ':'");
  }
  if (!ChangeRouterPassword(current, fresh, c.state)) {
    if (LastRouterFailure().kind == RouterFailureKind::kValueRefused && LastRouterFailure().detail.empty()) {
      return c.Fail("the router refused the password change (wrong current word?)");
    }
    return c.FailRouter("the router refused the password change");
  }
  c.out << "password changed; use --user '" << Shown(fresh) << "' --password '' for a router that asks for Basic "
        << "credentials, --password '" << Shown(fresh) << "' otherwise\n";
  return kExitOk;
}

}  // namespace kelvane::cli::router_commands
