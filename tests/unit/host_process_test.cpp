// Running external programs (argument vectors, time-outs, missing programs),
// the phonebook's NetworkManager fall-back through a stand-in nmcli, and the
// echo socket on loopback (the one address tests may ping from here).
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <grp.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "net/Wait.h"
#include "net/host/linux/BoundedResolver.h"
#include "net/host/linux/HostConfigFiles.h"
#include "net/host/linux/LinuxHostNetwork.h"
#include "net/host/linux/PhonebookFiles.h"
#include "net/host/linux/ProcessRunner.h"

namespace kelvane {
namespace {

// The source tree's test folder comes from the build (KELVANE_TESTS_DIR), not
// from __FILE__, which a compiler cache may make relative.
std::string Fixtures() { return std::string(KELVANE_TESTS_DIR) + "/fixtures/host"; }

// Runs `body` in a child that has dropped root for nobody; answers its exit
// code (3: the privileges could not be dropped, -1: it did not exit).
int ExitCodeAsNobody(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    _exit(body());
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
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

// Keyfiles usually sit in a folder anyone may list but only root may read:
// an ordinary user must get the profiles from NetworkManager, not an empty phonebook.
TEST(HostPhonebookNmcli, ListableFolderWithUnreadableKeyfilesIsNotTrusted) {
  if (geteuid() != 0) GTEST_SKIP() << "an unreadable keyfile needs root to set up and drop";
  char dir[] = "/tmp/kv-phonebook-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string folder = dir;
  const std::string readable = folder + "/a-dsl.nmconnection";
  const std::string secret = folder + "/b-vpn.nmconnection";
  std::string keyfile;
  ASSERT_TRUE(ReadTextFile(Fixtures() + "/vpn-order/nm/b-pptp.nmconnection", keyfile));
  for (const std::string& path : {readable, secret}) {
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(keyfile.c_str(), f);
    std::fclose(f);
  }
  chmod(dir, 0755);
  chmod(readable.c_str(), 0644);
  chmod(secret.c_str(), 0600);
  const auto readAs = [&](bool& listed) {
    std::vector<DialEntry> entries;
    ReadPhonebookFolders(folder, "", entries, listed);
    return entries.size();
  };
  bool listed = false;
  EXPECT_EQ(readAs(listed), 2u) << "root reads both";
  EXPECT_TRUE(listed);
  EXPECT_EQ(ExitCodeAsNobody([&] {
              bool nobodyListed = true;
              const std::size_t count = readAs(nobodyListed);
              return !nobodyListed && count == 0 ? 0 : 1;
            }),
            0)
      << "one unreadable keyfile hands the whole folder over to NetworkManager";
  unlink(readable.c_str());
  unlink(secret.c_str());
  rmdir(dir);
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

}  // namespace
}  // namespace kelvane
