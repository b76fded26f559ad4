// How often the calling thread has gone to sleep and been woken so far: its
// voluntary context switches, one per sleep of an event loop run on it.
#pragma once

#include <cstdio>

namespace kelvane::test {

inline long ThreadWakeups() {
  std::FILE* f = std::fopen("/proc/thread-self/status", "r");
  if (f == nullptr) return -1;
  char line[256];
  long value = -1;
  while (std::fgets(line, sizeof line, f) != nullptr)
    if (std::sscanf(line, "voluntary_ctxt_switches: %ld", &value) == 1) break;
  std::fclose(f);
  return value;
}

}  // namespace kelvane::test
