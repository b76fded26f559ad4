// Running programs and handling files for the namespace test bed: fork and
// exec with the output collected and a time-out, reaping, the processes of
// a network namespace, and small whole-file reads and writes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace kelvane::testbed {

struct ExecResult {
  int exitCode = -1;  // -1: did not exit normally (killed, time-out, not started)
  bool timedOut = false;
  std::string output;  // stdout and stderr
};

// `name` in PATH, then in the system folders; empty when it is not installed.
std::string FindExecutable(const std::string& name);

// In a child: replaces the process with argv (looked up with
// FindExecutable unless it has a slash); ends the child with 127 otherwise.
[[noreturn]] void ExecArgv(const std::vector<std::string>& argv);

void WriteAll(int fd, const std::string& text);

// Reads the child's output until it exits (or the time-out kills it).
void CollectChild(pid_t pid, int readFd, int timeoutMs, ExecResult& result);

// Forks a child whose output goes to the result; `child` runs in it and
// must not return (it execs or ends the child).
ExecResult RunForked(const std::function<void()>& child, int timeoutMs);

// Runs argv in this process's own namespaces and waits for it.
ExecResult RunHere(const std::vector<std::string>& argv, int timeoutMs);

// Waits up to `ms` for the child to end, then kills it.
void ReapWithin(pid_t pid, int ms);

// Processes whose network namespace is the named one (dhclient daemons etc.).
std::vector<pid_t> PidsInNamespace(const std::string& name);

void RemoveTree(const std::string& path);
bool WriteFile(const std::string& path, const std::string& text);
bool ReadFile(const std::string& path, std::string& text);
bool FileContains(const std::string& path, const std::string& needle);
// The end of a log file, for an error message.
std::string ReadTail(const std::string& path);
bool MakeFolders(const std::vector<std::string>& folders, std::string& error);

template <typename Predicate>
bool WaitFor(Predicate ready, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (ready()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return ready();
}

}  // namespace kelvane::testbed
