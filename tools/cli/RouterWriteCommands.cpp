// kelvane-cli's router commands that change settings: set-wan,
// set-wireless, set-lan, set-domain, clone-mac and set-mac.
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "net/TextEscape.h"
#include "net/TextScan.h"
#include "router/Fields.h"
#include "router/RouterRequest.h"
#include "router/StatusReaders.h"
#include "router/WanCommands.h"
#include "router/WirelessLanCommands.h"
#include "tools/cli/RouterCommands.h"
#include "tools/cli/SecretInput.h"

namespace kelvane::cli::router_commands {
namespace {

// The MAC text of the router's settings form, as the WAN page reads it.
bool ReadFormMac(const WizardState& state, std::string& mac) {
  std::string page;
  if (!RouterReadPage(state, "/prim.htm", page)) return false;
  return ExtractValueNear(page, "NAME=En", "VALUE=\"", "\"", 30, mac);
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

// Checks a key against a security mode and sets the key's form in `w`;
// empty when the key fits, else the complaint.
std::string CheckKey(std::int32_t mode, const std::string& key, WirelessSettings& w) {
  w.keyIsText = 1;
  switch (mode) {
    case kSecurityWep:
      if (IsHexKey(key, 10) || IsHexKey(key, 26)) {
        w.keyIsText = 0;
      } else if (!IsPrintableOfLength(key, 5) && !IsPrintableOfLength(key, 13)) {
        return "a WEP key is 5 or 13 characters, or 10 or 26 hexadecimal digits";
      }
      w.wepKeyLength = key.size() == 5 || key.size() == 10 ? kWepKey64 : kWepKey128;
      return "";
    case kSecurityWpaPsk:
    case kSecurityWpa2Psk:
    case kSecurityWpaMixed:
      if (IsHexKey(key, 64)) {
        w.keyIsText = 0;
      } else if (!IsPrintableInRange(key, 8, 63)) {
        return "a WPA key is 8 to 63 characters or 64 hexadecimal digits";
      }
      return "";
    default: return "";
  }
}

}  // namespace

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

  // The WAN password: --wan-password, -stdin, -file, or asked on a terminal.
  SecretChoice secret;
  const bool required = type == kWanPppoe || type == kWanPptp || type == kWanL2tp;
  if (required || type == kWanBigPond || type == kWanTelia) {
    const int status = TakeSecret(c, args, "--wan-password",
                                  required ? "WAN password: " : "WAN password (Enter for none): ", secret);
    if (status != kExitOk) return status;
  }

  std::string problem;
  bool ok = true, present = false;
  std::vector<std::string> wrong;
  auto takePassword = [&](auto& field) {
    if (!secret.present || field.AssignChecked(secret.value)) return true;
    problem = "--wan-password is longer than " + std::to_string(std::remove_reference_t<decltype(field)>::kMaxLength) +
              " characters";
    return false;
  };
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
           takePassword(r.password) &&
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
           takePassword(r.password);
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
           takePassword(r.password) &&
           TakeText(c, args, "--login-server", r.loginServer, present, problem);
      need(IsPrintableText(r.userName), "--wan-user");
      need(IsOptionalPrintable(r.password), "--wan-password");
      need(IsOptionalPrintable(r.loginServer), "--login-server");
      break;
    }
    case kWanTelia: {
      TeliaSettings& r = s.TeliaSettings;
      ok = TakeText(c, args, "--wan-user", r.userName, present, problem) &&
           takePassword(r.password);
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
  if (haveSsid && !IsValidSsid(ssid)) return c.Usage("--ssid takes 1 to 32 bytes of UTF-8 text without control characters");
  // The status page does not show a key that WEP could take over, so a switch
  // to WEP needs its key on the command line.
  if (haveSecurity && mode == kSecurityWep && !haveKey) return c.Usage("--security wep needs --key");
  // A key's form is checked before anything is sent: against the mode given,
  // or, when the router's mode still has to be read, against every mode.
  if (haveKey && haveSecurity) {
    if (const std::string why = CheckKey(mode, key, w); !why.empty()) return c.Usage(why);
  } else if (haveKey && !CheckKey(kSecurityWep, key, w).empty() && !CheckKey(kSecurityWpa2Psk, key, w).empty()) {
    return c.Usage("a key is a WEP key (5 or 13 characters, 10 or 26 hexadecimal digits) or a WPA key "
                   "(8 to 63 characters, 64 hexadecimal digits)");
  }

  if (!c.EnsureLoggedIn()) return kExitFailed;
  // Neither a mode nor a key given: the command carries no security at all,
  // so the router keeps its mode, its cipher (which the command cannot name)
  // and its key.
  const bool keepSecurity = !haveSecurity && !haveKey;
  // What is not given stays as the router has it.
  if (!haveSsid || !haveChannel || !haveSecurity || (!haveKey && mode != kSecurityNone)) {
    std::string curSsid, curChannel, curText, curKey;
    w.securityMode = -1;
    const bool read = ReadWirelessStatus(curSsid, curChannel, curText, curKey, s.WirelessSettings.securityMode, s);
    if (!read && curSsid.empty()) return c.FailRouter("cannot read the router's wireless settings");
    if (!haveSsid) ssid = curSsid;
    if (!haveChannel) channel = curChannel == "0" ? "Auto" : curChannel;
    if (!haveSecurity && !keepSecurity) {
      if (w.securityMode < 0) return c.Fail("the router shows a security mode this tool does not know; give --security");
      mode = w.securityMode;
    }
    // The status page shows a pass phrase escaped.
    if (!haveKey) key = mode == kSecurityWep ? curKey : UrlDecode(curKey);
  }
  if (keepSecurity) {
    key.clear();
  } else {
    w.securityMode = mode;
    if (mode != kSecurityWep && mode != kSecurityWpaPsk && mode != kSecurityWpa2Psk && mode != kSecurityWpaMixed) {
      key.clear();
    }
    if (const std::string why = CheckKey(mode, key, w); !why.empty()) return c.Usage(why);
  }
  w.ssid = ssid;
  w.channel = channel;
  w.key = key;
  if (!SetWirelessSettings(w.ssid.view(), w.key.view(), s, !keepSecurity)) {
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

}  // namespace kelvane::cli::router_commands
