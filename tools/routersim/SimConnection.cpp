#include "tools/routersim/SimConnection.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "tools/routersim/SimIo.h"

namespace kelvane::routersim {
namespace {

constexpr std::size_t kMaxRequestHead = 16384;
constexpr int kHeadTimeoutMs = 5000;

}  // namespace

SimConnection::~SimConnection() { close(fd_); }

std::string SimConnection::ReadHead() {
  std::string head;
  const std::uint64_t deadline = SimNowMs() + kHeadTimeoutMs;
  char buf[2048];
  while (!stopping_ && head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestHead) {
    if (SimNowMs() >= deadline) break;
    pollfd p{fd_, POLLIN, 0};
    const int r = poll(&p, 1, kSimSliceMs);
    if (r < 0 && errno != EINTR) break;
    if (r <= 0) continue;
    const ssize_t n = recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) break;
    head.append(buf, static_cast<std::size_t>(n));
  }
  const std::size_t end = head.find("\r\n\r\n");
  if (end != std::string::npos) head.resize(end);
  return head;
}

bool SimConnection::SendAll(const std::string& data, int pieceBytes, int pauseMs) {
  const std::size_t piece = pieceBytes > 0 ? static_cast<std::size_t>(pieceBytes) : data.size();
  std::size_t sent = 0;
  while (sent < data.size() && !stopping_) {
    const std::size_t n = std::min(piece, data.size() - sent);
    const ssize_t r = send(fd_, data.data() + sent, n, MSG_NOSIGNAL);
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    sent += static_cast<std::size_t>(r);
    if (pieceBytes > 0 && sent < data.size()) SleepUnlessStopped(stopping_, pauseMs);
  }
  return sent == data.size();
}

bool SimConnection::WaitPeerClose() {
  char scratch[512];
  while (!stopping_) {
    pollfd p{fd_, POLLIN, 0};
    const int r = poll(&p, 1, kSimSliceMs);
    if (r < 0 && errno != EINTR) return true;
    if (r > 0) {
      const ssize_t n = recv(fd_, scratch, sizeof scratch, 0);
      if (n <= 0) return true;
    }
  }
  return false;
}

void SimConnection::ShutdownWrite() { shutdown(fd_, SHUT_WR); }

void SimConnection::Reset() {
  linger lg{1, 0};
  setsockopt(fd_, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);  // the close in the destructor resets
}

void SimConnection::ResetClose(int fd) {
  linger lg{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
  close(fd);
}

}  // namespace kelvane::routersim
