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
//                               "kelvane-lan" (active, with a lease, when Up() returns);
//                               see BedNetworkManager.h
//   PcNetwork::kNetworkManagerFixed  the same daemon, the profile "kelvane-lan" with the
//                               fixed address 10.77.0.5/24, gateway 10.77.0.1
//   PcNetwork::kFixedOutside    the fixed address 10.77.0.5/24, gateway 10.77.0.1 (outside
//                               the router's network), no DHCP client, no NetworkManager
//
// Every process of the pc role (Exec, Spawn, RunInRole) runs in a private
// mount and host-name namespace: /etc/resolv.conf is the role's own file,
// /run (PcRunDir(), with /run/netns still in it) and /var/lib/dhcp
// (PcDhcpLibDir()) are folders of the bed, so DHCP clients' pid and lease
// files and the backend's default /run/kelvane stay in the bed.
// MachineChanges() tells what changed on the machine itself since Up()
// (MachineChecks.h).
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
// Tests usually get their bed from the fixture in NetnsFixture.h.
//
// Root only: CanRun() says why not otherwise, and the tests skip with that text.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "netns/BedNetworkManager.h"
#include "netns/BedProcesses.h"
#include "netns/MachineChecks.h"

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

enum class PcNetwork { kBare, kDhclient, kNetworkManager, kNetworkManagerFixed, kFixedOutside };

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

class NetnsBed {
 public:
  explicit NetnsBed(NetnsBedOptions options = {});
  ~NetnsBed() { Down(); }
  NetnsBed(const NetnsBed&) = delete;
  NetnsBed& operator=(const NetnsBed&) = delete;

  // Answers whether the bed can run here (with these options); `why` says what is missing.
  static bool CanRun(std::string& why);
  static bool CanRun(std::string& why, const NetnsBedOptions& options);
  static bool UsesNetworkManager(PcNetwork pc) {
    return pc == PcNetwork::kNetworkManager || pc == PcNetwork::kNetworkManagerFixed;
  }

  const std::string& Namespace(Role role) const { return names_[Index(role)]; }
  const std::string& TempDir() const { return tempDir_; }
  // The resolver configuration that processes in `role` see as /etc/resolv.conf.
  std::string ResolvConfPath(Role role) const { return tempDir_ + "/resolv-" + names_[Index(role)] + ".conf"; }
  const NetnsBedOptions& Options() const { return options_; }
  // The pc role's /run and /var/lib/dhcp, as the bed's folders.
  std::string PcRunDir() const { return tempDir_ + "/pc/run"; }
  std::string PcDhcpLibDir() const { return tempDir_ + "/pc/dhcp"; }
  // The daemon of the NetworkManager mode.
  const BedNetworkManager& NetworkManager() const { return networkManager_; }

  // Builds the bed; on failure everything made so far is removed again.
  bool Up(std::string& error);
  // Removes everything; safe to call more than once.
  void Down();

  // Runs argv inside `role` and waits for it (bounded by `timeoutMs`).
  ExecResult Exec(Role role, const std::vector<std::string>& argv, int timeoutMs = 20000) const;
  // Starts argv inside `role` in the background (output to `logFile`);
  // it is stopped by Down(). Answers its pid, or -1.
  pid_t Spawn(Role role, const std::vector<std::string>& argv, const std::string& logFile);
  // The same, calling `prepare` in the child after it entered the role and
  // before the program starts (for mounts of the program's own); a false
  // answer ends the child.
  pid_t SpawnPrepared(Role role, const std::vector<std::string>& argv, const std::string& logFile,
                      const std::function<bool()>& prepare);
  // Runs `body` in a forked child inside `role` (its own mount namespace, its
  // resolver configuration, the sysfs of the namespace). The child passes back
  // a text report; the answer is the child's exit status (-1: it crashed or
  // was killed after `timeoutMs`). Test assertions belong in the parent: the
  // body returns what it saw.
  int RunInRole(Role role, const std::function<int(std::string& report)>& body, std::string& report,
                int timeoutMs = 120000) const;
  // The pids of the processes running in `role`'s namespace.
  std::vector<pid_t> PidsIn(Role role) const { return PidsInNamespace(names_[Index(role)]); }

  // The router's LAN side moves to `routerAddress`/24, with DHCP handing out
  // `first`..`last` (gateway and DNS the new router address), as after a
  // restart with another LAN address. The isp routes the new LAN back. The
  // PC keeps whatever it had; its old lease is no longer answered for.
  bool MoveRouterLan(const std::string& routerAddress, const std::string& first, const std::string& last,
                     std::string& error);
  const std::string& RouterLanAddress() const { return routerLan_; }

  // What changed on the machine since Up() (empty: nothing): its
  // resolv.conf, host name or NetworkManager profiles. Call after Down().
  std::string MachineChanges() const;

 private:
  static int Index(Role role) { return role == Role::kPc ? 0 : role == Role::kRouter ? 1 : 2; }

  bool Build(std::string& error);
  bool SetUpPc(std::string& error);
  bool StartDnsmasq(std::string& error);
  // The router's dnsmasq for its current LAN address and DHCP range.
  bool StartRouterDnsmasq(std::string& error);
  // Ready once it has logged its start and written its pid file.
  bool WaitForDnsmasq(pid_t pid, const std::string& log, const std::string& pidFile, const std::string& out,
                      std::string& error);
  bool Ip(const std::vector<std::string>& args, std::string& error) const;
  // In a child: joins the namespace, gets a private mount namespace in which
  // /etc/resolv.conf is the role's own and /sys shows the namespace's links.
  bool EnterRole(Role role) const;

  NetnsBedOptions options_;
  std::string names_[3];
  std::string tempDir_;
  std::vector<pid_t> children_;
  bool up_ = false;
  MachineFingerprint machineBefore_;
  bool fingerprinted_ = false;
  BedNetworkManager networkManager_{*this};
  pid_t routerDnsmasq_ = -1;
  int routerStarts_ = 0;
  std::string routerLan_ = kRouterLanAddress;
  std::string dhcpFirst_ = kDhcpFirst;
  std::string dhcpLast_ = kDhcpLast;
};

}  // namespace kelvane::testbed
