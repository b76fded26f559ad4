#include "tools/routersim/SimWebServer.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/routersim/SimIo.h"

namespace kelvane::routersim {

bool SimWebServer::Open(const std::string& address, std::uint16_t port, std::string* error) {
  port_ = port;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  if (!ParseIpv4(address, addr.sin_addr)) {
    if (error) *error = "bad bind address " + address;
    return false;
  }
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error) *error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  addr.sin_port = htons(port);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0) {
    if (error) *error = "cannot bind HTTP port " + std::to_string(port) + ": " + std::strerror(errno);
    close(fd);
    return false;
  }
  socklen_t len = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  listener_.Adopt(fd);
  return true;
}

void SimWebServer::Start(Hooks hooks) {
  hooks_ = std::move(hooks);
  listener_.Start([this] { AcceptLoop(); });
}

void SimWebServer::Stop() {
  listener_.Join();
  std::list<Connection> rest;
  {
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    rest.swap(connections_);
  }
  for (Connection& c : rest) {
    if (c.thread.joinable()) c.thread.join();
  }
  Close();
}

// Joins the connections that have finished, so a long-running program does
// not gather threads.
void SimWebServer::JoinFinishedConnections() {
  std::lock_guard<std::mutex> lock(connectionsMutex_);
  for (auto it = connections_.begin(); it != connections_.end();) {
    if (it->done->load()) {
      it->thread.join();
      it = connections_.erase(it);
    } else {
      ++it;
    }
  }
}

void SimWebServer::AcceptLoop() {
  while (!listener_.Stopping()) {
    if (hooks_.beforeWait) hooks_.beforeWait();
    if (!listener_.IsOpen()) {
      SleepUnlessStopped(listener_.StopFlag(), kSimSliceMs);
      continue;
    }
    const bool readable = listener_.WaitReadable();
    JoinFinishedConnections();
    if (!readable) continue;
    const int fd = accept4(listener_.Fd(), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    if (hooks_.onAir && !hooks_.onAir()) {
      SimConnection::ResetClose(fd);
      continue;
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    connections_.push_back(Connection{std::thread([this, fd, done] {
                                        {
                                          SimConnection connection(fd, listener_.StopFlag());
                                          hooks_.serve(connection);
                                        }
                                        done->store(true);
                                      }),
                                      done});
  }
}

}  // namespace kelvane::routersim
