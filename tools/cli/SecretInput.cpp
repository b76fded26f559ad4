#include "tools/cli/SecretInput.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kelvane::cli {
namespace {

constexpr std::size_t kMaxSecret = 1024;

// One line from `fd`, byte by byte so nothing after it is taken.
bool ReadLineFrom(int fd, std::string& line, std::string& why) {
  line.clear();
  for (;;) {
    char ch = 0;
    const ssize_t n = read(fd, &ch, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = std::strerror(errno);
      return false;
    }
    if (n == 0 || ch == '\n') break;
    if (line.size() >= kMaxSecret) {
      why = "the line is longer than " + std::to_string(kMaxSecret) + " bytes";
      return false;
    }
    line.push_back(ch);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace

bool StdinIsTerminal() { return isatty(0) == 1; }

bool AskTerminal(const std::string& prompt, bool secret, std::string& answer) {
  const int tty = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
  if (tty < 0) return false;
  termios saved{};
  const bool hasModes = tcgetattr(tty, &saved) == 0;
  if (secret && hasModes) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    tcsetattr(tty, TCSAFLUSH, &quiet);
  }
  const bool wrote = write(tty, prompt.data(), prompt.size()) == static_cast<ssize_t>(prompt.size());
  std::string why;
  const bool read = wrote && ReadLineFrom(tty, answer, why);
  if (secret && hasModes) tcsetattr(tty, TCSAFLUSH, &saved);
  close(tty);
  return read;
}

bool ReadSecretLine(const std::string& path, std::string& secret, std::string& why) {
  if (path.empty()) return ReadLineFrom(0, secret, why);
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    why = path + ": " + std::strerror(errno);
    return false;
  }
  const bool ok = ReadLineFrom(fd, secret, why);
  close(fd);
  if (!ok) why = path + ": " + why;
  return ok;
}

int ReadChosenSecret(CliContext& c, const std::string& name, SecretChoice& choice) {
  if (choice.sources > 1) return c.Usage(name + ", " + name + "-stdin and " + name + "-file exclude each other");
  if (!choice.fromStdin && choice.file.empty()) return kExitOk;
  std::string why;
  if (!ReadSecretLine(choice.file, choice.value, why)) {
    return c.Usage("cannot read " + (choice.fromStdin ? name + "-stdin" : name + "-file") + ": " + why);
  }
  choice.present = true;
  return kExitOk;
}

int TakeSecret(CliContext& c, CommandArgs& args, const std::string& name, const char* prompt, SecretChoice& choice) {
  choice = SecretChoice{};
  if (args.Option(name, choice.value)) {
    choice.present = true;
    ++choice.sources;
  }
  if (args.Flag(name + "-stdin")) {
    choice.fromStdin = true;
    ++choice.sources;
  }
  if (args.Option(name + "-file", choice.file)) ++choice.sources;
  if (const int status = ReadChosenSecret(c, name, choice); status != kExitOk) return status;
  if (choice.sources == 0 && prompt != nullptr && StdinIsTerminal()) {
    std::string answer;
    if (AskTerminal(prompt, true, answer) && !answer.empty()) {
      choice.value = answer;
      choice.present = true;
    }
  }
  return kExitOk;
}

}  // namespace kelvane::cli
