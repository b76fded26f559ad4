#include "app/RuntimeFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kelvane {

bool PrepareOwnFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return false;
  if (!S_ISDIR(info.st_mode) || info.st_uid != geteuid()) return false;
  if ((info.st_mode & 077) != 0 && chmod(path.c_str(), 0700) != 0) return false;
  return true;
}

bool FindRuntimeFolder(std::string& folder) {
  folder.clear();
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    struct stat info {};
    if (stat(runtime, &info) == 0 && S_ISDIR(info.st_mode) && access(runtime, W_OK | X_OK) == 0) {
      folder = runtime;
      return true;
    }
  }
  const std::string fallback = "/tmp/kelvane-" + std::to_string(geteuid());
  if (!PrepareOwnFolder(fallback)) return false;
  folder = fallback;
  return true;
}

}  // namespace kelvane
