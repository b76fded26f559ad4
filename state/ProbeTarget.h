// Where the wizard's two LAN probes go. On a PC this is always the limited
// broadcast from port 68 to port 67; tests that run the pages against the
// emulator in their own process point it at the emulator on loopback instead.
#pragma once

#include <cstdint>
#include <string>

namespace kelvane {

struct ProbeTarget {
  static ProbeTarget& Instance();

  std::string destination = "255.255.255.255";
  std::uint16_t serverPort = 67;
  std::uint16_t clientPort = 68;
  // Tests only: the emulator's HTTP port, appended to the address the probe
  // finds ("127.0.0.1:PORT"); 0 on a PC, where the router serves port 80.
  std::uint16_t routerHttpPort = 0;
};

}  // namespace kelvane
