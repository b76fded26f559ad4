// lmq-routersim: an emulator of the LMQ-5812 router as the wizard sees it. A
// small HTTP/1.0 server with the router's status pages and CGI commands over
// one coherent router state, the UDP responder to the discovery datagram, a
// request log and switches for misbehaviour. Tests run it in-process on
// 127.0.0.1 with ephemeral ports; the lmq-routersim program wraps it.
//
// RouterSim holds the state, the logs and the restart; the sockets and threads
// are SimWebServer (with SimConnection), SimDiscoveryResponder and
// SimWakeWatcher, and RouterSimDispatch turns a request into its answer.
//
// It deliberately shares no code with the wizard's HTTP client, scanners or
// encoders: it is the independent peer that checks them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tools/routersim/RouterSimFaults.h"
#include "tools/routersim/RouterSimPages.h"
#include "tools/routersim/RouterSimState.h"
#include "tools/routersim/SimConnection.h"
#include "tools/routersim/SimDiscoveryResponder.h"
#include "tools/routersim/SimIo.h"
#include "tools/routersim/SimWakeWatcher.h"
#include "tools/routersim/SimWebServer.h"

namespace kelvane::routersim {

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

  std::uint16_t HttpPort() const { return webServer_.Port(); }
  std::uint16_t UdpPort() const { return responder_.Port(); }
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
  // A restart that changed the LAN address moves the router before it answers
  // again (accept thread only).
  void FollowLanChange();
  // Moves the LAN address on options_.lanInterface and the web server with it
  // (accept thread only). False, with the reason logged, when a step failed.
  bool MoveLan(const std::string& from, const std::string& to);
  // Opens the web server's listening socket on the bind address and port.
  bool OpenListener(std::uint16_t port, std::string* error);
  // Whether a new client is served (not while a restart keeps the router off
  // the air).
  bool AcceptsClients();
  void ServeConnection(SimConnection& connection);
  // The answer a fault puts in place of the router's own (nothing changes).
  std::string Substitute(const RouterSimFaults& faults);
  // Builds the whole response for one request under the lock.
  std::string Respond(const SimHttpRequest& request, const RouterSimFaults& faults);
  // Logs a datagram by its description; answers the LAN address, or nothing
  // while the router is off the air.
  std::optional<std::string> NoteDatagram(const std::string& description);
  void NoteWakeUpEcho(const std::string& destination);
  void BeginRestart();
  void CatchUpRestart(std::uint64_t nowMs);  // caller holds the lock
  void Log(const std::string& line);

  RouterSimOptions options_;
  mutable std::mutex mutex_;
  RouterSimState state_;
  std::vector<std::string> requestLog_;
  std::vector<std::string> requestHeads_;
  std::vector<std::string> datagramLog_;
  std::function<void(const std::string&)> sink_;
  std::uint64_t offAirUntil_ = 0;  // steady ms; UINT64_MAX: never back
  bool restartPending_ = false;
  int faultMatches_ = 0;  // requests the faults matched since SetFaults
  bool followFaultMove_ = false;  // a restartOnto fault moves the web server

  std::string servingLan_;  // the LAN address the interface holds (lanInterface only)
  // Before the servers, which watch it.
  std::atomic<bool> stopping_{false};
  SimWebServer webServer_{stopping_};
  SimDiscoveryResponder responder_{stopping_};
  SimWakeWatcher wakeWatcher_{stopping_};
};

}  // namespace kelvane::routersim
