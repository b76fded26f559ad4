#include "net/host/HostNetwork.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "net/Wait.h"
#include "net/host/linux/LinuxHostNetwork.h"

namespace kelvane {
namespace {

bool EqualsNoCase(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// Strict dotted-quad parse; answers false for anything else, so a bad target
// can never turn into the limited broadcast address.
bool ParseDotted(const std::string& text, std::uint32_t& address) { return ParseDottedIpv4(text, address); }

constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFFu;

HostNetwork*& Active() {
  static HostNetwork* active = nullptr;
  return active;
}

}  // namespace

std::string FormatDotted(std::uint32_t networkOrder) {
  const auto* b = reinterpret_cast<const unsigned char*>(&networkOrder);
  char text[20];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
  return text;
}

bool ParseDottedIpv4(std::string_view text, std::uint32_t& networkOrder) {
  // inet_pton reads a C string: a NUL inside the text would end it early and
  // let "1.2.3.4\0junk" pass with the junk kept.
  if (text.empty() || text.size() > 15 || text.find('\0') != std::string_view::npos) return false;
  const std::string copy(text);
  in_addr parsed{};
  if (inet_pton(AF_INET, copy.c_str(), &parsed) != 1) return false;
  networkOrder = parsed.s_addr;
  return true;
}

bool IsDottedIpv4Text(std::string_view text) {
  std::uint32_t ignored = 0;
  return ParseDottedIpv4(text, ignored);
}

const char* PingErrorText(PingError error) {
  switch (error) {
    case PingError::kNone:
      return "the echo came back";
    case PingError::kBadTarget:
      return "the target is not a dotted IPv4 address";
    case PingError::kNoPrivilege:
      return "this process may not send ICMP echo: it needs the cap_net_raw capability, which "
             "installation grants to the helper kelvane-netprobe alone (is it installed, with "
             "'setcap cap_net_bind_service,cap_net_raw=p' on it?), root, or a group listed in "
             "net.ipv4.ping_group_range (for example "
             "'sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"')";
    case PingError::kSocketFailed:
      return "the ICMP socket could not be prepared";
    case PingError::kSendFailed:
      return "the echo could not be sent (no route to the target?)";
    case PingError::kTimedOut:
      return "no reply within the time-out";
    case PingError::kShortReply:
      return "a reply came back with a different number of data bytes than sent";
    case PingError::kUnreachable:
      return "the target is unreachable";
    case PingError::kBroadcastTarget:
      return "cannot ping a broadcast address";
    case PingError::kHelperBusy:
      return "another program is pinging (the helper kelvane-netprobe is still busy with an earlier call of "
             "this user); try again";
    case PingError::kHelperRefused:
      return "the helper kelvane-netprobe refused the echo: it echoes only one unicast address";
  }
  return "unknown ping failure";
}

bool IsDialEntryOfKind(const DialEntry& entry, DialKind kind) {
  switch (kind) {
    case DialKind::kPppoe:
      return EqualsNoCase(entry.deviceType, "PPPoE");
    case DialKind::kPptp:
      return EqualsNoCase(entry.deviceType, "VPN") && entry.vpnStrategy < kVpnL2tpOnly;
    case DialKind::kL2tp:
      return EqualsNoCase(entry.deviceType, "VPN") && entry.vpnStrategy >= kVpnL2tpOnly;
  }
  return false;
}

bool ChooseLanAdapter(const std::vector<HostAdapterInfo>& adapters, HostAdapterInfo& chosen) {
  chosen.Clear();
  for (const HostAdapterInfo& adapter : adapters) {
    chosen = adapter;
    if (adapter.ipAddress != std::string_view("0.0.0.0") && !adapter.ipAddress.empty()) break;
  }
  const std::string_view address = chosen.ipAddress.view();
  if (address.empty() || address == "0.0.0.0") return false;
  if (address.substr(0, 8) == "169.254.") return false;
  return true;
}

bool HostNetwork::AdapterAttempt(bool& readList) {
  std::vector<HostAdapterInfo> adapters;
  readList = ListAdapters(adapters);
  if (!readList) return false;
  // Keep the DNS fields a previous GetHostNetworkInfo put in the record.
  const AddressText dns1 = record_.dnsServer1;
  const AddressText dns2 = record_.dnsServer2;
  const bool usable = ChooseLanAdapter(adapters, record_);
  record_.dnsServer1 = dns1;
  record_.dnsServer2 = dns2;
  return usable;
}

bool HostNetwork::FindLocalAddress(int attempts, bool& dhcpEnabled, std::uint32_t& address,
                                   std::uint32_t& gateway, std::string& adapterName) {
  record_.Clear();
  for (int i = 0; i < attempts; ++i) {
    if (i > 0) ScaledPause(kAddressAttemptPauseMs);
    bool readList = false;
    if (!AdapterAttempt(readList)) continue;
    std::uint32_t value = 0;
    if (!ParseDotted(record_.ipAddress.str(), value)) continue;
    dhcpEnabled = record_.dhcpEnabled != 0;
    address = value;
    // A missing gateway converts to 0 here rather than to the "none" value.
    std::uint32_t gatewayValue = 0;
    gateway = ParseDotted(record_.gateway.str(), gatewayValue) ? gatewayValue : 0;
    adapterName = record_.adapterName.str();
    return true;
  }
  return false;
}

bool HostNetwork::FindLocalAddress(int attempts, bool& dhcpEnabled, WizardState& state) {
  return FindLocalAddress(attempts, dhcpEnabled, state.pcAddress, state.pcGateway,
                          state.pcAdapterName);
}

bool HostNetwork::GetHostNetworkInfo(HostAdapterInfo& info) {
  std::vector<std::string> servers;
  if (!ReadDnsServers(servers)) return false;
  record_.Clear();
  if (!servers.empty()) record_.dnsServer1 = servers[0];
  if (servers.size() > 1) record_.dnsServer2 = servers[1];
  // The adapter list is read here directly: an empty one (a PC with nothing
  // but loopback) is a failure, not an empty record.
  std::vector<HostAdapterInfo> adapters;
  if (!ListAdapters(adapters) || adapters.empty()) return false;
  const AddressText dns1 = record_.dnsServer1;
  const AddressText dns2 = record_.dnsServer2;
  ChooseLanAdapter(adapters, record_);
  record_.dnsServer1 = dns1;
  record_.dnsServer2 = dns2;
  info = record_;
  return true;
}

bool HostNetwork::SwitchAdapterToDhcp(const std::string& adapterName) {
  if (!RestartAdapterWithDhcp(adapterName)) return false;
  for (int i = 0; i < kDhcpAddressAttempts; ++i) {
    if (i > 0) ScaledPause(kAddressAttemptPauseMs);
    bool readList = false;
    if (AdapterAttempt(readList)) return true;
  }
  return false;
}

bool HostNetwork::RenewAllAdapters() {
  std::vector<std::string> interfaces;
  ReleasedInterfaces(interfaces);
  const bool afterRelease = !interfaces.empty();
  if (!afterRelease && !ListLeaseInterfaces(interfaces)) return false;
  bool all = true;
  for (const std::string& name : interfaces) {
    const bool renewed = RenewInterface(name);
    if (renewed && afterRelease) released_.erase(std::remove(released_.begin(), released_.end(), name), released_.end());
    all = renewed && all;
  }
  return all;
}

bool HostNetwork::ReleaseAllAdapters() {
  std::vector<std::string> interfaces;
  if (!ListLeaseInterfaces(interfaces)) return false;
  bool all = true;
  for (const std::string& name : interfaces) {
    const bool releasedNow = ReleaseInterface(name);
    if (releasedNow && std::find(released_.begin(), released_.end(), name) == released_.end())
      released_.push_back(name);
    all = releasedNow && all;
  }
  return all;
}

bool HostNetwork::PingHost(const std::string& target, int attempts, PingError* error) {
  PingError last = PingError::kTimedOut;
  std::uint32_t address = 0;
  bool ok = false;
  if (!ParseDotted(target, address)) {
    last = PingError::kBadTarget;
  } else if (address == kLimitedBroadcast) {
    last = PingError::kBroadcastTarget;
  } else if (OpenEcho(last)) {
    last = PingError::kTimedOut;
    for (int i = 0; i < attempts; ++i) {
      if (SendOneEcho(address, last)) {
        ok = true;
        last = PingError::kNone;
        break;
      }
      ScaledPause(kPingRetryPauseMs);
    }
    CloseEcho();
  }
  if (error != nullptr) *error = last;
  return ok;
}

bool HostNetwork::ResolveHostName(const std::string& name, std::string& dottedAddress) {
  if (name.empty()) return false;
  std::uint32_t address = 0;
  if (!ResolveIpv4(name, address)) return false;
  dottedAddress = FormatDotted(address);
  return true;
}

bool HostNetwork::ReadEntryList(std::vector<DialEntry>& entries) {
  entries.clear();
  if (!ReadPhonebook(entries)) {
    entries.clear();
    return false;
  }
  if (entries.size() > static_cast<std::size_t>(kPhonebookEntries)) entries.resize(kPhonebookEntries);
  return !entries.empty();
}

bool HostNetwork::FindPcPppoeAccount(WizardState& state) {
  std::vector<DialEntry> entries;
  if (!ReadEntryList(entries)) return false;
  PppoeSettings& settings = state.PppoeSettings;
  settings.userName.Clear();
  settings.serviceName.Clear();
  for (const DialEntry& entry : entries) {
    if (!IsDialEntryOfKind(entry, DialKind::kPppoe)) continue;
    settings.serviceName = entry.localPhoneNumber;
    if (entry.dialParamsReadable) settings.userName = entry.userName;
    return true;
  }
  return false;
}

bool HostNetwork::FindVpnAccount(DialKind kind, PptpSettings& settings) {
  std::vector<DialEntry> entries;
  if (!ReadEntryList(entries)) return false;
  const DialEntry* found = nullptr;
  for (const DialEntry& entry : entries) {
    if (IsDialEntryOfKind(entry, kind)) {
      found = &entry;
      break;
    }
  }
  if (found == nullptr) return false;
  settings.userName.Clear();
  std::uint32_t clientAddress = 0;
  std::memcpy(&clientAddress, found->clientAddress, sizeof clientAddress);
  settings.ipAddress = FormatDotted(clientAddress);  // 0.0.0.0 when the entry has none
  settings.server = found->localPhoneNumber;
  if (found->dialParamsReadable) settings.userName = found->userName;
  return true;
}

bool HostNetwork::FindPcPptpAccount(WizardState& state) {
  return FindVpnAccount(DialKind::kPptp, state.PptpSettings);
}

bool HostNetwork::FindPcL2tpAccount(WizardState& state) {
  return FindVpnAccount(DialKind::kL2tp, state.L2tpSettings);
}

HostNetwork& ActiveHostNetwork() {
  if (Active() != nullptr) return *Active();
  static LinuxHostNetwork platform;
  return platform;
}

HostNetwork* SetActiveHostNetwork(HostNetwork* network) {
  HostNetwork* previous = Active();
  Active() = network;
  return previous;
}

}  // namespace kelvane
