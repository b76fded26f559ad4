#include "net/host/sim/SimHostNetwork.h"

#include <arpa/inet.h>

#include <algorithm>

#include "net/Wait.h"

namespace kelvane {

int SimHostNetwork::CountCalls(const std::string& operation) const {
  int n = 0;
  for (const Call& c : calls) n += c.operation == operation ? 1 : 0;
  return n;
}

void SimHostNetwork::Record(const std::string& operation, const std::string& argument) {
  calls.push_back(Call{operation, argument});
  if (onCall) onCall(calls.back());
}

HostAdapterInfo SimHostNetwork::Adapter(const std::string& name, const std::string& address,
                                        const std::string& gateway, bool dhcp, const std::string& mask) {
  HostAdapterInfo info;
  info.adapterName = name;
  info.description = "simulated adapter " + name;
  info.ipAddress = address;
  info.subnetMask = address == "0.0.0.0" ? std::string("0.0.0.0") : mask;
  info.gateway = gateway;
  info.dhcpEnabled = dhcp ? 1 : 0;
  if (dhcp && address != "0.0.0.0") info.dhcpServer = gateway;
  return info;
}

DialEntry SimHostNetwork::Pppoe(const std::string& name, const std::string& serviceName,
                                const std::string& userName) {
  DialEntry e;
  e.name = name;
  e.deviceType = "PPPoE";
  e.localPhoneNumber = serviceName;
  e.userName = userName;
  e.source = "simulated";
  return e;
}

DialEntry SimHostNetwork::Vpn(const std::string& name, std::int32_t strategy, const std::string& server,
                              const std::string& userName, std::array<std::uint8_t, 4> clientAddress) {
  DialEntry e;
  e.name = name;
  e.deviceType = "VPN";
  e.vpnStrategy = strategy;
  e.localPhoneNumber = server;
  e.userName = userName;
  std::copy(clientAddress.begin(), clientAddress.end(), e.clientAddress);
  e.source = "simulated";
  return e;
}

HostAdapterInfo* SimHostNetwork::FindAdapter(const std::string& name) {
  for (HostAdapterInfo& a : adapters)
    if (a.adapterName.view() == name) return &a;
  return nullptr;
}

bool SimHostNetwork::FindLocalAddress(int attempts, bool& dhcpEnabled, std::uint32_t& address,
                                      std::uint32_t& gateway, std::string& adapterName) {
  Record("FindLocalAddress", std::to_string(attempts));
  return HostNetwork::FindLocalAddress(attempts, dhcpEnabled, address, gateway, adapterName);
}

bool SimHostNetwork::GetHostNetworkInfo(HostAdapterInfo& info) {
  Record("GetHostNetworkInfo");
  return HostNetwork::GetHostNetworkInfo(info);
}

bool SimHostNetwork::SwitchAdapterToDhcp(const std::string& adapterName) {
  Record("SwitchAdapterToDhcp", adapterName);
  return HostNetwork::SwitchAdapterToDhcp(adapterName);
}

bool SimHostNetwork::RenewAllAdapters() {
  Record("RenewAllAdapters");
  return HostNetwork::RenewAllAdapters();
}

bool SimHostNetwork::ReleaseAllAdapters() {
  Record("ReleaseAllAdapters");
  return HostNetwork::ReleaseAllAdapters();
}

bool SimHostNetwork::PingHost(const std::string& target, int attempts, PingError* error) {
  Record("PingHost", target + " " + std::to_string(attempts));
  return HostNetwork::PingHost(target, attempts, error);
}

bool SimHostNetwork::ResolveHostName(const std::string& name, std::string& dottedAddress) {
  Record("ResolveHostName", name);
  return HostNetwork::ResolveHostName(name, dottedAddress);
}

bool SimHostNetwork::FindPcPppoeAccount(WizardState& state) {
  Record("FindPcPppoeAccount");
  return HostNetwork::FindPcPppoeAccount(state);
}

bool SimHostNetwork::FindPcPptpAccount(WizardState& state) {
  Record("FindPcPptpAccount");
  return HostNetwork::FindPcPptpAccount(state);
}

bool SimHostNetwork::FindPcL2tpAccount(WizardState& state) {
  Record("FindPcL2tpAccount");
  return HostNetwork::FindPcL2tpAccount(state);
}

bool SimHostNetwork::ListAdapters(std::vector<HostAdapterInfo>& list) {
  Record("ListAdapters");
  if (!adaptersReadable) return false;
  if (!adapterSequence.empty()) {
    list = adapterSequence.front();
    adapterSequence.pop_front();
    return true;
  }
  list = adapters;
  return true;
}

bool SimHostNetwork::ReadDnsServers(std::vector<std::string>& servers) {
  Record("ReadDnsServers");
  if (!dnsReadable) return false;
  servers = dnsServers;
  return true;
}

bool SimHostNetwork::RestartAdapterWithDhcp(const std::string& adapterName) {
  Record("RestartAdapterWithDhcp", adapterName);
  WaitRealMs(restartDelayMs);
  if (!restartSucceeds) return false;
  if (!adaptersAfterRestart.empty()) adapters = adaptersAfterRestart;
  return true;
}

bool SimHostNetwork::ListLeaseInterfaces(std::vector<std::string>& interfaces) {
  Record("ListLeaseInterfaces");
  if (!adaptersReadable) return false;
  interfaces = leaseInterfaces;
  if (interfaces.empty())
    for (const HostAdapterInfo& a : adapters) interfaces.push_back(a.adapterName.str());
  return true;
}

bool SimHostNetwork::RenewInterface(const std::string& interfaceName) {
  Record("RenewInterface", interfaceName);
  WaitRealMs(renewDelayMs);
  const auto it = renewResults.find(interfaceName);
  if (it != renewResults.end() && !it->second) return false;
  if (HostAdapterInfo* adapter = FindAdapter(interfaceName)) {
    if (const auto lease = renewLeases.find(interfaceName); lease != renewLeases.end()) {
      *adapter = lease->second;
    } else if (const auto before = beforeRelease_.find(interfaceName); before != beforeRelease_.end()) {
      *adapter = before->second;
    }
  }
  beforeRelease_.erase(interfaceName);
  return true;
}

bool SimHostNetwork::ReleaseInterface(const std::string& interfaceName) {
  Record("ReleaseInterface", interfaceName);
  WaitRealMs(releaseDelayMs);
  const auto it = releaseResults.find(interfaceName);
  if (it != releaseResults.end() && !it->second) return false;
  // The lease is gone: the adapter keeps its name and DHCP flag only.
  if (HostAdapterInfo* adapter = FindAdapter(interfaceName)) {
    beforeRelease_.emplace(interfaceName, *adapter);
    adapter->ipAddress = "0.0.0.0";
    adapter->subnetMask = "0.0.0.0";
    adapter->gateway = "0.0.0.0";
    adapter->dhcpServer.Clear();
  }
  return true;
}

bool SimHostNetwork::OpenEcho(PingError& error) {
  Record("OpenEcho");
  error = openEchoError;
  return openEchoError == PingError::kNone;
}

bool SimHostNetwork::SendOneEcho(std::uint32_t address, PingError& error) {
  const std::string target = FormatDotted(address);
  Record("SendOneEcho", target);
  const auto it = pings.find(target);
  if (it == pings.end() || it->second.results.empty()) {
    WaitRealMs(unscriptedPingDelayMs);
    error = unscriptedPing;
    return error == PingError::kNone;
  }
  std::size_t& cursor = pingCursor_[target];
  const std::vector<PingError>& results = it->second.results;
  error = results[cursor < results.size() ? cursor : results.size() - 1];
  if (cursor < results.size()) ++cursor;
  WaitRealMs(it->second.delayMs);
  return error == PingError::kNone;
}

bool SimHostNetwork::ResolveIpv4(const std::string& name, std::uint32_t& address) {
  Record("ResolveIpv4", name);
  WaitRealMs(resolveDelayMs);
  const auto it = resolutions.find(name);
  if (it == resolutions.end()) return false;
  in_addr parsed{};
  if (inet_pton(AF_INET, it->second.c_str(), &parsed) != 1) return false;
  address = parsed.s_addr;
  return true;
}

bool SimHostNetwork::ReadPhonebook(std::vector<DialEntry>& entries) {
  Record("ReadPhonebook");
  if (!phonebookReadable) return false;
  entries = phonebook;
  return true;
}

}  // namespace kelvane
