#include "router/StatusReaders.h"

#include <arpa/inet.h>

#include "net/TextScan.h"
#include "router/Fields.h"
#include "router/RouterRequest.h"

namespace kelvane {

bool MapSecurityCode(const std::string& code, std::int32_t& mode, std::string& text) {
  if (code == "0") {
    mode = kSecurityNone;
    text = "NONE";
  } else if (code == "1") {
    mode = kSecurityWep;
    text = "WEP";
  } else if (code == "2" || code == "3") {
    mode = kSecurityWpaPsk;
    text = "WPA-PSK";
  } else if (code == "4" || code == "8") {
    mode = kSecurityWpa2Psk;
    text = "WPA2-PSK";
  } else if (code == "5") {
    mode = kSecurityWpaMixed;
    text = "WPA-PSK / WPA2-PSK";
  } else {
    return false;
  }
  return true;
}

bool ReadWirelessStatus(std::string& ssid, std::string& channel, std::string& securityText, std::string& key,
                        WizardState& state) {
  ssid.clear();
  std::string page;
  // A failed fetch leaves the page empty, so the lookups below find nothing.
  if (RouterReadPage(state, "/zero.htm?rc=&rf=0010", page)) {
    ExtractValue(page, "SSID=", "<BR>", ssid);
  } else {
    page.clear();
  }
  ExtractValue(page, "Channel=", "<BR>", channel);
  std::string code;
  if (ExtractValueAfter(page, "CSKM0=", "'", "'", code)) {
    MapSecurityCode(code, state.WirelessSettings.securityMode, securityText);
  }
  if (state.WirelessSettings.securityMode == kSecurityWep) {
    return ExtractValueAfter(page, "Key", "=", "<BR>", key);
  }
  return ExtractValueAfter(page, "Prechare Key", "=", "<BR>", key);
}

bool ReadSystemInfo(int& regionFlag, ChannelFlags& channelFlags, const WizardState& state) {
  regionFlag = 0;
  for (std::size_t i = 0; i < 14; ++i) channelFlags[i] = 0;
  std::string page;
  if (!RouterReadPage(state, "/sysinfo.htm", page)) return false;
  std::string region;
  if (!ExtractValueAfter(page, "A-String", "D=", ";", region)) return false;
  if (FindNoCase(region, "USA") == 0 && region.size() == 3) regionFlag = 1;
  std::string mask;
  if (!ExtractValueAfter(page, "A-String", "C=", ";", mask)) return false;
  // Digits and upper-case letters only, as the router writes its mask; any
  // other character is taken as if it were an upper-case letter.
  std::uint32_t value = 0;
  for (char c : mask) {
    const int digit = IsAsciiDigit(c) ? c - '0' : c - 'A' + 10;
    value = value * 16u + static_cast<std::uint32_t>(digit);
  }
  value &= 0xFFFFu;
  const std::size_t count = std::min<std::size_t>(mask.size() * 4, kChannelFlagCount);
  for (std::size_t i = 0; i < count; ++i) channelFlags[i] = static_cast<std::uint8_t>((value >> i) & 1u);
  return true;
}

bool ReadWanLinkStatus(std::uint8_t& linkFlag, const WizardState& state) {
  std::string page;
  if (!RouterReadPage(state, "/zero.htm?rc=&rf=0004", page)) return false;
  linkFlag = ContainsNoCase(page, ",0000") ? 0 : 1;
  return true;
}

bool ReadWanDetection(std::uint8_t& readyFlag, std::int32_t& detectedType, const WizardState& state) {
  std::string page;
  if (!RouterReadPage(state, "/zero.htm?rc=&rf=0004", page)) return false;
  if (ContainsNoCase(page, ",0")) {
    readyFlag = 0;
    return true;
  }
  readyFlag = 1;
  std::string comment;
  const bool found = ExtractValueAfter(page, "", "<!--", "-->", comment);
  if (comment.size() > 15) comment.resize(15);
  if (comment.find("(-1)") != std::string::npos) {
    detectedType = kWanNone;
  } else if (comment.find("(1)") != std::string::npos) {
    detectedType = kWanDynamicIp;
  } else if (comment.find("(2)") != std::string::npos) {
    detectedType = kWanPppoe;
  } else {
    detectedType = kWanNone;
  }
  return found;
}

bool ReadWanAddresses(std::uint8_t& wanUp, std::string& gateway, std::string& dns, const WizardState& state) {
  wanUp = 0;
  std::string page;
  if (!RouterReadPage(state, "/zero.htm?rc=&rf=0020", page)) {
    gateway.clear();
    dns.clear();
    return false;
  }
  std::string gw, servers;
  ExtractBrField("Gateway=", page, gw);
  const bool haveDns = ExtractBrField("Domain Name Server=", page, servers);
  if (haveDns && gw.find("0.0.0.0") == std::string::npos) {
    const std::size_t comma = servers.find(", ");
    if (comma != std::string::npos) {
      wanUp = 1;
      servers.resize(comma);
    } else {
      in_addr parsed{};
      wanUp = inet_pton(AF_INET, servers.c_str(), &parsed) == 1 ? 1 : 0;
    }
  }
  gateway = gw.substr(0, kWanGatewayTextMax);
  dns = servers.substr(0, kWanDnsTextMax);
  return haveDns;
}

}  // namespace kelvane
