// Where the tests find the programs the build made: KELVANE_BIN_DIR, which
// CTest sets to the build's bin/ folder.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace kelvane::testing {

// The full path of program `name`, or an empty text when it is not built
// there (the test then skips and says so).
inline std::string BuiltProgram(const std::string& name) {
  const char* dir = std::getenv("KELVANE_BIN_DIR");
  const std::string path = std::string(dir ? dir : ".") + "/" + name;
  return access(path.c_str(), X_OK) == 0 ? path : std::string();
}

}  // namespace kelvane::testing
