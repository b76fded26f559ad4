// The one coherent state of the emulated router: what its CGI commands change
// and what its pages show. Plain data plus the rules that tie the parts
// together (which WAN service comes up with which settings and when, what a
// factory reset restores). The server (RouterSim) holds it under its lock.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tools/routersim/SimHttpRequest.h"

namespace kelvane::routersim {

enum class LoginFlavour { kOpen, kBasic, kForm };
// What the provider's side of the WAN cable offers.
enum class WanService { kDhcp, kPppoe, kNone };

// WAN type codes of the router's form ("Wt").
inline constexpr const char* kWtStatic = "0000";
inline constexpr const char* kWtDynamic = "0100";
inline constexpr const char* kWtBigPond = "0101";
inline constexpr const char* kWtTelia = "0104";
inline constexpr const char* kWtPppoe = "0200";
inline constexpr const char* kWtPptp = "0300";
inline constexpr const char* kWtL2tp = "0700";

// The settings form of one WAN type: its text fields by form code (WI, WN, WG,
// ID00, ID01, IU0, IW0, IT0, DI0, IM0) and its check boxes.
struct WanForm {
  std::map<std::string, std::string> values;
  bool df00 = false;  // connect automatically
  bool df01 = false;  // connect manually
  bool df08 = false;  // two further PPPoE boxes
  bool df09 = false;
  std::string Value(const std::string& code) const;
};

// The answer of a command: whether it was taken, the alert text when not, and
// the page the router shows next ("rd").
struct CommandOutcome {
  bool accepted = true;
  std::string alert;
  std::string nextPage;
  bool restart = false;  // go off the air and come back
  bool passwordRefused = false;
};

struct RouterSimState {
  RouterSimState() { ResetToFactory(); }

  // Factory defaults of everything the router stores; the provider side and
  // the login flavour are not part of the router's settings and stay.
  void ResetToFactory();

  // --- stored settings ---
  std::string loginWord;
  std::string wanType;   // active WAN type code
  std::string formType;  // WAN type whose form prim.htm shows
  std::map<std::string, WanForm> forms;
  std::string wanMac;
  std::string ssid;
  std::string channel;       // "0" automatic, else "1".."14"
  std::string securityCode;  // status code: 0 none, 1 WEP, 2/3 WPA, 4/8 WPA2, 5 both
  int wepSizeCode = 0;       // ZS as last set
  std::string wepKey;
  std::string psk;
  bool pskHex = false;
  std::string region = "USA";
  std::string channelMask = "07FF";
  std::string lanAddress;
  std::string pendingLanAddress;  // applied by the next restart
  bool factoryResetPending = false;  // a factory reset, applied by the next restart
  std::string domainName;

  // --- provider side and PC, not reset by a factory reset ---
  LoginFlavour flavour = LoginFlavour::kOpen;
  bool wanCable = true;
  WanService service = WanService::kDhcp;
  std::string ispGateway = "10.64.0.1";
  std::string ispDns1 = "10.64.0.53";
  std::string ispDns2 = "10.64.0.54";
  std::string ispWanAddress = "203.0.113.34";  // the router's WAN address while the WAN is up
  std::string pcMac = "00-1A-2B-3C-4D-5E";  // what a MAC clone copies
  int wanUpDelayMs = 0;
  bool wanUpOnPing = false;  // the link comes up only once the public host was pinged
  // Whether the wireless status page shows the pass phrase while the mixed
  // WPA/WPA2 mode is on; some firmware leaves that line out.
  bool mixedKeyShown = true;

  // --- run-time ---
  bool formLoggedIn = false;
  std::uint64_t wanStartMs = 0;  // when the WAN link was last (re)started
  bool publicHostPinged = false;

  // Every setting the router stores, as one record ("wan.type",
  // "wan.pppoe.IU0", "wireless.psk", "lan.domain", ...): two routers hold the
  // same settings exactly when their records are equal. What the router only
  // shows or runs (the form on display, logins, the WAN link) is not in it.
  std::map<std::string, std::string> Settings() const;

  const WanForm& ActiveForm() const;
  WanForm& FormOf(const std::string& code) { return forms[code]; }

  // The WAN link: cable plugged in and a provider answering.
  bool WanLink() const { return wanCable; }
  // The WAN service is up: the settings fit what the provider offers and the
  // bring-up time (or the first ping of the public host) has passed.
  bool WanUp(std::uint64_t nowMs) const;
  // Gateway and DNS text as the status page shows them.
  std::string WanGateway(std::uint64_t nowMs) const;
  std::string WanDns(std::uint64_t nowMs) const;
  // "(1)" DHCP found, "(2)" PPPoE found, "(-1)" nothing.
  std::string DetectionCode() const;
  void RestartWanLink(std::uint64_t nowMs);
  // After a restart: a factory reset and the new LAN address take effect,
  // logins are forgotten, the WAN link starts again.
  void CompleteRestart(std::uint64_t nowMs);

  // --- the CGI commands ---
  CommandOutcome ApplyPrim(const SimHttpRequest& request, std::uint64_t nowMs);
  CommandOutcome ApplyWant(const SimHttpRequest& request, std::uint64_t nowMs);
  CommandOutcome ApplyWlap(const SimHttpRequest& request);
  CommandOutcome ApplyDhcp(const SimHttpRequest& request);
  CommandOutcome ApplyCmac(const SimHttpRequest& request, std::uint64_t nowMs);
  CommandOutcome ApplyPass(const SimHttpRequest& request);
  CommandOutcome ApplyLogin(const SimHttpRequest& request);
  CommandOutcome ApplyReset();
};

// "USA", "ETSI", ...: whether a channel (1..14, or 0 for automatic) is allowed
// by the upper-case hexadecimal mask.
bool ChannelAllowed(const std::string& mask, int channel);
bool IsDottedQuad(const std::string& text);
bool IsKnownWanType(const std::string& code);

}  // namespace kelvane::routersim
