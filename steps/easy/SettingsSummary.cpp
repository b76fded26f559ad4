#include "steps/easy/SettingsSummary.h"

#include "steps/kit/WanForms.h"

namespace kelvane {

namespace {

SummaryLine Heading(StringId label, StringId suffix = 0) {
  SummaryLine line;
  line.kind = SummaryLine::Kind::kHeading;
  line.label = label;
  line.suffix = suffix;
  return line;
}

SummaryLine Field(StringId label, std::string value, StringId valueId = 0) {
  SummaryLine line;
  line.kind = SummaryLine::Kind::kField;
  line.label = label;
  line.value = std::move(value);
  line.valueId = valueId;
  return line;
}

}  // namespace

bool ChannelIsNumber(const std::string& channel) {
  if (channel.empty() || channel.size() > 3) return false;
  int value = 0;
  for (char c : channel) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value != 0;
}

StringId SecurityModeText(std::int32_t securityMode, std::int32_t wepKeyLength) {
  switch (securityMode) {
    case kSecurityNone: return kIdWirelessSecurityNone;
    case kSecurityWep:
      if (wepKeyLength == kWepKey64) return kIdWirelessWep64;
      if (wepKeyLength == kWepKey128) return kIdWirelessWep128;
      return kIdWirelessSecurityWep;  // a key size not taken yet: just "WEP"
    case kSecurityWpaPsk: return kIdWirelessWpaPsk;
    case kSecurityWpa2Psk: return kIdAdvWirelessWpa2Psk;
    case kSecurityWpaMixed:
    case kSecurityWpaMixedAlt: return kIdAdvWirelessWpaWpa2Psk;
    default: return 0;
  }
}

std::vector<SummaryLine> BuildSettingsSummary(const WizardState& state) {
  std::vector<SummaryLine> lines;
  const bool wireless = state.configureWireless != 0;
  if (wireless) {
    const WirelessSettings& w = state.WirelessSettings;
    lines.push_back(Heading(kIdWirelessTitle));
    lines.push_back(Field(kIdWirelessSsidLabel, std::string(w.ssid.view())));
    const std::string channel(w.channel.view());
    if (ChannelIsNumber(channel)) {
      lines.push_back(Field(kIdWirelessChannelLabel, channel));
    } else {
      lines.push_back(Field(kIdWirelessChannelLabel, {}, kIdWirelessChannelAuto));
    }
    lines.push_back(Field(kIdWirelessSecurityLabel, {}, SecurityModeText(w.securityMode, w.wepKeyLength)));
  }
  if (state.applyWan != 0) {
    if (wireless) lines.push_back(SummaryLine{});
    const WanForm* form = WanFormFor(state.wanType);
    if (form == nullptr) {
      lines.push_back(Heading(kIdSummaryWanHeading));
      return lines;
    }
    lines.push_back(Heading(kIdSummaryWanHeading, form->subtitle));
    for (const WanField& field : form->fields) lines.push_back(Field(field.label, SummaryText(field, state)));
    if (form->optionCount > 0) {
      const std::int32_t option = StoredOptionIndex(*form, state);
      const StringId text =
          option >= 0 && option < form->optionCount ? kConnectionControlTexts[static_cast<std::size_t>(option)] : 0;
      lines.push_back(Field(kIdConnectionControlLabel, {}, text));
    }
  }
  return lines;
}

}  // namespace kelvane
