// The router subcommands of kelvane-cli, each a thin layer over the core
// operation. The ones that find, log in to and read the router are in
// RouterReadCommands.cpp, the ones that change its settings in
// RouterWriteCommands.cpp, refresh, restart, factory reset and the password
// change in RouterMaintenanceCommands.cpp. RouterCommands.cpp puts them in the
// command table (RegisterRouterCommands) and holds what they share.
#pragma once

#include <cstdint>
#include <string>

#include "state/WizardState.h"
#include "tools/cli/CommandTable.h"

namespace kelvane::cli::router_commands {

// --- shared ---

// Complains about unused or malformed arguments; true when there were none.
bool ArgsDone(CliContext& c, CommandArgs& args, int& status);
// "auto", "manual" or "demand": a connection control as the commands name it.
const char* OptionName(std::int32_t state);
// "dynamic", "static", "pppoe", ... into the WAN type code; false for others.
bool ParseWanType(const std::string& text, std::int32_t& type);
// The name ParseWanType takes for a WAN type code; "none" for others.
const char* WanTypeName(std::int32_t type);
// The connection control of a WAN type's settings; null for a static address.
std::int32_t* OptionStateOf(WizardState& s, std::int32_t type);

// --- reading (RouterReadCommands.cpp) ---
int Discover(CliContext& c, CommandArgs& args);
int DhcpProbe(CliContext& c, CommandArgs& args);
int ProbeLogin(CliContext& c, CommandArgs& args);
int Login(CliContext& c, CommandArgs& args);
int Read(CliContext& c, CommandArgs& args);

// --- writing (RouterWriteCommands.cpp) ---
int SetWan(CliContext& c, CommandArgs& args);
int SetWireless(CliContext& c, CommandArgs& args);
int SetLan(CliContext& c, CommandArgs& args);
int SetDomain(CliContext& c, CommandArgs& args);
int CloneMac(CliContext& c, CommandArgs& args);
int SetMac(CliContext& c, CommandArgs& args);

// --- maintenance (RouterMaintenanceCommands.cpp) ---
int RefreshWan(CliContext& c, CommandArgs& args);
int Reboot(CliContext& c, CommandArgs& args);
int Reset(CliContext& c, CommandArgs& args);
int Password(CliContext& c, CommandArgs& args);

// --- the diagnostic report (ReportCommand.cpp) ---
int Report(CliContext& c, CommandArgs& args);

}  // namespace kelvane::cli::router_commands
