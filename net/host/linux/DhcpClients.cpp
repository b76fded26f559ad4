#include "net/host/linux/DhcpClients.h"

#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>

#include "net/host/linux/HostConfigFiles.h"
#include "net/host/linux/ProcessRunner.h"

namespace kelvane {
namespace {

long PidFrom(const std::string& pidFile) {
  std::string text;
  if (!ReadTextFile(pidFile, text, 64)) return 0;
  const long pid = std::strtol(text.c_str(), nullptr, 10);
  return pid > 1 ? pid : 0;
}

bool PidAlive(const std::string& pidFile) {
  const long pid = PidFrom(pidFile);
  return pid > 0 && kill(static_cast<pid_t>(pid), 0) == 0;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

std::string IfupdownPidFile(const std::string& interfaceName) { return "/run/dhclient." + interfaceName + ".pid"; }

std::string IfupdownLeaseFile(const std::string& interfaceName) {
  return "/var/lib/dhcp/dhclient." + interfaceName + ".leases";
}

}  // namespace

std::string DhcpClients::ProgramName(const std::string& client) {
  const std::size_t slash = client.rfind('/');
  return slash == std::string::npos ? client : client.substr(slash + 1);
}

std::string DhcpClients::StatePath(const std::string& client, const std::string& interfaceName,
                                   const std::string& suffix) const {
  return options_.dhcpStateDir + "/" + client + "." + interfaceName + "." + suffix;
}

bool DhcpClients::Serves(const std::string& client, const std::string& interfaceName) const {
  const std::string name = ProgramName(client);
  return PidAlive(StatePath(name, interfaceName, "pid")) || FileExists(StatePath(name, interfaceName, "leases"));
}

std::string DhcpClients::ClientFor(const std::string& interfaceName) const {
  for (const std::string& client : options_.dhcpClients)
    if (!FindProgram(client).empty() && Serves(client, interfaceName)) return client;
  for (const std::string& client : options_.dhcpClients)
    if (!FindProgram(client).empty()) return client;
  return {};
}

bool DhcpClients::Knows(const std::string& interfaceName) const {
  if (PidAlive(IfupdownPidFile(interfaceName))) return true;
  for (const std::string& client : options_.dhcpClients)
    if (Serves(client, interfaceName)) return true;
  return false;
}

std::string DhcpClients::ServerFromLease(const std::string& interfaceName) const {
  std::string text;
  if (ReadTextFile(StatePath("dhclient", interfaceName, "leases"), text)) return ParseDhclientLeaseServer(text);
  if (ReadTextFile(IfupdownLeaseFile(interfaceName), text)) return ParseDhclientLeaseServer(text);
  return {};
}

void DhcpClients::DhclientFiles(const std::string& interfaceName, std::string& pidFile,
                                std::string& leaseFile) const {
  pidFile = StatePath("dhclient", interfaceName, "pid");
  leaseFile = StatePath("dhclient", interfaceName, "leases");
  // An interface brought up by ifupdown has its client's files elsewhere.
  if (!PidAlive(pidFile) && !FileExists(leaseFile) && PidAlive(IfupdownPidFile(interfaceName))) {
    pidFile = IfupdownPidFile(interfaceName);
    leaseFile = IfupdownLeaseFile(interfaceName);
  }
}

bool DhcpClients::Start(const std::string& client, const std::string& interfaceName, bool wait) const {
  if (!EnsureDhcpStateDir(options_)) return false;
  const std::string name = ProgramName(client);
  if (name == "dhclient") {
    std::string pidFile, leaseFile;
    DhclientFiles(interfaceName, pidFile, leaseFile);
    return RunDhclient(client, interfaceName, pidFile, leaseFile, wait);
  }
  const std::string pidFile = StatePath(name, interfaceName, "pid");
  ProgramResult result;
  if (name == "udhcpc") {
    if (const long pid = PidFrom(pidFile); pid > 0 && kill(static_cast<pid_t>(pid), SIGUSR1) == 0)
      return true;  // a running udhcpc renews on SIGUSR1
    if (wait)
      return RunProgram({client, "-i", interfaceName, "-n", "-t", "5", "-T", "2", "-p", pidFile},
                        options_.leaseTimeoutMs, result);
    return RunProgram({client, "-i", interfaceName, "-b", "-p", pidFile}, options_.programTimeoutMs, result);
  }
  if (name == "dhcpcd") {
    if (wait) return RunProgram({client, "-4", "-n", interfaceName}, options_.leaseTimeoutMs, result);
    return RunProgram({client, "-4", "-b", interfaceName}, options_.programTimeoutMs, result);
  }
  return false;
}

bool DhcpClients::RunDhclient(const std::string& client, const std::string& interfaceName,
                              const std::string& pidFile, const std::string& leaseFile, bool wait) const {
  ProgramResult result;
  // A client already serving the interface is stopped first (keeping its lease).
  if (PidAlive(pidFile))
    RunProgram({client, "-4", "-x", "-pf", pidFile, "-lf", leaseFile, interfaceName}, options_.programTimeoutMs,
               result);
  // -nw: return at once and keep trying in the background; -1: one try, and
  // come back when it got a lease or gave up.
  return RunProgram({client, "-4", wait ? "-1" : "-nw", "-pf", pidFile, "-lf", leaseFile, interfaceName},
                    wait ? options_.leaseTimeoutMs : options_.programTimeoutMs, result);
}

bool DhcpClients::Stop(const std::string& client, const std::string& interfaceName, bool release) const {
  const std::string name = ProgramName(client);
  ProgramResult result;
  if (name == "dhclient") {
    std::string pidFile, leaseFile;
    DhclientFiles(interfaceName, pidFile, leaseFile);
    return RunProgram({client, "-4", release ? "-r" : "-x", "-pf", pidFile, "-lf", leaseFile, interfaceName},
                      options_.programTimeoutMs, result);
  }
  if (name == "udhcpc") {
    const long pid = PidFrom(StatePath(name, interfaceName, "pid"));
    return pid > 0 && kill(static_cast<pid_t>(pid), release ? SIGUSR2 : SIGTERM) == 0;
  }
  if (name == "dhcpcd") return RunProgram({client, "-4", "-k", interfaceName}, options_.programTimeoutMs, result);
  return false;
}

}  // namespace kelvane
