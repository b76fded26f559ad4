#include "net/host/linux/Netprobe.h"

#include <unistd.h>

#include <algorithm>
#include <climits>

#include "net/ProbeHelper.h"
#include "net/host/linux/IcmpEcho.h"
#include "net/host/linux/NetprobeAnswer.h"
#include "net/host/linux/ProcessRunner.h"

#ifndef KELVANE_NETPROBE_INSTALLED
#define KELVANE_NETPROBE_INSTALLED "/usr/lib/kelvane/kelvane-netprobe"
#endif

namespace kelvane {
namespace {

// The probe's 2 s, the helper's wait for its turn (5 s) and a margin.
constexpr int kHelperTimeoutMs = 10000;

bool IsExecutable(const std::string& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

// How a call of the helper went, from its exit status (NetprobeAnswer.h).
enum class Asked {
  kAnswered,  // exit 0 or 1 with an answer in the form: `answer` holds it
  kRefused,   // exit 2: the request was refused
  kBusy,      // exit 3: an earlier call of this user held the helper
  kUnusable,  // missing, not started, killed, or an answer outside the form
};

Asked Ask(const std::vector<std::string>& request, NetprobeAnswer& answer) {
  const std::string path = NetprobePath();
  if (path.empty()) return Asked::kUnusable;
  std::vector<std::string> argv = {path};
  argv.insert(argv.end(), request.begin(), request.end());
  ProgramResult result;
  RunProgram(argv, kHelperTimeoutMs, result);
  if (!result.started || result.timedOut) return Asked::kUnusable;
  if (result.exitCode == 2) return Asked::kRefused;
  if (result.exitCode == 3) return Asked::kBusy;
  if (result.exitCode != 0 && result.exitCode != 1) return Asked::kUnusable;
  const bool read = ReadNetprobeAnswer(result.output, answer) && answer.error == (result.exitCode == 1);
  return read ? Asked::kAnswered : Asked::kUnusable;
}

ProbeError ProbeFailure(Asked asked) {
  return asked == Asked::kRefused ? ProbeError::kHelperRefused
         : asked == Asked::kBusy  ? ProbeError::kHelperBusy
                                  : ProbeError::kNoPrivilege;
}

PingError PingFailure(Asked asked) {
  return asked == Asked::kRefused ? PingError::kHelperRefused
         : asked == Asked::kBusy  ? PingError::kHelperBusy
                                  : PingError::kNoPrivilege;
}

std::vector<std::string> ProbeRequest(const char* operation, const std::string& destination,
                                      std::uint16_t remotePort) {
  return {operation, "--to", destination + ":" + std::to_string(remotePort)};
}

const ProbeHelperRoute kRoute = {NetprobeDiscover, NetprobeDhcpPresence};

}  // namespace

std::string NetprobePath() {
  char self[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string beside(self, static_cast<std::size_t>(n));
    beside = beside.substr(0, beside.rfind('/') + 1) + kNetprobeName;
    if (IsExecutable(beside)) return beside;
  }
  return IsExecutable(KELVANE_NETPROBE_INSTALLED) ? KELVANE_NETPROBE_INSTALLED : std::string();
}

bool NetprobeDiscover(const std::string& destination, std::uint16_t remotePort, std::uint32_t& address,
                      ProbeError& error) {
  address = 0;
  NetprobeAnswer answer;
  const Asked asked = Ask(ProbeRequest("discover", destination, remotePort), answer);
  if (asked != Asked::kAnswered) {
    error = ProbeFailure(asked);
    return false;
  }
  if (answer.error) {
    error = answer.probeError;
    return false;
  }
  if (!answer.addressed) {
    error = ProbeError::kNoAnswer;
    return false;
  }
  address = answer.address;
  error = ProbeError::kNone;
  return true;
}

bool NetprobeDhcpPresence(const std::string& destination, std::uint16_t remotePort, bool& answered,
                          ProbeError& error) {
  answered = false;
  NetprobeAnswer answer;
  const Asked asked = Ask(ProbeRequest("dhcp-presence", destination, remotePort), answer);
  if (asked != Asked::kAnswered) {
    error = ProbeFailure(asked);
    return false;
  }
  if (answer.error) {
    error = answer.probeError;
    return false;
  }
  answered = answer.answered && !answer.addressed;
  error = answered ? ProbeError::kNone : ProbeError::kNoAnswer;
  return true;
}

bool NetprobeEcho(std::uint32_t address, int timeoutMs, PingError& error) {
  const int bounded = std::clamp(timeoutMs, 100, kPingTimeoutMs);
  NetprobeAnswer answer;
  const Asked asked = Ask({"echo", FormatDotted(address), "--count", "1", "--timeout", std::to_string(bounded)}, answer);
  if (asked != Asked::kAnswered) {
    error = PingFailure(asked);
    return false;
  }
  if (answer.error) {
    error = answer.pingError;
    return false;
  }
  if (answer.echoes.size() != 1) {
    error = PingError::kSocketFailed;
    return false;
  }
  error = answer.echoes[0];
  return error == PingError::kNone;
}

void InstallNetprobeRoute() {
  if (NetprobePath().empty()) return;
  SetProbeHelperRoute(&kRoute);
  SetEchoHelper(NetprobeEcho);
}

}  // namespace kelvane
