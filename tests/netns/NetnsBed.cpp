#include "netns/NetnsBed.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>

namespace kelvane::testbed {
namespace {

std::string NetworkOf(const std::string& address) { return address.substr(0, address.rfind('.')) + ".0"; }

void RemoveNamespace(const std::string& name) {
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
void RemoveStaleBeds() {
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

// The beds that are up, torn down at exit and on fatal signals.
class BedRegistry {
 public:
  static BedRegistry& Instance() {
    static BedRegistry registry;
    return registry;
  }

  void Add(NetnsBed* bed) {
    std::call_once(installed_, [] {
      owner_ = getpid();
      std::atexit([] { Instance().DownAll(); });
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
    Instance().DownAll();
    raise(sig);
  }
  std::vector<NetnsBed*> beds_;
  std::once_flag installed_;
  static inline pid_t owner_ = 0;
};

}  // namespace

NetnsBed::NetnsBed(NetnsBedOptions options) : options_(std::move(options)) {
  static int counter = 0;
  const std::string suffix = std::to_string(getpid()) + (counter > 0 ? "-" + std::to_string(counter) : "");
  ++counter;
  names_[0] = "kvpc-" + suffix;
  names_[1] = "kvrt-" + suffix;
  names_[2] = "kvisp-" + suffix;
}

bool NetnsBed::CanRun(std::string& why) {
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

bool NetnsBed::CanRun(std::string& why, const NetnsBedOptions& options) {
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

bool NetnsBed::Up(std::string& error) {
  RemoveStaleBeds();
  machineBefore_ = TakeMachineFingerprint();
  fingerprinted_ = true;
  char pattern[] = "/tmp/kvbed-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    error = "cannot make a temporary folder";
    return false;
  }
  tempDir_ = pattern;
  BedRegistry::Instance().Add(this);
  up_ = true;
  if (!Build(error)) {
    Down();
    return false;
  }
  return true;
}

void NetnsBed::Down() {
  if (!up_) return;
  up_ = false;
  for (pid_t pid : children_) kill(pid, SIGTERM);
  for (pid_t pid : children_) ReapWithin(pid, 5000);
  children_.clear();
  networkManager_.Forget();
  routerDnsmasq_ = -1;
  for (const std::string& name : names_) RemoveNamespace(name);
  if (!tempDir_.empty()) RemoveTree(tempDir_);
  BedRegistry::Instance().Remove(this);
}

std::string NetnsBed::MachineChanges() const {
  if (!fingerprinted_) return {};
  return FingerprintChanges(machineBefore_, TakeMachineFingerprint());
}

// --- running in a role --------------------------------------------------------------

ExecResult NetnsBed::Exec(Role role, const std::vector<std::string>& argv, int timeoutMs) const {
  if (argv.empty()) return {};
  return RunForked(
      [&] {
        if (!EnterRole(role)) _exit(126);
        ExecArgv(argv);
      },
      timeoutMs);
}

pid_t NetnsBed::Spawn(Role role, const std::vector<std::string>& argv, const std::string& logFile) {
  return SpawnPrepared(role, argv, logFile, nullptr);
}

pid_t NetnsBed::SpawnPrepared(Role role, const std::vector<std::string>& argv, const std::string& logFile,
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
  }
  children_.push_back(pid);
  return pid;
}

int NetnsBed::RunInRole(Role role, const std::function<int(std::string& report)>& body, std::string& report,
                        int timeoutMs) const {
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

bool NetnsBed::EnterRole(Role role) const {
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
    if (UsesNetworkManager(options_.pc) && !networkManager_.EnterPc()) return false;
  }
  // A fresh sysfs for the namespace, as 'ip netns exec' gives; not fatal if refused.
  if (umount2("/sys", MNT_DETACH) == 0) mount(names_[Index(role)].c_str(), "/sys", "sysfs", 0, nullptr);
  return true;
}

// --- building -------------------------------------------------------------------------

bool NetnsBed::Build(std::string& error) {
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
  if (const ExecResult r = Exec(Role::kRouter, {"sysctl", "-q", "-w", "net.ipv4.ip_forward=1"}); r.exitCode != 0) {
    error = "cannot enable forwarding in the router namespace: " + r.output;
    return false;
  }
  if (options_.startDnsmasq && !StartDnsmasq(error)) return false;
  return SetUpPc(error);
}

bool NetnsBed::SetUpPc(std::string& error) {
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
      return networkManager_.Start(options_.pc == PcNetwork::kNetworkManagerFixed, error);
  }
  return true;
}

bool NetnsBed::MoveRouterLan(const std::string& routerAddress, const std::string& first, const std::string& last,
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

bool NetnsBed::StartDnsmasq(std::string& error) {
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

bool NetnsBed::StartRouterDnsmasq(std::string& error) {
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

bool NetnsBed::WaitForDnsmasq(pid_t pid, const std::string& log, const std::string& pidFile, const std::string& out,
                              std::string& error) {
  for (int i = 0; i < 200; ++i) {
    if (FileContains(log, "started") && access(pidFile.c_str(), F_OK) == 0) return true;
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      error = "dnsmasq ended at start: " + ReadTail(out);
      children_.erase(std::remove(children_.begin(), children_.end(), pid), children_.end());
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  error = "dnsmasq did not come up within 10 s";
  return false;
}

bool NetnsBed::Ip(const std::vector<std::string>& args, std::string& error) const {
  std::vector<std::string> argv = {"ip"};
  argv.insert(argv.end(), args.begin(), args.end());
  ExecResult r = RunHere(argv, 10000);
  if (r.exitCode == 0) return true;
  std::string joined;
  for (const auto& a : argv) joined += a + " ";
  error = joined + "failed: " + r.output;
  return false;
}

}  // namespace kelvane::testbed
