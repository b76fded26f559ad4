// The emulated router's web server as a socket server: the listening socket,
// the accept loop and one thread per connection. What a connection is answered
// is the router's business (the hooks); this class only keeps the sockets and
// threads. Every loop ends once the stop flag it was given is set.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "tools/routersim/SimConnection.h"
#include "tools/routersim/SimSocketThread.h"

namespace kelvane::routersim {

class SimWebServer {
 public:
  struct Hooks {
    // Runs on the accept thread before each wait for a client; the place to
    // move the server (Close, then Open elsewhere).
    std::function<void()> beforeWait;
    // Whether a client that just connected is served; a refused one gets a reset.
    std::function<bool()> onAir;
    // Answers one client, on the connection's own thread.
    std::function<void(SimConnection&)> serve;
  };

  explicit SimWebServer(const std::atomic<bool>& stopping) : listener_(stopping) {}
  // Only once the stop flag is set (or the server never started).
  ~SimWebServer() { Stop(); }
  SimWebServer(const SimWebServer&) = delete;
  SimWebServer& operator=(const SimWebServer&) = delete;

  // Listens on `address` and `port` (0: an ephemeral one). False, with the
  // reason in `error`, when the socket cannot be bound.
  bool Open(const std::string& address, std::uint16_t port, std::string* error);
  // Closes the listening socket; the accept loop waits until one is open again.
  void Close() { listener_.Close(); }
  // The port listened on (the one asked for until a socket was bound).
  std::uint16_t Port() const { return port_; }

  // Starts the accept loop.
  void Start(Hooks hooks);
  // Once the stop flag is set: joins the accept loop and every connection,
  // then closes the listening socket.
  void Stop();

 private:
  struct Connection {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };

  void AcceptLoop();
  void JoinFinishedConnections();

  SimSocketThread listener_;
  Hooks hooks_;
  std::atomic<std::uint16_t> port_{0};
  std::mutex connectionsMutex_;
  std::list<Connection> connections_;
};

}  // namespace kelvane::routersim
