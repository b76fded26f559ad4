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
    // A code we do not know leaves the mode as it was and the list without a
    // choice: a store must never write a security mode the user did not see.
    for (const SecurityCodeRow& row : kSecurityCodes) {
      if (code.size() == 1 && code[0] == row.code) {
        w.securityMode = row.mode;
        if (row.tkip >= 0) w.tkipCipher = static_cast<std::uint8_t>(row.tkip);
        r.securityPosition = row.position;
      }
    }
  }
  // The key, from a second look at the page, by mode.
  const std::int32_t mode = r.securityPosition >= 0 ? w.securityMode : -1;
  if (ok && mode == kSecurityWep) {
    // The WEP key is the value of the page's own "Key" line, never a "key"
    // inside the SSID or the pre-shared key line.
    std::string ssid, channel, text;
    ok = ReadWirelessStatus(ssid, channel, text, r.key, state.WirelessSettings.securityMode, state);
    r.keyRead = ok;
  } else if (ok && (mode == kSecurityWpaPsk || mode == kSecurityWpa2Psk || mode == kSecurityWpaMixed)) {
    // The mixed mode's pass phrase is on the same line; where a router does
    // not show it the read still stands, but the key is then unknown.
    std::string raw;
    const bool read =
        RouterReadPage(state, kWirelessStatusPage, page) && ExtractValueAfter(page, "Prechare Key", "=", "<BR>", raw);
    if (read) r.key = UrlDecode(raw);
    r.keyRead = read;
    if (mode != kSecurityWpaMixed) ok = read;
  }
  // A key goes to the router only when it was read from it or typed: one the
  // wizard held from before would replace the router's own.
  if (r.keyRead) {
    w.key = r.key;
  } else {
    w.key.Clear();
  }
  r.ok = ok;
  return r;
}

AdvancedChannelChoice AdvancedChannels(const AdvancedWirelessReading& reading) {
  AdvancedChannelChoice choice;
  choice.items.push_back(kAutoChannelText);
  if (reading.channelsRead) {
    for (int i = 0; i < 14; ++i) {
      if (reading.channels[static_cast<std::size_t>(i)] == 1) choice.items.push_back(std::to_string(i + 1));
    }
  } else {
    choice.items.push_back("11");
  }
  auto at = [&](const std::string& text) {
    for (std::size_t i = 0; i < choice.items.size(); ++i) {
      if (choice.items[i] == text) return static_cast<int>(i);
    }
    return -1;
  };
  choice.selected = at("11") >= 0 ? at("11") : 0;
  if (!reading.ok) return choice;
  if (reading.channel == "0") {
    choice.selected = 0;
    return choice;
  }
  // The router's own channel is offered even where the list does not know
  // it, or a store would move the network to another channel.
  int number = 0;
  for (char c : reading.channel) {
    if (c < '0' || c > '9' || number > 99) return choice;
    number = number * 10 + (c - '0');
  }
  if (reading.channel.empty() || number == 0) return choice;
  const std::string text = std::to_string(number);
  if (at(text) < 0) {
    std::size_t pos = 1;
    while (pos < choice.items.size() && std::stoi(choice.items[pos]) < number) ++pos;
    choice.items.insert(choice.items.begin() + static_cast<std::ptrdiff_t>(pos), text);
  }
  choice.selected = at(text);
  return choice;
}

AdvancedWirelessStore StoreAdvancedWireless(const std::string& ssid, const std::string& key,
                                            const std::string& channelText, int cipherPosition,
                                            int securityPosition, WizardState& state) {
  AdvancedWirelessStore s;
  WirelessSettings& w = state.WirelessSettings;
  s.securityOk = securityPosition >= 0 && securityPosition < kAdvancedSecurityCount;
  if (s.securityOk) w.securityMode = kAdvancedSecurityModes[securityPosition];
  w.keyIsText = 1;
  w.ssid = ssid;
  s.ssidOk = IsValidSsid(ssid) && w.ssid.view() == ssid;
  s.keyOk = true;
  if (s.securityOk && w.securityMode != kSecurityNone) {
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
  if (!s.ssidOk || !s.keyOk || !s.securityOk) return s;
  s.sent = SetWirelessSettings(w.ssid.view(), w.key.view(), state);
  return s;
}

}  // namespace kelvane
