// The emulated router's UDP responder: it answers the wizard's discovery
// datagram (and, when asked to, the DHCP presence datagram) with a
// BOOTP-shaped reply that leaves from the router's LAN address through the
// port the datagram came in on. Every loop ends once the stop flag it was
// given is set.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "tools/routersim/SimSocketThread.h"

namespace kelvane::routersim {

class SimDiscoveryResponder {
 public:
  struct Options {
    std::string bindAddress;
    std::uint16_t port = 0;  // 0: ephemeral
    // Where replies go; 255.255.255.255 is sent as a broadcast.
    std::string replyAddress;
    std::uint16_t replyPort = 68;
    bool answerDhcp = false;
  };
  // Called for every datagram with its description ("UDP 114 bytes from
  // 127.0.0.1:68 discovery", "... dhcp", "... other"). Answers the router's
  // LAN address, or nothing while the router is off the air.
  using Arrival = std::function<std::optional<std::string>(const std::string& description)>;

  explicit SimDiscoveryResponder(const std::atomic<bool>& stopping) : socket_(stopping) {}

  // Binds the UDP socket. False, with the reason in `error`, when it cannot.
  bool Open(const Options& options, std::string* error);
  bool IsOpen() const { return socket_.IsOpen(); }
  void Close() { socket_.Close(); }
  // The bound port (0 until a socket was bound).
  std::uint16_t Port() const { return port_; }

  // Starts answering on the open socket.
  void Start(Arrival arrival);
  // Once the stop flag is set: joins the responder's thread.
  void Stop() { socket_.Join(); }

 private:
  void Loop();

  SimSocketThread socket_;
  Options options_;
  Arrival arrival_;
  std::uint16_t port_ = 0;
};

}  // namespace kelvane::routersim
