// The router readers and the commands that read a form first, on fuzzed
// pages served by a loopback peer: every reader's outputs stay in their
// ranges, every request stays well formed, and a command built from a fuzzed
// form adds no field and no blank or line break to its request.
//
// Input: an operation byte (bit 7: the answers are raw, status line and all;
// otherwise each is a page behind "HTTP/1.0 200 OK"), then up to four
// answers separated by "\n=====\n", for the requests in order.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "net/HttpClient.h"
#include "net/TextScan.h"
#include "router/Fields.h"
#include "router/RouterLogin.h"
#include "router/StatusReaders.h"
#include "router/WanSettingsReader.h"
#include "router/WanCommands.h"
#include "router/WirelessLanCommands.h"
#include "state/WizardState.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace kelvane;
using namespace kelvane::fuzz;

namespace {

// Bytes that end or split a request line for a web server: white space and NUL.
bool ControlOrBlank(char c) {
  return c == '\0' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The names of the query fields of a request line "GET /path?a=1&b=2 HTTP/1.0".
std::multiset<std::string> QueryNames(const std::string& request) {
  std::multiset<std::string> names;
  const std::size_t lineEnd = request.find("\r\n");
  std::string line = request.substr(0, lineEnd);
  const std::size_t question = line.find('?');
  if (question == std::string::npos) return names;
  const std::size_t end = line.rfind(" HTTP/1.0");
  const std::string query = line.substr(question + 1, end == std::string::npos ? std::string::npos : end - question - 1);
  std::size_t from = 0;
  while (from <= query.size()) {
    std::size_t amp = query.find('&', from);
    if (amp == std::string::npos) amp = query.size();
    const std::string field = query.substr(from, amp - from);
    names.insert(field.substr(0, field.find('=')));
    from = amp + 1;
  }
  return names;
}

void CheckRequests(const std::vector<LoopbackHttpPeer::Request>& requests, const WizardState& state) {
  for (const LoopbackHttpPeer::Request& r : requests) {
    FUZZ_CHECK(r.localAddress == "127.0.0.1", "a request went to another host: " + Printable(r.bytes));
    const std::size_t lineEnd = r.bytes.find("\r\n");
    FUZZ_CHECK(r.bytes.rfind("GET /", 0) == 0 && lineEnd != std::string::npos && lineEnd >= 14,
               "request: " + Printable(r.bytes));
    const std::string path = r.bytes.substr(4, lineEnd - 4 - 9);
    FUZZ_CHECK(r.bytes.compare(lineEnd - 9, 9, " HTTP/1.0") == 0, "request line: " + Printable(r.bytes));
    for (std::size_t i = 0; i < path.size(); ++i) {
      const bool bad = ControlOrBlank(path[i]);
      FUZZ_CHECK(!bad, "white space or NUL in the request line: " + Printable(r.bytes));
    }
    (void)state;
  }
}

// A command request holds each field once, and only fields the command knows.
void CheckCommandFields(const LoopbackHttpPeer::Request& request, const std::set<std::string>& allowed) {
  const std::multiset<std::string> names = QueryNames(request.bytes);
  for (const std::string& name : names) {
    FUZZ_CHECK(allowed.count(name) == 1, "unknown field '" + name + "' in " + Printable(request.bytes));
    FUZZ_CHECK(names.count(name) == 1, "field '" + name + "' twice in " + Printable(request.bytes));
  }
}

const std::set<std::string> kWanFields = {"rc",  "rf",  "rd",   "lf",   "ai",  "Wt",  "DF00", "DF01", "DF08",
                                           "DF09", "IU0", "IW0", "IT0", "ID00", "ID01", "IM0", "WI",  "WN",
                                           "WG",  "DI0"};
const std::set<std::string> kMacFields = {"rc", "rd", "En", "ai", "DF00", "DF01"};

constexpr unsigned kOperations = 15;

WizardState& FreshState(std::uint16_t port) {
  static WizardState state;
  state = WizardState();
  ResetRouterDefaults(state);
  state.routerAddress = "127.0.0.1:" + std::to_string(port);
  state.loginUser = "admin";
  state.loginPassword = "secret";
  state.PppoeSettings.userName = "user@isp";
  state.PppoeSettings.password = "p&w d";
  state.PppoeSettings.serviceName = "svc";
  state.PppoeSettings.primaryDns = "10.0.0.1";
  state.PptpSettings.ipAddress = "10.1.1.2";
  state.PptpSettings.subnetMask = "255.255.255.0";
  state.PptpSettings.gateway = "10.1.1.1";
  state.PptpSettings.server = "vpn.example";
  state.PptpSettings.userName = "u";
  state.PptpSettings.password = "p";
  state.L2tpSettings = state.PptpSettings;
  return state;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static LoopbackHttpPeer peer;
  if (size < 1) return 0;
  const unsigned op = data[0] & 0x7F;
  const bool raw = (data[0] & 0x80) != 0;
  std::vector<std::string> answers =
      SplitParts(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), 4);
  for (std::string& a : answers) {
    a = WithPort(a, peer.Port());
    if (!raw) a = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + a;
  }
  peer.SetAnswers(answers);
  WizardState& state = FreshState(peer.Port());
  const std::string address = state.routerAddress.str();

  switch (op % kOperations) {
    case 0: {
      std::string ssid = "x", channel = "c", securityText = "s", key = "k";
      state.WirelessSettings.securityMode = (op / 12) % 2 == 0 ? kSecurityWep : kSecurityWpa2Psk;
      ReadWirelessStatus(ssid, channel, securityText, key, state.WirelessSettings.securityMode, state);
      const std::int32_t mode = state.WirelessSettings.securityMode;
      FUZZ_CHECK(mode == kSecurityNone || mode == kSecurityWep || mode == kSecurityWpaPsk ||
                     mode == kSecurityWpa2Psk || mode == kSecurityWpaMixed,
                 "security mode " + std::to_string(mode));
      break;
    }
    case 1: {
      int region = 7;
      ChannelFlags flags{};
      flags.fill(7);
      ReadSystemInfo(region, flags, state);
      FUZZ_CHECK(region == 0 || region == 1, "region flag " + std::to_string(region));
      for (std::size_t i = 0; i < 14; ++i) FUZZ_CHECK(flags[i] <= 1, "channel flag " + std::to_string(flags[i]));
      break;
    }
    case 2: {
      std::uint8_t link = 7;
      if (ReadWanLinkStatus(link, state)) FUZZ_CHECK(link <= 1, "link flag");
      break;
    }
    case 3: {
      std::uint8_t ready = 7;
      std::int32_t type = -5;
      if (ReadWanDetection(ready, type, state)) {
        FUZZ_CHECK(ready <= 1, "ready flag");
        if (ready == 1)
          FUZZ_CHECK(type == kWanNone || type == kWanDynamicIp || type == kWanPppoe, "type " + std::to_string(type));
      }
      break;
    }
    case 4: {
      std::uint8_t up = 7;
      std::string gateway, dns;
      ReadWanAddresses(up, gateway, dns, state);
      FUZZ_CHECK(up <= 1, "WAN-up flag");
      FUZZ_CHECK(gateway.size() <= kWanGatewayTextMax && dns.size() <= kWanDnsTextMax, "text over its field");
      // A single server (no ", " list, whose first entry is taken unchecked)
      // that makes the WAN read as up is a clean address.
      std::string raw;
      const bool single = !ExtractBrField("Domain Name Server=", answers[0], raw) || raw.find(", ") == std::string::npos;
      if (up == 1 && single)
        FUZZ_CHECK(dns.find('\0') == std::string::npos, "DNS text with a NUL byte: " + Printable(dns));
      break;
    }
    case 5: {
      static constexpr std::int32_t kTypes[] = {kWanDynamicIp, kWanPppoe, kWanPptp, kWanL2tp, kWanBigPond, kWanTelia};
      const std::int32_t type = kTypes[(op / 12) % 6];
      ReadWanOptions(type, state);
      for (const std::int32_t option :
           {state.DynamicIpSettings.optionState, state.PppoeSettings.optionState, state.PptpSettings.optionState,
            state.L2tpSettings.optionState, state.BigPondSettings.optionState, state.TeliaSettings.optionState})
        FUZZ_CHECK(option >= kConnectOnDemand && option <= kConnectManually, "option state");
      break;
    }
    case 6:
      ApplyPppoeWan(state);
      break;
    case 7:
      ApplyPptpWan(state);
      break;
    case 8:
      ApplyL2tpWan(state);
      break;
    case 9:
      SetWanMacAddress("00-11-22-33-44-55", state);
      break;
    case 10: {
      std::uint8_t basic = 7;
      ProbeLoginMethod(address, "admin", "secret", basic);
      FUZZ_CHECK(basic <= 1, "basic flag");
      break;
    }
    case 11:
      LoginToRouter(address, "admin", "secret");
      break;
    case 12: {
      WanSettingsReading reading;
      state.PppoeSettings.password = "old";
      ReadWanSettings(state, reading);
      FUZZ_CHECK(state.wanType >= kWanNone && state.wanType <= kWanTelia, "WAN type " + std::to_string(state.wanType));
      FUZZ_CHECK(reading.type == state.wanType, "reading and state disagree on the type");
      FUZZ_CHECK(reading.typeCode.size() <= 4, "type code " + Printable(reading.typeCode));
      // Records are cleared first and passwords never read back.
      if (state.wanType == kWanPppoe) FUZZ_CHECK(state.PppoeSettings.password.empty(), "a password was read back");
      if (state.wanType == kWanPptp) FUZZ_CHECK(state.PptpSettings.password.empty(), "a password was read back");
      if (state.wanType == kWanL2tp) FUZZ_CHECK(state.L2tpSettings.password.empty(), "a password was read back");
      break;
    }
    case 13: {
      std::string domain = "x";
      state.lanDomainName = "keep.me";
      const LanDomainRead result = ReadLanDomainName(state, domain);
      if (result == LanDomainRead::kRead) {
        FUZZ_CHECK(domain == state.lanDomainName.str(), "domain read and stored differ: " + Printable(domain));
      } else {
        FUZZ_CHECK(domain.empty(), "a domain given with a failed read");
        FUZZ_CHECK(result == LanDomainRead::kFetchFailed ? state.lanDomainName.empty()
                                                         : state.lanDomainName.str() == "keep.me",
                   "stored domain after a failed read: " + Printable(state.lanDomainName.str()));
      }
      break;
    }
    case 14: {
      // The form field reader on the page itself, with an anchor taken from it.
      const std::string& page = answers[0];
      static constexpr const char* kAnchors[] = {"NAME=WI", "NAME=IM0", "NAME=IU0", "name=\"DN\"", "NAME=En"};
      const std::string anchor = kAnchors[(op / kOperations) % 5];
      std::string value = "untouched";
      if (ReadFormFieldValue(page, anchor, value)) {
        FUZZ_CHECK(ContainsNoCase(page, anchor), "value for an anchor not on the page");
        FUZZ_CHECK(value.size() <= page.size(), "value longer than the page");
      } else {
        FUZZ_CHECK(value == "untouched", "value changed on failure: " + Printable(value));
      }
      break;
    }
  }

  const std::vector<LoopbackHttpPeer::Request> requests = peer.Requests();
  CheckRequests(requests, state);
  const unsigned which = op % kOperations;
  if (which >= 6 && which <= 8 && requests.size() == 2) CheckCommandFields(requests[1], kWanFields);
  if (which == 9 && requests.size() == 2) CheckCommandFields(requests[1], kMacFields);
  return 0;
}
