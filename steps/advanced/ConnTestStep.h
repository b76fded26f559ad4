// The Internet connection test of the advanced mode: read the router's WAN
// addresses (waking a connect-on-demand line with a ping or two), then ping
// the WAN gateway, the WAN DNS server and a public web site, each with its
// own green or red verdict in a log. A failed ping colours only its own
// verdict; only a router that cannot be read, or a WAN that never gets an
// address, ends the test early with a red result line.
#pragma once

#include <array>
#include <string>

#include "language/StringIds.h"
#include "net/host/HostNetwork.h"
#include "steps/kit/HopRunner.h"
#include "steps/kit/Narrator.h"
#include "steps/kit/OutcomeTable.h"
#include "state/InternetTargets.h"
#include "state/WizardState.h"

namespace kelvane {

enum class ConnTestOutcome {
  kTested,               // the three pings ran; their verdicts are in the log
  kRouterControlFailed,  // the WAN status page could not be read
  kWanNoAddress,         // after every reading the WAN still had no gateway or DNS server
};

// The red result line that ends a test early; a test that ran has none.
inline constexpr std::array<OutcomeMessage<ConnTestOutcome>, 3> kConnTestResults = {{
    {ConnTestOutcome::kTested, 0},
    {ConnTestOutcome::kRouterControlFailed, kIdTestRouterControlFailed},
    {ConnTestOutcome::kWanNoAddress, kIdTestWanNoAddress},
}};

inline constexpr int kConnTestWanReadings = 6;    // readings of the WAN addresses, at most
inline constexpr int kConnTestWakePings = 2;      // wake-up pings, after the first misses
inline constexpr int kConnTestPingAttempts = 2;   // per gateway, DNS server and web site
inline constexpr int kConnTestVerdictPauseMs = 200;

// How the log tells the three pings: "<label>: " in black, the verdict word
// in green or red, a short pause, an empty line between two of them.
inline constexpr HopNarration kConnTestNarration{true, kConnTestVerdictPauseMs, kIdVerdictOk, kIdVerdictFailed};

struct ConnTestReport {
  ConnTestOutcome outcome = ConnTestOutcome::kRouterControlFailed;
  int readings = 0;   // WAN readings made
  int wakePings = 0;  // wake-up pings sent to the public host
  std::string gateway;
  std::string dns;
  std::string siteAddress;  // the web site's address, empty when it did not resolve
  HopReport hops;           // rows: WAN reading, gateway, DNS server, web site
};

// Runs the test, appending to the log through `narrator` (the caller empties
// the log first). `targets` names the public host and the web site.
ConnTestReport RunConnTest(WizardState& state, HostNetwork& host, Narrator& narrator,
                           const InternetTargets& targets);

}  // namespace kelvane
