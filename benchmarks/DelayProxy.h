// A TCP proxy on 127.0.0.1 in front of the emulator that holds each answer
// for an exact, chosen time: the first byte of an answer leaves no earlier
// than `delay` after the last byte of the request reached the proxy (to the
// microsecond, not in the emulator's 20 ms steps). A connection the emulator
// refuses (while it restarts) is reset at once, as the router's would be.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kelvane::bench {

class DelayProxy {
 public:
  using Clock = std::chrono::steady_clock;

  explicit DelayProxy(std::uint16_t upstreamPort) : upstreamPort_(upstreamPort) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = Loopback(0);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 64) != 0)
      return;
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { Accept(); });
  }
  ~DelayProxy() {
    stopping_ = true;
    if (acceptor_.joinable()) acceptor_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::thread& t : connections_) t.join();
    ::close(listener_);
  }
  DelayProxy(const DelayProxy&) = delete;
  DelayProxy& operator=(const DelayProxy&) = delete;

  bool ok() const { return port_ != 0; }
  std::uint16_t Port() const { return port_; }
  void SetAnswerDelayMs(int ms) { delayUs_ = static_cast<long long>(std::max(ms, 0)) * 1000; }
  int Exchanges() const { return exchanges_; }

 private:
  static sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
  }
  static bool SendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
      const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  static void Reset(int fd) {
    const linger hard{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(fd);
  }

  void Accept() {
    while (!stopping_) {
      pollfd entry{listener_, POLLIN, 0};
      if (::poll(&entry, 1, 20) <= 0) continue;
      const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      std::lock_guard<std::mutex> lock(mutex_);
      connections_.emplace_back([this, client] { Serve(client); });
    }
  }

  // One connection: the request goes on at once; the answer waits in a buffer
  // until its time has come, then flows freely.
  void Serve(int client) {
    const int upstream = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to = Loopback(upstreamPort_);
    if (::connect(upstream, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
      ::close(upstream);
      Reset(client);
      return;
    }
    std::string held;
    Clock::time_point release = Clock::now();
    bool upstreamOpen = true;
    bool answering = false;
    char buffer[16384];
    while (!stopping_) {
      const auto now = Clock::now();
      if (!held.empty() && now >= release) {
        if (!SendAll(client, held.data(), held.size())) break;
        held.clear();
        answering = true;
      }
      if (!upstreamOpen && held.empty()) break;
      // A closed upstream would report POLLHUP on every call: leave it out.
      pollfd entries[2] = {{client, POLLIN, 0}, {upstreamOpen ? upstream : -1, POLLIN, 0}};
      // Wake exactly when the held answer is due, else now and then to notice the end.
      timespec timeout{0, 20'000'000};
      if (!held.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(release - now).count();
        timeout = {static_cast<time_t>(left / 1'000'000'000), static_cast<long>(left % 1'000'000'000)};
      }
      if (::ppoll(entries, 2, &timeout, nullptr) < 0) break;
      if (entries[0].revents & (POLLIN | POLLHUP | POLLERR)) {
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;  // the client gave up
        if (!SendAll(upstream, buffer, static_cast<std::size_t>(n))) break;
        // More request: the next answer is held from here.
        release = Clock::now() + std::chrono::microseconds(delayUs_.load());
        answering = false;
      }
      if (upstreamOpen && (entries[1].revents & (POLLIN | POLLHUP | POLLERR))) {
        const ssize_t n = ::recv(upstream, buffer, sizeof buffer, 0);
        if (n <= 0) {
          upstreamOpen = false;
        } else if (answering && held.empty()) {
          if (!SendAll(client, buffer, static_cast<std::size_t>(n))) break;
        } else {
          if (held.empty() && !answering) ++exchanges_;
          held.append(buffer, static_cast<std::size_t>(n));
        }
      }
    }
    ::close(upstream);
    ::close(client);
  }

  std::uint16_t upstreamPort_;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<long long> delayUs_{0};
  std::atomic<int> exchanges_{0};
  std::thread acceptor_;
  std::mutex mutex_;
  std::vector<std::thread> connections_;
};

}  // namespace kelvane::bench
