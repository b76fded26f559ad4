#include "router/StatusReaders.h"

#include <arpa/inet.h>

#include <algorithm>

#include "net/TextScan.h"
#include "router/Fields.h"
#include "router/RouterRequest.h"
#include "router/WanIpReader.h"

namespace kelvane {
namespace {

bool IsLineBlank(char c) { return c == ' ' || c == '\t'; }

// The value of the status page's "Key" line: "Key" (any case) that starts a
// line (leading blanks allowed) or follows a "<BR>" or another tag, then
// optional blanks and "=", up to the next "<BR>". A "Key" inside a word
// ("Monkey"), after other text ("Prechare Key") or without "=" (a title) is
// not the line.
bool ExtractKeyLine(std::string_view page, std::string& value) {
  page = page.substr(0, std::min(page.size(), kScanHorizon));
  std::size_t from = 0;
  while (true) {
    const std::size_t found = FindNoCase(page.substr(from), "Key");
    if (found == std::string_view::npos) return false;
    const std::size_t at = from + found;
    from = at + 1;
    std::size_t before = at;
    while (before > 0 && IsLineBlank(page[before - 1])) --before;
    const bool startsLine = before == 0 || page[before - 1] == '\n' || page[before - 1] == '\r' ||
                            page[before - 1] == '>';
    if (!startsLine) continue;
    std::size_t after = at + 3;
    while (after < page.size() && IsLineBlank(page[after])) ++after;
    if (after >= page.size() || page[after] != '=') continue;
    const std::string_view rest = page.substr(after + 1);
    const std::size_t end = FindNoCase(rest, "<BR>");
    if (end == std::string_view::npos) return false;
    value.assign(rest.substr(0, end));
    return true;
  }
}

bool IsTrimmed(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// `text` without the blanks and line ends around it.
std::string Trimmed(const std::string& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsTrimmed(text[first])) ++first;
  while (last > first && IsTrimmed(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// A single dotted address as the router writes it: four decimal parts, no
// other byte (a NUL ends nothing here), and not the all-ones address that
// the router's own status check refuses.
bool IsSingleServerAddress(const std::string& text) {
  if (text.find('\0') != std::string::npos) return false;
  in_addr parsed{};
  return inet_pton(AF_INET, text.c_str(), &parsed) == 1 && parsed.s_addr != INADDR_NONE;
}

}  // namespace

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
                        std::int32_t& securityMode, WizardState& state) {
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
    MapSecurityCode(code, securityMode, securityText);
  }
  if (securityMode == kSecurityWep) return ExtractKeyLine(page, key);
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

bool ReadWanAddresses(std::uint8_t& wanUp, std::string& gateway, std::string& dns, const WizardState& state,
                      std::string* wanAddress) {
  wanUp = 0;
  std::string page;
  if (wanAddress != nullptr) wanAddress->clear();
  if (!RouterReadPage(state, "/zero.htm?rc=&rf=0020", page)) {
    gateway.clear();
    dns.clear();
    return false;
  }
  if (wanAddress != nullptr) *wanAddress = WanIpFromPage(page);
  std::string gw, servers;
  ExtractBrField("Gateway=", page, gw);
  const bool haveDns = ExtractBrField("Domain Name Server=", page, servers);
  // The router may end its lines with blanks, CR or LF before the "<BR>";
  // they are not part of the addresses the pages go on to ping.
  gw = Trimmed(gw);
  servers = Trimmed(servers);
  if (haveDns && gw.find("0.0.0.0") == std::string::npos) {
    const std::size_t comma = servers.find(", ");
    if (comma != std::string::npos) {
      wanUp = 1;
      servers = Trimmed(servers.substr(0, comma));
    } else {
      wanUp = IsSingleServerAddress(servers) ? 1 : 0;
    }
  }
  gateway = gw.substr(0, kWanGatewayTextMax);
  dns = servers.substr(0, kWanDnsTextMax);
  return haveDns;
}

}  // namespace kelvane
