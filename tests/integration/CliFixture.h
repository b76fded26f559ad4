// kelvane-cli run as a program against the in-process emulator: the runner and
// the fixture the CLI tests share.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BuiltProgram.h"
#include "router_test_fixture.h"

namespace kelvane {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string CliPath() { return testing::BuiltProgram("kelvane-cli"); }

// Runs kelvane-cli with `args` and `input` on its standard input (a file, so
// never a terminal); kills it after 30 seconds.
inline CliResult RunCli(const std::vector<std::string>& args, const std::string& input = "") {
  CliResult result;
  char outPath[] = "/tmp/kelvane-cli-out-XXXXXX";
  char errPath[] = "/tmp/kelvane-cli-err-XXXXXX";
  char inPath[] = "/tmp/kelvane-cli-in-XXXXXX";
  const int outFd = mkstemp(outPath);
  const int errFd = mkstemp(errPath);
  const int inFd = mkstemp(inPath);
  if (write(inFd, input.data(), input.size()) != static_cast<ssize_t>(input.size())) return result;
  lseek(inFd, 0, SEEK_SET);
  const std::string path = CliPath();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(inFd, 0);
    dup2(outFd, 1);
    dup2(errFd, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  close(inFd);
  close(outFd);
  close(errFd);
  unlink(inPath);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  unlink(outPath);
  unlink(errPath);
  return result;
}

class CliTest : public testing::RouterSimTest {
 protected:
  void SetUp() override {
    if (CliPath().empty()) GTEST_SKIP() << "kelvane-cli is not built (KELVANE_BIN_DIR)";
    RouterSimTest::SetUp();
  }
  // Runs a command against the emulator (--router first).
  CliResult Run(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {"--router", sim_->Address()});
    return RunCli(args, input);
  }
  // The request lines after the login probe ("GET /") that every router
  // command sends first.
  std::vector<std::string> CommandLines() const {
    auto lines = Lines();
    if (!lines.empty() && lines.front() == Get("/")) lines.erase(lines.begin());
    return lines;
  }
};

}  // namespace kelvane
