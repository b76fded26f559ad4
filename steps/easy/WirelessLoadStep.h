// The easy wireless page's work without Qt: loading the router's wireless
// settings into the form (channels the region allows, the router's SSID,
// channel and security) and checking what the user typed.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "state/WizardState.h"

namespace kelvane {

// The security list of the wireless page, in list order: the securityMode of
// each entry.
inline constexpr std::array<std::int32_t, 5> kSecurityListModes{kSecurityNone, kSecurityWep, kSecurityWpaPsk,
                                                                kSecurityWpa2Psk, kSecurityWpaMixedAlt};
// The text the channel list's first entry stands for (whatever it reads).
inline constexpr std::string_view kAutoChannel = "Auto";

// The list index of `mode`, 0 for a mode the list does not offer.
int SecurityIndexOfMode(std::int32_t mode);

// The security entry for the router's security text, compared without regard
// to case: "NONE" 0, "WEP..." 1, "WPA-PSK / WPA2-PSK" 4, "WPA2-PSK" 3,
// "WPA-PSK" 2 (the longest name first); else the first list entry that begins
// with the text; else -1 (nothing chosen).
int SecurityIndexFromText(std::string_view routerText, const std::vector<std::string>& listTexts);

struct WirelessForm {
  bool loaded = false;                // the router's wireless status was read
  // The router is in the mixed WPA/WPA2 mode and its page does not show the
  // pass phrase: the key box stays empty, and left empty (in that mode) the
  // router keeps its own phrase.
  bool keyUnknown = false;
  std::vector<std::string> channels;  // the numbers after "Auto", ascending
  int channelIndex = 0;               // in the list with "Auto" at 0; -1 none
  int securityIndex = 0;              // -1: none chosen
};

// Reads the allowed channels and the router's wireless settings into
// `state.WirelessSettings` and answers what the form shows. When the channels
// cannot be read only "11" is offered, and the router's own channel. When the
// settings cannot be read nothing is chosen (indexes -1) and the state is
// left as it was: the form shows no value the router did not report.
WirelessForm LoadWirelessForm(WizardState& state, const std::vector<std::string>& securityListTexts);

struct WirelessVerdict {
  bool ssidOk = false;
  bool keyOk = false;
  bool Ok() const { return ssidOk && keyOk; }
};

// Stores the typed SSID, the key (unless the mode is "not used") and the
// channel text into `state.WirelessSettings` and checks SSID and key; the key
// sets keyIsText and, for WEP, wepKeyLength. `channelIndex` 0 is "Auto".
// With `routerKeyUnknown` (the load's keyUnknown) an empty key in the mixed
// mode is right: the router keeps its own (see KeepsRoutersKey).
WirelessVerdict StoreWirelessForm(WizardState& state, std::string_view ssid, std::string_view key,
                                  int channelIndex, const std::vector<std::string>& channels,
                                  bool routerKeyUnknown = false);

// Whether the wireless settings held are to leave the router's security as
// it is: the mixed mode with no key, which only a router that did not show its
// pass phrase leaves behind (every other way to a store checks the key).
bool KeepsRoutersKey(const WirelessSettings& w);

}  // namespace kelvane
