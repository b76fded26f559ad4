// Everything the wizard learns about, or does to, the PC's own network: the
// LAN adapter and its address, the DNS servers, switching the adapter to DHCP,
// releasing and renewing leases, ICMP echo, name resolution and the dial-up
// phonebook.
//
// HostNetwork holds the algorithms (which adapter counts, how often to retry,
// how long to wait, which phonebook entry wins) on top of a few primitives
// that each backend supplies: the Linux backend (net/host/linux/) talks to the
// kernel and the system's tools, the simulated one (net/host/sim/) answers from
// a script for tests. Pages use ActiveHostNetwork(); tests swap the backend in
// with SetActiveHostNetwork().
//
// Everything is synchronous and runs on the user-interface thread. Every wait
// goes through net/Wait.h: fixed pauses between attempts are ScaledPause (so
// tests can shorten them), the 1000 ms echo time-out is real time, and both
// call the wait hook at least every 50 ms so the window stays alive.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/host/DialEntry.h"
#include "net/host/HostAdapterInfo.h"
#include "state/WizardState.h"

namespace kelvane {

// Why a ping did not come back. PingHost answers with the reason of the last
// attempt made; kNoPrivilege means no echo could be sent at all.
enum class PingError {
  kNone = 0,       // an echo came back whole
  kBadTarget,      // the target is not a dotted IPv4 address
  kNoPrivilege,    // neither an ICMP datagram socket nor a raw socket may be opened
  kSocketFailed,   // another failure opening or preparing the socket
  kSendFailed,     // the echo could not be sent (no route, network down, ...)
  kTimedOut,       // nothing came back within the time-out
  kShortReply,     // a reply came back with fewer or more data bytes than sent
  kUnreachable,    // only ICMP errors (unreachable, TTL exceeded) came back in the time-out
  kBroadcastTarget,  // the target is a broadcast address (255.255.255.255 or a subnet's)
  kHelperBusy,       // the helper was busy with an earlier call of this user
  kHelperRefused,    // the helper refused the echo
};

// A one-line English explanation, for the command-line tool and logs. For
// kNoPrivilege it says which privilege is missing and how installation grants it.
const char* PingErrorText(PingError error);

// The ICMP echo the wizard sends.
inline constexpr const char kPingPayload[] = "#Ping by Zorb/0293";  // sent without terminator
inline constexpr int kPingPayloadSize = 18;
inline constexpr int kPingTtl = 128;
inline constexpr int kPingTimeoutMs = 1000;    // per echo, protocol time, not scaled
inline constexpr int kPingRetryPauseMs = 300;  // after each failed echo, scaled
inline constexpr int kAddressAttemptPauseMs = 1000;  // between adapter attempts, scaled
inline constexpr int kDhcpAddressAttempts = 20;      // address wait after the switch
inline constexpr int kPhonebookEntries = 10;         // entries looked at, at most

class HostNetwork {
 public:
  virtual ~HostNetwork() = default;

  // --- Operations used by the pages ---------------------------------------

  // Looks for the LAN adapter up to `attempts` times, pausing 1000 ms (scaled)
  // between two attempts. An attempt succeeds when the chosen adapter's
  // address is neither 0.0.0.0 nor link-local (169.254.x.x). On success the
  // outputs hold the DHCP flag, the address and gateway as 32-bit values in
  // network byte order, and the adapter name; on failure they are untouched.
  // 0 attempts fails at once.
  virtual bool FindLocalAddress(int attempts, bool& dhcpEnabled, std::uint32_t& address,
                                std::uint32_t& gateway, std::string& adapterName);
  // The same, writing pcAddress, pcGateway and pcAdapterName of `state`.
  bool FindLocalAddress(int attempts, bool& dhcpEnabled,
                        WizardState& state);

  // Reads the DNS servers and the adapter list once, without judging the
  // address: true whenever the adapter list could be read and holds an
  // adapter (loopback is never one).
  virtual bool GetHostNetworkInfo(HostAdapterInfo& info);

  // Switches the adapter to DHCP (gateway and DNS servers cleared), restarts
  // it and waits for an address (20 attempts, 1000 ms apart, scaled).
  virtual bool SwitchAdapterToDhcp(const std::string& adapterName);

  // Releases the lease of every interface, in order, without stopping at a
  // failure; true only when every interface succeeded. The interfaces that
  // were released are remembered.
  virtual bool ReleaseAllAdapters();
  // Renews leases, in order, without stopping at a failure; true only when
  // every one succeeded. After a release it renews exactly the interfaces
  // that were released (through whoever held their lease), which a plain
  // look at the interfaces could no longer tell apart from fixed ones; with
  // nothing released it renews every lease interface. An interface whose
  // renewal failed stays remembered for the next attempt.
  virtual bool RenewAllAdapters();

  // Up to `attempts` echoes to the dotted IPv4 `target`; true at the first
  // echo that comes back whole. After each failed echo it pauses 300 ms
  // (scaled). `error`, when given, receives the reason of the last attempt.
  // The limited broadcast 255.255.255.255 is refused before anything is sent.
  virtual bool PingHost(const std::string& target, int attempts = 4, PingError* error = nullptr);

  // Resolves an IPv4 address for `name`; out: "%d.%d.%d.%d".
  virtual bool ResolveHostName(const std::string& name, std::string& dottedAddress);

  // Dial-up accounts: copy the first entry of the kind among the first ten
  // phonebook entries into the state's settings record (never a password).
  // An empty or unreadable phonebook changes nothing. PPPoE: any entries at
  // all clear user and service name before the search. PPTP/L2TP: only when
  // an entry of the kind exists are the user name cleared and the address set
  // to 0.0.0.0, then the entry's client address, server and user name taken.
  virtual bool FindPcPppoeAccount(WizardState& state);
  virtual bool FindPcPptpAccount(WizardState& state);
  virtual bool FindPcL2tpAccount(WizardState& state);

  // The adapter record as the last adapter search left it.
  const HostAdapterInfo& AdapterRecord() const { return record_; }

  // --- Primitives each backend supplies -----------------------------------

  // The adapters in the system's order, each record filled with name,
  // description, DHCP flag, first address and mask, first gateway and DHCP
  // server (DNS fields left empty). False when the list cannot be read.
  virtual bool ListAdapters(std::vector<HostAdapterInfo>& adapters) = 0;
  // The PC's DNS servers (IPv4, dotted, in order). False when they cannot be read.
  virtual bool ReadDnsServers(std::vector<std::string>& servers) = 0;
  // Sets the adapter to DHCP with gateway and DNS cleared and restarts it.
  // Does not wait for the address.
  virtual bool RestartAdapterWithDhcp(const std::string& adapterName) = 0;
  // The interfaces that leases are renewed and released on, in order.
  virtual bool ListLeaseInterfaces(std::vector<std::string>& interfaces) = 0;
  virtual bool RenewInterface(const std::string& interfaceName) = 0;
  virtual bool ReleaseInterface(const std::string& interfaceName) = 0;
  // The interfaces released and not renewed since, in release order. The
  // default answers what this object released; a backend may add releases
  // it remembers from elsewhere (another process).
  virtual void ReleasedInterfaces(std::vector<std::string>& interfaces) { interfaces = released_; }
  // Prepares for echoes (opens the socket); false with the reason when it cannot.
  virtual bool OpenEcho(PingError& error) = 0;
  // One echo with the payload and the 1000 ms time-out; address in network order.
  virtual bool SendOneEcho(std::uint32_t address, PingError& error) = 0;
  virtual void CloseEcho() = 0;
  // Name resolution, bounded in time by the backend.
  virtual bool ResolveIpv4(const std::string& name, std::uint32_t& address) = 0;
  // The phonebook entries in a stable order (all of them; the caller caps at
  // ten). False when the phonebook cannot be read.
  virtual bool ReadPhonebook(std::vector<DialEntry>& entries) = 0;

 protected:
  // One adapter attempt: fills record_ from the list; answers whether the
  // chosen address is usable. `readList` false: the list could not be read.
  bool AdapterAttempt(bool& readList);

  HostAdapterInfo record_;
  std::vector<std::string> released_;  // released by ReleaseAllAdapters, not yet renewed

 private:
  bool ReadEntryList(std::vector<DialEntry>& entries);
  bool FindVpnAccount(DialKind kind, PptpSettings& settings);
};

// Chooses the LAN adapter from a list: the first whose address is not
// 0.0.0.0, else the last one; `chosen` is left cleared for an empty list.
// Answers whether the chosen address is usable (neither 0.0.0.0 nor empty nor
// starting with "169.254.").
bool ChooseLanAdapter(const std::vector<HostAdapterInfo>& adapters, HostAdapterInfo& chosen);

// An IPv4 address in network byte order as "%d.%d.%d.%d".
std::string FormatDotted(std::uint32_t networkOrder);

// Strict dotted-quad check and parse ("a.b.c.d", each 0-255, nothing else).
// The whole text counts: an embedded NUL byte or anything after the address
// fails, so a value that passed can be kept and shown as it is.
bool ParseDottedIpv4(std::string_view text, std::uint32_t& networkOrder);
bool IsDottedIpv4Text(std::string_view text);

// The backend the pages use. Until SetActiveHostNetwork is called this is the
// platform backend (Linux).
HostNetwork& ActiveHostNetwork();
// Makes `network` the active backend (nullptr: back to the platform backend);
// answers the previous one. The caller keeps ownership and keeps it alive.
HostNetwork* SetActiveHostNetwork(HostNetwork* network);

}  // namespace kelvane
