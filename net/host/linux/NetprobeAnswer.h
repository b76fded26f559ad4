// The answer of kelvane-netprobe, the privileged helper, on its standard
// output, one line each:
//   answer A.B.C.D  discover: the sender of the first datagram to port 68
//                   that is not a DHCP message (ReceiveRouterAnswer)
//   answered        dhcp-presence: something reached port 68
//   none            nothing came within the 2 seconds
//   echo OUTCOME    one per echo: reply, timeout, unreachable, short-reply,
//                   send-failed or broadcast
//   error KIND      the operation could not run: no-privilege, port-in-use,
//                   socket or send-failed
// Lines that begin with "kelvane-netprobe:" are diagnostics for people.
// Exit status: 0 the operation ran, 1 it could not, 2 the request was
// refused, 3 an earlier call of the same user held the helper too long (the
// callers report 2 and 3 as kHelperRefused and kHelperBusy).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "net/DiscoveryProbe.h"
#include "net/host/HostNetwork.h"

namespace kelvane {

inline constexpr char kNetprobeDiagnostic[] = "kelvane-netprobe:";

struct NetprobeAnswer {
  bool error = false;                          // an "error" line came
  ProbeError probeError = ProbeError::kNone;   // its kind, as the probes name it
  PingError pingError = PingError::kNone;      // its kind, as the echo names it
  bool answered = false;                       // "answer" or "answered"
  bool addressed = false;                      // "answer" with its address
  std::uint32_t address = 0;                   // network order
  std::vector<PingError> echoes;
};

// The words the helper writes for each result.
const char* ProbeErrorWord(ProbeError error);
const char* PingErrorWord(PingError error);

// Reads a whole answer. False when any line is outside the form, when more
// than one result line or more than four echoes came; nothing of such an
// answer is to be trusted.
bool ReadNetprobeAnswer(std::string_view output, NetprobeAnswer& answer);

}  // namespace kelvane
