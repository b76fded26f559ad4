#include "steps/advanced/AdvancedWirelessStep.h"

#include "net/TextScan.h"
#include "steps/kit/WirelessKey.h"
#include "router/Fields.h"
#include "router/RouterRequest.h"
#include "router/WirelessLanCommands.h"

namespace kelvane {

namespace {

constexpr const char* kWirelessStatusPage = "/zero.htm?rc=&rf=0010";

const SecurityCodeRow* SecurityCodeOf(const std::string& code) {
  for (const SecurityCodeRow& row : kSecurityCodes) {
    if (code.size() == 1 && code[0] == row.code) return &row;
  }
  return nullptr;
}

// The codes the router may show after a command that carried `mode`: the
// router chooses the cipher of a WPA mode itself.
bool CodeFitsMode(const std::string& code, std::int32_t mode) {
  const SecurityCodeRow* row = SecurityCodeOf(code);
  return row != nullptr && row->mode == mode;
}

}  // namespace

int AdvancedSecurityPosition(std::int32_t mode) {
  for (int i = 0; i < kAdvancedSecurityCount; ++i) {
    if (kAdvancedSecurityModes[i] == mode) return i;
  }
  return -1;
}

AdvancedWirelessReading ReadRouterWireless(WizardState& state, bool channels) {
  AdvancedWirelessReading r;
  int region = 0;
  if (channels) r.channelsRead = ReadSystemInfo(region, r.channels, state);

  std::string page;
  bool ok = RouterReadPage(state, kWirelessStatusPage, page);
  if (ok) ok = ExtractValueAfter(page, "SSID", "=", "<BR>", r.ssid);
  if (ok) ok = ExtractValueAfter(page, "Channel", "=", "<BR>", r.channel);
  if (ok) ok = ExtractValueAfter(page, "CSKM0=", "'", "'", r.code);
  const SecurityCodeRow* row = ok ? SecurityCodeOf(r.code) : nullptr;
  if (row != nullptr) r.securityPosition = row->position;
  // The key, from a second look at the page, by mode.
  const std::int32_t mode = row != nullptr ? row->mode : -1;
  if (ok && mode == kSecurityWep) {
    // The WEP key is the value of the page's own "Key" line, never a "key"
    // inside the SSID or the pre-shared key line.
    std::string ssid, channel, text;
    std::int32_t shownMode = mode;
    ok = ReadWirelessStatus(ssid, channel, text, r.key, shownMode, state);
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
  if (!r.keyRead) r.key.clear();
  r.ok = ok;
  return r;
}

AdvancedWirelessReading ReadAdvancedWireless(WizardState& state) {
  AdvancedWirelessReading r = ReadRouterWireless(state, true);
  WirelessSettings& w = state.WirelessSettings;
  if (r.ok) {
    w.ssid = r.ssid;
    if (r.channel != "0") w.channel = r.channel;
    // A code we do not know leaves the mode as it was and the list without a
    // choice: a store must never write a security mode the user did not see.
    if (const SecurityCodeRow* row = SecurityCodeOf(r.code)) {
      w.securityMode = row->mode;
      if (row->tkip >= 0) w.tkipCipher = static_cast<std::uint8_t>(row->tkip);
    }
  }
  // A key goes to the router only when it was read from it or typed: one the
  // wizard held from before would replace the router's own.
  if (r.keyRead) {
    w.key = r.key;
  } else {
    w.key.Clear();
  }
  return r;
}

JoinableNetwork NetworkToJoin(const AdvancedWirelessReading& held) {
  JoinableNetwork n;
  const SecurityCodeRow* row = SecurityCodeOf(held.code);
  if (!held.ok || row == nullptr || held.ssid.empty()) return n;
  if (row->mode != kSecurityNone && (!held.keyRead || held.key.empty())) return n;
  n.known = true;
  n.ssid = held.ssid;
  n.mode = row->mode;
  n.key = row->mode == kSecurityNone ? std::string() : held.key;
  return n;
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
                                            const std::string& channelText, int securityPosition,
                                            WizardState& state, const AdvancedWirelessReading* held) {
  AdvancedWirelessStore s;
  WirelessSettings& w = state.WirelessSettings;
  s.securityOk = securityPosition >= 0 && securityPosition < kAdvancedSecurityCount;
  if (s.securityOk) w.securityMode = kAdvancedSecurityModes[securityPosition];
  // The user left the security as the router holds it: the same mode, and
  // the key as it was read (or, where the router does not show it, left
  // empty). Then the command carries none of it, and the router keeps its
  // cipher and its key.
  const bool keepSecurity = s.securityOk && held != nullptr && held->ok &&
                            held->securityPosition == securityPosition &&
                            (w.securityMode == kSecurityNone || (held->keyRead ? key == held->key : key.empty()));
  w.keyIsText = 1;
  w.ssid = ssid;
  s.ssidOk = IsValidSsid(ssid) && w.ssid.view() == ssid;
  s.keyOk = true;
  if (s.securityOk && w.securityMode != kSecurityNone && !keepSecurity) {
    w.key = key;
    const WirelessKeyVerdict verdict = ClassifyWirelessKey(w.securityMode, key);
    s.keyOk = verdict.valid && w.key.view() == key;
    if (s.keyOk) {
      w.keyIsText = verdict.keyIsText;
      if (w.securityMode == kSecurityWep) w.wepKeyLength = verdict.wepKeyLength;
    }
  }
  if (s.securityOk && s.keyOk && !keepSecurity) {
    if (w.securityMode == kSecurityWpaPsk) {
      w.tkipCipher = 1;
    } else if (w.securityMode == kSecurityWpa2Psk || w.securityMode == kSecurityWpaMixed) {
      w.tkipCipher = 0;
    }
  }
  w.channel = channelText;
  if (!s.ssidOk || !s.keyOk || !s.securityOk) return s;
  s.securitySent = !keepSecurity;
  s.sent = SetWirelessSettings(w.ssid.view(), w.key.view(), state, s.securitySent);
  if (!s.sent) return s;

  // A router that threw the command away answers as if it took it: what it
  // shows now tells.
  AdvancedWirelessReading back = ReadRouterWireless(state, false);
  bool same = back.ok && back.ssid == ssid && WirelessChannelNumber(back.channel) == WirelessChannelNumber(w.channel.view());
  if (same && keepSecurity) {
    same = back.code == held->code && (!held->keyRead || (back.keyRead && SameWirelessKey(back.key, held->key)));
  } else if (same) {
    same = CodeFitsMode(back.code, w.securityMode) && (!back.keyRead || SameWirelessKey(back.key, key));
  }
  s.readBack = same;
  if (!same) return s;
  s.held = back;
  if (!back.keyRead && w.securityMode != kSecurityNone) {
    // The page does not show this mode's key: it is the one the router took.
    const bool known = keepSecurity ? held->keyRead : true;
    if (known) {
      s.held.key = keepSecurity ? held->key : key;
      s.held.keyRead = true;
    }
  }
  return s;
}

}  // namespace kelvane
