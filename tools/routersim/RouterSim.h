// lmq-routersim: an emulator of the LMQ-5812 router as the wizard sees it. A
// small HTTP/1.0 server with the router's status pages and CGI commands over
// one coherent router state, the UDP responder to the discovery datagram, a
// request log and switches for misbehaviour. Tests run it in-process on
// 127.0.0.1 with ephemeral ports; the lmq-routersim program wraps it.
//
// It deliberately shares no code with the wizard's HTTP client, scanners or
// encoders: it is the independent peer that checks them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/routersim/RouterSimPages.h"
#include "tools/routersim/RouterSimState.h"

namespace kelvane::routersim {

// Monotonic milliseconds of the emulator's own clock.
std::uint64_t SimNowMs();

// Misbehaviour on demand. Each switch applies to the requests whose request
// line contains `match` (all requests when it is empty).
struct RouterSimFaults {
  int answerDelayMs = 0;             // wait this long before answering
  bool silent = false;               // read the request and never answer
  bool keepOpen = false;             // answer, then leave the connection open
  int dripBytes = 0;                 // send the answer in pieces of this size...
  int dripPauseMs = 0;               // ...with this pause between them
  int wrongStatus = 0;               // answer with this status instead (e.g. 500)
  bool restartNeverReturns = false;  // a restart keeps the router off the air
  std::string refuseAlert;           // refuse CGI commands with this script alert, changing nothing
  std::string match;
};

struct RouterSimOptions {
  std::string bindAddress = "127.0.0.1";
  std::uint16_t httpPort = 0;  // 0: ephemeral
  bool udpEnabled = false;
  std::string udpBindAddress;  // empty: the HTTP bind address
  std::uint16_t udpPort = 0;   // 0: ephemeral
  // Where discovery replies go. 255.255.255.255 is sent as a broadcast (the PC
  // may have no address yet); tests on loopback name 127.0.0.1.
  std::string replyAddress = "127.0.0.1";
  std::uint16_t replyPort = 68;
  bool answerDhcp = false;  // also answer the DHCP presence datagram
  PageLayout layout = PageLayout::kClassic;
  int restartMs = 200;  // how long a restart keeps the router off the air
  RouterSimFaults faults;
  // Dial-on-demand: watch this LAN interface (a packet socket, root only) for
  // an ICMP echo request from the LAN to an address outside the LAN network;
  // the first one going by lets a WAN that waits for it come up (set
  // RouterSimState::wanUpOnPing too).
  std::string wakeInterface;
  // When a restart changes the LAN address, move it on this interface (the
  // old address goes, the new one comes with a /24); root only.
  std::string lanInterface;
  // Run when a restart changed the LAN address (after the move above, if
  // any), with the arguments NEW_ADDRESS 24 INTERFACE OLD_ADDRESS (INTERFACE
  // empty without lanInterface), before the router answers again: the place
  // to point the DHCP service at the new network (lan-dhcp-hook.sh), or to
  // let a test bed's script move the address itself. With either option the
  // web server follows the address when it was bound to the old one.
  std::string lanChangeProgram;
};

class RouterSim {
 public:
  explicit RouterSim(RouterSimOptions options = {});
  ~RouterSim();
  RouterSim(const RouterSim&) = delete;
  RouterSim& operator=(const RouterSim&) = delete;

  // Binds the sockets and starts the server threads. False (with a reason)
  // when a socket cannot be bound.
  bool Start(std::string* error = nullptr);
  void Stop();

  std::uint16_t HttpPort() const { return httpPort_; }
  std::uint16_t UdpPort() const { return udpPort_; }
  // "address:port", the router address a client uses (it follows a LAN move).
  std::string Address() const;

  // Runs `f` on the router state under the lock (to set up or inspect it).
  template <class F>
  auto WithState(F&& f) {
    std::lock_guard<std::mutex> lock(mutex_);
    CatchUpRestart(SimNowMs());
    return f(state_);
  }
  // A copy of the state (a finished restart is applied first).
  RouterSimState StateCopy();

  // Every request line as received, in order.
  std::vector<std::string> RequestLog() const;
  // The request heads (request line and headers) as received.
  std::vector<std::string> RequestHeads() const;
  // One line per datagram received on the UDP port.
  std::vector<std::string> DatagramLog() const;
  void ClearLog();
  // Waits until at least `count` requests were logged; false after `ms`.
  bool WaitForRequests(std::size_t count, int ms) const;
  // Each logged line is also passed here as it happens (lmq-routersim --log).
  void SetLogSink(std::function<void(const std::string&)> sink);

  void SetFaults(const RouterSimFaults& faults);
  void SetLayout(PageLayout layout);
  void SetRestartMs(int ms);
  // The hook of the namespace test bed: the public host was pinged through
  // the router, which lets a WAN link that waits for it come up.
  void NotePublicHostPinged();
  bool OffAir() const;

 private:
  struct Connection {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };

  void AcceptLoop();
  void UdpLoop();
  void WakeLoop();
  // Moves the LAN address on options_.lanInterface and the web server with it
  // (accept thread only). False, with the reason logged, when a step failed.
  bool MoveLan(const std::string& from, const std::string& to);
  // Opens the web server's listening socket on the bind address and port.
  bool OpenListener(std::string* error);
  void ServeConnection(int fd);
  // Builds the whole response for one request under the lock.
  std::string Respond(const SimHttpRequest& request, const RouterSimFaults& faults, bool& restart);
  void BeginRestart();
  void CatchUpRestart(std::uint64_t nowMs);  // caller holds the lock
  bool FaultApplies(const RouterSimFaults& faults, const std::string& requestLine) const;
  void Log(const std::string& line);
  void SleepUnlessStopped(int ms) const;
  bool WaitPeerClose(int fd) const;
  bool SendAll(int fd, const std::string& data, const RouterSimFaults& faults);

  RouterSimOptions options_;
  mutable std::mutex mutex_;
  RouterSimState state_;
  std::vector<std::string> requestLog_;
  std::vector<std::string> requestHeads_;
  std::vector<std::string> datagramLog_;
  std::function<void(const std::string&)> sink_;
  std::uint64_t offAirUntil_ = 0;  // steady ms; UINT64_MAX: never back
  bool restartPending_ = false;

  std::string servingLan_;  // the LAN address the interface holds (lanInterface only)
  int listenFd_ = -1;
  int udpFd_ = -1;
  int wakeFd_ = -1;
  std::thread wakeThread_;
  std::uint16_t httpPort_ = 0;
  std::uint16_t udpPort_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptThread_;
  std::thread udpThread_;
  std::mutex connectionsMutex_;
  std::list<Connection> connections_;
};

}  // namespace kelvane::routersim
