// The router sheet's wireless page without its window: reading the router's
// wireless settings as the status page reports them (name, channel, the
// security code with its cipher, and the key by mode), and checking and
// storing what the user changed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "router/StatusReaders.h"
#include "state/WizardState.h"

namespace kelvane {

// Positions of the page's security list and the mode each stands for.
// There is no cipher list: the router's wireless command has no field for
// the cipher (the router picks TKIP for WPA-PSK and AES for WPA2-PSK when a
// mode is sent), so a choice there could never take effect.
inline constexpr std::int32_t kAdvancedSecurityModes[] = {kSecurityNone, kSecurityWep, kSecurityWpaPsk,
                                                          kSecurityWpa2Psk, kSecurityWpaMixed};
inline constexpr int kAdvancedSecurityCount = 5;

// One row of the router's security codes: the mode it means, what it says of
// the cipher (1 TKIP, 0 AES, -1 nothing), and the security list position.
struct SecurityCodeRow {
  char code;
  std::int32_t mode;
  int tkip;
  int position;
};
inline constexpr SecurityCodeRow kSecurityCodes[] = {
    {'0', kSecurityNone, -1, 0},    {'1', kSecurityWep, -1, 1},      {'2', kSecurityWpaPsk, 1, 2},
    {'3', kSecurityWpaPsk, 0, 2},   {'4', kSecurityWpa2Psk, 0, 3},   {'8', kSecurityWpa2Psk, 1, 3},
    {'5', kSecurityWpaMixed, -1, 4},
};

// The list position of `mode`; -1 for a mode the list does not offer.
int AdvancedSecurityPosition(std::int32_t mode);

struct AdvancedWirelessReading {
  bool ok = false;          // every fetch and extraction that ran succeeded
  std::string ssid;
  std::string channel;      // as the router reports it; "0" is automatic
  std::string code;         // the security code as the page shows it
  int securityPosition = -1;  // -1: an unknown code, the list keeps its place
  bool keyRead = false;     // the mode has a key on the page and it was read
  std::string key;
  ChannelFlags channels{};  // allowed channels (flag i is channel i+1)
  bool channelsRead = false;
};

// The router's wireless settings as its status page shows them (and, with
// `channels`, the allowed channels from sysinfo.htm); the state is not
// changed. The page is fetched twice: the settings, then the key of the
// mode.
AdvancedWirelessReading ReadRouterWireless(WizardState& state, bool channels);

// ReadRouterWireless with the channels, and what it read written into
// WirelessSettings: the SSID, channel, mode, cipher and key; an unknown
// security code leaves the mode alone (position -1), and a key not read from
// this router is cleared, so that no key held from before is ever sent.
AdvancedWirelessReading ReadAdvancedWireless(WizardState& state);

// The network a phone joins, as the router holds it: known when the read or
// store succeeded with a mode the list offers and, for a secured network, a
// key that was read from the router or that the router took.
struct JoinableNetwork {
  bool known = false;
  std::string ssid;
  std::int32_t mode = kSecurityNone;
  std::string key;
};
JoinableNetwork NetworkToJoin(const AdvancedWirelessReading& held);

inline constexpr const char* kAutoChannelText = "Auto";

// The channel list: "Auto", then the allowed channels ("11" alone when the
// region could not be read), with the router's own channel added where the
// list lacks it, and the position to select (the router's channel; "0" is
// "Auto"; "11" when nothing was read).
struct AdvancedChannelChoice {
  std::vector<std::string> items;
  int selected = 0;
};
AdvancedChannelChoice AdvancedChannels(const AdvancedWirelessReading& reading);

struct AdvancedWirelessStore {
  bool securityOk = false;  // a security mode is chosen in the list
  bool ssidOk = false;
  bool keyOk = false;
  bool sent = false;          // the router answered the command as it answers a command it took
  bool securitySent = false;  // the command carried the security fields
  bool readBack = false;      // read afterwards, the router shows what was sent
  // What the router holds after a store that was read back (its key, where
  // the page does not show it, the one the router took).
  AdvancedWirelessReading held;
  bool Ok() const { return sent && readBack; }
};

// Takes the security list's position, the SSID, key (when the mode has one)
// and channel text into WirelessSettings, checks them, and sends the
// wireless command when all pass; no position (-1, a code the list does not
// offer) sends nothing. When the list and the key are as `held` (the last
// read or store) shows the router's, the command carries no security
// fields, so the router keeps its mode, cipher and key. Otherwise WPA-PSK
// stores TKIP and the WPA2 modes AES in tkipCipher, as the router then
// chooses. A command the router answered is read back: a router that threw
// it away (it still shows other values) fails the store.
AdvancedWirelessStore StoreAdvancedWireless(const std::string& ssid, const std::string& key,
                                            const std::string& channelText, int securityPosition,
                                            WizardState& state, const AdvancedWirelessReading* held = nullptr);

}  // namespace kelvane
