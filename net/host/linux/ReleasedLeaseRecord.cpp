#include "net/host/linux/ReleasedLeaseRecord.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "net/host/linux/HostConfigFiles.h"
#include "net/host/linux/KernelAdapters.h"

namespace kelvane {

std::string FormatReleasedLeases(const std::vector<ReleasedLease>& leases) {
  std::string text;
  for (const ReleasedLease& l : leases) {
    const std::string fields[] = {l.interfaceName, l.owner, l.profile, l.program, l.pidFile, l.leaseFile};
    bool clean = true;
    for (const std::string& f : fields) clean = clean && f.find_first_of("\t\n\r", 0, 3) == std::string::npos;
    if (!clean || l.interfaceName.empty() || l.owner.empty()) continue;
    for (std::size_t i = 0; i < 6; ++i) text += (i > 0 ? "\t" : "") + fields[i];
    text += "\n";
  }
  return text;
}

std::vector<ReleasedLease> ParseReleasedLeases(const std::string& text) {
  std::vector<ReleasedLease> leases;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    std::vector<std::string> f;
    std::size_t from = 0;
    for (;;) {
      const std::size_t tab = line.find('\t', from);
      f.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
      if (tab == std::string::npos) break;
      from = tab + 1;
    }
    if (f.size() != 6 || !IsSafeInterfaceName(f[0]) || f[1].empty()) continue;
    leases.push_back(ReleasedLease{f[0], f[1], f[2], f[3], f[4], f[5]});
  }
  return leases;
}

void ReleasedLeaseRecord::Load() {
  std::string text;
  if (options_.dhcpStateDir.empty() || !ReadTextFile(options_.dhcpStateDir + "/released", text, 64 * 1024)) return;
  for (const ReleasedLease& lease : ParseReleasedLeases(text))
    if (Find(lease.interfaceName) == nullptr) leases_.push_back(lease);
}

const ReleasedLease* ReleasedLeaseRecord::Find(const std::string& interfaceName) const {
  const auto found = std::find_if(leases_.begin(), leases_.end(),
                                  [&](const ReleasedLease& l) { return l.interfaceName == interfaceName; });
  return found == leases_.end() ? nullptr : &*found;
}

void ReleasedLeaseRecord::Remember(const ReleasedLease& lease) {
  Load();
  Drop(lease.interfaceName);
  leases_.push_back(lease);
  Save();
}

void ReleasedLeaseRecord::Forget(const std::string& interfaceName) {
  Load();
  Drop(interfaceName);
  Save();
}

void ReleasedLeaseRecord::Drop(const std::string& interfaceName) {
  leases_.erase(std::remove_if(leases_.begin(), leases_.end(),
                               [&](const ReleasedLease& l) { return l.interfaceName == interfaceName; }),
                leases_.end());
}

void ReleasedLeaseRecord::Save() const {
  // Best effort: without a writable state folder the release is remembered
  // by this process only.
  if (!EnsureDhcpStateDir(options_)) return;
  const std::string path = options_.dhcpStateDir + "/released";
  if (leases_.empty()) {
    unlink(path.c_str());
    return;
  }
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << FormatReleasedLeases(leases_);
    if (!out) return;
  }
  rename(temporary.c_str(), path.c_str());
}

}  // namespace kelvane
