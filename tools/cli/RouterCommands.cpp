// The router subcommands of kelvane-cli: discovery, login, the status readers
// and every write command, each a thin layer over the core operation.
#include <ostream>
#include <sstream>

#include "net/DiscoveryProbe.h"
#include "net/HttpClient.h"
#include "net/TextScan.h"
#include "router/Fields.h"
#include "router/RouterLogin.h"
#include "router/RouterRequest.h"
#include "router/StatusReaders.h"
#include "router/WanCommands.h"
#include "router/WanSettingsReader.h"
#include "router/WirelessLanCommands.h"
#include "tools/cli/CommandTable.h"

namespace kelvane::cli {
namespace {

// Complains about unused or malformed arguments; true when there were none.
bool ArgsDone(CliContext& c, CommandArgs& args, int& status) {
  const std::string why = args.Leftover();
  if (why.empty()) return true;
  status = c.Usage(why);
  return false;
}

const char* OptionName(std::int32_t state) {
  switch (state) {
    case kConnectAutomatically: return "auto";
    case kConnectManually: return "manual";
    default: return "demand";
  }
}

bool ParseWanType(const std::string& text, std::int32_t& type) {
  static const std::pair<const char*, std::int32_t> kTypes[] = {
      {"dynamic", kWanDynamicIp}, {"static", kWanStaticIp}, {"pppoe", kWanPppoe}, {"pptp", kWanPptp},
      {"l2tp", kWanL2tp},         {"bigpond", kWanBigPond}, {"telia", kWanTelia}};
  for (const auto& [name, code] : kTypes) {
    if (text == name) {
      type = code;
      return true;
    }
  }
  return false;
}

const char* WanTypeName(std::int32_t type) {
  switch (type) {
    case kWanDynamicIp: return "dynamic";
    case kWanStaticIp: return "static";
    case kWanPppoe: return "pppoe";
    case kWanPptp: return "pptp";
    case kWanL2tp: return "l2tp";
    case kWanBigPond: return "bigpond";
    case kWanTelia: return "telia";
    default: return "none";
  }
}

std::int32_t* OptionStateOf(WizardState& s, std::int32_t type) {
  switch (type) {
    case kWanDynamicIp: return &s.DynamicIpSettings.optionState;
    case kWanPppoe: return &s.PppoeSettings.optionState;
    case kWanPptp: return &s.PptpSettings.optionState;
    case kWanL2tp: return &s.L2tpSettings.optionState;
    case kWanBigPond: return &s.BigPondSettings.optionState;
    case kWanTelia: return &s.TeliaSettings.optionState;
    default: return nullptr;
  }
}

// The MAC text of the router's settings form, as the WAN page reads it.
bool ReadFormMac(const WizardState& state, std::string& mac) {
  std::string page;
  if (!RouterReadPage(state, "/prim.htm", page)) return false;
  return ExtractValueNear(page, "NAME=En", "VALUE=\"", "\"", 30, mac);
}

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
    if (!ReadWirelessStatus(ssid, channel, security, key, s)) return c.FailRouter("cannot read the wireless status");
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

// Takes a text option into a fixed field, refusing what the field cannot hold.
template <class Field>
bool TakeText(CliContext& c, CommandArgs& args, const std::string& name, Field& field, bool& present,
              std::string& problem) {
  std::string v;
  present = args.Option(name, v);
  if (!present) return true;
  (void)c;
  if (field.AssignChecked(v)) return true;
  problem = name + " is longer than " + std::to_string(Field::kMaxLength) + " characters";
  return false;
}

int SetWan(CliContext& c, CommandArgs& args) {
  std::string typeText;
  std::int32_t type = kWanNone;
  if (!args.Positional(typeText) || !ParseWanType(typeText, type)) {
    return c.Usage("set-wan needs a type: dynamic, static, pppoe, pptp, l2tp, bigpond or telia");
  }
  WizardState& s = c.state;
  std::string connect;
  const bool haveConnect = args.Option("--connect", connect);
  std::int32_t option = kConnectOnDemand;
  if (haveConnect) {
    if (connect == "auto") option = kConnectAutomatically;
    else if (connect == "manual") option = kConnectManually;
    else if (connect == "demand") option = kConnectOnDemand;
    else return c.Usage("--connect takes auto, manual or demand");
    if (type == kWanStaticIp) return c.Usage("static IP has no connection control");
    if (option == kConnectManually && (type == kWanDynamicIp || type == kWanBigPond || type == kWanTelia)) {
      return c.Usage("connect manual is for pppoe, pptp and l2tp only");
    }
  }

  std::string problem;
  bool ok = true, present = false;
  std::vector<std::string> wrong;
  auto need = [&](bool good, const char* name) {
    if (!good) wrong.push_back(name);
  };
  switch (type) {
    case kWanStaticIp: {
      StaticIpSettings& r = s.StaticIpSettings;
      ok = TakeText(c, args, "--ip", r.ipAddress, present, problem) && TakeText(c, args, "--mask", r.subnetMask, present, problem) &&
           TakeText(c, args, "--gateway", r.gateway, present, problem) && TakeText(c, args, "--dns1", r.primaryDns, present, problem) &&
           TakeText(c, args, "--dns2", r.secondaryDns, present, problem);
      need(IsIpAddress(r.ipAddress), "--ip");
      need(IsIpAddress(r.subnetMask), "--mask");
      need(IsIpAddress(r.gateway), "--gateway");
      need(IsIpAddress(r.primaryDns), "--dns1");
      need(IsOptionalIpAddress(r.secondaryDns), "--dns2");
      break;
    }
    case kWanPppoe: {
      PppoeSettings& r = s.PppoeSettings;
      ok = TakeText(c, args, "--wan-user", r.userName, present, problem) &&
           TakeText(c, args, "--wan-password", r.password, present, problem) &&
           TakeText(c, args, "--service", r.serviceName, present, problem) &&
           TakeText(c, args, "--dns1", r.primaryDns, present, problem) && TakeText(c, args, "--dns2", r.secondaryDns, present, problem);
      need(IsPrintableText(r.userName), "--wan-user");
      need(IsPrintableText(r.password), "--wan-password");
      need(IsOptionalPrintable(r.serviceName), "--service");
      need(IsOptionalIpAddress(r.primaryDns), "--dns1");
      need(IsOptionalIpAddress(r.secondaryDns), "--dns2");
      break;
    }
    case kWanPptp:
    case kWanL2tp: {
      PptpSettings& r = type == kWanPptp ? s.PptpSettings : s.L2tpSettings;
      // No address: the router gets one by DHCP ("0.0.0.0" three times). A
      // fixed address needs all three; one or two are refused rather than
      // completed with 0.0.0.0.
      r.ipAddress = "0.0.0.0";
      r.subnetMask = "0.0.0.0";
      r.gateway = "0.0.0.0";
      bool haveIp = false, haveMask = false, haveGateway = false;
      ok = TakeText(c, args, "--ip", r.ipAddress, haveIp, problem) &&
           TakeText(c, args, "--mask", r.subnetMask, haveMask, problem) &&
           TakeText(c, args, "--gateway", r.gateway, haveGateway, problem) &&
           TakeText(c, args, "--server", r.server, present, problem) &&
           TakeText(c, args, "--wan-user", r.userName, present, problem) &&
           TakeText(c, args, "--wan-password", r.password, present, problem);
      if (ok && (haveIp || haveMask || haveGateway) && !(haveIp && haveMask && haveGateway)) {
        return c.Usage("--ip, --mask and --gateway go together: give all three for a fixed address, or none");
      }
      need(IsIpAddress(r.ipAddress), "--ip");
      need(IsIpAddress(r.subnetMask), "--mask");
      need(IsIpAddress(r.gateway), "--gateway");
      need(IsIpAddressOrHostName(r.server), "--server");
      need(IsPrintableText(r.userName), "--wan-user");
      need(IsPrintableText(r.password), "--wan-password");
      break;
    }
    case kWanBigPond: {
      BigPondSettings& r = s.BigPondSettings;
      ok = TakeText(c, args, "--wan-user", r.userName, present, problem) &&
           TakeText(c, args, "--wan-password", r.password, present, problem) &&
           TakeText(c, args, "--login-server", r.loginServer, present, problem);
      need(IsPrintableText(r.userName), "--wan-user");
      need(IsOptionalPrintable(r.password), "--wan-password");
      need(IsOptionalPrintable(r.loginServer), "--login-server");
      break;
    }
    case kWanTelia: {
      TeliaSettings& r = s.TeliaSettings;
      ok = TakeText(c, args, "--wan-user", r.userName, present, problem) &&
           TakeText(c, args, "--wan-password", r.password, present, problem);
      need(IsPrintableText(r.userName), "--wan-user");
      need(IsOptionalPrintable(r.password), "--wan-password");
      break;
    }
    default:
      break;
  }
  if (!ok) return c.Usage(problem);
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  if (!wrong.empty()) {
    std::string list;
    for (const std::string& w : wrong) list += (list.empty() ? "" : ", ") + w;
    return c.Usage("missing or invalid: " + list);
  }
  if (!c.EnsureLoggedIn()) return kExitFailed;
  if (std::int32_t* stateOption = OptionStateOf(s, type)) {
    if (haveConnect) {
      *stateOption = option;
    } else if (!ReadWanOptions(type, s)) {
      // Without --connect the router's current choice is kept, as the wizard's
      // pages do.
      return c.FailRouter("cannot read the router's WAN options");
    }
  }
  if (!ApplyWanSettings(type, s)) return c.FailRouter("the router did not take the WAN settings");
  SetWanType(type, s);
  c.out << "wan=" << WanTypeName(type);
  if (const std::int32_t* o = OptionStateOf(s, type)) c.out << " connect=" << OptionName(*o);
  c.out << "\n";
  return kExitOk;
}

int SetWireless(CliContext& c, CommandArgs& args) {
  WizardState& s = c.state;
  WirelessSettings& w = s.WirelessSettings;
  std::string ssid, channel, security, key;
  const bool haveSsid = args.Option("--ssid", ssid);
  const bool haveChannel = args.Option("--channel", channel);
  const bool haveSecurity = args.Option("--security", security);
  const bool haveKey = args.Option("--key", key);
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  std::int32_t mode = kSecurityNone;
  if (haveSecurity) {
    if (security == "none") mode = kSecurityNone;
    else if (security == "wep") mode = kSecurityWep;
    else if (security == "wpa") mode = kSecurityWpaPsk;
    else if (security == "wpa2") mode = kSecurityWpa2Psk;
    else if (security == "mixed") mode = kSecurityWpaMixed;
    else return c.Usage("--security takes none, wep, wpa, wpa2 or mixed");
  }
  if (haveChannel) {
    if (channel == "auto" || channel == "Auto" || channel == "0") {
      channel = "Auto";
    } else {
      const bool digits = !channel.empty() && channel.size() <= 2 && IsAsciiDigit(channel[0]) &&
                          (channel.size() == 1 || IsAsciiDigit(channel[1]));
      const int n = digits ? std::stoi(channel) : 0;
      if (n < 1 || n > 14) return c.Usage("--channel takes auto or 1 to 14");
      channel = std::to_string(n);
    }
  }
  if (haveSsid && !IsPrintableInRange(ssid, 1, 32)) return c.Usage("--ssid takes 1 to 32 printable characters");
  // The status page does not show a key that WEP could take over, so a switch
  // to WEP needs its key on the command line.
  if (haveSecurity && mode == kSecurityWep && !haveKey) return c.Usage("--security wep needs --key");

  if (!c.EnsureLoggedIn()) return kExitFailed;
  // What is not given stays as the router has it.
  if (!haveSsid || !haveChannel || !haveSecurity || (!haveKey && mode != kSecurityNone)) {
    std::string curSsid, curChannel, curText, curKey;
    w.securityMode = -1;
    const bool read = ReadWirelessStatus(curSsid, curChannel, curText, curKey, s);
    if (!read && curSsid.empty()) return c.FailRouter("cannot read the router's wireless settings");
    if (!haveSsid) ssid = curSsid;
    if (!haveChannel) channel = curChannel == "0" ? "Auto" : curChannel;
    if (!haveSecurity) {
      if (w.securityMode < 0) return c.Fail("the router shows a security mode this tool does not know; give --security");
      mode = w.securityMode;
    }
    // The status page shows a pass phrase escaped.
    if (!haveKey) key = mode == kSecurityWep ? curKey : UrlDecode(curKey);
  }
  w.securityMode = mode;
  w.keyIsText = 1;
  switch (mode) {
    case kSecurityWep:
      if (IsHexKey(key, 10) || IsHexKey(key, 26)) {
        w.keyIsText = 0;
      } else if (!IsPrintableOfLength(key, 5) && !IsPrintableOfLength(key, 13)) {
        return c.Usage("a WEP key is 5 or 13 characters, or 10 or 26 hexadecimal digits");
      }
      w.wepKeyLength = key.size() == 5 || key.size() == 10 ? kWepKey64 : kWepKey128;
      break;
    case kSecurityWpaPsk:
    case kSecurityWpa2Psk:
    case kSecurityWpaMixed:
      if (IsHexKey(key, 64)) {
        w.keyIsText = 0;
      } else if (!IsPrintableInRange(key, 8, 63)) {
        return c.Usage("a WPA key is 8 to 63 characters or 64 hexadecimal digits");
      }
      break;
    default:
      key.clear();
      break;
  }
  w.ssid = ssid;
  w.channel = channel;
  w.key = key;
  if (!SetWirelessSettings(w.ssid.view(), w.key.view(), s)) {
    return c.FailRouter("the router did not take the wireless settings");
  }
  c.out << "ssid=" << Shown(w.ssid.view()) << "\nchannel=" << (w.channel == "0" ? "auto" : Shown(w.channel.view()))
        << "\n";
  return kExitOk;
}

int SetLan(CliContext& c, CommandArgs& args) {
  std::string address;
  if (!args.Positional(address)) return c.Usage("set-lan needs the new LAN address");
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  if (!IsIpAddress(address)) return c.Usage(address + " is not a dotted IPv4 address");
  if (!c.EnsureLoggedIn()) return kExitFailed;
  if (!SetLanAddress(address, c.state)) return c.FailRouter("the router did not take the LAN address");
  c.out << "lan=" << address << " (takes effect after the router restarts)\n";
  return kExitOk;
}

int SetDomain(CliContext& c, CommandArgs& args) {
  std::string name;
  const bool have = args.Positional(name);
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  if (!have) name.clear();
  // Leading and trailing white space goes, as the LAN page strips it.
  const std::size_t first = name.find_first_not_of(" \t\r\n\v\f");
  name = first == std::string::npos ? std::string() : name.substr(first, name.find_last_not_of(" \t\r\n\v\f") - first + 1);
  if (!IsPrintableInRange(name, 0, 31)) return c.Usage("the domain name is at most 31 printable characters");
  if (!c.EnsureLoggedIn()) return kExitFailed;
  c.state.lanDomainName = name;
  if (!SetLanDomainName(name, c.state)) return c.FailRouter("the router did not take the domain name");
  c.out << "domain=" << Shown(name) << "\n";
  return kExitOk;
}

int CloneMac(CliContext& c, CommandArgs& args) {
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  if (!c.EnsureLoggedIn()) return kExitFailed;
  if (!CloneMacAddress(c.state)) return c.FailRouter("the router did not clone the MAC address");
  std::string mac;
  if (!ReadFormMac(c.state, mac)) return c.FailRouter("the MAC address was cloned but cannot be read back");
  c.state.DynamicIpSettings.macAddress = mac;
  c.out << "mac=" << Shown(mac) << "\n";
  return kExitOk;
}

int SetMac(CliContext& c, CommandArgs& args) {
  std::string mac;
  if (!args.Positional(mac)) return c.Usage("set-mac needs a MAC address like 00-11-22-33-44-55");
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  if (!IsMacAddress(mac)) return c.Usage(mac + " is not a MAC address like 00-11-22-33-44-55");
  if (!c.EnsureLoggedIn()) return kExitFailed;
  c.state.DynamicIpSettings.macAddress = mac;
  if (!SetWanMacAddress(mac, c.state)) return c.FailRouter("the router did not take the MAC address");
  c.out << "mac=" << mac << "\n";
  return kExitOk;
}

template <bool (*Operation)(const WizardState&)>
int Simple(CliContext& c, CommandArgs& args, const char* failure, const char* done) {
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  if (!c.EnsureLoggedIn()) return kExitFailed;
  if (!Operation(c.state)) return c.FailRouter(failure);
  c.out << done << "\n";
  return kExitOk;
}

int Password(CliContext& c, CommandArgs& args) {
  std::string current, fresh;
  if (!args.Positional(current) || !args.Positional(fresh)) {
    return c.Usage("password needs the current and the new login word");
  }
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  if (!IsPrintableInRange(fresh, 1, 32)) return c.Usage("the new login word is 1 to 32 printable characters");
  if (!c.EnsureLoggedIn()) return kExitFailed;
  if (!ChangeRouterPassword(current, fresh, c.state)) {
    if (LastRouterFailure().kind == RouterFailureKind::kValueRefused && LastRouterFailure().detail.empty()) {
      return c.Fail("the router refused the password change (wrong current word?)");
    }
    return c.FailRouter("the router refused the password change");
  }
  c.out << "password changed; use --user '" << Shown(fresh) << "' --password '' for a router that asks for Basic "
        << "credentials, --password '" << Shown(fresh) << "' otherwise\n";
  return kExitOk;
}

}  // namespace

void RegisterRouterCommands(CommandTable& table) {
  table.Add({"discover", "find the router by broadcast and print its address",
             "usage: kelvane-cli discover\n"
             "Broadcasts the discovery datagram from UDP port 68 and prints the address of the\n"
             "first reply. Binding port 68 needs root or cap_net_bind_service.\n",
             Discover});
  table.Add({"dhcp-probe", "tell whether a DHCP server answers on the LAN",
             "usage: kelvane-cli dhcp-probe\nBroadcasts a DHCP discover and prints dhcp=answered or dhcp=no-answer.\n",
             DhcpProbe});
  table.Add({"probe-login", "tell whether the router can be used with these credentials",
             "usage: kelvane-cli probe-login\n"
             "Asks the router's front page with --user/--password the way the wizard first does,\n"
             "without logging in by form. Prints two lines on standard output:\n"
             "  usable=yes|no  yes: the router can be used with these credentials now\n"
             "  basic=0|1      1: the router asks for Basic credentials (take the login word as\n"
             "                 --user and an empty --password)\n"
             "Exit status: 0 when usable=yes; 1 when usable=no, with one line on the error stream\n"
             "saying why (login needed or refused, nothing answers, no answer within N s, ...);\n"
             "2 for a wrong command line.\n",
             ProbeLogin});
  table.Add({"login", "log in the way the router asks (open, Basic or form)",
             "usage: kelvane-cli login\nLogs in with --user/--password (form routers take the password).\n", Login});
  table.Add({"read",
             "read from the router: wireless, sysinfo, wan-link, wan-detect, wan-addr, wan-settings, domain, "
             "wan-options TYPE",
             "usage: kelvane-cli read wireless|sysinfo|wan-link|wan-detect|wan-addr|wan-settings|domain\n"
             "       kelvane-cli read wan-options dynamic|pppoe|pptp|l2tp|bigpond|telia\n"
             "Prints key=value lines.\n"
             "  wan-settings  the WAN type the router holds (wan=dynamic|static|pppoe|pptp|l2tp|\n"
             "                bigpond|telia|none) and that type's fields, named as set-wan takes\n"
             "                them (mac; ip, mask, gateway, dns1, dns2; wan-user, service;\n"
             "                address-mode=static|dynamic, server; login-server) and connect=;\n"
             "                passwords are never read back\n"
             "  domain        the LAN domain name (domain=NAME)\n",
             Read});
  table.Add({"set-wan", "write the WAN settings of a type",
             "usage: kelvane-cli set-wan TYPE [fields] [--connect auto|manual|demand]\n"
             "  dynamic\n"
             "  static  --ip A --mask A --gateway A --dns1 A [--dns2 A]\n"
             "  pppoe   --wan-user U --wan-password P [--service S] [--dns1 A] [--dns2 A]\n"
             "  pptp, l2tp  --server HOST --wan-user U --wan-password P [--ip A --mask A --gateway A]\n"
             "              (a fixed address needs all three of --ip, --mask and --gateway)\n"
             "  bigpond --wan-user U [--wan-password P] [--login-server S]\n"
             "  telia   --wan-user U [--wan-password P]\n"
             "Without --connect the router's current connection control is kept.\n",
             SetWan});
  table.Add({"set-wireless", "write SSID, channel, security and key",
             "usage: kelvane-cli set-wireless [--ssid S] [--channel auto|1..14]\n"
             "                                [--security none|wep|wpa|wpa2|mixed] [--key K]\n"
             "What is not given stays as the router has it. WEP keys: 5 or 13 characters or\n"
             "10 or 26 hexadecimal digits; WPA keys: 8 to 63 characters or 64 hexadecimal digits.\n"
             "--security wep needs --key.\n",
             SetWireless});
  table.Add({"set-lan", "set the router's LAN address (after a restart)",
             "usage: kelvane-cli set-lan ADDRESS\n", SetLan});
  table.Add({"set-domain", "set the LAN domain name",
             "usage: kelvane-cli set-domain [NAME]\n"
             "Leading and trailing white space is removed; at most 31 printable characters remain.\n"
             "Without a name the domain name is cleared.\n",
             SetDomain});
  table.Add({"clone-mac", "copy the PC's MAC address to the router's WAN side",
             "usage: kelvane-cli clone-mac\nPrints the WAN MAC address the router then holds.\n", CloneMac});
  table.Add({"set-mac", "set the router's WAN MAC address",
             "usage: kelvane-cli set-mac 00-11-22-33-44-55\n", SetMac});
  table.Add({"refresh-wan", "ask the router to refresh its WAN status",
             "usage: kelvane-cli refresh-wan\n",
             [](CliContext& c, CommandArgs& a) {
               return Simple<RefreshWanStatus>(c, a, "the router did not refresh its WAN status", "refreshed");
             }});
  table.Add({"reboot", "restart the router",
             "usage: kelvane-cli reboot\n",
             [](CliContext& c, CommandArgs& a) {
               return Simple<RebootRouter>(c, a, "the router did not take the restart command", "restarting");
             }});
  table.Add({"reset", "restore the router's factory settings",
             "usage: kelvane-cli reset\nThe router forgets every setting and restarts.\n",
             [](CliContext& c, CommandArgs& a) {
               return Simple<ResetRouterToDefaults>(c, a, "the router did not take the reset command",
                                                    "factory settings restored; restarting");
             }});
  table.Add({"password", "change the router's login word",
             "usage: kelvane-cli password CURRENT NEW\n", Password});
}

}  // namespace kelvane::cli
