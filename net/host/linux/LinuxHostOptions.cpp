#include "net/host/linux/LinuxHostOptions.h"

#include <sys/stat.h>

#include <cerrno>

namespace kelvane {

bool EnsureDhcpStateDir(const LinuxHostOptions& options) {
  if (options.dhcpStateDir.empty()) return false;
  return mkdir(options.dhcpStateDir.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace kelvane
