// The command line of the wizard. Parsed before the window system is touched,
// so that --help and --version work without a display.
#pragma once

#include <string>
#include <vector>

namespace kelvane {

struct StartupOptions {
  bool help = false;
  bool version = false;
  bool verbose = false;  // traffic log to standard error
  bool checkLanguages = false;  // load every language module, list them and exit
  std::string publicHost;  // empty: keep the built-in default
  std::string publicDns;
  std::string testSite;
  // Arguments that are not ours (argv[0] first), handed to the toolkit, which
  // takes its own options (-platform, -style ...) out of them.
  std::vector<std::string> toolkitArgs;
};

// Parses argv. Our options take their value as "--name value" or
// "--name=value"; "--" ends our options. Answers false with a one-line
// `error` for an unknown "--" option, a missing value or a malformed address.
bool ParseStartupOptions(int argc, const char* const* argv, StartupOptions& options,
                         std::string& error);

// The text printed by --help.
std::string StartupUsage();

// Copies the given target options into InternetTargets::Instance().
void ApplyInternetTargets(const StartupOptions& options);

}  // namespace kelvane
