#include "tools/cli/CommandTable.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <ostream>

#include "net/DiscoveryProbe.h"
#include "net/SocketWait.h"
#include "net/TextEscape.h"
#include "net/TrafficLog.h"
#include "router/Fields.h"
#include "router/RouterLogin.h"
#include "router/RouterRequest.h"
#include "tools/cli/SecretInput.h"

namespace kelvane::cli {
namespace {

constexpr char kProgram[] = "kelvane-cli";

bool ParsePort(const std::string& text, std::uint16_t& port) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text) {
    if (!IsAsciiDigit(c)) return false;
  }
  const long v = std::strtol(text.c_str(), nullptr, 10);
  if (v < 1 || v > 65535) return false;
  port = static_cast<std::uint16_t>(v);
  return true;
}

// "ADDRESS[:PORT]" with a dotted IPv4 address that the sockets take as it is
// (no leading zeros such as "127.0.0.01", which the form check alone lets
// pass and a socket refuses).
bool ParseEndpoint(const std::string& text, std::string& address, std::uint16_t& port, bool& hasPort) {
  const std::size_t colon = text.find(':');
  address = text.substr(0, colon);
  hasPort = colon != std::string::npos;
  std::uint32_t parsed = 0;
  if (!IsIpAddress(address) || !ParseDottedAddress(address, parsed)) return false;
  return !hasPort || ParsePort(text.substr(colon + 1), port);
}

// The commands that never send the login word.
bool CommandLogsIn(const std::string& name) {
  static const char* const kWithoutLogin[] = {"discover", "dhcp-probe", "ping",    "host-info", "dhcp-switch",
                                              "renew",    "release",    "resolve", "phonebook"};
  return std::find_if(std::begin(kWithoutLogin), std::end(kWithoutLogin),
                      [&](const char* n) { return name == n; }) == std::end(kWithoutLogin);
}

// Global options that take a value; the others are flags.
bool TakesValue(const std::string& name) {
  static const char* const kWithValue[] = {"--router",   "--user",          "--password",
                                           "--probe-to", "--probe-port",    "--password-file"};
  return std::find_if(std::begin(kWithValue), std::end(kWithValue), [&](const char* n) { return name == n; }) !=
         std::end(kWithValue);
}

bool IsGlobalFlag(const std::string& name) {
  static const char* const kFlags[] = {"--help", "-h", "--verbose", "-v", "--no-login", "--password-stdin"};
  return std::find_if(std::begin(kFlags), std::end(kFlags), [&](const char* n) { return name == n; }) !=
         std::end(kFlags);
}

// Splits a global "--name=value" into its name (left in `arg`) and value.
// A command's own options are left whole for the command to take.
bool SplitInlineValue(std::string& arg, std::string& value) {
  const std::size_t equals = arg.find('=');
  if (arg.rfind("--", 0) != 0 || equals == std::string::npos) return false;
  const std::string name = arg.substr(0, equals);
  if (!TakesValue(name) && !IsGlobalFlag(name)) return false;
  value = arg.substr(equals + 1);
  arg = name;
  return true;
}

// The complaint about an option that no command takes here: --version beside
// anything else, or an option before a missing command. Options after "--" are
// the command's arguments.
std::string MisplacedOption(const std::vector<std::string>& rest, bool haveCommand) {
  for (const std::string& a : rest) {
    if (a == "--") break;
    if (a == "--version") return "--version stands alone on the command line";
    // Without a command nobody else takes an option; with one, the command
    // complains itself (its values may start with a dash).
    if (!haveCommand && a.size() > 1 && a[0] == '-') return "unknown option " + a;
  }
  return "";
}

std::string GeneralHelp(const CommandTable& table) {
  std::string s =
      "usage: kelvane-cli [options] COMMAND [arguments]\n"
      "Talks to an LMQ-5812 router the way the setup wizard does.\n"
      "\n"
      "Options:\n"
      "  --router ADDRESS[:PORT]  the router's address (default: find it by broadcast)\n"
      "  --user NAME              user name sent to the router (default kwzpo)\n"
      "  --password WORD          password sent to the router (default kwzpo); other users\n"
      "                           can read it in the process list: prefer one of\n"
      "  --password-stdin         read the password from the first line of standard input\n"
      "  --password-file FILE     read the password from the first line of FILE\n"
      "                           Without any of the three, the password is asked for on a\n"
      "                           terminal (Enter keeps the default).\n"
      "                           A router that asks for Basic credentials takes the login\n"
      "                           word as the user name: --user WORD --password ''\n"
      "  --no-login               do not log in before a router command\n"
      "  --probe-to ADDRESS[:PORT]  where discovery probes go (default 255.255.255.255:67)\n"
      "  --probe-port N           local port of the probes (default 68)\n"
      "  --verbose                log the network traffic on the error stream\n"
      "  --help                   this text; COMMAND --help explains a command\n"
      "  --version                the program's version (alone on the command line)\n"
      "\n"
      "Router and user text is printed with control characters, bytes that are not UTF-8\n"
      "and the backslash written as \\xNN and \\\\.\n"
      "\n"
      "Commands:\n";
  for (const Command* c : table.All()) {
    std::string name = "  " + c->name;
    if (name.size() < 16) name.resize(16, ' ');
    s += name + " " + c->summary + "\n";
  }
  s += "\nExit status: 0 on success, 1 when the operation failed (one line on the error stream\n"
       "says why: nothing answers, connection refused, no answer within N s, HTTP status N,\n"
       "login refused, the router refused the value, a cut answer), 2 for a wrong command line.\n";
  return s;
}

}  // namespace

bool CommandArgs::Option(const std::string& name, std::string& value) {
  for (std::size_t i = 0; i < args_.size(); ++i) {
    if (args_[i] == name) {
      if (i + 1 >= args_.size()) {
        error_ = name + " needs a value";
        args_.erase(args_.begin() + static_cast<long>(i));
        return false;
      }
      value = args_[i + 1];
      args_.erase(args_.begin() + static_cast<long>(i), args_.begin() + static_cast<long>(i) + 2);
      return true;
    }
    if (args_[i].rfind(name + "=", 0) == 0) {
      value = args_[i].substr(name.size() + 1);
      args_.erase(args_.begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

bool CommandArgs::Flag(const std::string& name) {
  for (std::size_t i = 0; i < args_.size(); ++i) {
    if (args_[i] == name) {
      args_.erase(args_.begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

bool CommandArgs::Positional(std::string& value) {
  for (std::size_t i = 0; i < args_.size(); ++i) {
    if (args_[i] == "--") {
      if (i + 1 >= args_.size()) return false;
      value = args_[i + 1];
      args_.erase(args_.begin() + static_cast<long>(i) + 1);
      if (i + 1 >= args_.size()) args_.erase(args_.begin() + static_cast<long>(i));
      return true;
    }
    if (args_[i].rfind("--", 0) != 0) {
      value = args_[i];
      args_.erase(args_.begin() + static_cast<long>(i));
      return true;
    }
  }
  return false;
}

std::string CommandArgs::Leftover() const {
  if (!error_.empty()) return error_;
  for (const std::string& a : args_) {
    if (a == "--") continue;
    return (a.rfind("--", 0) == 0 ? "unknown option " : "unexpected argument ") + a;
  }
  return "";
}

std::string Shown(std::string_view text) { return EscapeForTerminal(text, ControlCharacterShown::kEscaped); }

int CliContext::Fail(const std::string& why) const {
  err << kProgram << ": " << Shown(why) << "\n";
  return kExitFailed;
}

int CliContext::FailRouter(const std::string& what) const {
  return Fail(what + ": " + DescribeRouterFailure(LastRouterFailure()));
}

std::string CliContext::LoginFailureReason() {
  RouterFailure failure = RouterFailureFromHttp(std::string(), false);
  // The last answer arrived and was no failure of its own: the router's page
  // refused the word (an alert, the login form again).
  if (failure.kind == RouterFailureKind::kNone) failure.kind = RouterFailureKind::kLoginRefused;
  return DescribeRouterFailure(failure);
}

int CliContext::Usage(const std::string& why) const {
  err << kProgram << ": " << Shown(why) << " (see --help)\n";
  return kExitUsage;
}

bool CliContext::EnsureRouter() {
  if (!routerOption.empty()) {
    state.routerAddress = routerOption;
    return true;
  }
  if (!state.routerAddress.empty()) return true;
  std::string text;
  ProbeError error = ProbeError::kNone;
  if (!FindRouterByBroadcast(state.routerAddressValue, text, probeAddress, probeRemotePort, probeLocalPort,
                             &error)) {
    std::string why = "no router found on the LAN";
    if (error == ProbeError::kNoPrivilege) {
      why += ": binding UDP port " + std::to_string(probeLocalPort) +
             " needs privilege (run as root or grant cap_net_bind_service), or give --router";
    } else if (error != ProbeError::kNoAnswer && error != ProbeError::kNone) {
      why += std::string(": ") + ProbeErrorText(error);
    }
    Fail(why);
    return false;
  }
  state.routerAddress = text;
  return true;
}

bool CliContext::EnsureLoggedIn() {
  if (!EnsureRouter()) return false;
  if (skipLogin) return true;
  // The login also records the router's flavour (a Basic router takes the
  // login word as the user name).
  if (!LoginToRouter(state)) {
    Fail("cannot log in to the router at " + state.routerAddress.str() + ": " + LoginFailureReason());
    return false;
  }
  return true;
}

void CommandTable::Add(Command command) {
  std::string name = command.name;
  commands_[name] = std::move(command);
}

const Command* CommandTable::Find(const std::string& name) const {
  auto it = commands_.find(name);
  return it == commands_.end() ? nullptr : &it->second;
}

std::vector<const Command*> CommandTable::All() const {
  std::vector<const Command*> all;
  for (const auto& [name, command] : commands_) all.push_back(&command);
  return all;
}

int RunCli(const std::vector<std::string>& args, CommandTable& table, WizardState& state, std::ostream& out,
           std::ostream& err) {
  CliContext context(state, out, err);
  std::vector<std::string> rest;
  std::string commandName;
  bool help = false;
  std::string user;
  bool haveUser = false;
  SecretChoice password;  // --password, --password-stdin or --password-file
  // Global options may stand before or after the command name.
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string a = args[i];
    // "--router=A" as well as "--router A", as ip and nmcli take them.
    std::string inlineValue;
    const bool hasInline = SplitInlineValue(a, inlineValue);
    if (hasInline && !TakesValue(a)) return context.Usage(a + " takes no value");
    auto value = [&](std::string& target) {
      if (hasInline) {
        target = inlineValue;
        return true;
      }
      if (i + 1 >= args.size()) return false;
      target = args[++i];
      return true;
    };
    if (a == "--") {
      rest.insert(rest.end(), args.begin() + static_cast<long>(i), args.end());
      break;
    }
    if (a == "--help" || a == "-h") {
      help = true;
    } else if (a == "--verbose" || a == "-v") {
      context.verbose = true;
    } else if (a == "--no-login") {
      context.skipLogin = true;
    } else if (a == "--router") {
      std::string v, address;
      std::uint16_t port = 80;
      bool hasPort = false;
      if (!value(v)) return context.Usage("--router needs ADDRESS[:PORT]");
      if (!ParseEndpoint(v, address, port, hasPort)) return context.Usage("--router takes a dotted address and an optional port, not " + v);
      // The router address field holds 16 characters; a longer text would be
      // cut and the requests would go to another port.
      if (v.size() > AddressText::kMaxLength) {
        return context.Usage("--router " + v + " is longer than the " + std::to_string(AddressText::kMaxLength) +
                             " characters a router address holds");
      }
      context.routerOption = v;
    } else if (a == "--user") {
      if (!value(user)) return context.Usage("--user needs a value");
      haveUser = true;
    } else if (a == "--password") {
      if (!value(password.value)) return context.Usage("--password needs a value");
      password.present = true;
      ++password.sources;
    } else if (a == "--password-stdin") {
      password.fromStdin = true;
      ++password.sources;
    } else if (a == "--password-file") {
      if (!value(password.file)) return context.Usage("--password-file needs a file");
      ++password.sources;
    } else if (a == "--probe-to") {
      std::string v;
      bool hasPort = false;
      if (!value(v) || !ParseEndpoint(v, context.probeAddress, context.probeRemotePort, hasPort)) {
        return context.Usage("--probe-to takes a dotted address and an optional port");
      }
    } else if (a == "--probe-port") {
      std::string v;
      if (!value(v) || !ParsePort(v, context.probeLocalPort)) return context.Usage("--probe-port takes a port");
    } else if (commandName.empty() && a.rfind("-", 0) != 0) {
      commandName = a;
    } else {
      rest.push_back(a);
    }
  }
  if (commandName.empty()) {
    if (help) {
      out << GeneralHelp(table);
      return kExitOk;
    }
    if (args.empty()) {
      err << GeneralHelp(table);
      return kExitUsage;
    }
  }
  // A wrong option is one line, not the whole help.
  if (const std::string why = MisplacedOption(rest, !commandName.empty()); !why.empty()) return context.Usage(why);
  if (commandName.empty()) return context.Usage("no command given");
  const Command* command = table.Find(commandName);
  if (!command) return context.Usage("unknown command " + commandName);
  if (help) {
    out << command->help;
    return kExitOk;
  }

  if (const int status = ReadChosenSecret(context, "--password", password); status != kExitOk) return status;
  if (password.fromStdin && std::find(rest.begin(), rest.end(), "--wan-password-stdin") != rest.end())
    return context.Usage("--password-stdin and --wan-password-stdin cannot both read standard input");
  // On a terminal the login word is asked for when none was given; Enter
  // keeps the factory default. Commands that never log in ask nothing.
  if (password.sources == 0 && !context.skipLogin && CommandLogsIn(commandName) && StdinIsTerminal()) {
    std::string answer;
    if (AskTerminal("Router login word (Enter for the factory default): ", true, answer) && !answer.empty()) {
      password.value = answer;
      password.present = true;
    }
  }

  ResetRouterDefaults(state);
  // The credentials are taken as given: --user and the password are what the
  // router receives.
  if (haveUser) SetLoginUser(user, state);
  if (password.present) SetLoginPassword(password.value, state);
  if (context.verbose) SetTrafficLog(&err);
  CommandArgs commandArgs(rest);
  const int status = command->run(context, commandArgs);
  if (context.verbose) SetTrafficLog(nullptr);
  return status;
}

}  // namespace kelvane::cli
