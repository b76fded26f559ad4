// Small scripted HTTP peers on 127.0.0.1 for the client tests: each server is
// a thread with a listening socket on an ephemeral port that answers every
// connection with one behaviour.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kelvane::testing {

class FakeServer;
using Behaviour = std::function<void(FakeServer& server, int fd)>;

class FakeServer {
 public:
  // Listens on `listenAddress` (network order; any 127.x.y.z works on Linux).
  explicit FakeServer(Behaviour behaviour, std::uint32_t listenAddress = htonl(INADDR_LOOPBACK))
      : behaviour_(std::move(behaviour)), listenAddress_(listenAddress) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = listenAddress;
    address.sin_port = 0;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0)
      ADD_FAILURE() << "cannot listen on " << Host();
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Run(); });
  }

  ~FakeServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
  }

  std::uint16_t Port() const { return port_; }
  std::string Host() const {
    char text[INET_ADDRSTRLEN] = {};
    in_addr a{};
    a.s_addr = listenAddress_;
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
  }
  std::string Url(const std::string& path) const { return "http://" + Host() + ":" + std::to_string(port_) + path; }
  bool Stopping() const { return stopping_; }

  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }
  int Connections() {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(requests_.size());
  }

  // Behaviour helpers.
  static bool SendAll(int fd, std::string_view data) {
    while (!data.empty()) {
      const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }
  // Holds the connection until the client closes it or the test ends.
  void HoldOpen(int fd) {
    while (!stopping_) {
      pollfd entry{fd, POLLIN, 0};
      if (::poll(&entry, 1, 20) > 0) {
        char scratch[256];
        if (::recv(fd, scratch, sizeof scratch, 0) <= 0) return;
      }
    }
  }
  void Pause(int ms) {
    for (int waited = 0; waited < ms && !stopping_; waited += 10)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

 private:
  void Run() {
    while (!stopping_) {
      pollfd entry{listener_, POLLIN, 0};
      if (::poll(&entry, 1, 20) <= 0) continue;
      const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      const std::string request = ReadRequest(fd);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
      }
      behaviour_(*this, fd);
      ::close(fd);
    }
  }

  std::string ReadRequest(int fd) {
    std::string request;
    for (int slices = 0; slices < 100 && request.find("\r\n\r\n") == std::string::npos && !stopping_; ++slices) {
      pollfd entry{fd, POLLIN, 0};
      if (::poll(&entry, 1, 20) <= 0) continue;
      char chunk[4096];
      const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) break;
      request.append(chunk, static_cast<std::size_t>(n));
    }
    return request;
  }

  Behaviour behaviour_;
  std::uint32_t listenAddress_;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

inline Behaviour Answer(std::string response) {
  return [response](FakeServer&, int fd) { FakeServer::SendAll(fd, response); };
}

inline Behaviour AnswerAndStayOpen(std::string response) {
  return [response](FakeServer& server, int fd) {
    FakeServer::SendAll(fd, response);
    server.HoldOpen(fd);
  };
}

inline Behaviour Silent() {
  return [](FakeServer& server, int fd) { server.HoldOpen(fd); };
}

// Sends one byte every 300 ms for as long as the client listens.
inline Behaviour Drip(std::string response) {
  return [response](FakeServer& server, int fd) {
    for (std::size_t i = 0; !server.Stopping(); ++i) {
      if (!FakeServer::SendAll(fd, std::string_view(&response[i % response.size()], 1))) return;
      server.Pause(300);
    }
  };
}

// Sends a part of the answer, then resets the connection.
inline Behaviour ResetAfter(std::string part) {
  return [part](FakeServer& server, int fd) {
    FakeServer::SendAll(fd, part);
    server.Pause(50);
    linger hard{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  };
}

inline std::uint16_t UnusedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);  // nobody listens there now: connecting is refused
  return ntohs(address.sin_port);
}

}  // namespace kelvane::testing
