// A router for the page and step tests, in the test's own process: the
// emulator on 127.0.0.1 with its discovery responder, the wizard's probes
// aimed at it (ProbeTarget), and a simulated PC whose DHCP adapter sits in
// the loopback network, so the connectivity rule lets it reach the router.
// Nothing leaves loopback. Everything is put back when it goes.
//
//   EmulatedRouter router;                 // starts; router.ok() tells
//   router.Pc().pings["127.0.0.1"] = ...;  // script the PC further
//   router.Sim().WithState(...);           // set up or inspect the router
//   router.Requests()                      // request lines the router got
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "net/host/sim/SimHostNetwork.h"
#include "steps/easy/ConnectivityStep.h"
#include "steps/kit/Narrator.h"
#include "state/ProbeTarget.h"
#include "state/WizardState.h"
#include "tools/routersim/RouterSim.h"

namespace kelvane::test {

class EmulatedRouter {
 public:
  // `options` as the emulator takes them; the addresses and ports are set here.
  explicit EmulatedRouter(routersim::RouterSimOptions options = {}) {
    clientPort_ = FreeUdpPort();
    options.bindAddress = "127.0.0.1";
    options.httpPort = 0;
    options.udpEnabled = true;
    options.udpBindAddress = "127.0.0.1";
    options.udpPort = 0;
    options.replyAddress = "127.0.0.1";
    options.replyPort = clientPort_;
    sim_ = std::make_unique<routersim::RouterSim>(options);
    ok_ = sim_->Start(&why_);
    savedProbe_ = ProbeTarget::Instance();
    if (ok_) AimProbes();
    // The PC: one DHCP adapter with an address, the emulator answering pings.
    pc_.adapters = {SimHostNetwork::Adapter("eth0", "127.0.0.10", "127.0.0.1", true)};
    pc_.dnsServers = {"127.0.0.1"};
    pc_.unscriptedPing = PingError::kNone;
    previousPc_ = SetActiveHostNetwork(&pc_);
  }
  ~EmulatedRouter() {
    SetActiveHostNetwork(previousPc_);
    ProbeTarget::Instance() = savedProbe_;
    if (sim_) sim_->Stop();
  }
  EmulatedRouter(const EmulatedRouter&) = delete;
  EmulatedRouter& operator=(const EmulatedRouter&) = delete;

  bool ok() const { return ok_; }
  const std::string& why() const { return why_; }
  routersim::RouterSim& Sim() { return *sim_; }
  SimHostNetwork& Pc() { return pc_; }
  // "127.0.0.1:PORT": what the wizard's routerAddress becomes once it found it.
  std::string Address() const { return sim_->Address(); }
  std::vector<std::string> Requests() const { return sim_->RequestLog(); }

  // Points the probes at the emulator again (after a test changed them).
  void AimProbes() {
    ProbeTarget& probe = ProbeTarget::Instance();
    probe.destination = "127.0.0.1";
    probe.serverPort = sim_->UdpPort();
    probe.clientPort = clientPort_;
    probe.routerHttpPort = sim_->HttpPort();
  }
  // Finds and logs in to the router the way the program does, by its own
  // connectivity check (the PC, the search, the login method, the login), so
  // the state holds what the program learns, not what a test assumes. True
  // when the check passed.
  bool Connect(WizardState& state) {
    RecordingNarrator narrator;
    return ConnectivityStep(state, pc_, narrator).Run("") == ConnectivityOutcome::kPassed;
  }
  // Sets the wizard state as if the router had been found and logged in to
  // (for benchmarks that time one step; tests reach the state by Connect).
  void Found(WizardState& state) const {
    state.routerAddress = Address();
    in_addr a{};
    inet_pton(AF_INET, "127.0.0.1", &a);
    state.routerAddressValue = a.s_addr;
  }

 private:
  static std::uint16_t FreeUdpPort() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
  }

  std::unique_ptr<routersim::RouterSim> sim_;
  bool ok_ = false;
  std::string why_;
  std::uint16_t clientPort_ = 0;
  ProbeTarget savedProbe_;
  SimHostNetwork pc_;
  HostNetwork* previousPc_ = nullptr;
};

}  // namespace kelvane::test
