// Dial-on-demand for the emulated router: watches a LAN interface (a packet
// socket, root only) for an ICMP echo request from the LAN to an address
// outside the LAN network, the ping that makes a waiting WAN link come up.
// The loop ends once the stop flag it was given is set.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "tools/routersim/SimSocketThread.h"

namespace kelvane::routersim {

class SimWakeWatcher {
 public:
  struct Hooks {
    std::function<std::string()> lanAddress;  // the router's LAN address now
    // An echo request went by to `destination` (dotted), outside the LAN.
    std::function<void(const std::string& destination)> echoSeen;
  };

  explicit SimWakeWatcher(const std::atomic<bool>& stopping) : socket_(stopping) {}

  // Opens the packet socket on `interface`. False, with the reason in `error`,
  // when there is no such interface or the socket cannot be opened.
  bool Open(const std::string& interface, std::string* error);
  bool IsOpen() const { return socket_.IsOpen(); }
  void Close() { socket_.Close(); }

  // Starts watching on the open socket.
  void Start(Hooks hooks);
  // Once the stop flag is set: joins the watcher's thread.
  void Stop() { socket_.Join(); }

 private:
  void Loop();

  SimSocketThread socket_;
  Hooks hooks_;
};

}  // namespace kelvane::routersim
