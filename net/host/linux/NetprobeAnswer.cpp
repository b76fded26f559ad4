#include "net/host/linux/NetprobeAnswer.h"

#include <arpa/inet.h>

#include <string>

namespace kelvane {
namespace {

constexpr ProbeError kProbeErrors[] = {ProbeError::kNoPrivilege, ProbeError::kPortInUse, ProbeError::kSocketError,
                                       ProbeError::kSendFailed};
constexpr PingError kPingResults[] = {PingError::kNone,        PingError::kTimedOut,    PingError::kUnreachable,
                                      PingError::kShortReply,  PingError::kSendFailed,  PingError::kBroadcastTarget,
                                      PingError::kNoPrivilege, PingError::kSocketFailed};
constexpr std::size_t kMaxEchoLines = 4;

}  // namespace

const char* ProbeErrorWord(ProbeError error) {
  switch (error) {
    case ProbeError::kNoPrivilege: return "no-privilege";
    case ProbeError::kPortInUse: return "port-in-use";
    case ProbeError::kSendFailed: return "send-failed";
    default: return "socket";
  }
}

const char* PingErrorWord(PingError error) {
  switch (error) {
    case PingError::kNone: return "reply";
    case PingError::kTimedOut: return "timeout";
    case PingError::kUnreachable: return "unreachable";
    case PingError::kShortReply: return "short-reply";
    case PingError::kSendFailed: return "send-failed";
    case PingError::kBroadcastTarget: return "broadcast";
    case PingError::kNoPrivilege: return "no-privilege";
    default: return "socket";
  }
}

bool ReadNetprobeAnswer(std::string_view output, NetprobeAnswer& answer) {
  answer = NetprobeAnswer{};
  int results = 0;  // answer, answered, none, error
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string_view::npos) end = output.size();
    const std::string_view line = output.substr(start, end - start);
    start = end + 1;
    if (line.rfind(kNetprobeDiagnostic, 0) == 0) continue;
    if (line.rfind("usage:", 0) == 0 || line.rfind("       kelvane-netprobe ", 0) == 0) continue;
    if (line == "none" || line == "answered") {
      answer.answered = line == "answered";
      ++results;
    } else if (line.rfind("answer ", 0) == 0) {
      const std::string dotted(line.substr(7));
      in_addr parsed{};
      if (dotted.size() > 15 || inet_pton(AF_INET, dotted.c_str(), &parsed) != 1) return false;
      answer.answered = answer.addressed = true;
      answer.address = parsed.s_addr;
      ++results;
    } else if (line.rfind("echo ", 0) == 0) {
      bool known = false;
      for (PingError e : kPingResults) {
        if (line.substr(5) == PingErrorWord(e) && e != PingError::kNoPrivilege && e != PingError::kSocketFailed) {
          answer.echoes.push_back(e);
          known = true;
        }
      }
      if (!known || answer.echoes.size() > kMaxEchoLines) return false;
    } else if (line.rfind("error ", 0) == 0) {
      const std::string_view kind = line.substr(6);
      bool known = false;
      for (ProbeError e : kProbeErrors) {
        if (kind == ProbeErrorWord(e)) {
          answer.probeError = e;
          known = true;
        }
      }
      answer.pingError = kind == "no-privilege" ? PingError::kNoPrivilege
                         : kind == "send-failed" ? PingError::kSendFailed
                                                 : PingError::kSocketFailed;
      if (!known) return false;
      answer.error = true;
      ++results;
    } else if (!line.empty()) {
      return false;
    }
  }
  return results <= 1 && (results == 1 || !answer.echoes.empty());
}

}  // namespace kelvane
