#include "state/WizardState.h"

namespace kelvane {

WizardState& WizardState::Instance() {
  // Created on first use and deliberately never destroyed: pages and late
  // shutdown code may still read it.
  static WizardState* state = new WizardState();
  return *state;
}

void ResetRouterDefaults(WizardState& state) {
  state.basicAuthLogin = 0;
  state.loginUser = kDefaultLoginWord;
  state.loginPassword = kDefaultLoginWord;

  state.StaticIpSettings = {};
  state.DynamicIpSettings = {};
  state.PppoeSettings = {};
  state.PptpSettings = {};
  state.L2tpSettings = {};
  state.BigPondSettings = {};
  state.TeliaSettings = {};

  WirelessSettings& w = state.WirelessSettings;
  w = {};
  w.ssid = kModelString;
  w.channel = kDefaultChannel;
  w.securityMode = kSecurityNone;
  w.wepKeyLength = 0;
  w.keyIsText = 1;
  w.tkipCipher = 1;
  w.key.Clear();
  state.wirelessPresent = true;

  state.configureWireless = state.wirelessPresent ? 1 : 0;
  state.applyWan = 1;
}

}  // namespace kelvane
