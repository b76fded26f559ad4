// kelvane-cli's router commands that only look: discover, dhcp-probe,
// probe-login, login and read.
#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "net/DiscoveryProbe.h"
#include "net/TextEscape.h"
#include "router/Fields.h"
#include "router/RouterLogin.h"
#include "router/RouterRequest.h"
#include "router/StatusReaders.h"
#include "router/WanCommands.h"
#include "router/WanSettingsReader.h"
#include "router/WirelessLanCommands.h"
#include "tools/cli/RouterCommands.h"

namespace kelvane::cli::router_commands {
namespace {

// What one read found, in order: printed as key=value lines, or with --json
// as one JSON object on one line with the same keys.
class Record {
 public:
  enum class Kind { kText, kNumber, kNumberList };
  void Text(const char* key, std::string_view value) { fields_.push_back({key, std::string(value), Kind::kText}); }
  void Number(const char* key, long value) { fields_.push_back({key, std::to_string(value), Kind::kNumber}); }
  // Comma-separated numbers ("1,2,3"); a JSON list.
  void NumberList(const char* key, std::string value) { fields_.push_back({key, std::move(value), Kind::kNumberList}); }
  void Print(std::ostream& out, bool json) const {
    if (!json) {
      for (const Field& f : fields_) out << f.key << "=" << (f.kind == Kind::kText ? Shown(f.value) : f.value) << "\n";
      return;
    }
    out << "{";
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      const Field& f = fields_[i];
      out << (i ? "," : "") << "\"" << f.key << "\":";
      if (f.kind == Kind::kText) out << JsonString(f.value);
      else if (f.kind == Kind::kNumber) out << f.value;
      else out << "[" << f.value << "]";
    }
    out << "}\n";
  }

 private:
  struct Field {
    std::string key;
    std::string value;
    Kind kind;
  };
  // A JSON string: controls as \u00XX, a byte that is not UTF-8 as U+FFFD.
  static std::string JsonString(std::string_view text) {
    std::string s = "\"";
    for (std::size_t i = 0; i < text.size();) {
      const auto ch = static_cast<unsigned char>(text[i]);
      const std::size_t length = ch < 0x80 ? 1 : Utf8SequenceLength(text, i);
      if (length == 0) {
        s += "\\ufffd";
        ++i;
        continue;
      }
      if (ch == '"' || ch == '\\') {
        s += '\\';
        s += static_cast<char>(ch);
      } else if (ch < 0x20 || ch == 0x7F) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\u%04x", ch);
        s += buf;
      } else {
        s.append(text.substr(i, length));
      }
      i += length;
    }
    return s + "\"";
  }
  std::vector<Field> fields_;
};

// The WAN type and the fields of that type as the router holds them, named
// as set-wan takes them (passwords are never read back).
int ReadWanSettingsCommand(CliContext& c, Record& r) {
  WizardState& s = c.state;
  WanSettingsReading reading;
  const bool ok = ReadWanSettings(s, reading);
  if (reading.type == kWanNone) {
    if (!ok) return c.FailRouter("cannot read the WAN settings");
    r.Text("wan", "none");
    r.Text("code", reading.typeCode);
    return kExitOk;
  }
  if (!ok) return c.FailRouter(std::string("cannot read the ") + WanTypeName(reading.type) + " WAN settings");
  r.Text("wan", WanTypeName(reading.type));
  switch (reading.type) {
    case kWanDynamicIp: r.Text("mac", s.DynamicIpSettings.macAddress.view()); break;
    case kWanStaticIp: {
      const StaticIpSettings& w = s.StaticIpSettings;
      r.Text("ip", w.ipAddress.view());
      r.Text("mask", w.subnetMask.view());
      r.Text("gateway", w.gateway.view());
      r.Text("dns1", w.primaryDns.view());
      r.Text("dns2", w.secondaryDns.view());
      break;
    }
    case kWanPppoe: {
      const PppoeSettings& w = s.PppoeSettings;
      r.Text("wan-user", w.userName.view());
      r.Text("service", w.serviceName.view());
      r.Text("dns1", w.primaryDns.view());
      r.Text("dns2", w.secondaryDns.view());
      break;
    }
    case kWanPptp:
    case kWanL2tp: {
      const PptpSettings& w = reading.type == kWanPptp ? s.PptpSettings : s.L2tpSettings;
      r.Text("address-mode", reading.staticAddress ? "static" : "dynamic");
      r.Text("ip", w.ipAddress.view());
      r.Text("mask", w.subnetMask.view());
      r.Text("gateway", w.gateway.view());
      r.Text("server", w.server.view());
      r.Text("wan-user", w.userName.view());
      break;
    }
    case kWanBigPond:
      r.Text("wan-user", s.BigPondSettings.userName.view());
      r.Text("login-server", s.BigPondSettings.loginServer.view());
      break;
    case kWanTelia: r.Text("wan-user", s.TeliaSettings.userName.view()); break;
    default: break;
  }
  if (const std::int32_t* o = OptionStateOf(s, reading.type)) r.Text("connect", OptionName(*o));
  return kExitOk;
}

}  // namespace

int Discover(CliContext& c, CommandArgs& args) {
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  std::string text;
  ProbeError error = ProbeError::kNone;
  if (!FindRouterByBroadcast(c.state.routerAddressValue, text, c.probeAddress, c.probeRemotePort,
                             c.probeLocalPort, &error)) {
    if (error == ProbeError::kNoPrivilege) {
      return c.Fail("cannot listen on UDP port " + std::to_string(c.probeLocalPort) + ": " +
                    ProbeErrorText(error));
    }
    if (error == ProbeError::kNoAnswer) return c.Fail("no router answered the discovery probe");
    return c.Fail(std::string("discovery failed: ") + ProbeErrorText(error));
  }
  c.out << text << "\n";
  return kExitOk;
}

int DhcpProbe(CliContext& c, CommandArgs& args) {
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  bool answered = false;
  ProbeError error = ProbeError::kNone;
  if (!DetectDhcpServer(answered, c.probeAddress, c.probeRemotePort, c.probeLocalPort, &error)) {
    if (error == ProbeError::kNoPrivilege) {
      return c.Fail("cannot listen on UDP port " + std::to_string(c.probeLocalPort) + ": " +
                    ProbeErrorText(error));
    }
    return c.Fail(std::string("the DHCP probe could not be sent: ") + ProbeErrorText(error));
  }
  c.out << (answered ? "dhcp=answered" : "dhcp=no-answer") << "\n";
  return kExitOk;
}

int ProbeLogin(CliContext& c, CommandArgs& args) {
  int status = kExitOk;
  if (!ArgsDone(c, args, status) || !c.EnsureRouter()) return status ? status : kExitFailed;
  std::uint8_t flag = 0;
  const bool ok = ProbeLoginMethod(c.state.routerAddress.str(), c.state.loginUser.str(),
                                   c.state.loginPassword.str(), flag);
  c.out << "usable=" << (ok ? "yes" : "no") << "\nbasic=" << int(flag) << "\n";
  if (ok) return kExitOk;
  const RouterFailure failure = RouterFailureFromHttp(std::string(), false);
  if (failure.kind == RouterFailureKind::kNone) {
    return c.Fail("the router is not usable with these credentials yet (login needed or refused)");
  }
  return c.Fail("the router is not usable with these credentials: " + DescribeRouterFailure(failure));
}

int Login(CliContext& c, CommandArgs& args) {
  int status = kExitOk;
  if (!ArgsDone(c, args, status) || !c.EnsureRouter()) return status ? status : kExitFailed;
  if (!LoginToRouter(c.state.routerAddress.str(), c.state.loginUser.str(), c.state.loginPassword.str())) {
    return c.Fail("cannot log in to the router at " + c.state.routerAddress.str() + ": " +
                  CliContext::LoginFailureReason());
  }
  c.out << "logged in to " << c.state.routerAddress.str() << "\n";
  return kExitOk;
}

int Read(CliContext& c, CommandArgs& args) {
  std::string what, typeText;
  const bool json = args.Flag("--json");
  if (!args.Positional(what)) return c.Usage("read needs what to read");
  std::int32_t type = kWanNone;
  if (what == "wan-options") {
    if (!args.Positional(typeText) || !ParseWanType(typeText, type) || type == kWanStaticIp) {
      return c.Usage("read wan-options needs dynamic, pppoe, pptp, l2tp, bigpond or telia");
    }
  }
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  static const char* const kKnown[] = {"wireless", "sysinfo",     "wan-link",     "wan-detect",
                                       "wan-addr", "wan-options", "wan-settings", "domain"};
  bool known = false;
  for (const char* k : kKnown) known = known || what == k;
  if (!known) return c.Usage("cannot read " + what);
  if (!c.EnsureLoggedIn()) return kExitFailed;
  WizardState& s = c.state;
  Record r;

  if (what == "wireless") {
    std::string ssid, channel, security, key;
    if (!ReadWirelessStatus(ssid, channel, security, key, s.WirelessSettings.securityMode, s)) return c.FailRouter("cannot read the wireless status");
    r.Text("ssid", ssid);
    r.Text("channel", channel == "0" ? "auto" : channel);
    r.Text("security", security);
    r.Number("mode", s.WirelessSettings.securityMode);
    // The status page escapes a pass phrase; the key is shown as it is typed.
    r.Text("key", s.WirelessSettings.securityMode == kSecurityWep ? key : UrlDecode(key));
  } else if (what == "sysinfo") {
    int region = 0;
    ChannelFlags flags{};
    if (!ReadSystemInfo(region, flags, s)) return c.FailRouter("cannot read the system information");
    r.Number("region-usa", region);
    std::string channels;
    for (std::size_t i = 0; i < 14; ++i) {
      if (flags[i]) channels += (channels.empty() ? "" : ",") + std::to_string(i + 1);
    }
    r.NumberList("channels", channels);
  } else if (what == "wan-link") {
    std::uint8_t link = 0;
    if (!ReadWanLinkStatus(link, s)) return c.FailRouter("cannot read the WAN status");
    r.Text("link", link ? "up" : "down");
  } else if (what == "wan-detect") {
    std::uint8_t ready = 0;
    std::int32_t detected = kWanNone;
    if (!ReadWanDetection(ready, detected, s)) return c.FailRouter("cannot read the WAN detection");
    r.Text("ready", ready ? "yes" : "no");
    if (ready) r.Text("detected", WanTypeName(detected));
  } else if (what == "wan-addr") {
    std::uint8_t up = 0;
    std::string gateway, dns;
    if (!ReadWanAddresses(up, gateway, dns, s)) return c.FailRouter("cannot read the WAN addresses");
    r.Text("wan", up ? "up" : "down");
    r.Text("gateway", gateway);
    r.Text("dns", dns);
  } else if (what == "wan-settings") {
    if (const int failed = ReadWanSettingsCommand(c, r); failed != kExitOk) return failed;
  } else if (what == "domain") {
    std::string domain;
    switch (ReadLanDomainName(s, domain)) {
      case LanDomainRead::kRead: break;
      case LanDomainRead::kFetchFailed: return c.FailRouter("cannot read the LAN domain name");
      case LanDomainRead::kFieldMissing:
        return c.Fail("cannot read the LAN domain name: the router's page holds no domain field");
    }
    r.Text("domain", domain);
  } else {
    if (!ReadWanOptions(type, s)) return c.FailRouter("cannot read the WAN options");
    r.Text("connect", OptionName(*OptionStateOf(s, type)));
  }
  r.Print(c.out, json);
  return kExitOk;
}

}  // namespace kelvane::cli::router_commands
