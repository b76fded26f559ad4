// The PC's LAN adapter as the wizard sees it: the one record that the adapter
// search fills and the diagnostic dialog shows. Texts are cut to their fields.
#pragma once

#include <cstdint>

#include "state/FixedText.h"
#include "state/WizardState.h"

namespace kelvane {

struct HostAdapterInfo {
  std::uint8_t dhcpEnabled = 0;  // 1 when the adapter takes its address by DHCP
  FixedText<40> adapterName;     // the interface name ("eth0", "enp3s0", ...)
  FixedText<100> description;
  AddressText ipAddress;   // first IPv4 address of the adapter, dotted
  AddressText subnetMask;  // mask of that address, dotted
  AddressText gateway;     // first default gateway through the adapter
  AddressText dhcpServer;
  AddressText dnsServer1;  // first DNS server of the PC
  AddressText dnsServer2;  // second one, empty when the PC has only one

  // Every text empty and the DHCP flag 0.
  void Clear() { *this = HostAdapterInfo{}; }
};

}  // namespace kelvane
