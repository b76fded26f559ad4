#include "steps/advanced/AdvancedWirelessStep.h"

#include "net/TextScan.h"
#include "steps/kit/WirelessKey.h"
#include "router/Fields.h"
#include "router/RouterRequest.h"
#include "router/WirelessLanCommands.h"

namespace kelvane {

namespace {
constexpr const char* kWirelessStatusPage = "/zero.htm?rc=&rf=0010";
}  // namespace

int AdvancedSecurityPosition(std::int32_t mode) {
  for (int i = 0; i < kAdvancedSecurityCount; ++i) {
    if (kAdvancedSecurityModes[i] == mode) return i;
  }
  return -1;
}

AdvancedWirelessReading ReadAdvancedWireless(WizardState& state) {
  AdvancedWirelessReading r;
  WirelessSettings& w = state.WirelessSettings;
  int region = 0;
  r.channelsRead = ReadSystemInfo(region, r.channels, state);

  std::string page;
  bool ok = RouterReadPage(state, kWirelessStatusPage, page);
  if (ok) ok = ExtractValueAfter(page, "SSID", "=", "<BR>", r.ssid);
  if (ok) w.ssid = r.ssid;
  if (ok) ok = ExtractValueAfter(page, "Channel", "=", "<BR>", r.channel);
  if (ok && r.channel != "0") w.channel = r.channel;
  std::string code;
  if (ok) ok = ExtractValueAfter(page, "CSKM0=", "'", "'", code);
  if (ok) {
    w.securityMode = kSecurityNone;
    for (const SecurityCodeRow& row : kSecurityCodes) {
      if (code.size() == 1 && code[0] == row.code) {
        w.securityMode = row.mode;
        if (row.tkip >= 0) w.tkipCipher = static_cast<std::uint8_t>(row.tkip);
        r.securityPosition = row.position;
      }
    }
  }
  // The key, from a second look at the page, by mode.
  if (ok && w.securityMode == kSecurityWep) {
    // The WEP key is the value of the page's own "Key" line, never a "key"
    // inside the SSID or the pre-shared key line.
    std::string ssid, channel, text;
    ok = ReadWirelessStatus(ssid, channel, text, r.key, state.WirelessSettings.securityMode, state);
    r.keyRead = ok;
  } else if (ok && (w.securityMode == kSecurityWpaPsk || w.securityMode == kSecurityWpa2Psk)) {
    std::string raw;
    ok = RouterReadPage(state, kWirelessStatusPage, page) && ExtractValueAfter(page, "Prechare Key", "=", "<BR>", raw);
    if (ok) r.key = UrlDecode(raw);
    r.keyRead = ok;
  }
  if (r.keyRead) w.key = r.key;
  r.ok = ok;
  return r;
}

AdvancedWirelessStore StoreAdvancedWireless(const std::string& ssid, const std::string& key,
                                            const std::string& channelText, int cipherPosition,
                                            WizardState& state) {
  AdvancedWirelessStore s;
  WirelessSettings& w = state.WirelessSettings;
  w.keyIsText = 1;
  w.ssid = ssid;
  s.ssidOk = IsValidSsid(ssid) && w.ssid.view() == ssid;
  s.keyOk = true;
  if (w.securityMode != kSecurityNone) {
    w.key = key;
    const WirelessKeyVerdict verdict = ClassifyWirelessKey(w.securityMode, key);
    s.keyOk = verdict.valid && w.key.view() == key;
    if (s.keyOk) {
      w.keyIsText = verdict.keyIsText;
      if (w.securityMode == kSecurityWep) w.wepKeyLength = verdict.wepKeyLength;
      if (w.securityMode == kSecurityWpaPsk) {
        w.tkipCipher = cipherPosition == kCipherTkip ? 1 : 0;
      } else if (w.securityMode == kSecurityWpa2Psk || w.securityMode == kSecurityWpaMixed) {
        w.tkipCipher = 0;
      }
    }
  }
  w.channel = channelText;
  if (!s.ssidOk || !s.keyOk) return s;
  s.sent = SetWirelessSettings(w.ssid.view(), w.key.view(), state);
  return s;
}

}  // namespace kelvane
