// Running external programs (argument vectors, time-outs, missing programs),
// the phonebook's NetworkManager fall-back through a stand-in nmcli, and the
// echo socket on loopback (the one address tests may ping from here).
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include "net/Wait.h"
#include "net/host/linux/BoundedResolver.h"
#include "net/host/linux/LinuxHostNetwork.h"
#include "net/host/linux/ProcessRunner.h"

namespace kelvane {
namespace {

std::string Fixtures() {
  const std::string file = __FILE__;
  return file.substr(0, file.rfind("/unit/")) + "/fixtures/host";
}

TEST(HostProcess, ArgumentsReachTheProgramUnchanged) {
  ProgramResult result;
  // Characters a shell would act on arrive as they are.
  ASSERT_TRUE(RunProgram({"printf", "%s|", "a b", "$(id)", ";", "*", ""}, 5000, result));
  EXPECT_TRUE(result.started);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "a b|$(id)|;|*||");
}

TEST(HostProcess, ProgramsRunInTheCLocale) {
  setenv("LANG", "de_DE.UTF-8", 1);
  setenv("LC_MESSAGES", "de_DE.UTF-8", 1);
  ProgramResult result;
  ASSERT_TRUE(RunProgram({"printenv", "LC_ALL", "LC_MESSAGES", "LANG"}, 5000, result) ||
              result.exitCode == 1);  // printenv answers 1 when a variable is missing
  unsetenv("LANG");
  unsetenv("LC_MESSAGES");
  EXPECT_EQ(result.output, "C\n") << "translated outputs would not parse";
}

TEST(HostProcess, FailuresArePlainAnswers) {
  struct Case {
    const char* name;
    std::vector<std::string> argv;
    bool started;
    int exitCode;
  };
  const std::vector<Case> cases = {
      {"missing program", {"kelvane-no-such-program-xyz"}, false, -1},
      {"missing path", {"/nonexistent/dhclient"}, false, -1},
      {"no program at all", {}, false, -1},
      {"non-zero exit", {"false"}, true, 1},
  };
  for (const Case& c : cases) {
    ProgramResult result;
    EXPECT_FALSE(RunProgram(c.argv, 5000, result)) << c.name;
    EXPECT_EQ(result.started, c.started) << c.name;
    EXPECT_EQ(result.exitCode, c.exitCode) << c.name;
  }
  EXPECT_TRUE(FindProgram("kelvane-no-such-program-xyz").empty());
  EXPECT_FALSE(FindProgram("sh").empty());
}

TEST(HostProcess, TimeOutKillsTheProgramAndKeepsTheWindowAlive) {
  int hookCalls = 0;
  WaitHook previous = SetWaitHook([&] { ++hookCalls; });
  ProgramResult result;
  const std::uint64_t start = SteadyMs();
  EXPECT_FALSE(RunProgram({"sleep", "30"}, 300, result));
  const std::uint64_t elapsed = SteadyMs() - start;
  SetWaitHook(previous);
  EXPECT_TRUE(result.timedOut);
  EXPECT_GE(elapsed, 300u);
  EXPECT_LT(elapsed, 2000u);
  EXPECT_GE(hookCalls, 4) << "the wait is sliced and calls the hook";
  // Nothing is left over: no child remains to be reaped.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

TEST(HostProcess, ADaemonHoldingTheOutputDoesNotHoldTheCaller) {
  ProgramResult result;
  const std::uint64_t start = SteadyMs();
  // The shell leaves a background child holding stdout and exits at once.
  ASSERT_TRUE(RunProgram({"sh", "-c", "echo started; sleep 5 & exit 0"}, 5000, result));
  EXPECT_LT(SteadyMs() - start, 2000u);
  EXPECT_EQ(result.output.rfind("started", 0), 0u);
}

TEST(HostPhonebookNmcli, UnreadableKeyfilesFallBackToNetworkManager) {
  setenv("KV_FAKE_NMCLI_DIR", (Fixtures() + "/nmcli").c_str(), 1);
  LinuxHostOptions options;
  options.nmConnectionsDir = Fixtures() + "/no-such-folder";
  options.pppPeersDir = Fixtures() + "/no-pppoe/peers";
  options.nmcli = Fixtures() + "/fake-nmcli";
  LinuxHostNetwork net(options);
  std::vector<DialEntry> entries;
  ASSERT_TRUE(net.ReadPhonebook(entries));
  unsetenv("KV_FAKE_NMCLI_DIR");
  ASSERT_EQ(entries.size(), 4u) << "three dial-up profiles, sorted by name, then the pppd peer";
  EXPECT_EQ(entries[0].name, "Branch L2TP");
  EXPECT_EQ(entries[1].name, "DSL Provider");
  EXPECT_EQ(entries[2].name, "Office PPTP");
  EXPECT_EQ(entries[3].name, "work-pptp");

  setenv("KV_FAKE_NMCLI_DIR", (Fixtures() + "/nmcli").c_str(), 1);
  WizardState state;
  EXPECT_TRUE(net.FindPcPptpAccount(state));
  EXPECT_TRUE(net.FindPcPppoeAccount(state));
  unsetenv("KV_FAKE_NMCLI_DIR");
  EXPECT_EQ(state.PptpSettings.userName.view(), "bob") << "the profile comes before the peer";
  EXPECT_EQ(state.PppoeSettings.serviceName.view(), "Fast: Net");
}

TEST(HostPhonebookNmcli, NoNetworkManagerIsNoEntries) {
  LinuxHostOptions options;
  options.nmConnectionsDir = Fixtures() + "/no-such-folder";
  options.pppPeersDir = Fixtures() + "/no-such-folder";
  options.nmcli = "kelvane-no-such-nmcli";
  LinuxHostNetwork net(options);
  std::vector<DialEntry> entries;
  EXPECT_TRUE(net.ReadPhonebook(entries));
  EXPECT_TRUE(entries.empty());
  WizardState state;
  EXPECT_FALSE(net.FindPcPppoeAccount(state));
}

TEST(HostResolveBound, LiteralsAndBadNamesNeedNoNetwork) {
  // Only names that never leave the machine: address literals and names
  // glibc refuses before asking any server.
  std::uint32_t address = 0;
  EXPECT_TRUE(ResolveIpv4Bounded("127.0.0.1", address, 2000));
  EXPECT_EQ(address, htonl(0x7F000001));
  EXPECT_FALSE(ResolveIpv4Bounded("", address, 2000));
  EXPECT_FALSE(ResolveIpv4Bounded(std::string("a\0b", 3), address, 2000));
}

TEST(HostLoopbackEcho, PingOfLoopbackAnswersOrNamesThePrivilege) {
  LinuxHostOptions options;
  options.nmcli.clear();
  LinuxHostNetwork net(options);
  PingError error = PingError::kSocketFailed;
  IcmpEcho probe;
  PingError openError = PingError::kNone;
  const bool canOpen = probe.Open(openError);
  probe.Close();
  const std::uint64_t start = SteadyMs();
  const bool ok = net.PingHost("127.0.0.1", 2, &error);
  if (canOpen) {
    EXPECT_TRUE(ok) << PingErrorText(error);
    EXPECT_EQ(error, PingError::kNone);
    EXPECT_LT(SteadyMs() - start, 1000u);
  } else {
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, PingError::kNoPrivilege);
    EXPECT_EQ(openError, PingError::kNoPrivilege);
  }
}

TEST(HostLoopbackEcho, DroppedPrivilegeIsReportedNotSilent) {
  if (geteuid() != 0) GTEST_SKIP() << "dropping privileges needs root to start from";
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    LinuxHostOptions options;
    options.nmcli.clear();
    LinuxHostNetwork net(options);
    PingError error = PingError::kNone;
    const bool ok = net.PingHost("127.0.0.1", 1, &error);
    // Either this system lets nobody ping (its ping_group_range covers the
    // group) and loopback answers, or the reason must be the privilege.
    if (ok) _exit(error == PingError::kNone ? 0 : 4);
    _exit(error == PingError::kNoPrivilege ? 0 : 5);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace kelvane
