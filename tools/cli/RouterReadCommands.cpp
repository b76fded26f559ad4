// kelvane-cli's router commands that only look: discover, dhcp-probe,
// probe-login, login and read.
#include <ostream>
#include <string>
#include <string_view>

#include "net/DiscoveryProbe.h"
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

// One "name=value" line of router text.
void Line(CliContext& c, const char* name, std::string_view value) { c.out << name << "=" << Shown(value) << "\n"; }

// The WAN type and the fields of that type as the router holds them, named
// as set-wan takes them (passwords are never read back).
int ReadWanSettingsCommand(CliContext& c) {
  WizardState& s = c.state;
  WanSettingsReading reading;
  const bool ok = ReadWanSettings(s, reading);
  if (reading.type == kWanNone) {
    if (!ok) return c.FailRouter("cannot read the WAN settings");
    c.out << "wan=none\ncode=" << Shown(reading.typeCode) << "\n";
    return kExitOk;
  }
  if (!ok) return c.FailRouter(std::string("cannot read the ") + WanTypeName(reading.type) + " WAN settings");
  c.out << "wan=" << WanTypeName(reading.type) << "\n";
  switch (reading.type) {
    case kWanDynamicIp: Line(c, "mac", s.DynamicIpSettings.macAddress); break;
    case kWanStaticIp: {
      const StaticIpSettings& r = s.StaticIpSettings;
      Line(c, "ip", r.ipAddress);
      Line(c, "mask", r.subnetMask);
      Line(c, "gateway", r.gateway);
      Line(c, "dns1", r.primaryDns);
      Line(c, "dns2", r.secondaryDns);
      break;
    }
    case kWanPppoe: {
      const PppoeSettings& r = s.PppoeSettings;
      Line(c, "wan-user", r.userName);
      Line(c, "service", r.serviceName);
      Line(c, "dns1", r.primaryDns);
      Line(c, "dns2", r.secondaryDns);
      break;
    }
    case kWanPptp:
    case kWanL2tp: {
      const PptpSettings& r = reading.type == kWanPptp ? s.PptpSettings : s.L2tpSettings;
      c.out << "address-mode=" << (reading.staticAddress ? "static" : "dynamic") << "\n";
      Line(c, "ip", r.ipAddress);
      Line(c, "mask", r.subnetMask);
      Line(c, "gateway", r.gateway);
      Line(c, "server", r.server);
      Line(c, "wan-user", r.userName);
      break;
    }
    case kWanBigPond:
      Line(c, "wan-user", s.BigPondSettings.userName);
      Line(c, "login-server", s.BigPondSettings.loginServer);
      break;
    case kWanTelia: Line(c, "wan-user", s.TeliaSettings.userName); break;
    default: break;
  }
  if (const std::int32_t* o = OptionStateOf(s, reading.type)) c.out << "connect=" << OptionName(*o) << "\n";
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

  if (what == "wireless") {
    std::string ssid, channel, security, key;
    if (!ReadWirelessStatus(ssid, channel, security, key, s.WirelessSettings.securityMode, s)) return c.FailRouter("cannot read the wireless status");
    c.out << "ssid=" << Shown(ssid) << "\nchannel=" << (channel == "0" ? "auto" : Shown(channel))
          << "\nsecurity=" << Shown(security) << "\nmode=" << s.WirelessSettings.securityMode << "\nkey=" << Shown(key)
          << "\n";
  } else if (what == "sysinfo") {
    int region = 0;
    ChannelFlags flags{};
    if (!ReadSystemInfo(region, flags, s)) return c.FailRouter("cannot read the system information");
    c.out << "region-usa=" << region << "\nchannels=";
    bool first = true;
    for (std::size_t i = 0; i < 14; ++i) {
      if (!flags[i]) continue;
      c.out << (first ? "" : ",") << i + 1;
      first = false;
    }
    c.out << "\n";
  } else if (what == "wan-link") {
    std::uint8_t link = 0;
    if (!ReadWanLinkStatus(link, s)) return c.FailRouter("cannot read the WAN status");
    c.out << "link=" << (link ? "up" : "down") << "\n";
  } else if (what == "wan-detect") {
    std::uint8_t ready = 0;
    std::int32_t detected = kWanNone;
    if (!ReadWanDetection(ready, detected, s)) return c.FailRouter("cannot read the WAN detection");
    c.out << "ready=" << (ready ? "yes" : "no") << "\n";
    if (ready) c.out << "detected=" << WanTypeName(detected) << "\n";
  } else if (what == "wan-addr") {
    std::uint8_t up = 0;
    std::string gateway, dns;
    if (!ReadWanAddresses(up, gateway, dns, s)) return c.FailRouter("cannot read the WAN addresses");
    c.out << "wan=" << (up ? "up" : "down") << "\ngateway=" << Shown(gateway) << "\ndns=" << Shown(dns) << "\n";
  } else if (what == "wan-settings") {
    return ReadWanSettingsCommand(c);
  } else if (what == "domain") {
    std::string domain;
    switch (ReadLanDomainName(s, domain)) {
      case LanDomainRead::kRead: break;
      case LanDomainRead::kFetchFailed: return c.FailRouter("cannot read the LAN domain name");
      case LanDomainRead::kFieldMissing:
        return c.Fail("cannot read the LAN domain name: the router's page holds no domain field");
    }
    c.out << "domain=" << Shown(domain) << "\n";
  } else {
    if (!ReadWanOptions(type, s)) return c.FailRouter("cannot read the WAN options");
    c.out << "connect=" << OptionName(*OptionStateOf(s, type)) << "\n";
  }
  return kExitOk;
}

}  // namespace kelvane::cli::router_commands
