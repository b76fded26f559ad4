// The network-namespace test bed: three namespaces of our own, joined by veth
// pairs, with real dnsmasq for DHCP and DNS.
//
//   pc  (kvpc-<pid>)   lan0 ------ lan0  router (kvrt-<pid>)  wan0 ------ wan0  isp (kvisp-<pid>)
//       see "The PC"             192.168.123.254/24        198.51.100.2/24   198.51.100.1/24
//                                dnsmasq: DHCP .100-.200,                      203.0.113.0/24 on lo
//                                DNS (local names, the rest                    dnsmasq: DNS for the
//                                forwarded to the isp)                          "public" names
//
// The router forwards between its two sides and the isp routes the LAN back
// through it, so the PC reaches the public hosts. Nothing is ever added to the
// machine's own namespace: the veth pairs are created inside the namespaces.
//
// The PC. NetnsBedOptions::pc says who owns the PC's network when Up() returns:
//   PcNetwork::kBare            lan0 up, no address, nothing running (the default)
//   PcNetwork::kDhclient        plain dhclient, run as ifupdown runs it (-pf
//                               /run/dhclient.lan0.pid -lf /var/lib/dhcp/dhclient.lan0.leases),
//                               holding a lease from the router
//   PcNetwork::kNetworkManager  a real NetworkManager manages lan0 with the DHCP profile
//                               "kelvane-lan" (active, with a lease, when Up() returns)
//   PcNetwork::kNetworkManagerFixed  the same daemon, the profile "kelvane-lan" with the
//                               fixed address 10.77.0.5/24, gateway 10.77.0.1
//   PcNetwork::kFixedOutside    the fixed address 10.77.0.5/24, gateway 10.77.0.1 (outside
//                               the router's network), no DHCP client, no NetworkManager
// For example:
//   testbed::NetnsBedOptions options;
//   options.pc = testbed::PcNetwork::kNetworkManager;
//   if (!NetnsBed::CanRun(why, options)) GTEST_SKIP() << why;
//   NetnsBed bed(options);
//   ASSERT_TRUE(bed.Up(error)) << error;
//   bed.Spawn(Role::kPc, {bin + "/kelvane", ...}, log);   // the wizard sees NetworkManager
//   bed.Nmcli({"-t", "device"});                           // ask the bed's daemon yourself
//
// Every process of the pc role (Exec, Spawn, RunInRole) runs in a private
// mount and host-name namespace: /etc/resolv.conf is the role's own file,
// /run (PcRunDir(), with /run/netns still in it) and /var/lib/dhcp
// (PcDhcpLibDir()) are folders of the bed, so DHCP clients' pid and lease
// files and the backend's default /run/kelvane stay in the bed; and
// with NetworkManager /etc/NetworkManager is the daemon's own configuration
// folder (NmConfigDir(); its profiles in NmConnectionsDir()) and
// DBUS_SYSTEM_BUS_ADDRESS names the bed's private system bus, so nmcli and
// the wizard's default options reach the bed's daemon and nothing else.
//
// The bed's NetworkManager runs as DESIGN.md's Testing section says: its own
// dbus-daemon and socket, a private mount namespace with tmpfs over its run
// and state folders (/run/NetworkManager, /var/lib/NetworkManager) and over
// /run/udev, where a stub udev database entry for lan0 stands in for the udev
// daemon that the machine does not run (without one NetworkManager waits for
// udev forever), and a configuration with dns=none, rc-manager=unmanaged,
// hostname-mode=none, no automatic profiles, managing only lan0. It can
// neither write the machine's resolv.conf nor set its host name.
// MachineFingerprint() (resolv.conf, host name, the machine's own
// NetworkManager profiles) and MachineChanges() (since Up()) let a test check
// that nothing outside changed, and NetworkManagerPids() that no daemon is left.
//
// MoveRouterLan() renumbers the router's LAN and its DHCP range, as a router
// restarted with another LAN address does.
//
// Everything the bed made (namespaces, dnsmasq, NetworkManager, its bus, any
// process left running in a namespace such as a DHCP client) is removed by
// Down(), by the destructor, at exit, and on SIGINT/SIGTERM/SIGHUP/SIGSEGV/
// SIGABRT; beds left behind by a killed run are removed when the next bed
// comes up.
//
// Typical use:
//   NetnsBed bed;
//   std::string why, error;
//   if (!NetnsBed::CanRun(why)) GTEST_SKIP() << why;
//   ASSERT_TRUE(bed.Up(error)) << error;
//   bed.Exec(Role::kPc, {"ip", "addr", "add", "192.168.123.10/24", "dev", "lan0"});
//   bed.Spawn(Role::kRouter, {bin + "/lmq-routersim", "--listen", "192.168.123.254"}, bed.TempDir() + "/sim.log");
//   bed.RunInRole(Role::kPc, [&](std::string& report) { ...; return 0; }, report);
//
// Root only: CanRun() says why not otherwise, and the tests skip with that text.
// Header only, so every test program can use it without a library of its own.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kelvane::testbed {

enum class Role { kPc, kRouter, kIsp };

inline constexpr const char* kRouterLanAddress = "192.168.123.254";
inline constexpr const char* kRouterWanAddress = "198.51.100.2";
inline constexpr const char* kIspAddress = "198.51.100.1";
inline constexpr const char* kPublicHost = "203.0.113.80";
inline constexpr const char* kDhcpFirst = "192.168.123.100";
inline constexpr const char* kDhcpLast = "192.168.123.200";
// The PC's fixed address outside the router's network (kFixedOutside,
// kNetworkManagerFixed).
inline constexpr const char* kFixedOutsideAddress = "10.77.0.5";
inline constexpr const char* kFixedOutsideGateway = "10.77.0.1";
inline constexpr int kFixedOutsidePrefix = 24;
// The profile the bed's NetworkManager holds for lan0.
inline constexpr const char* kNmProfile = "kelvane-lan";

enum class PcNetwork { kBare, kDhclient, kNetworkManager, kNetworkManagerFixed, kFixedOutside };

// What must stay the same on the machine itself, as a text to compare.
struct MachineFingerprint {
  std::string resolvConf;
  std::string hostName;
  std::string nmProfiles;  // names in the machine's own /etc/NetworkManager/system-connections
  bool operator==(const MachineFingerprint&) const = default;
};

struct NetnsBedOptions {
  PcNetwork pc = PcNetwork::kBare;
  bool startDnsmasq = true;  // DHCP + DNS in router, DNS in isp
  // Names the router's dnsmasq answers itself.
  std::vector<std::pair<std::string, std::string>> lanNames = {
      {"router.kelvane.test", kRouterLanAddress}};
  // Names the isp's dnsmasq answers (reached through the router's forwarding).
  std::vector<std::pair<std::string, std::string>> publicNames = {
      {"www.kelvane.test", kPublicHost}, {"dns.kelvane.test", kIspAddress}};
  // The resolver configuration processes in the pc role see.
  std::string pcNameserver = kRouterLanAddress;
};

struct ExecResult {
  int exitCode = -1;  // -1: did not exit normally (killed, time-out, not started)
  bool timedOut = false;
  std::string output;  // stdout and stderr
};

class NetnsBed {
 public:
  explicit NetnsBed(NetnsBedOptions options = {}) : options_(std::move(options)) {
    static int counter = 0;
    const std::string suffix = std::to_string(getpid()) + (counter > 0 ? "-" + std::to_string(counter) : "");
    ++counter;
    names_[0] = "kvpc-" + suffix;
    names_[1] = "kvrt-" + suffix;
    names_[2] = "kvisp-" + suffix;
  }
  ~NetnsBed() { Down(); }
  NetnsBed(const NetnsBed&) = delete;
  NetnsBed& operator=(const NetnsBed&) = delete;

  // Answers whether the bed can run here with these options; `why` says what is missing.
  static bool CanRun(std::string& why, const NetnsBedOptions& options) {
    if (!CanRun(why)) return false;
    if (options.pc == PcNetwork::kDhclient && FindExecutable("dhclient").empty()) {
      why = "dhclient (package isc-dhcp-client) is not installed";
      return false;
    }
    if (UsesNetworkManager(options.pc)) {
      for (const char* program : {"NetworkManager", "nmcli", "dbus-daemon"}) {
        if (FindExecutable(program).empty()) {
          why = std::string(program) + " is not installed (packages network-manager, dbus-daemon; scripts/install-deps.sh)";
          return false;
        }
      }
      struct stat st {};
      for (const char* folder : {"/var/lib/NetworkManager", "/etc/NetworkManager"}) {
        if (stat(folder, &st) != 0 || !S_ISDIR(st.st_mode)) {
          why = std::string(folder) + " is missing: the bed mounts its own over it";
          return false;
        }
      }
    }
    return true;
  }

  static bool UsesNetworkManager(PcNetwork pc) {
    return pc == PcNetwork::kNetworkManager || pc == PcNetwork::kNetworkManagerFixed;
  }

  // Answers whether the bed can run here; `why` says what is missing.
  static bool CanRun(std::string& why) {
    if (geteuid() != 0) {
      why = "the network-namespace test bed needs root (CI runs these tests as root)";
      return false;
    }
    if (FindExecutable("ip").empty()) {
      why = "the 'ip' program (iproute2) is not installed";
      return false;
    }
    if (FindExecutable("dnsmasq").empty()) {
      why = "dnsmasq (package dnsmasq-base) is not installed";
      return false;
    }
    return true;
  }

  const std::string& Namespace(Role role) const { return names_[Index(role)]; }
  const std::string& TempDir() const { return tempDir_; }
  // The resolver configuration that processes in `role` see as /etc/resolv.conf.
  std::string ResolvConfPath(Role role) const { return tempDir_ + "/resolv-" + names_[Index(role)] + ".conf"; }

  // Builds the bed; on failure everything made so far is removed again.
  bool Up(std::string& error) {
    RemoveStaleBeds();
    machineBefore_ = TakeMachineFingerprint();
    fingerprinted_ = true;
    char pattern[] = "/tmp/kvbed-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
      error = "cannot make a temporary folder";
      return false;
    }
    tempDir_ = pattern;
    Registry().Add(this);
    up_ = true;
    if (!Build(error)) {
      Down();
      return false;
    }
    return true;
  }

  // Removes everything; safe to call more than once.
  void Down() {
    if (!up_) return;
    up_ = false;
    for (pid_t pid : children_) kill(pid, SIGTERM);
    for (pid_t pid : children_) ReapWithin(pid, 5000);
    children_.clear();
    nmPid_ = -1;
    routerDnsmasq_ = -1;
    for (const std::string& name : names_) RemoveNamespace(name);
    if (!tempDir_.empty()) RemoveTree(tempDir_);
    Registry().Remove(this);
  }

  // Runs argv inside `role` and waits for it (bounded by `timeoutMs`).
  ExecResult Exec(Role role, const std::vector<std::string>& argv, int timeoutMs = 20000) const {
    ExecResult result;
    int fds[2];
    if (argv.empty() || pipe2(fds, O_CLOEXEC) != 0) return result;
    const pid_t pid = fork();
    if (pid < 0) {
      close(fds[0]);
      close(fds[1]);
      return result;
    }
    if (pid == 0) {
      dup2(fds[1], 1);
      dup2(fds[1], 2);
      if (!EnterRole(role)) _exit(126);
      ExecArgv(argv);
      _exit(127);
    }
    close(fds[1]);
    CollectChild(pid, fds[0], timeoutMs, result);
    return result;
  }

  // Starts argv inside `role` in the background (output to `logFile`);
  // it is stopped by Down(). Answers its pid, or -1.
  pid_t Spawn(Role role, const std::vector<std::string>& argv, const std::string& logFile) {
    return SpawnPrepared(role, argv, logFile, nullptr);
  }

  // The same, calling `prepare` in the child after it entered the role and
  // before the program starts (for mounts of the program's own); a false
  // answer ends the child.
  pid_t SpawnPrepared(Role role, const std::vector<std::string>& argv, const std::string& logFile,
                      const std::function<bool()>& prepare) {
    if (argv.empty()) return -1;
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
      const int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
      const int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
      if (log >= 0) {
        dup2(log, 1);
        dup2(log, 2);
      }
      if (null >= 0) dup2(null, 0);
      if (!EnterRole(role)) _exit(126);
      if (prepare && !prepare()) {
        static const char kFailed[] = "the bed could not prepare the program's folders\n";
        if (write(2, kFailed, sizeof kFailed - 1) < 0) _exit(125);
        _exit(125);
      }
      ExecArgv(argv);
      _exit(127);
    }
    children_.push_back(pid);
    return pid;
  }

  // Runs `body` in a forked child inside `role` (its own mount namespace, its
  // resolver configuration, the sysfs of the namespace). The child passes back
  // a text report; the answer is the child's exit status (-1: it crashed or
  // was killed after `timeoutMs`). Test assertions belong in the parent: the
  // body returns what it saw.
  int RunInRole(Role role, const std::function<int(std::string& report)>& body, std::string& report,
                int timeoutMs = 120000) const {
    ExecResult result;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    const pid_t pid = fork();
    if (pid < 0) {
      close(fds[0]);
      close(fds[1]);
      return -1;
    }
    if (pid == 0) {
      close(fds[0]);
      int code = 126;
      std::string text;
      if (EnterRole(role)) code = body(text);
      else text = "cannot enter the namespace";
      WriteAll(fds[1], text);
      _exit(code);
    }
    close(fds[1]);
    CollectChild(pid, fds[0], timeoutMs, result);
    report = result.output;
    return result.exitCode;
  }

  // The pids of the processes running in `role`'s namespace.
  std::vector<pid_t> PidsIn(Role role) const { return PidsInNamespace(names_[Index(role)]); }

  const NetnsBedOptions& Options() const { return options_; }
  // The pc role's /run and /var/lib/dhcp, as the bed's folders.
  std::string PcRunDir() const { return tempDir_ + "/pc/run"; }
  std::string PcDhcpLibDir() const { return tempDir_ + "/pc/dhcp"; }
  // NetworkManager mode: the daemon's configuration folder (the pc role's
  // /etc/NetworkManager), its profiles, and the address of the private bus.
  std::string NmConfigDir() const { return tempDir_ + "/nm/etc"; }
  std::string NmConnectionsDir() const { return NmConfigDir() + "/system-connections"; }
  std::string DbusAddress() const { return "unix:path=" + tempDir_ + "/dbus/system_bus_socket"; }
  std::string NmLogPath() const { return tempDir_ + "/nm.log"; }
  pid_t NetworkManagerPid() const { return nmPid_; }

  // nmcli in the pc role, talking to the bed's daemon.
  ExecResult Nmcli(const std::vector<std::string>& args, int timeoutMs = 40000) const {
    std::vector<std::string> argv = {"nmcli"};
    argv.insert(argv.end(), args.begin(), args.end());
    return Exec(Role::kPc, argv, timeoutMs);
  }

  // The router's LAN side moves to `routerAddress`/24, with DHCP handing out
  // `first`..`last` (gateway and DNS the new router address), as after a
  // restart with another LAN address. The isp routes the new LAN back. The
  // PC keeps whatever it had; its old lease is no longer answered for.
  bool MoveRouterLan(const std::string& routerAddress, const std::string& first, const std::string& last,
                     std::string& error) {
    const std::string& rt = names_[1];
    const std::string& isp = names_[2];
    const std::string oldNetwork = NetworkOf(routerLan_);
    if (routerDnsmasq_ > 0) {
      kill(routerDnsmasq_, SIGTERM);
      ReapWithin(routerDnsmasq_, 3000);
      children_.erase(std::remove(children_.begin(), children_.end(), routerDnsmasq_), children_.end());
      routerDnsmasq_ = -1;
    }
    if (!Ip({"-n", rt, "addr", "flush", "dev", "lan0"}, error) ||
        !Ip({"-n", rt, "addr", "add", routerAddress + "/24", "dev", "lan0"}, error) ||
        !Ip({"-n", isp, "route", "del", oldNetwork + "/24"}, error) ||
        !Ip({"-n", isp, "route", "add", NetworkOf(routerAddress) + "/24", "via", kRouterWanAddress}, error))
      return false;
    routerLan_ = routerAddress;
    dhcpFirst_ = first;
    dhcpLast_ = last;
    return !options_.startDnsmasq || StartRouterDnsmasq(error);
  }
  const std::string& RouterLanAddress() const { return routerLan_; }

  // --- the machine itself --------------------------------------------------------

  static MachineFingerprint TakeMachineFingerprint() {
    MachineFingerprint f;
    ReadFile("/etc/resolv.conf", f.resolvConf);
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    f.hostName = name;
    if (DIR* d = opendir("/etc/NetworkManager/system-connections")) {
      std::vector<std::string> names;
      while (dirent* e = readdir(d)) names.push_back(e->d_name);
      closedir(d);
      std::sort(names.begin(), names.end());
      for (const std::string& n : names) f.nmProfiles += n + "\n";
    }
    return f;
  }

  // What changed on the machine since Up() (empty: nothing): its
  // resolv.conf, host name or NetworkManager profiles. Call after Down().
  std::string MachineChanges() const {
    if (!fingerprinted_) return {};
    const MachineFingerprint now = TakeMachineFingerprint();
    std::string changes;
    if (now.resolvConf != machineBefore_.resolvConf)
      changes += "/etc/resolv.conf changed: \"" + machineBefore_.resolvConf + "\" -> \"" + now.resolvConf + "\"\n";
    if (now.hostName != machineBefore_.hostName)
      changes += "host name changed: " + machineBefore_.hostName + " -> " + now.hostName + "\n";
    if (now.nmProfiles != machineBefore_.nmProfiles)
      changes += "/etc/NetworkManager/system-connections changed: " + now.nmProfiles + "\n";
    return changes;
  }

  // The NetworkManager processes of the machine's own network namespace (the
  // one this test runs in): there must never be one. Other beds' daemons,
  // of tests running at the same time, are not counted.
  static std::vector<pid_t> NetworkManagersOutsideBeds() {
    std::vector<pid_t> outside;
    struct stat own {};
    if (stat("/proc/self/ns/net", &own) != 0) return outside;
    for (pid_t pid : NetworkManagerPids()) {
      struct stat ns {};
      if (stat(("/proc/" + std::to_string(pid) + "/ns/net").c_str(), &ns) == 0 && ns.st_ino == own.st_ino &&
          ns.st_dev == own.st_dev)
        outside.push_back(pid);
    }
    return outside;
  }

  // Every NetworkManager process on the machine, in any namespace.
  static std::vector<pid_t> NetworkManagerPids() {
    std::vector<pid_t> pids;
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return pids;
    while (dirent* e = readdir(proc)) {
      const pid_t pid = static_cast<pid_t>(std::atol(e->d_name));
      if (pid <= 1) continue;
      std::string comm;
      if (ReadFile("/proc/" + std::string(e->d_name) + "/comm", comm) && comm == "NetworkManager\n")
        pids.push_back(pid);
    }
    closedir(proc);
    return pids;
  }

 private:
  static int Index(Role role) { return role == Role::kPc ? 0 : role == Role::kRouter ? 1 : 2; }

  // --- building ---------------------------------------------------------------

  bool Build(std::string& error) {
    const std::string& pc = names_[0];
    const std::string& rt = names_[1];
    const std::string& isp = names_[2];
    if (!MakeFolders({tempDir_ + "/pc", PcRunDir(), PcDhcpLibDir()}, error)) return false;
    if (!WriteFile(ResolvConfPath(Role::kPc), "nameserver " + options_.pcNameserver + "\n") ||
        !WriteFile(ResolvConfPath(Role::kRouter), "nameserver 127.0.0.1\n") ||
        !WriteFile(ResolvConfPath(Role::kIsp), "nameserver 127.0.0.1\n")) {
      error = "cannot write the resolver configurations";
      return false;
    }
    for (const std::string& name : names_)
      if (!Ip({"netns", "add", name}, error)) return false;
    for (const std::string& name : names_)
      if (!Ip({"-n", name, "link", "set", "lo", "up"}, error)) return false;
    // The pairs are made inside the namespaces, never in the machine's own.
    if (!Ip({"-n", pc, "link", "add", "lan0", "type", "veth", "peer", "name", "lan0", "netns", rt}, error) ||
        !Ip({"-n", rt, "link", "add", "wan0", "type", "veth", "peer", "name", "wan0", "netns", isp}, error))
      return false;
    const std::vector<std::vector<std::string>> steps = {
        {"-n", pc, "link", "set", "lan0", "up"},
        {"-n", rt, "addr", "add", std::string(kRouterLanAddress) + "/24", "dev", "lan0"},
        {"-n", rt, "link", "set", "lan0", "up"},
        {"-n", rt, "addr", "add", std::string(kRouterWanAddress) + "/24", "dev", "wan0"},
        {"-n", rt, "link", "set", "wan0", "up"},
        {"-n", rt, "route", "add", "default", "via", kIspAddress},
        {"-n", isp, "addr", "add", std::string(kIspAddress) + "/24", "dev", "wan0"},
        {"-n", isp, "link", "set", "wan0", "up"},
        {"-n", isp, "addr", "add", "203.0.113.1/24", "dev", "lo"},
        {"-n", isp, "route", "add", "192.168.123.0/24", "via", kRouterWanAddress},
    };
    for (const auto& step : steps)
      if (!Ip(step, error)) return false;
    if (const ExecResult r = Exec(Role::kRouter, {"sysctl", "-q", "-w", "net.ipv4.ip_forward=1"});
        r.exitCode != 0) {
      error = "cannot enable forwarding in the router namespace: " + r.output;
      return false;
    }
    if (options_.startDnsmasq && !StartDnsmasq(error)) return false;
    return SetUpPc(error);
  }

  static std::string NetworkOf(const std::string& address) {
    return address.substr(0, address.rfind('.')) + ".0";
  }

  bool MakeFolders(const std::vector<std::string>& folders, std::string& error) const {
    for (const std::string& f : folders) {
      if (mkdir(f.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot make " + f;
        return false;
      }
    }
    return true;
  }

  bool SetUpPc(std::string& error) {
    switch (options_.pc) {
      case PcNetwork::kBare:
        return true;
      case PcNetwork::kFixedOutside:
        return Ip({"-n", names_[0], "addr", "add",
                   std::string(kFixedOutsideAddress) + "/" + std::to_string(kFixedOutsidePrefix), "dev", "lan0"},
                  error) &&
               Ip({"-n", names_[0], "route", "add", "default", "via", kFixedOutsideGateway}, error);
      case PcNetwork::kDhclient: {
        // As ifupdown runs it; it forks into the background once it has a lease.
        const ExecResult r = Exec(Role::kPc, {"dhclient", "-4", "-v", "-pf", "/run/dhclient.lan0.pid", "-lf",
                                              "/var/lib/dhcp/dhclient.lan0.leases", "lan0"},
                                  60000);
        if (r.exitCode != 0) {
          error = "dhclient got no lease: " + r.output;
          return false;
        }
        return true;
      }
      case PcNetwork::kNetworkManager:
      case PcNetwork::kNetworkManagerFixed:
        return StartNetworkManager(error);
    }
    return true;
  }

  bool StartNetworkManager(std::string& error) {
    const std::string dbusDir = tempDir_ + "/dbus";
    if (!MakeFolders({dbusDir, tempDir_ + "/nm", NmConfigDir(), NmConfigDir() + "/conf.d"}, error)) return false;
    if (mkdir(NmConnectionsDir().c_str(), 0700) != 0) {
      error = "cannot make " + NmConnectionsDir();
      return false;
    }
    // A bus of our own: anyone may own and call anything on it, since only
    // the bed's processes can reach its socket.
    const std::string busConfig =
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig>\n  <type>system</type>\n  <listen>unix:path=" + dbusDir + "/system_bus_socket</listen>\n"
        "  <auth>EXTERNAL</auth>\n  <policy context=\"default\">\n    <allow user=\"*\"/>\n"
        "    <allow own=\"*\"/>\n    <allow send_destination=\"*\"/>\n    <allow receive_sender=\"*\"/>\n"
        "  </policy>\n</busconfig>\n";
    const std::string nmConfig =
        "[main]\nplugins=keyfile\ndns=none\nrc-manager=unmanaged\nhostname-mode=none\n"
        "systemd-resolved=false\nauth-polkit=false\nno-auto-default=*\n\n"
        "[keyfile]\nunmanaged-devices=except:interface-name:lan0\n\n"
        "[connectivity]\nenabled=false\n\n[logging]\nlevel=INFO\nbackend=debug\n";
    if (!WriteFile(tempDir_ + "/dbus.conf", busConfig) || !WriteFile(NmConfigDir() + "/NetworkManager.conf", nmConfig)) {
      error = "cannot write the bus or NetworkManager configuration";
      return false;
    }
    if (Spawn(Role::kPc, {"dbus-daemon", "--config-file=" + tempDir_ + "/dbus.conf", "--nofork", "--nopidfile"},
              tempDir_ + "/dbus.log") < 0) {
      error = "cannot start dbus-daemon";
      return false;
    }
    if (!WaitFor([&] { return access((dbusDir + "/system_bus_socket").c_str(), F_OK) == 0; }, 10000)) {
      error = "the private bus did not come up: " + ReadOr(tempDir_ + "/dbus.log");
      return false;
    }
    nmPid_ = SpawnPrepared(Role::kPc,
                           {"NetworkManager", "--no-daemon", "--config=/etc/NetworkManager/NetworkManager.conf"},
                           NmLogPath(), [] { return PrivateNetworkManagerFolders(); });
    if (nmPid_ < 0) {
      error = "cannot start NetworkManager";
      return false;
    }
    // Up once it runs and has taken lan0 over (neither unmanaged nor waiting).
    const bool ready = WaitFor([&] {
      const ExecResult r = Nmcli({"-t", "-f", "DEVICE,STATE", "device"}, 5000);
      return r.exitCode == 0 && (r.output.find("lan0:disconnected") != std::string::npos ||
                                 r.output.find("lan0:connected") != std::string::npos);
    }, 30000);
    if (!ready) {
      error = "NetworkManager did not take lan0 over: " + Nmcli({"-t", "device"}, 5000).output + ReadOr(NmLogPath());
      return false;
    }
    std::vector<std::string> add = {"connection", "add", "type", "ethernet", "ifname", "lan0", "con-name",
                                    kNmProfile, "ipv6.method", "disabled"};
    if (options_.pc == PcNetwork::kNetworkManagerFixed) {
      for (const char* a : {"ipv4.method", "manual", "ipv4.addresses"}) add.push_back(a);
      add.push_back(std::string(kFixedOutsideAddress) + "/" + std::to_string(kFixedOutsidePrefix));
      add.push_back("ipv4.gateway");
      add.push_back(kFixedOutsideGateway);
    } else {
      add.push_back("ipv4.method");
      add.push_back("auto");
    }
    ExecResult r = Nmcli(add);
    if (r.exitCode != 0) {
      error = "nmcli connection add failed: " + r.output;
      return false;
    }
    r = Nmcli({"--wait", "40", "connection", "up", kNmProfile}, 60000);
    if (r.exitCode != 0) {
      error = "the profile did not come up: " + r.output + ReadOr(NmLogPath());
      return false;
    }
    return true;
  }

  // In NetworkManager's child, inside the pc role's private mounts: its run
  // and state folders on tmpfs, and a udev database of one entry, for lan0.
  static bool PrivateNetworkManagerFolders() {
    for (const char* folder : {"/run/NetworkManager", "/run/udev"}) {
      if (mkdir(folder, 0755) != 0 && errno != EEXIST) return false;
      if (mount("kvbed", folder, "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") != 0) return false;
    }
    if (mount("kvbed", "/var/lib/NetworkManager", "tmpfs", MS_NOSUID | MS_NODEV, "mode=0700") != 0) return false;
    if (mkdir("/run/udev/data", 0755) != 0) return false;
    std::string index;
    if (!ReadFile("/sys/class/net/lan0/ifindex", index)) return false;
    while (!index.empty() && (index.back() == '\n' || index.back() == ' ')) index.pop_back();
    // An entry that exists marks the device as initialised by udev.
    return WriteFile("/run/udev/data/n" + index, "I:1\nE:ID_NET_DRIVER=veth\nE:NM_UNMANAGED=0\n");
  }

  template <typename Predicate>
  static bool WaitFor(Predicate ready, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      if (ready()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return ready();
  }

  static std::string ReadOr(const std::string& path) {
    std::string text;
    ReadFile(path, text);
    if (text.size() > 4000) text = text.substr(text.size() - 4000);
    return text;
  }

  bool StartDnsmasq(std::string& error) {
    std::vector<std::string> isp = {
        "dnsmasq", "--keep-in-foreground", "--conf-file=/dev/null", "--no-resolv", "--no-hosts",
        "--bind-interfaces", "--interface=wan0", "--except-interface=lo", "--user=root", "--group=root",
        "--pid-file=" + tempDir_ + "/dnsmasq-isp.pid", "--log-facility=" + tempDir_ + "/dnsmasq-isp.log",
        "--log-queries", "--no-dhcp-interface=wan0", "--local=/kelvane.test/"};
    for (const auto& [name, address] : options_.publicNames) isp.push_back("--host-record=" + name + "," + address);
    const std::string ispLog = tempDir_ + "/dnsmasq-isp.log";
    const pid_t ispPid = Spawn(Role::kIsp, isp, tempDir_ + "/dnsmasq-isp.out");
    if (ispPid < 0) {
      error = "cannot start dnsmasq";
      return false;
    }
    if (!WaitForDnsmasq(ispPid, ispLog, tempDir_ + "/dnsmasq-isp.pid", tempDir_ + "/dnsmasq-isp.out", error))
      return false;
    return StartRouterDnsmasq(error);
  }

  // The router's dnsmasq for its current LAN address and DHCP range.
  bool StartRouterDnsmasq(std::string& error) {
    const std::string tag = std::to_string(++routerStarts_);
    const std::string log = tempDir_ + "/dnsmasq-router" + (routerStarts_ > 1 ? "-" + tag : "") + ".log";
    const std::string pidFile = tempDir_ + "/dnsmasq-router.pid";
    unlink(pidFile.c_str());
    std::vector<std::string> router = {
        "dnsmasq", "--keep-in-foreground", "--conf-file=/dev/null", "--no-resolv", "--no-hosts",
        "--bind-interfaces", "--interface=lan0", "--except-interface=lo", "--user=root", "--group=root",
        "--pid-file=" + pidFile, "--dhcp-leasefile=" + tempDir_ + "/dnsmasq.leases",
        "--log-facility=" + log, "--log-dhcp", "--log-queries",
        "--dhcp-range=" + dhcpFirst_ + "," + dhcpLast_ + ",255.255.255.0,1h",
        "--dhcp-option=option:router," + routerLan_, "--dhcp-option=option:dns-server," + routerLan_,
        "--dhcp-authoritative", "--server=" + std::string(kIspAddress), "--local=/lan.kelvane.test/"};
    for (const auto& [name, address] : options_.lanNames) router.push_back("--host-record=" + name + "," + address);
    const std::string out = tempDir_ + "/dnsmasq-router.out";
    routerDnsmasq_ = Spawn(Role::kRouter, router, out);
    if (routerDnsmasq_ < 0) {
      error = "cannot start dnsmasq";
      return false;
    }
    return WaitForDnsmasq(routerDnsmasq_, log, pidFile, out, error);
  }

  // Ready once it has logged its start and written its pid file.
  bool WaitForDnsmasq(pid_t pid, const std::string& log, const std::string& pidFile, const std::string& out,
                      std::string& error) {
    for (int i = 0; i < 200; ++i) {
      if (FileContains(log, "started") && access(pidFile.c_str(), F_OK) == 0) return true;
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        error = "dnsmasq ended at start: " + ReadOr(out);
        children_.erase(std::remove(children_.begin(), children_.end(), pid), children_.end());
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    error = "dnsmasq did not come up within 10 s";
    return false;
  }

  bool Ip(const std::vector<std::string>& args, std::string& error) const {
    std::vector<std::string> argv = {"ip"};
    argv.insert(argv.end(), args.begin(), args.end());
    ExecResult r = RunHere(argv, 10000);
    if (r.exitCode == 0) return true;
    std::string joined;
    for (const auto& a : argv) joined += a + " ";
    error = joined + "failed: " + r.output;
    return false;
  }

  // --- entering a role -----------------------------------------------------------

  // In a child: joins the namespace, gets a private mount namespace in which
  // /etc/resolv.conf is the role's own and /sys shows the namespace's links.
  bool EnterRole(Role role) const {
    const std::string path = "/run/netns/" + names_[Index(role)];
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool joined = setns(fd, CLONE_NEWNET) == 0;
    close(fd);
    if (!joined) return false;
    // A host name of its own too: a DHCP client's script or a daemon that
    // sets the host name changes the copy, never the machine's.
    if (unshare(CLONE_NEWNS | CLONE_NEWUTS) != 0) return false;
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    const std::string resolv = ResolvConfPath(role);
    if (mount(resolv.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0) return false;
    if (role == Role::kPc) {
      // Pid, lease and state files of whatever runs as the PC stay in the
      // bed. /run/netns stays visible, so code running as the PC can still
      // enter the other roles.
      const std::string netns = PcRunDir() + "/netns";
      if (mkdir(netns.c_str(), 0755) != 0 && errno != EEXIST) return false;
      if (mount("/run/netns", netns.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0) return false;
      if (mount(PcRunDir().c_str(), "/run", nullptr, MS_BIND | MS_REC, nullptr) != 0) return false;
      if (access("/var/lib/dhcp", F_OK) == 0 &&
          mount(PcDhcpLibDir().c_str(), "/var/lib/dhcp", nullptr, MS_BIND, nullptr) != 0)
        return false;
      if (UsesNetworkManager(options_.pc)) {
        if (mount(NmConfigDir().c_str(), "/etc/NetworkManager", nullptr, MS_BIND, nullptr) != 0) return false;
        setenv("DBUS_SYSTEM_BUS_ADDRESS", DbusAddress().c_str(), 1);
      }
    }
    // A fresh sysfs for the namespace, as 'ip netns exec' gives; not fatal if refused.
    if (umount2("/sys", MNT_DETACH) == 0) mount(names_[Index(role)].c_str(), "/sys", "sysfs", 0, nullptr);
    return true;
  }

  // --- helpers ---------------------------------------------------------------------

  static std::string FindExecutable(const std::string& name) {
    std::string dirs = std::getenv("PATH") ? std::getenv("PATH") : "";
    dirs += ":/usr/sbin:/sbin:/usr/bin:/bin";
    std::stringstream in(dirs);
    std::string dir;
    while (std::getline(in, dir, ':')) {
      if (dir.empty()) continue;
      const std::string path = dir + "/" + name;
      if (access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
  }

  [[noreturn]] static void ExecArgv(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const std::string program = argv[0].find('/') == std::string::npos ? FindExecutable(argv[0]) : argv[0];
    if (!program.empty()) execv(program.c_str(), args.data());
    _exit(127);
  }

  static void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = write(fd, text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
  }

  // Reads the child's output until it exits (or the time-out kills it).
  static void CollectChild(pid_t pid, int readFd, int timeoutMs, ExecResult& result) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    bool exited = false, open = true;
    char buffer[4096];
    for (;;) {
      if (open) {
        pollfd p{readFd, POLLIN, 0};
        if (poll(&p, 1, 20) > 0) {
          const ssize_t n = read(readFd, buffer, sizeof buffer);
          if (n > 0) result.output.append(buffer, static_cast<std::size_t>(n));
          else open = false;
        }
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      if (!exited && waitpid(pid, &status, WNOHANG) == pid) exited = true;
      // Done when it exited and its pipe is drained (a daemon it left behind
      // may hold the pipe: stop reading a moment after the exit then).
      if (exited && !open) break;
      if (exited) {
        pollfd p{readFd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) break;
        continue;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        result.timedOut = true;
        exited = true;
        break;
      }
    }
    close(readFd);
    result.exitCode = (!result.timedOut && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
  }

  static ExecResult RunHere(const std::vector<std::string>& argv, int timeoutMs) {
    ExecResult result;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return result;
    const pid_t pid = fork();
    if (pid < 0) {
      close(fds[0]);
      close(fds[1]);
      return result;
    }
    if (pid == 0) {
      dup2(fds[1], 1);
      dup2(fds[1], 2);
      ExecArgv(argv);
    }
    close(fds[1]);
    CollectChild(pid, fds[0], timeoutMs, result);
    return result;
  }

  static void ReapWithin(pid_t pid, int ms) {
    for (int waited = 0; waited < ms; waited += 20) {
      int status = 0;
      const pid_t r = waitpid(pid, &status, WNOHANG);
      if (r == pid || r < 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }

  // Processes whose network namespace is the named one (dhclient daemons etc.).
  static std::vector<pid_t> PidsInNamespace(const std::string& name) {
    std::vector<pid_t> pids;
    struct stat target {};
    if (stat(("/run/netns/" + name).c_str(), &target) != 0) return pids;
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return pids;
    while (dirent* e = readdir(proc)) {
      const pid_t pid = static_cast<pid_t>(std::atol(e->d_name));
      if (pid <= 1 || pid == getpid()) continue;
      struct stat ns {};
      if (stat(("/proc/" + std::string(e->d_name) + "/ns/net").c_str(), &ns) != 0) continue;
      if (ns.st_ino == target.st_ino && ns.st_dev == target.st_dev) pids.push_back(pid);
    }
    closedir(proc);
    return pids;
  }

  static void RemoveNamespace(const std::string& name) {
    for (int round = 0; round < 2; ++round) {
      const std::vector<pid_t> pids = PidsInNamespace(name);
      if (pids.empty()) break;
      for (pid_t pid : pids) kill(pid, round == 0 ? SIGTERM : SIGKILL);
      for (int i = 0; i < 50 && !PidsInNamespace(name).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const std::string path = "/run/netns/" + name;
    if (access(path.c_str(), F_OK) != 0) return;
    if (RunHere({"ip", "netns", "delete", name}, 10000).exitCode != 0) {
      umount2(path.c_str(), MNT_DETACH);
      unlink(path.c_str());
    }
  }

  // Beds of processes that no longer exist (a killed test run).
  static void RemoveStaleBeds() {
    DIR* d = opendir("/run/netns");
    if (d == nullptr) return;
    std::vector<std::string> stale;
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      std::size_t dash = name.find('-');
      if (dash == std::string::npos) continue;
      const std::string prefix = name.substr(0, dash);
      if (prefix != "kvpc" && prefix != "kvrt" && prefix != "kvisp") continue;
      const std::string rest = name.substr(dash + 1);
      const long pid = std::strtol(rest.c_str(), nullptr, 10);
      if (pid <= 0 || rest.find_first_not_of("0123456789-") != std::string::npos) continue;
      if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) stale.push_back(name);
    }
    closedir(d);
    for (const std::string& name : stale) RemoveNamespace(name);
  }

  static void RemoveTree(const std::string& path) {
    DIR* d = opendir(path.c_str());
    if (d != nullptr) {
      while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        const std::string child = path + "/" + name;
        struct stat st {};
        if (lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) RemoveTree(child);
        else unlink(child.c_str());
      }
      closedir(d);
    }
    rmdir(path.c_str());
  }

  static bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
  }

  static bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path);
    if (!in) return false;
    std::stringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
  }

  static bool FileContains(const std::string& path, const std::string& needle) {
    std::string text;
    return ReadFile(path, text) && text.find(needle) != std::string::npos;
  }

  // --- cleanup on exit and on fatal signals ------------------------------------

  class BedRegistry {
   public:
    void Add(NetnsBed* bed) {
      std::call_once(installed_, [] {
        owner_ = getpid();
        std::atexit([] { Registry().DownAll(); });
        for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGSEGV, SIGABRT}) {
          struct sigaction action {};
          action.sa_handler = &BedRegistry::OnSignal;
          sigemptyset(&action.sa_mask);
          action.sa_flags = SA_RESETHAND;
          sigaction(sig, &action, nullptr);
        }
      });
      beds_.push_back(bed);
    }
    void Remove(NetnsBed* bed) { beds_.erase(std::remove(beds_.begin(), beds_.end(), bed), beds_.end()); }
    void DownAll() {
      // Only the process that built the beds tears them down, never a forked child.
      if (getpid() != owner_) return;
      while (!beds_.empty()) beds_.back()->Down();
    }

   private:
    static void OnSignal(int sig) {
      // Best effort: tearing down forks 'ip', which is more than a signal
      // handler should do, but a leaked namespace is worse than that risk.
      Registry().DownAll();
      raise(sig);
    }
    std::vector<NetnsBed*> beds_;
    std::once_flag installed_;
    static inline pid_t owner_ = 0;
  };

  static BedRegistry& Registry() {
    static BedRegistry registry;
    return registry;
  }

  NetnsBedOptions options_;
  std::string names_[3];
  std::string tempDir_;
  std::vector<pid_t> children_;
  bool up_ = false;
  MachineFingerprint machineBefore_;
  bool fingerprinted_ = false;
  pid_t nmPid_ = -1;
  pid_t routerDnsmasq_ = -1;
  int routerStarts_ = 0;
  std::string routerLan_ = kRouterLanAddress;
  std::string dhcpFirst_ = kDhcpFirst;
  std::string dhcpLast_ = kDhcpLast;
};

}  // namespace kelvane::testbed
