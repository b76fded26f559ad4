// What the namespace tests share: the fixture that gives a test its bed and
// checks afterwards that the machine is as it was and nothing of the bed
// still runs; the readers of what the tests' children and the emulator
// report; and the guard of the walkers, the programs the tests start inside
// the bed's PC to drive the real wizard there.
#pragma once

#include <gtest/gtest.h>
#include <net/if.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "net/Wait.h"
#include "net/host/linux/LinuxHostOptions.h"
#include "netns/NetnsBed.h"

namespace kelvane::testbed {

// --- the walkers' guard ----------------------------------------------------------------

// Whether this is the test bed's PC: a network namespace other than that of
// process 1 (when that can be seen) whose only interfaces are loopback and
// the bed's lan0. The machine's own namespace always has others. A walker
// refuses to run anywhere else, so an ordinary test run never lets the
// wizard touch a real network. Inline: the walkers link nothing of the bed.
inline bool InsideTheBedsPc(std::string& why) {
  struct stat mine {};
  struct stat init {};
  if (stat("/proc/self/ns/net", &mine) == 0 && stat("/proc/1/ns/net", &init) == 0 && mine.st_ino == init.st_ino &&
      mine.st_dev == init.st_dev) {
    why = "this is the network namespace of process 1";
    return false;
  }
  struct if_nameindex* names = if_nameindex();
  if (names == nullptr) {
    why = "cannot list the network interfaces";
    return false;
  }
  bool lan = false;
  bool other = false;
  for (struct if_nameindex* n = names; n->if_index != 0; ++n) {
    const std::string name = n->if_name;
    if (name == "lan0") lan = true;
    else if (name != "lo") other = true, why = "interface " + name + " is not the test bed's";
  }
  if_freenameindex(names);
  if (!lan && !other) why = "no lan0: this is not the test bed's PC";
  return lan && !other;
}

// --- what the tests read ---------------------------------------------------------------

// The whole file; empty when it cannot be read.
std::string ReadText(const std::string& path);
std::vector<std::string> Lines(const std::string& text);
// Lines indented for a failure message.
std::string Joined(const std::vector<std::string>& lines);
// The request lines of the emulator's log, without the HTTP version.
std::vector<std::string> RouterRequests(const std::string& log);
// "key=value" lines, as a child or a walker reports what it saw; the first
// line of a key counts.
std::map<std::string, std::string> ParseReport(const std::string& text);
// An IPv4 address in network order, dotted.
std::string Dotted(std::uint32_t address);
// Whether `address` is `network` (e.g. "192.168.123.") and a host number from `first` to `last`.
bool InRange(const std::string& address, const std::string& network, int first, int last);

// What a body run in a role reported: its exit status, its text and the
// text's "key=value" lines.
struct RoleReport {
  int code = -1;
  std::string text;
  std::map<std::string, std::string> values;
};

// Runs `body` in a child in `role` (NetnsBed::RunInRole); it writes its
// "key=value" lines to the stream and answers its exit status.
RoleReport RunReporting(const NetnsBed& bed, Role role, const std::function<int(std::ostream& report)>& body,
                        int timeoutMs = 120000);

// The Linux backend's options for the bed's PC: it never asks NetworkManager,
// keeps its DHCP files in the bed and reads the pc role's own resolv.conf.
LinuxHostOptions BedHostOptions(const NetnsBed& bed);

// --- the fixture -----------------------------------------------------------------------

// Why the bed cannot run here with `options`, or which of `programs` is not
// built (KELVANE_BIN_DIR); empty when all is there.
std::string WhyNoBed(const NetnsBedOptions& options, const std::vector<std::string>& programs);

// Starts the emulated router (argv) in the router role, its output in `log`,
// and waits until its web server takes connections; false with `error`.
bool StartEmulatorIn(NetnsBed& bed, const std::vector<std::string>& argv, const std::string& log, pid_t& pid,
                     std::string& error);

// Takes the bed down and says what it left behind, a line each (empty:
// nothing): a change on the machine since Up(), a process of the bed still
// running, a NetworkManager in the machine's own namespace that was not
// there before (`managersBefore`).
std::string TearDownBed(NetnsBed& bed, const std::vector<pid_t>& managersBefore);

// A test with a bed. StartBed (in SetUp, or in the test body followed by
// `if (!BedUp()) return;`) skips the test where the bed cannot run; TearDown
// checks what the bed left behind.
template <typename Base = ::testing::Test>
class BedFixture : public Base {
 protected:
  void StartBed(const NetnsBedOptions& options = {}, const std::vector<std::string>& programs = {}) {
    if (const std::string why = WhyNoBed(options, programs); !why.empty()) GTEST_SKIP() << why;
    managersBefore_ = NetworkManagersOutsideBeds();
    bed_ = std::make_unique<NetnsBed>(options);
    std::string error;
    ASSERT_TRUE(bed_->Up(error)) << error;
  }
  bool BedUp() const {
    return bed_ != nullptr && !::testing::Test::IsSkipped() && !::testing::Test::HasFatalFailure();
  }

  void TearDown() override {
    if (bed_ == nullptr) return;
    EXPECT_EQ(TearDownBed(*bed_, managersBefore_), "") << "what the bed left behind";
  }

  // The emulated router (argv) in the router role, its output in RouterLog(),
  // once its web server takes connections.
  void StartEmulator(const std::vector<std::string>& argv) {
    std::string error;
    ASSERT_TRUE(StartEmulatorIn(*bed_, argv, RouterLog(), emulatorPid_, error)) << error;
  }
  std::string RouterLog() const { return bed_->TempDir() + "/sim.log"; }

  // Runs argv in `role`; it must succeed.
  void MustRun(Role role, const std::vector<std::string>& argv) {
    const ExecResult r = bed_->Exec(role, argv);
    ASSERT_EQ(r.exitCode, 0) << r.output;
  }
  // `ip` with these arguments as the PC; it must succeed.
  void PcIp(std::vector<std::string> args) {
    args.insert(args.begin(), "ip");
    MustRun(Role::kPc, args);
  }

  std::unique_ptr<NetnsBed> bed_;
  pid_t emulatorPid_ = -1;

 private:
  std::vector<pid_t> managersBefore_;
};

using BedTest = BedFixture<>;

// A bare PC on the real clock, for tests that measure the pauses.
class RealTimeBedTest : public BedTest {
 protected:
  void SetUp() override {
    StartBed();
    SetTimeScale(1.0);
  }
};

}  // namespace kelvane::testbed
