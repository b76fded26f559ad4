// The two LAN broadcasts as they really travel: from the PC's namespace, with
// the default limited-broadcast destination and ports 67/68, to the emulated
// router in its own namespace. Linux refuses a limited broadcast without a
// route, so this also proves the per-interface sending.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "net/DiscoveryProbe.h"
#include "net/Wait.h"
#include "net/host/linux/ProcessRunner.h"
#include "BuiltProgram.h"
#include "netns/NetnsFixture.h"

namespace kelvane {
namespace {

using testbed::Role;

class DiscoveryNetns : public testbed::BedTest {
 protected:
  void SetUp() override { StartBed({}, {"lmq-routersim"}); }

  void StartRouter(std::vector<std::string> extra = {}) {
    std::vector<std::string> argv = {testing::BuiltProgram("lmq-routersim"), "--listen", "192.168.123.254"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    StartEmulator(argv);
  }
};

TEST_F(DiscoveryNetns, PcWithoutAnAddressFindsTheRouter) {
  StartRouter();
  std::string report;
  const int rc = bed_->RunInRole(
      Role::kPc,
      [](std::string& out) {
        std::uint32_t address = 0;
        std::string text;
        ProbeError error = ProbeError::kNone;
        const bool found = FindRouterByBroadcast(address, text, kProbeBroadcastAddress, kProbeServerPort,
                                                 kProbeClientPort, &error);
        out = text + " " + ProbeErrorText(error);
        return found && text == "192.168.123.254" ? 0 : 1;
      },
      report);
  EXPECT_EQ(rc, 0) << report;
}

TEST_F(DiscoveryNetns, PcWithAnAddressFindsTheRouterAndNothingAnswersWithoutIt) {
  PcIp({"addr", "add", "192.168.123.40/24", "dev", "lan0"});
  std::string report;
  // No router yet: false after the 2-second wait.
  int rc = bed_->RunInRole(
      Role::kPc,
      [](std::string& out) {
        std::uint32_t address = 0;
        std::string text;
        const std::uint64_t start = SteadyMs();
        const bool found = FindRouterByBroadcast(address, text);
        const std::uint64_t elapsed = SteadyMs() - start;
        out = "found=" + std::to_string(found) + " after " + std::to_string(elapsed) + " ms";
        return !found && text.empty() && elapsed >= 1900 && elapsed < 3500 ? 0 : 1;
      },
      report);
  EXPECT_EQ(rc, 0) << report;

  StartRouter();
  rc = bed_->RunInRole(
      Role::kPc,
      [](std::string& out) {
        std::uint32_t address = 0;
        std::string text;
        const bool found = FindRouterByBroadcast(address, text);
        out = text;
        // The value is in network order: its first byte is the first octet.
        const auto* b = reinterpret_cast<const unsigned char*>(&address);
        return found && text == "192.168.123.254" && b[0] == 192 && b[3] == 254 ? 0 : 1;
      },
      report);
  EXPECT_EQ(rc, 0) << report;
}

TEST_F(DiscoveryNetns, DhcpPresenceProbeIsAnsweredByTheRouter) {
  StartRouter({"--answer-dhcp"});
  std::string report;
  const int rc = bed_->RunInRole(
      Role::kPc,
      [](std::string& out) {
        bool answered = false;
        const bool sent = DetectDhcpServer(answered);
        out = "sent=" + std::to_string(sent) + " answered=" + std::to_string(answered);
        return sent && answered ? 0 : 1;
      },
      report);
  EXPECT_EQ(rc, 0) << report;
}

TEST_F(DiscoveryNetns, UnprivilegedCliSaysWhichPrivilegeDiscoveryNeeds) {
  const std::string cli = testing::BuiltProgram("kelvane-cli");
  if (cli.empty()) GTEST_SKIP() << "kelvane-cli is not built (KELVANE_BIN_DIR)";
  StartRouter();
  // As root the CLI finds the router; as nobody, without capabilities, it must
  // say that port 68 needs a privilege instead of "no router found".
  testbed::ExecResult r = bed_->Exec(Role::kPc, {cli, "discover"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("192.168.123.254"), std::string::npos) << r.output;
  r = bed_->Exec(Role::kPc, {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", cli, "discover"});
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_NE(r.output.find("cap_net_bind_service"), std::string::npos) << r.output;
}

TEST_F(DiscoveryNetns, UnprivilegedCliDiscoversThroughTheHelper) {
  const std::string cli = testing::BuiltProgram("kelvane-cli");
  const std::string helper = testing::BuiltProgram("kelvane-netprobe");
  if (cli.empty() || helper.empty()) GTEST_SKIP() << "kelvane-cli or kelvane-netprobe is not built (KELVANE_BIN_DIR)";
  StartRouter();
  // An installed pair: the CLI without capabilities, the helper beside it with
  // the two it is installed with, in a folder nobody may enter.
  char folder[] = "/tmp/kelvane-helper-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dir = folder;
  struct Remove {
    std::string dir;
    ~Remove() {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    }
  } const removeAtEnd{dir};
  std::filesystem::permissions(dir, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                        std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                                        std::filesystem::perms::others_exec);
  std::filesystem::copy_file(cli, dir + "/kelvane-cli");
  std::filesystem::copy_file(helper, dir + "/kelvane-netprobe");
  testbed::ExecResult r =
      bed_->Exec(Role::kPc, {"setcap", "cap_net_bind_service,cap_net_raw=p", dir + "/kelvane-netprobe"});
  ASSERT_EQ(r.exitCode, 0) << "setcap: " << r.output;
  const std::vector<std::string> discover = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                                             dir + "/kelvane-cli", "discover"};
  r = bed_->Exec(Role::kPc, discover);
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "192.168.123.254\n");
  // The helper's turn is an abstract socket named after the user, a name
  // anybody may take. Another user's socket there, listening or not, does not
  // hold nobody's call up; an earlier call of nobody's own does, and then the
  // CLI says so rather than ask for the helper to be installed.
  struct Holder {
    const char* name;
    uid_t uid;
    bool listening;
    int exitCode;
    const char* says;
  };
  const Holder holders[] = {
      {"root listening on nobody's turn", 0, true, 0, "192.168.123.254\n"},
      {"root bound to nobody's turn", 0, false, 0, "192.168.123.254\n"},
      {"nobody's own earlier call", 65534, true, 1, "another program is probing"},
  };
  for (const Holder& h : holders) {
    std::string report;
    const int rc = bed_->RunInRole(
        Role::kPc,
        [&](std::string& out) {
          sockaddr_un name{};
          name.sun_family = AF_UNIX;
          const std::string turn = "kelvane-netprobe.65534";
          std::memcpy(name.sun_path + 1, turn.data(), turn.size());
          const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + turn.size());
          if (::seteuid(h.uid) != 0) return 2;
          const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
          const bool held = ::bind(fd, reinterpret_cast<const sockaddr*>(&name), size) == 0 &&
                            (!h.listening || ::listen(fd, 4) == 0);
          if (::seteuid(0) != 0 || !held) return 2;
          ProgramResult result;
          RunProgram(discover, 20000, result);
          ::close(fd);
          out = "exit " + std::to_string(result.exitCode) + ": " + result.output;
          return result.exitCode == h.exitCode && result.output.find(h.says) != std::string::npos ? 0 : 1;
        },
        report);
    EXPECT_EQ(rc, 0) << h.name << ": " << report;
  }
  // A destination the helper does not probe is refused, and the CLI says so.
  r = bed_->Exec(Role::kPc, {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", dir + "/kelvane-cli",
                             "--probe-to", "192.0.2.1", "discover"});
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_NE(r.output.find("kelvane-netprobe refused the probe"), std::string::npos) << r.output;
  // Without the helper's capabilities the same call is refused on port 68:
  // the answer above came through the helper.
  ASSERT_EQ(bed_->Exec(Role::kPc, {"setcap", "-r", dir + "/kelvane-netprobe"}).exitCode, 0);
  r = bed_->Exec(Role::kPc, discover);
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_NE(r.output.find("port 68"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace kelvane
