#include "net/host/linux/LinuxHostNetwork.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>

#include "net/host/linux/BoundedResolver.h"
#include "net/host/linux/HostConfigFiles.h"
#include "net/host/linux/PhonebookFiles.h"
#include "net/host/linux/ProcessRunner.h"
#include "net/host/linux/RtNetlink.h"

namespace kelvane {
namespace {

constexpr int kMainTable = 254;  // RT_TABLE_MAIN

std::uint32_t MaskOf(int prefixLength) {
  if (prefixLength <= 0) return 0;
  if (prefixLength >= 32) return 0xFFFFFFFFu;
  return htonl(0xFFFFFFFFu << (32 - prefixLength));
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A short human description: the alias if one was set, the link kind for
// virtual links, else the driver name from sysfs.
std::string DescribeLink(const NetLink& link) {
  if (!link.alias.empty()) return link.alias;
  if (!link.kind.empty()) return link.kind + " network interface";
  char target[256] = {};
  const std::string driverLink = "/sys/class/net/" + link.name + "/device/driver";
  const ssize_t n = readlink(driverLink.c_str(), target, sizeof target - 1);
  if (n > 0) return BaseName(std::string(target, static_cast<std::size_t>(n))) + " network adapter";
  if (link.type == ARPHRD_ETHER) return "Ethernet network interface";
  return link.name;
}

bool PidAlive(const std::string& pidFile) {
  std::string text;
  if (!ReadTextFile(pidFile, text, 64)) return false;
  const long pid = std::strtol(text.c_str(), nullptr, 10);
  return pid > 1 && kill(static_cast<pid_t>(pid), 0) == 0;
}

long PidFrom(const std::string& pidFile) {
  std::string text;
  if (!ReadTextFile(pidFile, text, 64)) return 0;
  const long pid = std::strtol(text.c_str(), nullptr, 10);
  return pid > 1 ? pid : 0;
}

std::string IfupdownPidFile(const std::string& interfaceName) { return "/run/dhclient." + interfaceName + ".pid"; }

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

// Interface names come from the kernel, but an adapter name handed in from a
// page is checked before it goes into a file name or an argument vector.
bool IsSafeInterfaceName(const std::string& name) {
  if (name.empty() || name.size() >= IFNAMSIZ || name[0] == '-') return false;
  for (const char c : name)
    if (c == '/' || c == '\0' || c == ' ' || c == '\t' || c == '\n' || c == ':') return false;
  return true;
}

void ForgetReleaseInMemory(std::vector<ReleasedLease>& leases, const std::string& interfaceName) {
  leases.erase(std::remove_if(leases.begin(), leases.end(),
                              [&](const ReleasedLease& l) { return l.interfaceName == interfaceName; }),
               leases.end());
}

constexpr unsigned kIffLowerUp = 0x10000;  // IFF_LOWER_UP: the link has carrier
constexpr const char* kNetworkManagerOwner = "networkmanager";

}  // namespace

// --- NetworkManager ---------------------------------------------------------

bool LinuxHostNetwork::ReadNm(NmState& nm, bool methods) {
  nm = NmState{};
  if (options_.nmcli.empty() || FindProgram(options_.nmcli).empty()) return false;
  // One run answers for every device; it fails when NetworkManager is not running.
  ProgramResult result;
  if (!RunProgram({options_.nmcli, "-t", "-f", "GENERAL.DEVICE,GENERAL.STATE,GENERAL.CON-UUID,DHCP4", "device",
                   "show"},
                  options_.programTimeoutMs, result))
    return false;
  nm.devices = ParseNmcliDeviceDetails(result.output);
  if (!methods) return true;
  // A device with DHCP options runs its profile's DHCP client: the method is
  // "auto" without asking. Only the others' profiles are looked up, so the
  // usual look (a leased LAN adapter) costs one run.
  std::vector<std::string> argv = {options_.nmcli, "-t", "-f", "connection.uuid,ipv4.method", "connection", "show"};
  for (const NmDevice& d : nm.devices) {
    const std::string uuid = NmConnectionOf(nm, d.device);
    if (uuid.empty()) continue;
    if (d.dhcpLease) {
      nm.methods[uuid] = "auto";
      continue;
    }
    if (std::find(argv.begin(), argv.end(), uuid) != argv.end()) continue;
    argv.push_back("uuid");
    argv.push_back(uuid);
  }
  if (argv.size() == 6) return true;
  // A profile deleted between the two runs makes nmcli fail; the others still answered.
  RunProgram(argv, options_.programTimeoutMs, result);
  for (const auto& [uuid, method] : ParseNmcliMethods(result.output)) nm.methods.emplace(uuid, method);
  return true;
}

std::string LinuxHostNetwork::NmConnectionOf(const NmState& nm, const std::string& interfaceName) {
  for (const NmDevice& d : nm.devices) {
    if (d.device != interfaceName) continue;
    if (d.state.rfind("unmanaged", 0) == 0) return {};
    return d.connection;
  }
  return {};
}

bool LinuxHostNetwork::NmPhonebook(std::vector<DialEntry>& entries) {
  if (options_.nmcli.empty() || FindProgram(options_.nmcli).empty()) return false;
  ProgramResult result;
  if (!RunProgram({options_.nmcli, "-t", "-f", "NAME,UUID,TYPE", "connection", "show"},
                  options_.programTimeoutMs, result))
    return false;
  std::vector<NmConnectionRow> rows = ParseNmcliConnections(result.output);
  std::stable_sort(rows.begin(), rows.end(),
                   [](const NmConnectionRow& a, const NmConnectionRow& b) { return a.name < b.name; });
  for (const NmConnectionRow& row : rows) {
    if (row.type != "pppoe" && row.type != "vpn" && row.type != "gsm" && row.type != "cdma" &&
        row.type != "adsl" && row.type != "bluetooth")
      continue;
    ProgramResult profile;
    if (!RunProgram({options_.nmcli, "-t", "-f",
                     "connection.id,connection.type,pppoe.service,pppoe.username,vpn.service-type,vpn.data,"
                     "ipv4.addresses",
                     "connection", "show", "uuid", row.uuid},
                    options_.programTimeoutMs, profile))
      continue;
    DialEntry entry;
    if (ParseNmcliProfile(profile.output, entry)) entries.push_back(std::move(entry));
  }
  return true;
}

// --- DHCP clients ------------------------------------------------------------

bool LinuxHostNetwork::EnsureStateDir() {
  if (options_.dhcpStateDir.empty()) return false;
  if (mkdir(options_.dhcpStateDir.c_str(), 0700) == 0 || errno == EEXIST) return true;
  return false;
}

std::string LinuxHostNetwork::StatePath(const std::string& client, const std::string& interfaceName,
                                        const std::string& suffix) {
  return options_.dhcpStateDir + "/" + client + "." + interfaceName + "." + suffix;
}

std::string LinuxHostNetwork::DhcpClientFor(const std::string& interfaceName) {
  for (const std::string& client : options_.dhcpClients) {
    const std::string base = BaseName(client);
    if (FindProgram(client).empty()) continue;
    if (PidAlive(StatePath(base, interfaceName, "pid")) || FileExists(StatePath(base, interfaceName, "leases")))
      return client;
  }
  for (const std::string& client : options_.dhcpClients)
    if (!FindProgram(client).empty()) return client;
  return {};
}

bool LinuxHostNetwork::DhcpClientKnows(const std::string& interfaceName) {
  if (PidAlive(IfupdownPidFile(interfaceName))) return true;
  for (const std::string& client : options_.dhcpClients) {
    const std::string base = BaseName(client);
    if (PidAlive(StatePath(base, interfaceName, "pid")) || FileExists(StatePath(base, interfaceName, "leases")))
      return true;
  }
  return false;
}

std::string LinuxHostNetwork::DhcpServerFromLease(const std::string& interfaceName) {
  std::string text;
  if (ReadTextFile(StatePath("dhclient", interfaceName, "leases"), text))
    return ParseDhclientLeaseServer(text);
  if (ReadTextFile("/var/lib/dhcp/dhclient." + interfaceName + ".leases", text))
    return ParseDhclientLeaseServer(text);
  return {};
}

void LinuxHostNetwork::DhclientFiles(const std::string& interfaceName, std::string& pidFile,
                                     std::string& leaseFile) {
  pidFile = StatePath("dhclient", interfaceName, "pid");
  leaseFile = StatePath("dhclient", interfaceName, "leases");
  // An interface brought up by ifupdown has its client's files elsewhere.
  if (!PidAlive(pidFile) && !FileExists(leaseFile) && PidAlive(IfupdownPidFile(interfaceName))) {
    pidFile = IfupdownPidFile(interfaceName);
    leaseFile = "/var/lib/dhcp/dhclient." + interfaceName + ".leases";
  }
}

bool LinuxHostNetwork::StartDhcpClient(const std::string& client, const std::string& interfaceName,
                                       bool wait) {
  if (!EnsureStateDir()) return false;
  const std::string base = BaseName(client);
  const std::string pidFile = StatePath(base, interfaceName, "pid");
  ProgramResult result;
  if (base == "dhclient") {
    std::string dhclientPid, leaseFile;
    DhclientFiles(interfaceName, dhclientPid, leaseFile);
    return RunDhclient(client, interfaceName, dhclientPid, leaseFile, wait);
  }
  if (base == "udhcpc") {
    if (const long pid = PidFrom(pidFile); pid > 0 && kill(static_cast<pid_t>(pid), SIGUSR1) == 0)
      return true;  // a running udhcpc renews on SIGUSR1
    if (wait)
      return RunProgram({client, "-i", interfaceName, "-n", "-t", "5", "-T", "2", "-p", pidFile},
                        options_.leaseTimeoutMs, result);
    return RunProgram({client, "-i", interfaceName, "-b", "-p", pidFile}, options_.programTimeoutMs, result);
  }
  if (base == "dhcpcd") {
    if (wait) return RunProgram({client, "-4", "-n", interfaceName}, options_.leaseTimeoutMs, result);
    return RunProgram({client, "-4", "-b", interfaceName}, options_.programTimeoutMs, result);
  }
  return false;
}

bool LinuxHostNetwork::RunDhclient(const std::string& client, const std::string& interfaceName,
                                   const std::string& pidFile, const std::string& leaseFile, bool wait) {
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

bool LinuxHostNetwork::StopDhcpClient(const std::string& client, const std::string& interfaceName,
                                      bool release) {
  const std::string base = BaseName(client);
  const std::string pidFile = StatePath(base, interfaceName, "pid");
  ProgramResult result;
  if (base == "dhclient") {
    std::string dhclientPid, leaseFile;
    DhclientFiles(interfaceName, dhclientPid, leaseFile);
    return RunProgram({client, "-4", release ? "-r" : "-x", "-pf", dhclientPid, "-lf", leaseFile, interfaceName},
                      options_.programTimeoutMs, result);
  }
  if (base == "udhcpc") {
    const long pid = PidFrom(pidFile);
    return pid > 0 && kill(static_cast<pid_t>(pid), release ? SIGUSR2 : SIGTERM) == 0;
  }
  if (base == "dhcpcd") return RunProgram({client, "-4", "-k", interfaceName}, options_.programTimeoutMs, result);
  return false;
}

bool LinuxHostNetwork::IsDhcpInterface(const std::string& interfaceName, const NmState& nm, bool nmPresent) {
  if (nmPresent) {
    const std::string uuid = NmConnectionOf(nm, interfaceName);
    if (!uuid.empty()) {
      const auto method = nm.methods.find(uuid);
      return method != nm.methods.end() && method->second == "auto";
    }
  }
  RtNetlink netlink;
  std::vector<NetLink> links;
  std::vector<NetAddress> addresses;
  if (!netlink.DumpLinks(links) || !netlink.DumpAddresses(addresses)) return false;
  const auto link = std::find_if(links.begin(), links.end(), [&](const NetLink& l) { return l.name == interfaceName; });
  if (link == links.end()) return false;
  for (const NetAddress& a : addresses)
    if (a.index == link->index) return a.validLifetime != kInfiniteLifetime || DhcpClientKnows(interfaceName);
  // No address at all: a lease we released is still a DHCP interface.
  return DhcpClientKnows(interfaceName);
}

// --- Released leases --------------------------------------------------------------

std::string FormatReleasedLeases(const std::vector<ReleasedLease>& leases) {
  std::string text;
  for (const ReleasedLease& l : leases) {
    const std::string fields[] = {l.interfaceName, l.owner, l.profile, l.program, l.pidFile, l.leaseFile};
    bool clean = true;
    for (const std::string& f : fields) clean = clean && f.find_first_of("\t\n\r", 0, 3) == std::string::npos;
    if (!clean || l.interfaceName.empty() || l.owner.empty()) continue;
    for (std::size_t i = 0; i < 6; ++i) text += (i > 0 ? "\t" : "") + fields[i];
    text += "\n";
  }
  return text;
}

std::vector<ReleasedLease> ParseReleasedLeases(const std::string& text) {
  std::vector<ReleasedLease> leases;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    std::vector<std::string> f;
    std::size_t from = 0;
    for (;;) {
      const std::size_t tab = line.find('\t', from);
      f.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
      if (tab == std::string::npos) break;
      from = tab + 1;
    }
    if (f.size() != 6 || !IsSafeInterfaceName(f[0]) || f[1].empty()) continue;
    leases.push_back(ReleasedLease{f[0], f[1], f[2], f[3], f[4], f[5]});
  }
  return leases;
}

void LinuxHostNetwork::LoadReleases() {
  std::string text;
  if (options_.dhcpStateDir.empty() || !ReadTextFile(options_.dhcpStateDir + "/released", text, 64 * 1024)) return;
  for (const ReleasedLease& lease : ParseReleasedLeases(text)) {
    const bool known = std::any_of(releases_.begin(), releases_.end(), [&](const ReleasedLease& l) {
      return l.interfaceName == lease.interfaceName;
    });
    if (!known) releases_.push_back(lease);
  }
}

void LinuxHostNetwork::SaveReleases() {
  // Best effort: without a writable state folder the release is remembered
  // by this process only.
  if (!EnsureStateDir()) return;
  const std::string path = options_.dhcpStateDir + "/released";
  if (releases_.empty()) {
    unlink(path.c_str());
    return;
  }
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << FormatReleasedLeases(releases_);
    if (!out) return;
  }
  rename(temporary.c_str(), path.c_str());
}

void LinuxHostNetwork::RememberRelease(const ReleasedLease& lease) {
  LoadReleases();
  ForgetReleaseInMemory(releases_, lease.interfaceName);
  releases_.push_back(lease);
  SaveReleases();
}

void LinuxHostNetwork::ForgetRelease(const std::string& interfaceName) {
  LoadReleases();
  ForgetReleaseInMemory(releases_, interfaceName);
  SaveReleases();
}

void LinuxHostNetwork::ReleasedInterfaces(std::vector<std::string>& interfaces) {
  HostNetwork::ReleasedInterfaces(interfaces);
  LoadReleases();
  for (const ReleasedLease& lease : releases_)
    if (std::find(interfaces.begin(), interfaces.end(), lease.interfaceName) == interfaces.end())
      interfaces.push_back(lease.interfaceName);
}

// --- Primitives ----------------------------------------------------------------

std::vector<KernelAdapter> AdaptersFromKernel(const std::vector<NetLink>& links,
                                              const std::vector<NetAddress>& addresses,
                                              const std::vector<NetRoute>& routes) {
  std::vector<KernelAdapter> adapters;
  for (const NetLink& link : links) {
    if ((link.flags & IFF_LOOPBACK) != 0 || (link.flags & IFF_UP) == 0) continue;
    KernelAdapter adapter;
    adapter.link = &link;
    adapter.carrier = (link.flags & kIffLowerUp) != 0;
    HostAdapterInfo& info = adapter.info;
    info.adapterName = link.name;
    // Without carrier the adapter shows no address: an unplugged cable or a
    // bridge with nothing attached (docker0, virbr0) must not be taken for
    // the LAN adapter because of its fixed address.
    if (adapter.carrier) {
      for (const NetAddress& a : addresses) {
        if (a.index == link.index) {
          adapter.address = &a;
          break;
        }
      }
    }
    const NetAddress* first = adapter.address;
    info.ipAddress = first ? FormatDotted(first->address) : "0.0.0.0";
    info.subnetMask = first ? FormatDotted(MaskOf(first->prefixLength)) : "0.0.0.0";
    // The default route through this interface with the lowest metric; the
    // kernel's order decides between equals.
    const NetRoute* best = nullptr;
    if (adapter.carrier) {
      for (const NetRoute& r : routes) {
        if (r.table != kMainTable || r.destinationLength != 0 || r.gateway == 0 || r.outputIndex != link.index)
          continue;
        if (best == nullptr || r.priority < best->priority) best = &r;
      }
    }
    info.gateway = best ? FormatDotted(best->gateway) : "0.0.0.0";
    adapters.push_back(adapter);
  }
  return adapters;
}

bool LinuxHostNetwork::ListAdapters(std::vector<HostAdapterInfo>& adapters) {
  adapters.clear();
  RtNetlink netlink;
  std::vector<NetLink> links;
  std::vector<NetAddress> addresses;
  std::vector<NetRoute> routes;
  if (!netlink.IsOpen() || !netlink.DumpLinks(links) || !netlink.DumpAddresses(addresses) ||
      !netlink.DumpRoutes(routes))
    return false;

  NmState nm;
  const bool nmPresent = ReadNm(nm, true);
  LoadReleases();

  for (KernelAdapter& adapter : AdaptersFromKernel(links, addresses, routes)) {
    HostAdapterInfo& info = adapter.info;
    const NetLink& link = *adapter.link;
    info.description = DescribeLink(link);
    const std::string uuid = nmPresent ? NmConnectionOf(nm, link.name) : std::string();
    if (!uuid.empty()) {
      const auto method = nm.methods.find(uuid);
      info.dhcpEnabled = method != nm.methods.end() && method->second == "auto" ? 1 : 0;
      if (info.dhcpEnabled && adapter.carrier) {
        for (const NmDevice& d : nm.devices)
          if (d.device == link.name) info.dhcpServer = d.dhcpServer;
      }
    } else {
      // Judged by the kernel's own first address, carrier or not: a lease
      // has a finite lifetime.
      const NetAddress* first = nullptr;
      for (const NetAddress& a : addresses) {
        if (a.index == link.index) {
          first = &a;
          break;
        }
      }
      // A lease we released leaves no address and, with NetworkManager, no
      // active profile: the record of the release still says DHCP.
      const bool released = std::any_of(releases_.begin(), releases_.end(),
                                        [&](const ReleasedLease& l) { return l.interfaceName == link.name; });
      info.dhcpEnabled = first ? (first->validLifetime != kInfiniteLifetime) : released || DhcpClientKnows(link.name);
      if (info.dhcpEnabled && adapter.carrier) info.dhcpServer = DhcpServerFromLease(link.name);
    }
    adapters.push_back(info);
  }
  return true;
}

bool LinuxHostNetwork::ReadDnsServers(std::vector<std::string>& servers) {
  servers.clear();
  std::string text;
  // A missing resolver configuration means no DNS servers, not a failure.
  if (!ReadTextFile(options_.resolvConf, text)) return true;
  servers = ParseResolvConfNameservers(text);
  if (IsResolvedStubOnly(servers) && ReadTextFile(options_.resolvedResolvConf, text)) {
    std::vector<std::string> upstream = ParseResolvConfNameservers(text);
    if (!upstream.empty()) servers = std::move(upstream);
  }
  return true;
}

bool LinuxHostNetwork::RestartAdapterWithDhcp(const std::string& adapterName) {
  if (!IsSafeInterfaceName(adapterName)) return false;
  RtNetlink netlink;
  std::vector<NetLink> links;
  if (!netlink.DumpLinks(links)) return false;
  const auto link = std::find_if(links.begin(), links.end(), [&](const NetLink& l) { return l.name == adapterName; });
  if (link == links.end()) return false;

  NmState nm;
  if (ReadNm(nm, false)) {
    const std::string uuid = NmConnectionOf(nm, adapterName);
    if (!uuid.empty()) {
      ProgramResult result;
      // Static addresses go too: NetworkManager would keep them beside the lease.
      if (!RunProgram({options_.nmcli, "connection", "modify", "uuid", uuid, "ipv4.method", "auto",
                       "ipv4.addresses", "", "ipv4.gateway", "", "ipv4.dns", ""},
                      options_.programTimeoutMs, result))
        return false;
      return RunProgram({options_.nmcli, "--wait", "20", "connection", "up", "uuid", uuid},
                        options_.leaseTimeoutMs, result);
    }
  }

  // Without NetworkManager: check that a client is there before touching anything.
  const std::string client = DhcpClientFor(adapterName);
  if (client.empty()) return false;
  std::vector<NetAddress> addresses;
  if (!netlink.DumpAddresses(addresses)) return false;
  for (const NetAddress& a : addresses) {
    // Static addresses have an infinite lifetime; removing them also removes
    // the routes (and so the gateway) that depended on them.
    if (a.index == link->index && a.validLifetime == kInfiniteLifetime && !netlink.DeleteAddress(a)) return false;
  }
  return StartDhcpClient(client, adapterName, false);
}

bool LinuxHostNetwork::ListLeaseInterfaces(std::vector<std::string>& interfaces) {
  interfaces.clear();
  RtNetlink netlink;
  std::vector<NetLink> links;
  if (!netlink.DumpLinks(links)) return false;
  for (const NetLink& link : links)
    if ((link.flags & IFF_LOOPBACK) == 0 && (link.flags & IFF_UP) != 0) interfaces.push_back(link.name);
  return true;
}

bool LinuxHostNetwork::NmRenewReleased(const ReleasedLease& lease) {
  ProgramResult result;
  // The profile that was given up, on the same device; if it has gone since,
  // whatever NetworkManager finds for the device.
  bool up = !lease.profile.empty() &&
            RunProgram({options_.nmcli, "--wait", "20", "connection", "up", "uuid", lease.profile, "ifname",
                        lease.interfaceName},
                       options_.leaseTimeoutMs, result);
  if (!up)
    up = RunProgram({options_.nmcli, "--wait", "20", "device", "connect", lease.interfaceName},
                    options_.leaseTimeoutMs, result);
  // "device disconnect" blocked the device's autoconnect; a manual activation
  // lifts that, and this makes sure of it, so the device (a Wi-Fi adapter
  // too) comes back by itself after the next drop.
  ProgramResult ignored;
  RunProgram({options_.nmcli, "device", "set", lease.interfaceName, "autoconnect", "yes"}, options_.programTimeoutMs,
             ignored);
  return up;
}

bool LinuxHostNetwork::RenewInterface(const std::string& interfaceName) {
  if (!IsSafeInterfaceName(interfaceName)) return false;
  LoadReleases();
  const auto released = std::find_if(releases_.begin(), releases_.end(),
                                     [&](const ReleasedLease& l) { return l.interfaceName == interfaceName; });
  if (released != releases_.end()) {
    // Back through whoever gave the lease up.
    const ReleasedLease lease = *released;
    bool renewed = false;
    if (lease.owner == kNetworkManagerOwner) {
      renewed = !options_.nmcli.empty() && NmRenewReleased(lease);
    } else if (lease.owner == "dhclient" && !lease.pidFile.empty() && !lease.leaseFile.empty()) {
      renewed = EnsureStateDir() && RunDhclient(lease.program, interfaceName, lease.pidFile, lease.leaseFile, true);
    } else if (!lease.program.empty()) {
      renewed = StartDhcpClient(lease.program, interfaceName, true);
    }
    if (renewed) ForgetRelease(interfaceName);
    return renewed;
  }

  NmState nm;
  const bool nmPresent = ReadNm(nm, true);
  // As on any system, an interface with a fixed address has no lease to renew.
  if (!IsDhcpInterface(interfaceName, nm, nmPresent)) return false;
  if (nmPresent && !NmConnectionOf(nm, interfaceName).empty()) {
    ProgramResult result;
    return RunProgram({options_.nmcli, "--wait", "20", "device", "connect", interfaceName}, options_.leaseTimeoutMs,
                      result);
  }
  // A lease held by a client we cannot drive (systemd-networkd, say) is not
  // ours to renew: answer false rather than start a second client beside it.
  if (!DhcpClientKnows(interfaceName)) return false;
  const std::string client = DhcpClientFor(interfaceName);
  return !client.empty() && StartDhcpClient(client, interfaceName, true);
}

bool LinuxHostNetwork::ReleaseInterface(const std::string& interfaceName) {
  if (!IsSafeInterfaceName(interfaceName)) return false;
  NmState nm;
  const bool nmPresent = ReadNm(nm, true);
  if (!IsDhcpInterface(interfaceName, nm, nmPresent)) return false;
  if (nmPresent) {
    const std::string uuid = NmConnectionOf(nm, interfaceName);
    if (!uuid.empty()) {
      ProgramResult result;
      if (!RunProgram({options_.nmcli, "device", "disconnect", interfaceName}, options_.programTimeoutMs, result))
        return false;
      RememberRelease(ReleasedLease{interfaceName, kNetworkManagerOwner, uuid, {}, {}, {}});
      return true;
    }
  }
  // Releasing through a client that holds no lease would report a release
  // that never happened.
  if (!DhcpClientKnows(interfaceName)) return false;
  const std::string client = DhcpClientFor(interfaceName);
  if (client.empty()) return false;
  ReleasedLease lease{interfaceName, BaseName(client), {}, client, {}, {}};
  // Remember the files before the release: dhclient removes its pid file as
  // it goes, and ifupdown's files are recognised by the running client only.
  if (lease.owner == "dhclient") DhclientFiles(interfaceName, lease.pidFile, lease.leaseFile);
  if (!StopDhcpClient(client, interfaceName, true)) return false;
  RememberRelease(lease);
  return true;
}

bool LinuxHostNetwork::OpenEcho(PingError& error) { return echo_.Open(error); }

bool LinuxHostNetwork::SendOneEcho(std::uint32_t address, PingError& error) {
  return echo_.Echo(address, kPingTimeoutMs, error);
}

void LinuxHostNetwork::CloseEcho() { echo_.Close(); }

bool LinuxHostNetwork::ResolveIpv4(const std::string& name, std::uint32_t& address) {
  return ResolveIpv4Bounded(name, address, options_.resolveBoundMs);
}

bool LinuxHostNetwork::ReadPhonebook(std::vector<DialEntry>& entries) {
  entries.clear();
  bool nmDirRead = false;
  ReadPhonebookFolders(options_.nmConnectionsDir, options_.pppPeersDir, entries, nmDirRead);
  if (!nmDirRead) {
    // Keyfiles are readable by root only; NetworkManager answers anyone.
    std::vector<DialEntry> fromNm;
    if (NmPhonebook(fromNm)) entries.insert(entries.begin(), fromNm.begin(), fromNm.end());
  }
  return true;
}

}  // namespace kelvane
