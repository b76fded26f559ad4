// The network-namespace test bed: three namespaces of our own, joined by veth
// pairs, with real dnsmasq for DHCP and DNS.
//
//   pc  (kvpc-<pid>)   lan0 ------ lan0  router (kvrt-<pid>)  wan0 ------ wan0  isp (kvisp-<pid>)
//       no address               192.168.123.254/24        198.51.100.2/24   198.51.100.1/24
//                                dnsmasq: DHCP .100-.200,                      203.0.113.0/24 on lo
//                                DNS (local names, the rest                    dnsmasq: DNS for the
//                                forwarded to the isp)                          "public" names
//
// The router forwards between its two sides and the isp routes the LAN back
// through it, so the PC reaches the public hosts. Nothing is ever added to the
// machine's own namespace: the veth pairs are created inside the namespaces.
//
// Everything the bed made (namespaces, dnsmasq, any process left running in a
// namespace such as a DHCP client) is removed by Down(), by the destructor, at
// exit, and on SIGINT/SIGTERM/SIGHUP/SIGSEGV/SIGABRT; beds left behind by a
// killed run are removed when the next bed comes up.
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

struct NetnsBedOptions {
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
    for (pid_t pid : children_) ReapWithin(pid, 2000);
    children_.clear();
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

 private:
  static int Index(Role role) { return role == Role::kPc ? 0 : role == Role::kRouter ? 1 : 2; }

  // --- building ---------------------------------------------------------------

  bool Build(std::string& error) {
    const std::string& pc = names_[0];
    const std::string& rt = names_[1];
    const std::string& isp = names_[2];
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
    return true;
  }

  bool StartDnsmasq(std::string& error) {
    std::vector<std::string> router = {
        "dnsmasq", "--keep-in-foreground", "--conf-file=/dev/null", "--no-resolv", "--no-hosts",
        "--bind-interfaces", "--interface=lan0", "--except-interface=lo", "--user=root", "--group=root",
        "--pid-file=" + tempDir_ + "/dnsmasq-router.pid", "--dhcp-leasefile=" + tempDir_ + "/dnsmasq.leases",
        "--log-facility=" + tempDir_ + "/dnsmasq-router.log", "--log-dhcp", "--log-queries",
        "--dhcp-range=" + std::string(kDhcpFirst) + "," + kDhcpLast + ",255.255.255.0,1h",
        "--dhcp-option=option:router," + std::string(kRouterLanAddress),
        "--dhcp-option=option:dns-server," + std::string(kRouterLanAddress), "--dhcp-authoritative",
        "--server=" + std::string(kIspAddress), "--local=/lan.kelvane.test/"};
    for (const auto& [name, address] : options_.lanNames) router.push_back("--host-record=" + name + "," + address);
    std::vector<std::string> isp = {
        "dnsmasq", "--keep-in-foreground", "--conf-file=/dev/null", "--no-resolv", "--no-hosts",
        "--bind-interfaces", "--interface=wan0", "--except-interface=lo", "--user=root", "--group=root",
        "--pid-file=" + tempDir_ + "/dnsmasq-isp.pid", "--log-facility=" + tempDir_ + "/dnsmasq-isp.log",
        "--log-queries", "--no-dhcp-interface=wan0", "--local=/kelvane.test/"};
    for (const auto& [name, address] : options_.publicNames) isp.push_back("--host-record=" + name + "," + address);

    const std::string routerLog = tempDir_ + "/dnsmasq-router.log";
    const std::string ispLog = tempDir_ + "/dnsmasq-isp.log";
    if (Spawn(Role::kIsp, isp, tempDir_ + "/dnsmasq-isp.out") < 0 ||
        Spawn(Role::kRouter, router, tempDir_ + "/dnsmasq-router.out") < 0) {
      error = "cannot start dnsmasq";
      return false;
    }
    // Ready once both have logged their start and written their pid files.
    for (int i = 0; i < 100; ++i) {
      if (FileContains(routerLog, "started") && FileContains(ispLog, "started") &&
          access((tempDir_ + "/dnsmasq-router.pid").c_str(), F_OK) == 0 &&
          access((tempDir_ + "/dnsmasq-isp.pid").c_str(), F_OK) == 0)
        return true;
      for (pid_t pid : children_) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
          std::string out;
          ReadFile(tempDir_ + "/dnsmasq-router.out", out);
          std::string out2;
          ReadFile(tempDir_ + "/dnsmasq-isp.out", out2);
          error = "dnsmasq ended at start: " + out + out2;
          children_.erase(std::remove(children_.begin(), children_.end(), pid), children_.end());
          return false;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    error = "dnsmasq did not come up within 5 s";
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
    if (unshare(CLONE_NEWNS) != 0) return false;
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    const std::string resolv = ResolvConfPath(role);
    if (mount(resolv.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0) return false;
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
};

}  // namespace kelvane::testbed
