#include "steps/easy/WirelessLoadStep.h"

#include <algorithm>
#include <cctype>

#include "steps/kit/WirelessKey.h"
#include "router/Fields.h"
#include "router/StatusReaders.h"

namespace kelvane {

namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool IsMixedMode(std::int32_t mode) { return mode == kSecurityWpaMixed || mode == kSecurityWpaMixedAlt; }

// "1" .. "14".
bool IsChannelNumber(std::string_view text) {
  if (text.empty() || text.size() > 2 || text[0] == '0') return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= 14;
}

}  // namespace

int SecurityIndexOfMode(std::int32_t mode) {
  for (std::size_t i = 0; i < kSecurityListModes.size(); ++i) {
    if (kSecurityListModes[i] == mode) return static_cast<int>(i);
  }
  return 0;
}

int SecurityIndexFromText(std::string_view routerText, const std::vector<std::string>& listTexts) {
  const std::string text = Upper(routerText);
  if (text == "NONE") return 0;
  if (StartsWith(text, "WEP")) return 1;
  if (text == "WPA-PSK / WPA2-PSK") return 4;
  if (text == "WPA2-PSK") return 3;
  if (text == "WPA-PSK") return 2;
  if (text.empty()) return -1;
  for (std::size_t i = 0; i < listTexts.size(); ++i) {
    if (StartsWith(Upper(listTexts[i]), text)) return static_cast<int>(i);
  }
  return -1;
}

WirelessForm LoadWirelessForm(WizardState& state, const std::vector<std::string>& securityListTexts) {
  WirelessForm form;
  int region = 0;
  ChannelFlags flags{};
  if (ReadSystemInfo(region, flags, state)) {
    for (int channel = 1; channel <= 14; ++channel) {
      if (flags[static_cast<std::size_t>(channel - 1)]) form.channels.push_back(std::to_string(channel));
    }
  } else {
    form.channels.push_back(kDefaultChannel);
  }
  // The list position of a channel text; "Auto" at 0, -1 when not offered.
  auto indexOf = [&form](std::string_view channel) {
    const auto it = std::find(form.channels.begin(), form.channels.end(), channel);
    return it == form.channels.end() ? -1 : static_cast<int>(it - form.channels.begin()) + 1;
  };

  WirelessSettings& w = state.WirelessSettings;
  std::string ssid, channel, security, key;
  form.loaded = ReadWirelessStatus(ssid, channel, security, key, state.WirelessSettings.securityMode, state);
  // A router in the mixed mode may leave its pass phrase off the page: the
  // rest of the page still stands, only the key is unknown. (The security
  // text is only set from a code found on a page that was read.)
  if (!form.loaded && !ssid.empty() && IsMixedMode(state.WirelessSettings.securityMode) &&
      !security.empty()) {
    form.loaded = true;
    form.keyUnknown = true;
    key.clear();
  }
  if (!form.loaded) {
    // Nothing is made up: no name, channel or security the router never
    // reported, so that none of them can be sent back to it.
    form.channelIndex = -1;
    form.securityIndex = -1;
    return form;
  }
  w.ssid = ssid;
  if (channel == "0" || channel.empty()) {
    form.channelIndex = 0;
  } else {
    w.channel = channel;
    // The router's own channel is offered even when the region's list could
    // not be read, so that keeping it does not move the router to another.
    if (indexOf(channel) < 0 && IsChannelNumber(channel)) {
      form.channels.push_back(channel);
      std::sort(form.channels.begin(), form.channels.end(),
                [](const std::string& a, const std::string& b) { return std::stoi(a) < std::stoi(b); });
    }
    form.channelIndex = std::max(0, indexOf(channel));
  }
  form.securityIndex = SecurityIndexFromText(security, securityListTexts);
  // The passphrase line of the status page is percent-encoded (a blank
  // reads "%20"); shown and sent back as read, the key would change.
  // A key the router did not show is none: one held from before would replace
  // the router's own.
  w.key = state.WirelessSettings.securityMode == kSecurityWep ? key : UrlDecode(key);
  if (form.securityIndex >= 0) w.securityMode = kSecurityListModes[static_cast<std::size_t>(form.securityIndex)];
  return form;
}

bool KeepsRoutersKey(const WirelessSettings& w) { return IsMixedMode(w.securityMode) && w.key.empty(); }

WirelessVerdict StoreWirelessForm(WizardState& state, std::string_view ssid, std::string_view key,
                                  int channelIndex, const std::vector<std::string>& channels,
                                  bool routerKeyUnknown) {
  WirelessSettings& w = state.WirelessSettings;
  WirelessVerdict v;
  w.keyIsText = 1;
  const bool ssidWhole = w.ssid.Assign(ssid);
  v.ssidOk = ssidWhole && IsValidSsid(ssid);
  if (routerKeyUnknown && IsMixedMode(w.securityMode) && key.empty()) {
    w.key.Clear();
    v.keyOk = true;  // the router keeps its own pass phrase
  } else if (w.securityMode != kSecurityNone) {
    const bool keyWhole = w.key.Assign(key);
    const WirelessKeyVerdict k = ClassifyWirelessKey(w.securityMode, key);
    v.keyOk = keyWhole && k.valid;
    if (k.valid) {
      w.keyIsText = k.keyIsText;
      if (w.securityMode == kSecurityWep) w.wepKeyLength = k.wepKeyLength;
    }
  } else {
    v.keyOk = true;  // the key is not looked at
  }
  if (channelIndex == 0) {
    w.channel = kAutoChannel;
  } else if (channelIndex > 0 && static_cast<std::size_t>(channelIndex) <= channels.size()) {
    w.channel = channels[static_cast<std::size_t>(channelIndex - 1)];
  } else {
    w.channel = "";
  }
  return v;
}

}  // namespace kelvane
