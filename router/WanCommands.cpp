#include "router/WanCommands.h"

#include "net/TextScan.h"
#include "router/Fields.h"
#include "router/RouterRequest.h"

namespace kelvane {
namespace {

// The "IM0" value of the router's form, quoted or not. An unquoted value ends
// at the first blank, ">" or control byte (CR, LF, tab ...), wherever the tag
// ends; it is escaped when echoed back like every other value, so a blank or
// "&" in it cannot break the request or add a field.
bool ReadIm0(const std::string& page, std::string& value) {
  if (ExtractValue(page, "NAME=IM0 VALUE=\"", "\"", value)) return true;
  constexpr std::string_view kKey = "NAME=IM0 VALUE=";
  const std::size_t keyAt = FindNoCase(page, kKey);
  if (keyAt == std::string_view::npos) return false;
  const std::string_view rest = std::string_view(page).substr(keyAt + kKey.size());
  std::size_t end = 0;
  while (end < rest.size() && rest[end] != '>' && static_cast<unsigned char>(rest[end]) > 0x20 && rest[end] != 0x7F) {
    ++end;
  }
  if (end == rest.size()) return false;
  value.assign(rest.substr(0, end));
  return true;
}

// The IM0 value as it goes back to the router: escaped like every value, and
// a control byte the router's page held (a quoted value may hold one) escaped
// as well, so nothing raw ends up in the request line.
std::string EchoedIm0(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : UrlEncode(value)) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

// "&DF00=o|x&DF01=o|x" from an option state (1 automatically, 2 manually).
std::string ConnectionBoxes(std::int32_t optionState) {
  std::string s = "&DF00=";
  s += BoxValue(optionState == kConnectAutomatically);
  s += "&DF01=";
  s += BoxValue(optionState == kConnectManually);
  return s;
}

// Option state from the form: 1 when DF00 is checked; with `manual`, 2 when
// DF01 is checked; else 0.
std::int32_t ReadOptionState(const std::string& page, bool manual) {
  bool found = false;
  if (BoxChecked(page, " DF00=", found)) return kConnectAutomatically;
  if (manual && BoxChecked(page, " DF01=", found)) return kConnectManually;
  return kConnectOnDemand;
}

// A form that cannot be read leaves `optionState` as it was (the value the
// router last showed, or the user's choice), never a default the router may
// not have.
bool ReadOptions(WizardState& state, const char* wt, bool manual, std::int32_t& optionState) {
  std::string page;
  if (!RouterReadPage(state, std::string("/cgi-bin/want?rd=prim&Wt=") + wt, page)) return false;
  optionState = ReadOptionState(page, manual);
  return true;
}

// Dotted addresses and MAC texts go in as they are; the pages have checked
// them, and escaping changes nothing in a valid one. Escaping anyway keeps an
// unchecked value from adding fields to the request.
std::string Plain(std::string_view text) { return UrlEncode(text); }

}  // namespace

std::string DynamicWanUrl(const WizardState& state) {
  return RouterUrl(state, state.DynamicIpSettings.optionState == kConnectAutomatically
                              ? "/cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0100&lf=0037&ai=0&DF00=o"
                              : "/cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0100&lf=0037&ai=0&DF00=x");
}

std::string StaticWanUrl(const WizardState& state) {
  const StaticIpSettings& r = state.StaticIpSettings;
  std::string url = RouterUrl(state, "/cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0000&lf=003F&ai=0");
  url += "&WI=" + Plain(r.ipAddress.view());
  url += "&WN=" + Plain(r.subnetMask.view());
  url += "&WG=" + Plain(r.gateway.view());
  url += "&ID00=" + Plain(r.primaryDns.view());
  url += "&ID01=" + Plain(r.secondaryDns.view());
  return url;
}

std::string PppoeWanUrl(const WizardState& state, const std::string& primPage) {
  const PppoeSettings& r = state.PppoeSettings;
  std::string df08Value;
  const bool df08Found =
      ExtractValue(primPage, ",DF08=", ",", df08Value) || ExtractValue(primPage, " DF08=", ",", df08Value);
  bool df09 = false;
  if (df08Found) {
    std::string df09Value;
    df09 = ExtractValue(primPage, " DF09=", " ", df09Value) && ContainsNoCase(df09Value, "CHECKED");
  }
  std::string im0;
  const bool im0Found = ReadIm0(primPage, im0);

  std::string url = RouterUrl(state, "/cgi-bin/prim?rc=@&rf=0008&rd=zero&lf=0037&ai=0");
  url += ConnectionBoxes(r.optionState);
  if (df08Found) {
    url += "&DF08=";
    url += BoxValue(ContainsNoCase(df08Value, "CHECKED"));
    url += "&DF09=";
    url += BoxValue(df09);
  }
  url += "&Wt=0200";
  url += "&IU0=" + UrlEncode(r.userName.view());
  url += "&IW0=" + UrlEncode(r.password.view());
  url += "&IT0=" + UrlEncode(r.serviceName.view());
  url += "&ID00=" + Plain(r.primaryDns.view());
  url += "&ID01=" + Plain(r.secondaryDns.view());
  if (im0Found) url += "&IM0=" + EchoedIm0(im0);
  return url;
}

std::string PptpWanUrl(const WizardState& state, const PptpSettings& r, bool l2tp, const std::string& formPage) {
  std::string im0;
  const bool im0Found = ReadIm0(formPage, im0);
  std::string url = RouterUrl(state, l2tp ? "/cgi-bin/prim?rc=@&rf=4000&rd=zero&Wt=0700&lf=0037&ai=0"
                                          : "/cgi-bin/prim?rc=@&rf=1000&rd=zero&Wt=0300&lf=0037&ai=0");
  url += ConnectionBoxes(r.optionState);
  url += "&WI=" + Plain(r.ipAddress.view());
  url += "&WN=" + Plain(r.subnetMask.view());
  url += "&WG=" + Plain(r.gateway.view());
  url += "&DI0=" + UrlEncode(r.server.view());
  url += "&IU0=" + UrlEncode(r.userName.view());
  url += "&IW0=" + UrlEncode(r.password.view());
  if (im0Found) url += "&IM0=" + EchoedIm0(im0);
  return url;
}

std::string BigPondWanUrl(const WizardState& state) {
  const BigPondSettings& r = state.BigPondSettings;
  std::string url = RouterUrl(state, "/cgi-bin/prim?rc=@&rf=2000&rd=zero&Wt=0101&lf=0037&ai=0");
  url += r.optionState == kConnectAutomatically ? "&DF00=on&DF01=x" : "&DF01=x";
  url += "&IU0=" + UrlEncode(r.userName.view());
  url += "&IW0=" + UrlEncode(r.password.view());
  url += "&IT0=" + UrlEncode(r.loginServer.view());
  return url;
}

std::string TeliaWanUrl(const WizardState& state) {
  const TeliaSettings& r = state.TeliaSettings;
  std::string url = RouterUrl(state, "/cgi-bin/prim?rc=@&rf=8000&rd=zero&Wt=0104&lf=0037&ai=0");
  url += r.optionState == kConnectAutomatically ? "&DF00=on&DF01=x" : "&DF01=x";
  url += "&IU0=" + UrlEncode(r.userName.view());
  url += "&IW0=" + UrlEncode(r.password.view());
  return url;
}

bool ApplyWanSettings(std::int32_t wanType, const WizardState& state) {
  switch (wanType) {
    case kWanStaticIp: return ApplyStaticWan(state);
    case kWanPppoe: return ApplyPppoeWan(state);
    case kWanPptp: return ApplyPptpWan(state);
    case kWanL2tp: return ApplyL2tpWan(state);
    case kWanBigPond: return ApplyBigPondWan(state);
    case kWanTelia: return ApplyTeliaWan(state);
    default: return ApplyDynamicWan(state);
  }
}

bool ApplyDynamicWan(const WizardState& state) { return RouterSendCommand(state, DynamicWanUrl(state)); }

bool ApplyStaticWan(const WizardState& state) { return RouterSendCommand(state, StaticWanUrl(state)); }

bool ApplyPppoeWan(const WizardState& state) {
  std::string page;
  if (!RouterReadPage(state, "/prim.htm", page)) return false;
  return RouterSendCommand(state, PppoeWanUrl(state, page));
}

bool ApplyPptpWan(const WizardState& state) {
  std::string page;
  // This read also switches the router's form to PPTP.
  if (!RouterReadPage(state, "/cgi-bin/want?rd=prim&Wt=0300", page)) return false;
  return RouterSendCommand(state, PptpWanUrl(state, state.PptpSettings, false, page));
}

bool ApplyL2tpWan(const WizardState& state) {
  std::string page;
  if (!RouterReadPage(state, "/cgi-bin/want?rd=prim&Wt=0700", page)) return false;
  return RouterSendCommand(state, PptpWanUrl(state, state.L2tpSettings, true, page));
}

bool ApplyBigPondWan(const WizardState& state) { return RouterSendCommand(state, BigPondWanUrl(state)); }

bool ApplyTeliaWan(const WizardState& state) { return RouterSendCommand(state, TeliaWanUrl(state)); }

bool ReadDynamicWanOptions(WizardState& state) {
  return ReadOptions(state, "0100", false, state.DynamicIpSettings.optionState);
}
bool ReadPppoeWanOptions(WizardState& state) {
  return ReadOptions(state, "0200", true, state.PppoeSettings.optionState);
}
bool ReadPptpWanOptions(WizardState& state) {
  return ReadOptions(state, "0300", true, state.PptpSettings.optionState);
}
bool ReadL2tpWanOptions(WizardState& state) {
  return ReadOptions(state, "0700", true, state.L2tpSettings.optionState);
}
bool ReadBigPondWanOptions(WizardState& state) {
  return ReadOptions(state, "0101", false, state.BigPondSettings.optionState);
}
bool ReadTeliaWanOptions(WizardState& state) {
  return ReadOptions(state, "0104", false, state.TeliaSettings.optionState);
}

bool ReadWanOptions(std::int32_t wanType, WizardState& state) {
  switch (wanType) {
    case kWanDynamicIp: return ReadDynamicWanOptions(state);
    case kWanPppoe: return ReadPppoeWanOptions(state);
    case kWanPptp: return ReadPptpWanOptions(state);
    case kWanL2tp: return ReadL2tpWanOptions(state);
    case kWanBigPond: return ReadBigPondWanOptions(state);
    case kWanTelia: return ReadTeliaWanOptions(state);
    default: return false;
  }
}

bool CloneMacAddress(const WizardState& state) {
  return RouterSendCommand(state, RouterUrl(state, "/cgi-bin/cmac?rc=@&En=&rd=prim"));
}

bool SetWanMacAddress(const std::string& mac, const WizardState& state) {
  std::string page;
  if (!RouterReadPage(state, "/prim.htm", page)) return false;
  std::string url = RouterUrl(state, "/cgi-bin/prim?rc=@&rd=zero&En=" + Plain(mac) + "&ai=0");
  url += KeptConnectionBoxes(page);
  return RouterSendCommand(state, url);
}

void SetWanType(std::int32_t wanType, WizardState& state) { state.wanType = wanType; }

void SetWanType(WizardState& state) { state.wanType = kWanPppoe; }

}  // namespace kelvane
