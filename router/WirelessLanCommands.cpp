#include "router/WirelessLanCommands.h"

#include "net/TextScan.h"
#include "router/Fields.h"
#include "router/RouterRequest.h"
#include "router/StatusReaders.h"

namespace kelvane {

std::string WirelessSettingsUrl(std::string_view ssid, std::string_view key, WizardState& state,
                                int& timeoutSeconds, bool withSecurity) {
  WirelessSettings& w = state.WirelessSettings;
  const std::string escapedSsid = UrlEncode(ssid);
  const std::string escapedKey = UrlEncode(key);
  std::string url = RouterUrl(state, "/cgi-bin/wlap?RC=@&rf=1000&Xf=1&KM0=x&ZW0=o&rd=wpa");
  if (w.channel == "Auto") w.channel = "0";
  url += "&ZN=" + escapedSsid;
  url += "&ZC=" + UrlEncode(w.channel.view());
  timeoutSeconds = kRouterTimeoutSeconds;
  if (!withSecurity) return url;
  switch (w.securityMode) {
    case kSecurityNone:
      url += "&CS=0";
      break;
    case kSecurityWep: {
      const bool key64 = key.size() == 5 || key.size() == 10;
      url += "&CS=1";
      if (key64) {
        url += w.keyIsText ? "&ZS=129&KM%23=000F" : "&ZS=1&KM%23=000F";
      } else {
        url += w.keyIsText ? "&ZS=130&KM%23=000F" : "&ZS=2&KM%23=000F";
      }
      url += "&ZO0=" + escapedKey;
      break;
    }
    case kSecurityWpaPsk:
    case kSecurityWpa2Psk:
    case kSecurityWpaMixed:
    case kSecurityWpaMixedAlt:
      url += "&KM%23=00FF&KM4=o";
      url += w.securityMode == kSecurityWpaPsk ? "&CS=3" : w.securityMode == kSecurityWpa2Psk ? "&CS=4" : "&CS=5";
      url += w.keyIsText ? "&KM5=x" : "&KM5=o";
      url += "&PK=" + escapedKey;
      timeoutSeconds = kRouterWpaTimeoutSeconds;
      break;
    default:
      break;
  }
  return url;
}

bool SetWirelessSettings(std::string_view ssid, std::string_view key, WizardState& state, bool withSecurity) {
  int timeout = kRouterTimeoutSeconds;
  const std::string url = WirelessSettingsUrl(ssid, key, state, timeout, withSecurity);
  return RouterSendCommand(state, url, timeout);
}

bool WirelessSettingsTaken(std::string_view ssid, std::string_view key, WizardState& state, bool withSecurity,
                           std::optional<std::int32_t> heldMode) {
  std::string shownSsid, channel, text, shownKey;
  std::int32_t mode = -1;
  ReadWirelessStatus(shownSsid, channel, text, shownKey, mode, state);
  const WirelessSettings& w = state.WirelessSettings;
  // The name is only taken from a page that was read.
  // Channels by number and a 64-digit key without letter case: a router may
  // write back what it took in its own form.
  const int channelNumber = WirelessChannelNumber(channel);
  bool taken = !shownSsid.empty() && shownSsid == ssid &&
               (channel == w.channel.view() ||
                (channelNumber >= 0 && channelNumber == WirelessChannelNumber(w.channel.view())));
  if (taken && withSecurity) {
    const bool mixed = w.securityMode == kSecurityWpaMixed || w.securityMode == kSecurityWpaMixedAlt;
    taken = mode == (mixed ? kSecurityWpaMixed : w.securityMode);
    if (taken && (mode == kSecurityWpaPsk || mode == kSecurityWpa2Psk) && !shownKey.empty()) {
      taken = SameWirelessKey(UrlDecode(shownKey), key);
    }
  } else if (taken && heldMode) {
    taken = mode == *heldMode;
  }
  if (!taken && LastRouterFailure().kind == RouterFailureKind::kNone) {
    RouterFailure failure;
    failure.detail = "the router still shows other wireless settings";
    NoteRouterFailure(failure);
  }
  return taken;
}

bool SetLanAddress(const std::string& address, const WizardState& state) {
  std::string page;
  if (!RouterReadPage(state, "/prim.htm", page)) return false;
  // A valid address is unchanged by escaping; an unchecked one cannot add fields.
  std::string url = RouterUrl(state, "/cgi-bin/prim?rc=@&rd=zero&LI=" + UrlEncode(address) + "&ai=0");
  url += KeptConnectionBoxes(page);
  return RouterSendCommand(state, url);
}

bool SetLanDomainName(const std::string& name, const WizardState& state) {
  const std::string escaped = UrlEncode(name);
  std::string page;
  // The page is not used; the read is what the router's own form does first.
  if (!RouterReadPage(state, "/prim.htm", page)) return false;
  return RouterSendCommand(state, RouterUrl(state, "/cgi-bin/dhcp?rc=@&rd=zero&HD=" + escaped + "&ai=0"));
}

bool RefreshWanStatus(const WizardState& state) {
  return RouterSendCommand(state, RouterUrl(state, "/cgi-bin/want?rc=&rf=&UB=0001&rd=status"));
}

bool RebootRouter(const WizardState& state) { return RouterSendCommand(state, RouterUrl(state, "/cgi-bin/rebo?")); }

bool ResetRouterToDefaults(const WizardState& state) {
  return RouterSendCommand(state, RouterUrl(state, "/cgi-bin/rset?rc=@&rd=_toolbox"));
}

}  // namespace kelvane
