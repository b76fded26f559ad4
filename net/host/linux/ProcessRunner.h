// Runs an external program with an argument vector (never through a shell),
// with a time-out, capturing what it writes to stdout and stderr. The wait is
// cut into slices that call the wait hook, so the window stays alive.
#pragma once

#include <string>
#include <vector>

namespace kelvane {

struct ProgramResult {
  bool started = false;   // false: the program is not installed or could not be started
  bool timedOut = false;  // killed after the time-out
  int exitCode = -1;      // exit status, or -1 when it did not exit normally
  std::string output;     // stdout followed by stderr as they arrived, at most 1 MiB
};

// Looks `name` up in PATH and then in /usr/sbin and /sbin (where the DHCP
// clients live, often outside an ordinary user's PATH). A name with a slash is
// taken as it is. Answers the empty text when nothing executable was found.
std::string FindProgram(const std::string& name);

// Runs argv[0] (looked up with FindProgram) with the arguments; stdin is
// /dev/null. Answers true when it started and exited with status 0 in time.
bool RunProgram(const std::vector<std::string>& argv, int timeoutMs, ProgramResult& result);

}  // namespace kelvane
