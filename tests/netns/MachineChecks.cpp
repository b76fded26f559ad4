#include "netns/MachineChecks.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "netns/BedProcesses.h"

namespace kelvane::testbed {

MachineFingerprint TakeMachineFingerprint() {
  MachineFingerprint f;
  ReadFile("/etc/resolv.conf", f.resolvConf);
  char name[256] = {};
  gethostname(name, sizeof name - 1);
  f.hostName = name;
  if (DIR* d = opendir("/etc/NetworkManager/system-connections")) {
    std::vector<std::string> names;
    while (dirent* e = readdir(d)) names.push_back(e->d_name);
    closedir(d);
    std::sort(names.begin(), names.end());
    for (const std::string& n : names) f.nmProfiles += n + "\n";
  }
  return f;
}

std::string FingerprintChanges(const MachineFingerprint& before, const MachineFingerprint& now) {
  std::string changes;
  if (now.resolvConf != before.resolvConf)
    changes += "/etc/resolv.conf changed: \"" + before.resolvConf + "\" -> \"" + now.resolvConf + "\"\n";
  if (now.hostName != before.hostName) changes += "host name changed: " + before.hostName + " -> " + now.hostName + "\n";
  if (now.nmProfiles != before.nmProfiles)
    changes += "/etc/NetworkManager/system-connections changed: " + now.nmProfiles + "\n";
  return changes;
}

std::vector<pid_t> NetworkManagerPids() {
  std::vector<pid_t> pids;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return pids;
  while (dirent* e = readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atol(e->d_name));
    if (pid <= 1) continue;
    std::string comm;
    if (ReadFile("/proc/" + std::string(e->d_name) + "/comm", comm) && comm == "NetworkManager\n")
      pids.push_back(pid);
  }
  closedir(proc);
  return pids;
}

std::vector<pid_t> NetworkManagersOutsideBeds() {
  std::vector<pid_t> outside;
  struct stat own {};
  if (stat("/proc/self/ns/net", &own) != 0) return outside;
  for (pid_t pid : NetworkManagerPids()) {
    struct stat ns {};
    if (stat(("/proc/" + std::to_string(pid) + "/ns/net").c_str(), &ns) == 0 && ns.st_ino == own.st_ino &&
        ns.st_dev == own.st_dev)
      outside.push_back(pid);
  }
  return outside;
}

std::string StillRunning(const std::vector<pid_t>& pids) {
  std::string running;
  for (pid_t pid : pids) {
    if (kill(pid, 0) != 0) continue;
    // A process that has ended but is not reaped yet (its parent is not
    // ours) runs no more.
    std::string stat;
    ReadFile("/proc/" + std::to_string(pid) + "/stat", stat);
    const std::size_t close = stat.rfind(')');
    if (close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z') continue;
    std::string comm;
    ReadFile("/proc/" + std::to_string(pid) + "/comm", comm);
    while (!comm.empty() && comm.back() == '\n') comm.pop_back();
    running += std::to_string(pid) + " (" + comm + ")\n";
  }
  return running;
}

}  // namespace kelvane::testbed
