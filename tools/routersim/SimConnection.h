// One client connection of the emulated router's web server: reading the
// request head, sending the answer (whole or dripped in pieces), waiting for
// the client to go. The socket is closed when the connection is destroyed.
// Every wait gives up once the server's stop flag is set.
#pragma once

#include <atomic>
#include <string>

namespace kelvane::routersim {

class SimConnection {
 public:
  SimConnection(int fd, const std::atomic<bool>& stopping) : fd_(fd), stopping_(stopping) {}
  ~SimConnection();
  SimConnection(const SimConnection&) = delete;
  SimConnection& operator=(const SimConnection&) = delete;

  // The request head without the blank line that ends it: what arrived within
  // the head time-out, at most a head's worth; empty when nothing came.
  std::string ReadHead();
  // Sends `data`, in pieces of `pieceBytes` with `pauseMs` between them when
  // `pieceBytes` is positive. False when the client went away.
  bool SendAll(const std::string& data, int pieceBytes, int pauseMs);
  // Waits until the client closes its side (true) or the server stops (false).
  bool WaitPeerClose();
  // Ends the answer: no more data from this side.
  void ShutdownWrite();
  // Drops the connection with a reset, as a router that crashes mid-answer.
  void Reset();

  // Refuses a connection the way a host without a listener does: a reset.
  static void ResetClose(int fd);

 private:
  int fd_;
  const std::atomic<bool>& stopping_;
};

}  // namespace kelvane::routersim
