// kelvane-cli: the command-line front end over the wizard's core operations.
#include <iostream>
#include <string>
#include <vector>

#include "net/host/linux/Netprobe.h"
#include "tools/cli/CommandTable.h"

#ifndef KELVANE_VERSION
#define KELVANE_VERSION "2.5.0.0"
#endif

#ifndef KELVANE_CLI_HOST_COMMANDS
namespace kelvane::cli {

// HostCommands.cpp is not part of this build: no host commands.
void RegisterHostCommands(CommandTable&) {}

}  // namespace kelvane::cli
#endif

int main(int argc, char** argv) {
  kelvane::cli::CommandTable table;
  kelvane::cli::RegisterRouterCommands(table);
  kelvane::cli::RegisterHostCommands(table);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == "--version") {
    std::cout << "kelvane-cli " KELVANE_VERSION "\n";
    return 0;
  }
  // Port 68 and ICMP through the privileged helper when this process lacks them.
  kelvane::InstallNetprobeRoute();
  return kelvane::cli::RunCli(args, table, kelvane::WizardState::Instance(), std::cout, std::cerr);
}
