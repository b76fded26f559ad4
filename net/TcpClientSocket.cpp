#include "net/TcpClientSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "net/SocketWait.h"
#include "net/Wait.h"

namespace kelvane {
namespace {

constexpr int kDefaultConnectMs = 10000;
// A request is a few hundred bytes; if the peer's window stays shut this long
// it is not going to read it.
constexpr int kSendTimeoutMs = 10000;

}  // namespace

TcpClientSocket::TcpClientSocket() { SetAddress(address_); }

TcpClientSocket::~TcpClientSocket() { Close(); }

std::uint32_t TcpClientSocket::SetAddress(const std::string& dotted) {
  address_ = dotted.substr(0, std::min<std::size_t>(dotted.size(), 16));
  addressValid_ = ParseDottedAddress(dotted, remoteAddress_);
  return remoteAddress_;
}

void TcpClientSocket::SetRemotePort(std::uint16_t port) { remotePort_ = port; }

bool TcpClientSocket::Connect(int timeoutMs) {
  Close();
  connectError_ = 0;
  socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (socket_ == -1) {
    connectError_ = errno;
    return false;
  }
  if (!addressValid_) {
    connectError_ = EINVAL;
    return false;
  }

  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_port = htons(remotePort_);
  remote.sin_addr.s_addr = remoteAddress_;
  if (::connect(socket_, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0) return true;
  if (errno != EINPROGRESS && errno != EINTR) {
    connectError_ = errno;
    return false;
  }

  // The connect runs in the background; wait for it in slices, bounded by the
  // request's own time-out rather than the system's minutes-long one.
  const std::uint64_t deadline = DeadlineAfterMs(timeoutMs > 0 ? timeoutMs : kDefaultConnectMs);
  const int ready = WaitForSocket(socket_, POLLOUT, deadline);
  if (ready <= 0) {
    connectError_ = ETIMEDOUT;
    return false;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
    connectError_ = errno;
    return false;
  }
  connectError_ = error;
  return error == 0;
}

bool TcpClientSocket::Send(std::string_view data) {
  if (socket_ == -1 || data.empty()) return false;
  const std::uint64_t deadline = DeadlineAfterMs(kSendTimeoutMs);
  std::size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::send(socket_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      const int ready = WaitForSocket(socket_, POLLOUT, deadline);
      if (ready <= 0 || (ready & (POLLERR | POLLHUP)) != 0) return false;
      continue;
    }
    return false;
  }
  return true;
}

bool TcpClientSocket::Receive(long seconds, long microseconds, std::string& destination,
                              bool stopAfterFirstChunk, const CompletionTest& complete) {
  receivedTotal_ = 0;
  if (socket_ == -1) return false;
  // One allocation for the whole exchange; the caller's text is only replaced
  // once something arrived.
  std::string buffer;
  buffer.reserve(kReceiveBufferSize);

  const long long perWaitMs =
      std::max(0LL, static_cast<long long>(seconds) * 1000 + static_cast<long long>(microseconds) / 1000);
  const std::uint64_t wholeDeadline = DeadlineAfterMs(perWaitMs * kWholeReceiveFactor);
  bool got = false;
  for (;;) {
    if (buffer.size() >= kReceiveBufferSize) break;  // cut at the cap
    // Each wait gets the full time-out, but never reaches past the bound of
    // the whole receive: a trickling peer is cut off there.
    const std::uint64_t deadline = std::min(DeadlineAfterMs(perWaitMs), wholeDeadline);
    const int ready = WaitForSocket(socket_, POLLIN, deadline);
    if (ready <= 0) break;  // fell silent, or the whole bound is used up

    const std::size_t held = buffer.size();
    const std::size_t room = kReceiveBufferSize - held;
    buffer.resize(kReceiveBufferSize);
    const ssize_t n = ::recv(socket_, buffer.data() + held, room, 0);
    buffer.resize(held + (n > 0 ? static_cast<std::size_t>(n) : 0));
    if (n == 0) break;  // peer closed
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
        if (SteadyMs() >= wholeDeadline) break;
        continue;
      }
      break;  // reset or other error: keep what arrived
    }
    receivedTotal_ = static_cast<int>(buffer.size());
    got = true;
    if (stopAfterFirstChunk) break;
    if (complete && complete(buffer)) break;
    if (SteadyMs() >= wholeDeadline) break;
    YieldIfDue();
  }
  if (got) destination = std::move(buffer);
  return got;
}

int TcpClientSocket::Close() {
  if (socket_ == -1) return -1;
  const int result = ::close(socket_);
  socket_ = -1;
  return result;
}

}  // namespace kelvane
