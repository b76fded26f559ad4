// What a namespace test must leave as it found it on the machine itself: its
// resolver configuration, its host name and its own NetworkManager profiles,
// and no process of the bed (NetworkManager least of all) still running.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kelvane::testbed {

// What must stay the same on the machine itself, as a text to compare.
struct MachineFingerprint {
  std::string resolvConf;
  std::string hostName;
  std::string nmProfiles;  // names in the machine's own /etc/NetworkManager/system-connections
  bool operator==(const MachineFingerprint&) const = default;
};

MachineFingerprint TakeMachineFingerprint();

// What differs between two fingerprints, a line per difference; empty when nothing.
std::string FingerprintChanges(const MachineFingerprint& before, const MachineFingerprint& now);

// Every NetworkManager process on the machine, in any namespace.
std::vector<pid_t> NetworkManagerPids();

// The NetworkManager processes of the machine's own network namespace (the
// one this test runs in): there must never be one. Other beds' daemons,
// of tests running at the same time, are not counted.
std::vector<pid_t> NetworkManagersOutsideBeds();

// Those of `pids` that still run, as "pid (command)" lines; empty when none.
std::string StillRunning(const std::vector<pid_t>& pids);

}  // namespace kelvane::testbed
