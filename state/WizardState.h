// The process-wide state shared by the pages of both sheets, the router
// commands and the start-up routine. One instance exists from process start to
// process end (WizardState::Instance()); it survives every rebuild of the sheet
// after a language change. Nothing here is saved between runs, and there is no
// locking: only the user-interface thread touches it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "state/FixedText.h"

namespace kelvane {

inline constexpr const char* kModelString = "LMQ-5812";
inline constexpr const char* kDefaultLoginWord = "kwzpo";
inline constexpr const char* kDefaultChannel = "11";
inline constexpr const char* kDefaultRouterAddress = "192.168.123.254";

// WAN type codes held in `wanType`; 0 means nothing detected.
enum WanTypeCode : std::int32_t {
  kWanNone = 0,
  kWanDynamicIp = 1,
  kWanStaticIp = 2,
  kWanPppoe = 3,
  kWanPptp = 4,
  kWanL2tp = 5,
  kWanBigPond = 6,
  kWanTelia = 7,
};

// Connection-control choice that ends every WAN record but the static one.
enum OptionStateCode : std::int32_t {
  kConnectOnDemand = 0,
  kConnectAutomatically = 1,
  kConnectManually = 2,
};

// Wireless security modes.
enum SecurityModeCode : std::int32_t {
  kSecurityNone = 0,
  kSecurityWep = 1,
  kSecurityWpaPsk = 2,
  kSecurityWpaMixed = 5,
  kSecurityWpa2Psk = 8,
  kSecurityWpaMixedAlt = 9,
};

inline constexpr std::int32_t kWepKey64 = 101;
inline constexpr std::int32_t kWepKey128 = 102;

using AddressText = FixedText<17>;  // dotted IPv4, at most 16 characters
using CredentialText = FixedText<33>;

struct StaticIpSettings {
  AddressText ipAddress;
  AddressText subnetMask;
  AddressText gateway;
  AddressText primaryDns;
  AddressText secondaryDns;
};

struct DynamicIpSettings {
  FixedText<18> macAddress;  // WAN MAC text of the advanced WAN page
  std::int32_t optionState = 0;
};

struct PppoeSettings {
  FixedText<65> userName;
  FixedText<65> password;
  FixedText<117> serviceName;
  AddressText primaryDns;
  AddressText secondaryDns;
  std::int32_t optionState = 0;
};

struct PptpSettings {
  AddressText ipAddress;
  AddressText subnetMask;
  AddressText gateway;
  FixedText<129> server;  // address or host name
  FixedText<65> userName;
  FixedText<65> password;
  std::int32_t optionState = 0;
};

using L2tpSettings = PptpSettings;

struct BigPondSettings {
  FixedText<65> userName;
  FixedText<65> password;
  FixedText<18> loginServer;
  std::int32_t optionState = 0;
};

struct TeliaSettings {
  FixedText<65> userName;
  FixedText<65> password;
  std::int32_t optionState = 0;
};

struct WirelessSettings {
  FixedText<33> ssid{kModelString};
  FixedText<7> channel{kDefaultChannel};  // "1".."14", "0" or "Auto" for automatic
  std::int32_t securityMode = kSecurityNone;
  std::int32_t wepKeyLength = 0;  // kWepKey64 or kWepKey128 once a WEP key is taken
  std::uint8_t keyIsText = 1;     // 1: typed as characters, 0: as hexadecimal digits
  std::uint8_t tkipCipher = 1;    // 1: TKIP, 0: AES (advanced wireless page only)
  FixedText<129> key;
};

// The five texts of the cancel prompt: caption, question, Yes, No, Cancel.
struct CancelPromptTexts {
  std::array<std::u16string, 5> texts;
};

struct WizardState {
  static WizardState& Instance();

  // Language and layout.
  std::uint32_t languageId = 1033;
  bool restartWizard = false;
  void* languageModule = nullptr;  // handle of the loaded language module
  std::uint16_t osVersionCode = 0;
  std::uint32_t currentPageCode = 0;
  CancelPromptTexts CancelPrompt;

  // Router, login and PC.
  bool wirelessPresent = true;
  AddressText routerAddress;
  std::uint32_t routerAddressValue = 0;  // network order
  std::uint8_t basicAuthLogin = 0;
  CredentialText loginUser{kDefaultLoginWord};
  CredentialText loginPassword{kDefaultLoginWord};
  std::uint32_t pcAddress = 0;  // network order
  std::uint32_t pcGateway = 0;  // network order
  std::string pcAdapterName;
  FixedText<32> lanDomainName;

  // Settings the easy mode collects and the store page sends.
  std::int32_t wanType = kWanNone;
  kelvane::StaticIpSettings StaticIpSettings;
  kelvane::DynamicIpSettings DynamicIpSettings;
  kelvane::PppoeSettings PppoeSettings;
  kelvane::PptpSettings PptpSettings;
  kelvane::L2tpSettings L2tpSettings;
  kelvane::BigPondSettings BigPondSettings;
  kelvane::TeliaSettings TeliaSettings;
  kelvane::WirelessSettings WirelessSettings;
  std::uint8_t configureWireless = 1;
  std::uint8_t applyWan = 1;
  bool wanTestSkipped = false;
};

// The router-related defaults set once at start-up: credentials, cleared WAN
// records, wireless defaults and the flags the store page reads.
void ResetRouterDefaults(WizardState& state = WizardState::Instance());

}  // namespace kelvane
