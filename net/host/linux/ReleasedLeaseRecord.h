// Released leases and who held them. After a release neither the interface
// (no address) nor NetworkManager (no active profile) can tell a released
// lease from a fixed address any more, so the release is remembered with its
// owner, in memory and in the state folder, and the renew that follows, in
// this process or the next, goes back through the same owner.
#pragma once

#include <string>
#include <vector>

#include "net/host/linux/LinuxHostOptions.h"

namespace kelvane {

// A lease given back by ReleaseInterface, and who held it.
struct ReleasedLease {
  std::string interfaceName;
  std::string owner;      // "networkmanager", or the DHCP client's program name
  std::string profile;    // NetworkManager: the profile that was active
  std::string program;    // DHCP client: the program as configured
  std::string pidFile;    // dhclient: its pid and lease files
  std::string leaseFile;
};

inline constexpr const char* kNetworkManagerOwner = "networkmanager";

// The state folder's record of released leases: one line per lease, fields
// separated by tabs. Lines that do not parse are skipped.
std::string FormatReleasedLeases(const std::vector<ReleasedLease>& leases);
std::vector<ReleasedLease> ParseReleasedLeases(const std::string& text);

class ReleasedLeaseRecord {
 public:
  // Reads the options at each call: they may change after construction.
  explicit ReleasedLeaseRecord(const LinuxHostOptions& options) : options_(options) {}

  // Adds the state folder's leases to the ones in memory (an interface
  // already known keeps its entry in memory).
  void Load();
  // The interface's release among those loaded; null when there is none.
  const ReleasedLease* Find(const std::string& interfaceName) const;
  const std::vector<ReleasedLease>& Leases() const { return leases_; }

  // Records the release (replacing an older one of the interface) / drops
  // the interface's release, in memory and in the state folder.
  void Remember(const ReleasedLease& lease);
  void Forget(const std::string& interfaceName);

 private:
  void Drop(const std::string& interfaceName);
  void Save() const;

  const LinuxHostOptions& options_;
  std::vector<ReleasedLease> leases_;
};

}  // namespace kelvane
