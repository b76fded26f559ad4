#include "steps/advanced/AdvancedWanStep.h"

#include <span>

#include "router/RouterRequest.h"
#include "router/WanCommands.h"
#include "router/WanSettingsReader.h"
#include "router/WanTypeReadBack.h"
#include "router/WirelessLanCommands.h"

namespace kelvane {

AdvancedWanStoreResult StoreAdvancedWan(std::int32_t type, const std::array<std::string, kWanMaxFields>& rows,
                                        const std::string& mac, int optionIndex, std::int32_t routerWanType,
                                        WizardState& state) {
  AdvancedWanStoreResult result;
  result.rows = rows;
  const WanForm* form = type >= 1 && type <= kAdvancedWanTypeCount ? WanFormFor(type) : nullptr;
  if (form == nullptr) return result;

  std::array<std::string, kWanMaxFields> texts = rows;
  const WanFormVerdict verdict =
      StoreWanForm(*form, state, std::span<std::string>(texts.data(), form->fields.size()), optionIndex,
                   WanFormUser::kAdvanced);
  for (std::size_t i = 0; i < form->fields.size(); ++i) {
    result.rowOk[i] = verdict.fieldOk[i];
    result.rows[i] = texts[i];
  }
  bool ok = verdict.allOk;
  if (type == kWanDynamicIp && routerWanType == kWanDynamicIp) {
    std::string macText = mac;
    const WanFieldAccess& access = kWanMacField.access;
    macText = std::string(StripBlanks(macText));
    const bool fits = access.write(state, macText);
    result.macOk = fits && PassesCheck(kWanMacField.advancedCheck, macText);
    result.mac = macText;
    ok = ok && result.macOk;
  } else {
    result.mac = mac;
  }
  if (!ok) {
    result.outcome = AdvancedWanStoreOutcome::kInvalidInput;
    return result;
  }
  // The command is what the router's own form of the type sends: bring the
  // form to the type first, or a value of the form left shown (another
  // type's MTU) would go with it.
  std::string formPage;
  // A router that threw the command away still answers with its page: the
  // type and the values its form shows again must be the ones sent.
  if (!ShowWanForm(type, state, formPage) || !ApplyWanSettings(type, state) || !WanTypeTaken(type, state) ||
      !WanFieldsTaken(type, state)) {
    result.outcome = AdvancedWanStoreOutcome::kApplyRefused;
    return result;
  }
  state.wanType = type;
  RefreshWanStatus(state);
  if (type == kWanDynamicIp && !SetWanMacAddress(state.DynamicIpSettings.macAddress.str(), state)) {
    result.outcome = AdvancedWanStoreOutcome::kMacRefused;
    return result;
  }
  result.outcome = AdvancedWanStoreOutcome::kStored;
  return result;
}

bool CloneAndReadMac(WizardState& state, std::string& mac) {
  mac.clear();
  if (!CloneMacAddress(state)) return false;
  std::string page;
  if (!RouterReadPage(state, "/prim.htm", page)) return false;
  if (!ReadFormFieldValue(page, "NAME=En", mac)) {
    mac.clear();
    return false;
  }
  state.DynamicIpSettings.macAddress = mac;
  return true;
}

}  // namespace kelvane
