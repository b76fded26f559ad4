#include "tests/fuzz/FuzzSupport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/fuzz/FuzzGuard.h"

namespace kelvane::fuzz {
namespace {

[[noreturn]] void Fatal(const char* what) {
  std::fprintf(stderr, "fuzz peer: %s: %s\n", what, std::strerror(errno));
  std::abort();
}

sockaddr_in Loopback(int host, std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl((127u << 24) | static_cast<unsigned>(host));
  return address;
}

std::uint16_t BoundPort(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) Fatal("getsockname");
  return ntohs(address.sin_port);
}

int BindSocket(int type, int host, std::uint16_t port) {
  const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
  if (fd < 0) Fatal("socket");
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  const sockaddr_in address = Loopback(host, port);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void MakePipe(int fds[2]) {
  if (::pipe2(fds, O_CLOEXEC) != 0) Fatal("pipe");
}

void StopThread(int stop[2], std::thread& thread) {
  const char byte = 0;
  if (::write(stop[1], &byte, 1) != 1) Fatal("write");
  if (thread.joinable()) thread.join();
  ::close(stop[0]);
  ::close(stop[1]);
}

}  // namespace

void InvariantFailed(const char* file, int line, const char* condition, const std::string& detail) {
  std::fprintf(stderr, "\n==== broken invariant at %s:%d: %s\n     %s\n", file, line, condition, detail.c_str());
  std::fflush(stderr);
  std::abort();
}

std::string Printable(std::string_view bytes, std::size_t max) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && out.size() < max; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c == '\\') {
      out += "\\\\";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  if (out.size() >= max) out += "...";
  return "\"" + out + "\" (" + std::to_string(bytes.size()) + " bytes)";
}

std::string WithPort(std::string_view text, std::uint16_t port) {
  static constexpr std::string_view kToken = "@PORT@";
  const std::string portText = std::to_string(port);
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = text.find(kToken, from);
    if (at == std::string_view::npos) break;
    out.append(text.substr(from, at - from)).append(portText);
    from = at + kToken.size();
  }
  out.append(text.substr(from));
  return out;
}

std::vector<std::string> SplitParts(std::string_view input, std::size_t maxParts) {
  static constexpr std::string_view kSeparator = "\n=====\n";
  std::vector<std::string> parts;
  while (parts.size() + 1 < maxParts) {
    const std::size_t at = input.find(kSeparator);
    if (at == std::string_view::npos) break;
    parts.emplace_back(input.substr(0, at));
    input.remove_prefix(at + kSeparator.size());
  }
  parts.emplace_back(input);
  return parts;
}

std::uint16_t FreeUdpPort() {
  const int fd = BindSocket(SOCK_DGRAM, 1, 0);
  if (fd < 0) Fatal("bind");
  const std::uint16_t port = BoundPort(fd);
  ::close(fd);
  GuardAllowPort(port);
  return port;
}

// ---- HTTP peer --------------------------------------------------------------

LoopbackHttpPeer::LoopbackHttpPeer() {
  // The same port on two loopback hosts, so that a redirect can name another
  // host that still answers. A port taken on 127.0.0.2 is tried again.
  for (int attempt = 0; attempt < 50 && listen_[1] < 0; ++attempt) {
    if (listen_[0] >= 0) ::close(listen_[0]);
    listen_[0] = BindSocket(SOCK_STREAM, 1, 0);
    if (listen_[0] < 0) Fatal("bind");
    port_ = BoundPort(listen_[0]);
    listen_[1] = BindSocket(SOCK_STREAM, 2, port_);
  }
  if (listen_[1] < 0) Fatal("bind 127.0.0.2");
  for (const int fd : listen_)
    if (::listen(fd, 16) != 0) Fatal("listen");
  GuardAllowPort(port_);
  MakePipe(stop_);
  thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpPeer::~LoopbackHttpPeer() {
  StopThread(stop_, thread_);
  for (const int fd : listen_) ::close(fd);
}

void LoopbackHttpPeer::SetAnswers(std::vector<std::string> answers) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_ = std::move(answers);
  next_ = 0;
  requests_.clear();
}

std::vector<LoopbackHttpPeer::Request> LoopbackHttpPeer::Requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void LoopbackHttpPeer::Serve() {
  for (;;) {
    pollfd fds[3] = {{stop_[0], POLLIN, 0}, {listen_[0], POLLIN, 0}, {listen_[1], POLLIN, 0}};
    if (::poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      Fatal("poll");
    }
    if (fds[0].revents != 0) return;
    for (int i = 0; i < 2; ++i) {
      if ((fds[i + 1].revents & POLLIN) == 0) continue;
      const int fd = ::accept4(listen_[i], nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      Answer(fd, i == 0 ? "127.0.0.1" : "127.0.0.2");
      ::close(fd);
    }
  }
}

void LoopbackHttpPeer::Answer(int fd, const std::string& local) {
  // The request: up to its blank line, 16 KiB at most; the client sends it at
  // once, the generous wait only covers a loaded machine.
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 15000) <= 0) break;
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.append(buffer, static_cast<std::size_t>(n));
  }
  std::string answer;
  bool haveAnswer = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back({local, request});
    if (!answers_.empty()) {
      answer = answers_[std::min(next_, answers_.size() - 1)];
      ++next_;
      haveAnswer = true;
    }
  }
  if (!haveAnswer) return;
  const timeval timeout{2, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  std::size_t sent = 0;
  while (sent < answer.size()) {
    const ssize_t n = ::send(fd, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;  // the client has all it wants, or went away
    sent += static_cast<std::size_t>(n);
  }
  ::shutdown(fd, SHUT_WR);
}

// ---- datagram responder ---------------------------------------------------------

LoopbackUdpResponder::LoopbackUdpResponder() {
  socket_ = BindSocket(SOCK_DGRAM, 1, 0);
  if (socket_ < 0) Fatal("bind");
  port_ = BoundPort(socket_);
  GuardAllowPort(port_);
  for (int host = 1; host <= 4; ++host) {
    senders_[host - 1] = BindSocket(SOCK_DGRAM, host, 0);
    if (senders_[host - 1] < 0) Fatal("bind sender");
  }
  MakePipe(stop_);
  thread_ = std::thread([this] { Serve(); });
}

LoopbackUdpResponder::~LoopbackUdpResponder() {
  StopThread(stop_, thread_);
  ::close(socket_);
  for (const int fd : senders_) ::close(fd);
}

void LoopbackUdpResponder::SetReplies(std::vector<std::string> replies, int replyHost, std::uint16_t replyPort) {
  std::lock_guard<std::mutex> lock(mutex_);
  replies_ = std::move(replies);
  replyHost_ = replyHost < 1 || replyHost > 4 ? 1 : replyHost;
  replyPort_ = replyPort;
  received_.clear();
}

std::vector<std::string> LoopbackUdpResponder::Received() {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

void LoopbackUdpResponder::WaitIdle() {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait_for(lock, std::chrono::seconds(5), [this] { return !sending_; });
}

void LoopbackUdpResponder::Serve() {
  char buffer[65536];
  for (;;) {
    pollfd fds[2] = {{stop_[0], POLLIN, 0}, {socket_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      Fatal("poll");
    }
    if (fds[0].revents != 0) return;
    const ssize_t n = ::recv(socket_, buffer, sizeof buffer, 0);
    if (n < 0) continue;
    std::vector<std::string> replies;
    int host = 1;
    std::uint16_t port = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      received_.emplace_back(buffer, static_cast<std::size_t>(n));
      replies = replies_;
      host = replyHost_;
      port = replyPort_;
      sending_ = true;
    }
    const sockaddr_in to = Loopback(1, port);
    for (const std::string& reply : replies)
      ::sendto(senders_[host - 1], reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      sending_ = false;
    }
    idle_.notify_all();
  }
}

}  // namespace kelvane::fuzz
