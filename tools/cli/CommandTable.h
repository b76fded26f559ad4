// The command table of kelvane-cli. Each subcommand is one entry: its name, a
// one-line summary, its help text and the function that runs it. The router
// subcommands register themselves in RouterCommands.cpp; the PC's own network
// subcommands in HostCommands.cpp (RegisterHostCommands). A file that adds
// commands only needs this header.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "state/WizardState.h"

namespace kelvane::cli {

// Exit status of a subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the operation failed (one line says why)
inline constexpr int kExitUsage = 2;   // the command line was wrong

// The arguments of one subcommand, consumed as the command reads them.
class CommandArgs {
 public:
  explicit CommandArgs(std::vector<std::string> args) : args_(std::move(args)) {}
  // Takes "--name VALUE" or "--name=VALUE"; false when absent. A name given
  // without its value is remembered as an error.
  bool Option(const std::string& name, std::string& value);
  // Takes "--name"; answers whether it was there.
  bool Flag(const std::string& name);
  // Takes the next argument that is not an option.
  bool Positional(std::string& value);
  // Empty when every argument was used and all were well formed, else the
  // complaint to show.
  std::string Leftover() const;
  bool Empty() const { return args_.empty(); }

 private:
  std::vector<std::string> args_;
  std::string error_;
};

// Router or user text made safe for a terminal: control characters (C0,
// DEL and the C1 range), bytes that are not UTF-8 and the backslash itself
// are written as \xNN and \\, so no text can move the cursor or rewrite
// the screen and every byte can be told back.
std::string Shown(std::string_view text);

struct CliContext {
  CliContext(WizardState& s, std::ostream& o, std::ostream& e) : state(s), out(o), err(e) {}

  WizardState& state;
  std::ostream& out;
  std::ostream& err;
  std::string routerOption;  // --router ADDRESS[:PORT]; empty: find it by broadcast
  bool verbose = false;
  bool skipLogin = false;  // --no-login
  // Where the discovery and DHCP probes go (tests and unusual set-ups):
  // --probe-to ADDRESS[:PORT] and --probe-port N (the local port, default 68).
  std::string probeAddress = "255.255.255.255";
  std::uint16_t probeRemotePort = 67;
  std::uint16_t probeLocalPort = 68;

  // Prints "kelvane-cli: <why>" on the error stream (shown safely, see
  // Shown); returns kExitFailed.
  int Fail(const std::string& why) const;
  // Fail with "<what>: <cause>", the cause from the last router request
  // (DescribeRouterFailure of LastRouterFailure).
  int FailRouter(const std::string& what) const;
  // Why the last login attempt failed, from what its last request saw.
  static std::string LoginFailureReason();
  // Prints the complaint and returns kExitUsage.
  int Usage(const std::string& why) const;
  // Sets `routerAddress` from --router, or finds the router by broadcast.
  // False after saying why.
  bool EnsureRouter();
  // EnsureRouter, then logs in the way the router asks for (unless
  // --no-login). False after saying why.
  bool EnsureLoggedIn();
};

struct Command {
  std::string name;
  std::string summary;  // one line for the command list
  std::string help;     // full usage text
  std::function<int(CliContext&, CommandArgs&)> run;
};

class CommandTable {
 public:
  // Adds a command; a second command of the same name replaces the first.
  void Add(Command command);
  const Command* Find(const std::string& name) const;
  std::vector<const Command*> All() const;  // sorted by name

 private:
  std::map<std::string, Command> commands_;
};

void RegisterRouterCommands(CommandTable& table);
// Defined in HostCommands.cpp; without that file a default that adds nothing
// is linked.
void RegisterHostCommands(CommandTable& table);

// Runs kelvane-cli with the arguments after the program name.
int RunCli(const std::vector<std::string>& args, CommandTable& table, WizardState& state, std::ostream& out,
           std::ostream& err);

}  // namespace kelvane::cli
