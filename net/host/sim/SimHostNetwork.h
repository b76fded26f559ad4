// A scriptable stand-in for the PC's network, for page and flow tests: the
// test sets what the adapters, DNS servers, pings, look-ups and phonebook
// answer, and reads back which operations were called. The algorithms
// (attempt counts, pauses, the choice of adapter and of phonebook entry, the
// memory of released interfaces) are the real ones of HostNetwork; only the
// primitives are simulated.
//
// Scripting, by what a page test wants to happen:
//   no adapter at all          adapters = {}  (GetHostNetworkInfo and
//                              FindLocalAddress fail, as on a PC with loopback only)
//   adapter without address    Adapter("eth0", "0.0.0.0")
//   fixed address / DHCP       Adapter("eth0", "10.77.0.5", "10.77.0.1", false) / (..., true)
//   address arrives later      adapterSequence = {{no address}, {no address}}; adapters = {leased}
//   list cannot be read        adaptersReadable = false
//   DNS servers                dnsServers = {"192.168.123.254"}
//   switch to DHCP             restartSucceeds, adaptersAfterRestart (what the PC shows
//                              after the restart), restartDelayMs
//   release / renew            releaseResults / renewResults per interface (missing:
//                              success). A successful release takes the adapter's
//                              address away (as the real system does); a successful renew
//                              gives it back, or gives it renewLeases[name] when scripted
//                              (the lease of a router that moved to another network).
//                              releaseDelayMs / renewDelayMs make them slow.
//   pings                      pings["192.168.123.254"] = {{kTimedOut, kNone}, delayMs}:
//                              results in turn, the last repeating; other targets answer
//                              unscriptedPing; openEchoError stops every ping before sending
//   names                      resolutions["www.kelvane.test"] = "203.0.113.80"
//   phonebook                  phonebook = {Pppoe("DSL", "FastNet", "carol"),
//                              Vpn("Office", kVpnPptpOnly, "198.51.100.7", "bob")}
// The delays are real milliseconds, waited in slices that call the wait hook,
// so a page test can press Cancel or close the window during the step.
// `calls` records every operation and primitive with its argument, in order;
// `onCall` sees each as it happens.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
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
  int restartDelayMs = 0;

  std::vector<std::string> leaseInterfaces;  // empty: the names of `adapters`
  std::map<std::string, bool> renewResults;   // missing: true
  std::map<std::string, bool> releaseResults; // missing: true
  // The record a successful renew puts in place of the adapter's; missing:
  // the record the adapter had before its release (or as it is).
  std::map<std::string, HostAdapterInfo> renewLeases;
  int releaseDelayMs = 0;  // per interface
  int renewDelayMs = 0;    // per interface

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
  // Called with every call as it is recorded, before it is answered: lets a
  // test change the script at a chosen moment (say, the router moves when
  // the renew starts, or a page is closed during the switch).
  std::function<void(const Call&)> onCall;
  int CountCalls(const std::string& operation) const;
  void ClearCalls() { calls.clear(); }

  // Convenience: an adapter record with the given name, address and gateway.
  static HostAdapterInfo Adapter(const std::string& name, const std::string& address,
                                 const std::string& gateway = "0.0.0.0", bool dhcp = true,
                                 const std::string& mask = "255.255.255.0");
  // Convenience: phonebook entries (dial parameters readable unless told).
  static DialEntry Pppoe(const std::string& name, const std::string& serviceName, const std::string& userName);
  static DialEntry Vpn(const std::string& name, std::int32_t strategy, const std::string& server,
                       const std::string& userName, std::array<std::uint8_t, 4> clientAddress = {0, 0, 0, 0});
  // The interfaces released and not yet renewed.
  std::vector<std::string> Released() { std::vector<std::string> names; ReleasedInterfaces(names); return names; }

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
  HostAdapterInfo* FindAdapter(const std::string& name);
  std::map<std::string, std::size_t> pingCursor_;
  std::map<std::string, HostAdapterInfo> beforeRelease_;
};

}  // namespace kelvane
