#include "netns/BedProcesses.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kelvane::testbed {

std::string FindExecutable(const std::string& name) {
  std::string dirs = std::getenv("PATH") ? std::getenv("PATH") : "";
  dirs += ":/usr/sbin:/sbin:/usr/bin:/bin";
  std::stringstream in(dirs);
  std::string dir;
  while (std::getline(in, dir, ':')) {
    if (dir.empty()) continue;
    const std::string path = dir + "/" + name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

void ExecArgv(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const std::string program = argv[0].find('/') == std::string::npos ? FindExecutable(argv[0]) : argv[0];
  if (!program.empty()) execv(program.c_str(), args.data());
  _exit(127);
}

void WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
}

void CollectChild(pid_t pid, int readFd, int timeoutMs, ExecResult& result) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  bool exited = false, open = true;
  char buffer[4096];
  for (;;) {
    if (open) {
      pollfd p{readFd, POLLIN, 0};
      if (poll(&p, 1, 20) > 0) {
        const ssize_t n = read(readFd, buffer, sizeof buffer);
        if (n > 0) result.output.append(buffer, static_cast<std::size_t>(n));
        else open = false;
      }
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!exited && waitpid(pid, &status, WNOHANG) == pid) exited = true;
    // Done when it exited and its pipe is drained (a daemon it left behind
    // may hold the pipe: stop reading a moment after the exit then).
    if (exited && !open) break;
    if (exited) {
      pollfd p{readFd, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) break;
      continue;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.timedOut = true;
      exited = true;
      break;
    }
  }
  close(readFd);
  result.exitCode = (!result.timedOut && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
}

ExecResult RunForked(const std::function<void()>& child, int timeoutMs) {
  ExecResult result;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return result;
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return result;
  }
  if (pid == 0) {
    dup2(fds[1], 1);
    dup2(fds[1], 2);
    child();
    _exit(127);
  }
  close(fds[1]);
  CollectChild(pid, fds[0], timeoutMs, result);
  return result;
}

ExecResult RunHere(const std::vector<std::string>& argv, int timeoutMs) {
  return RunForked([&] { ExecArgv(argv); }, timeoutMs);
}

void ReapWithin(pid_t pid, int ms) {
  for (int waited = 0; waited < ms; waited += 20) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid || r < 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

std::vector<pid_t> PidsInNamespace(const std::string& name) {
  std::vector<pid_t> pids;
  struct stat target {};
  if (stat(("/run/netns/" + name).c_str(), &target) != 0) return pids;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return pids;
  while (dirent* e = readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atol(e->d_name));
    if (pid <= 1 || pid == getpid()) continue;
    struct stat ns {};
    if (stat(("/proc/" + std::string(e->d_name) + "/ns/net").c_str(), &ns) != 0) continue;
    if (ns.st_ino == target.st_ino && ns.st_dev == target.st_dev) pids.push_back(pid);
  }
  closedir(proc);
  return pids;
}

void RemoveTree(const std::string& path) {
  DIR* d = opendir(path.c_str());
  if (d != nullptr) {
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      const std::string child = path + "/" + name;
      struct stat st {};
      if (lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) RemoveTree(child);
      else unlink(child.c_str());
    }
    closedir(d);
  }
  rmdir(path.c_str());
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path);
  if (!in) return false;
  std::stringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

bool FileContains(const std::string& path, const std::string& needle) {
  std::string text;
  return ReadFile(path, text) && text.find(needle) != std::string::npos;
}

std::string ReadTail(const std::string& path) {
  std::string text;
  ReadFile(path, text);
  if (text.size() > 4000) text = text.substr(text.size() - 4000);
  return text;
}

bool MakeFolders(const std::vector<std::string>& folders, std::string& error) {
  for (const std::string& f : folders) {
    if (mkdir(f.c_str(), 0755) != 0 && errno != EEXIST) {
      error = "cannot make " + f;
      return false;
    }
  }
  return true;
}

}  // namespace kelvane::testbed
