#include "net/host/linux/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "net/SocketWait.h"
#include "net/Wait.h"

extern char** environ;

namespace kelvane {
namespace {

constexpr std::size_t kMaxOutput = 1 << 20;

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

void Drain(int fd, std::string& output) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      if (output.size() < kMaxOutput)
        output.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), kMaxOutput - output.size()));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return;  // EOF, EAGAIN or an error
  }
}

}  // namespace

std::string FindProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  std::string dirs;
  if (const char* path = std::getenv("PATH")) dirs = path;
  dirs += ":/usr/sbin:/sbin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const std::size_t colon = dirs.find(':', start);
    const std::string dir = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!dir.empty()) {
      const std::string candidate = dir + "/" + name;
      if (IsExecutableFile(candidate)) return candidate;
    }
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return {};
}

bool RunProgram(const std::vector<std::string>& argv, int timeoutMs, ProgramResult& result) {
  result = ProgramResult{};
  if (argv.empty()) return false;
  const std::string program = FindProgram(argv[0]);
  if (program.empty()) return false;

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);

  // Default signal dispositions and an unblocked mask in the child.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // The caller's environment, but with the C locale: the outputs we parse
  // (nmcli's states, for one) are translated otherwise.
  std::vector<std::string> environment;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.rfind("LC_", 0) == 0 || entry.rfind("LANG=", 0) == 0 || entry.rfind("LANGUAGE=", 0) == 0) continue;
    environment.push_back(entry);
  }
  environment.push_back("LC_ALL=C");
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return false;
  }
  result.started = true;
  fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);

  // Wait for the process itself, not for the end of its output: a program
  // that leaves a daemon behind may pass our pipe on to it.
  const std::uint64_t deadline = SteadyMs() + static_cast<std::uint64_t>(timeoutMs > 0 ? timeoutMs : 0);
  int status = 0;
  bool exited = false;
  bool pipeOpen = true;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      exited = true;
      break;
    }
    if (done < 0 && errno != EINTR) break;
    if (SteadyMs() >= deadline) {
      kill(pid, SIGKILL);
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      result.timedOut = true;
      break;
    }
    if (pipeOpen) {
      // A slice at a time: a child may exit while a daemon it started keeps
      // the pipe open.
      const int ready = WaitForSocket(fds[0], POLLIN, std::min<std::uint64_t>(deadline, SteadyMs() + kWaitSliceMs));
      if (ready > 0) {
        if (ready & POLLIN) Drain(fds[0], result.output);
        else if (ready & (POLLHUP | POLLERR)) pipeOpen = false;
      }
    } else {
      // Nothing to poll for but the exit itself: a pause, spent in the event
      // loop when there is one.
      WaitRealMs(SliceMs(deadline));
    }
    YieldIfDue();
  }
  Drain(fds[0], result.output);
  close(fds[0]);
  if (exited && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return exited && !result.timedOut && result.exitCode == 0;
}

}  // namespace kelvane
