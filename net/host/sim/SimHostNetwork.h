// A scriptable stand-in for the PC's network, for page and flow tests: the
// test sets what the adapters, DNS servers, pings, look-ups and phonebook
// answer, and reads back which operations were called. The algorithms
// (attempt counts, pauses, the choice of adapter and of phonebook entry) are
// the real ones of HostNetwork; only the primitives are simulated.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "net/host/HostNetwork.h"

namespace kelvane {

class SimHostNetwork : public HostNetwork {
 public:
  struct Call {
    std::string operation;  // "FindLocalAddress", "PingHost", "SendOneEcho", ...
    std::string argument;   // e.g. "192.168.123.254 4"
  };

  // What one address answers to echoes: the results in turn (the last one
  // repeats), each after `delayMs` real milliseconds.
  struct PingScript {
    std::vector<PingError> results;
    int delayMs = 0;
  };

  // --- Script ---------------------------------------------------------------
  std::vector<HostAdapterInfo> adapters;
  // Lists handed out by successive ListAdapters calls before `adapters` is
  // used (each call takes the front one), e.g. "no address yet, then a lease".
  std::deque<std::vector<HostAdapterInfo>> adapterSequence;
  bool adaptersReadable = true;

  std::vector<std::string> dnsServers;
  bool dnsReadable = true;

  bool restartSucceeds = true;
  // When set, a successful restart replaces `adapters` with these.
  std::vector<HostAdapterInfo> adaptersAfterRestart;

  std::vector<std::string> leaseInterfaces;  // empty: the names of `adapters`
  std::map<std::string, bool> renewResults;   // missing: true
  std::map<std::string, bool> releaseResults; // missing: true

  PingError openEchoError = PingError::kNone;  // kNone: echoes may be sent
  std::map<std::string, PingScript> pings;      // by dotted address
  PingError unscriptedPing = PingError::kTimedOut;
  int unscriptedPingDelayMs = 0;

  std::map<std::string, std::string> resolutions;  // name -> dotted address
  int resolveDelayMs = 0;

  std::vector<DialEntry> phonebook;
  bool phonebookReadable = true;

  // --- Record ---------------------------------------------------------------
  std::vector<Call> calls;
  int CountCalls(const std::string& operation) const;
  void ClearCalls() { calls.clear(); }

  // Convenience: an adapter record with the given name, address and gateway.
  static HostAdapterInfo Adapter(const std::string& name, const std::string& address,
                                 const std::string& gateway = "0.0.0.0", bool dhcp = true,
                                 const std::string& mask = "255.255.255.0");

  // --- Operations (recorded, then the real algorithm) -------------------------
  bool FindLocalAddress(int attempts, bool& dhcpEnabled, std::uint32_t& address, std::uint32_t& gateway,
                        std::string& adapterName) override;
  bool GetHostNetworkInfo(HostAdapterInfo& info) override;
  bool SwitchAdapterToDhcp(const std::string& adapterName) override;
  bool RenewAllAdapters() override;
  bool ReleaseAllAdapters() override;
  bool PingHost(const std::string& target, int attempts = 4, PingError* error = nullptr) override;
  bool ResolveHostName(const std::string& name, std::string& dottedAddress) override;
  bool FindPcPppoeAccount(WizardState& state) override;
  bool FindPcPptpAccount(WizardState& state) override;
  bool FindPcL2tpAccount(WizardState& state) override;
  using HostNetwork::FindLocalAddress;

  // --- Primitives -------------------------------------------------------------
  bool ListAdapters(std::vector<HostAdapterInfo>& list) override;
  bool ReadDnsServers(std::vector<std::string>& servers) override;
  bool RestartAdapterWithDhcp(const std::string& adapterName) override;
  bool ListLeaseInterfaces(std::vector<std::string>& interfaces) override;
  bool RenewInterface(const std::string& interfaceName) override;
  bool ReleaseInterface(const std::string& interfaceName) override;
  bool OpenEcho(PingError& error) override;
  bool SendOneEcho(std::uint32_t address, PingError& error) override;
  void CloseEcho() override {}
  bool ResolveIpv4(const std::string& name, std::uint32_t& address) override;
  bool ReadPhonebook(std::vector<DialEntry>& entries) override;

 private:
  void Record(const std::string& operation, const std::string& argument = {});
  std::map<std::string, std::size_t> pingCursor_;
};

}  // namespace kelvane
