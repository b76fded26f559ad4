#include "steps/kit/WanForms.h"

#include "router/Fields.h"

namespace kelvane {

bool PassesCheck(FieldCheck check, std::string_view text) {
  switch (check) {
    case FieldCheck::kIpAddress: return IsIpAddress(text);
    case FieldCheck::kOptionalIpAddress: return IsOptionalIpAddress(text);
    case FieldCheck::kIpAddressOrHostName: return IsIpAddressOrHostName(text);
    case FieldCheck::kPrintableText: return IsPrintableText(text);
    case FieldCheck::kOptionalPrintable: return IsOptionalPrintable(text);
    case FieldCheck::kMacAddress: return IsMacAddress(text);
  }
  return false;
}

std::string_view StripBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n\v\f";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

WanFormVerdict StoreWanForm(const WanForm& form, WizardState& state, std::span<std::string> texts, int optionIndex,
                            WanFormUser user) {
  WanFormVerdict verdict;
  for (std::size_t i = 0; i < form.fields.size(); ++i) {
    const WanField& field = form.fields[i];
    std::string text = i < texts.size() ? texts[i] : std::string();
    if (field.strip) {
      text = std::string(StripBlanks(text));
      if (i < texts.size()) texts[i] = text;
    }
    // Stored whatever it holds; a text that had to be cut is wrong, so that
    // nothing is sent that differs from what the user sees.
    const bool whole = field.access.write(state, text);
    const FieldCheck check = user == WanFormUser::kAdvanced ? field.advancedCheck : field.check;
    const bool ok = whole && text.find('\0') == std::string::npos && PassesCheck(check, text);
    verdict.fieldOk[i] = ok;
    verdict.allOk = verdict.allOk && ok;
  }
  if (form.optionState) {
    *form.optionState(state) = (optionIndex >= 0 && optionIndex < form.optionCount) ? optionIndex : 0;
  }
  return verdict;
}

std::int32_t StoredOptionIndex(const WanForm& form, const WizardState& state) {
  if (!form.optionState) return 0;
  return *form.optionState(const_cast<WizardState&>(state));
}

std::string SummaryText(const WanField& field, const WizardState& state) {
  const std::string_view text = field.access.read(state);
  return field.password ? MaskText(text) : std::string(text);
}

}  // namespace kelvane
