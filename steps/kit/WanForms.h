// The WAN forms as data: one table row per WAN type says everything the
// easy-mode WAN pages, the advanced WAN page and the store page's summary need
// to know about that type's form. No page spells out a field by hand.
//
// A `WanForm` (one per WAN type 1..7, `kWanForms`, found with `WanFormFor`):
//   wanType, templateId, pageCode   the easy-mode page of the type
//   title, subtitle, message, error the page's header texts, the message shown
//                                   on activation and the input-error message
//                                   (error 0: the type has nothing to check)
//   optionCount                     connection-control entries offered: 0 (no
//                                   connection control: static IP), 2 (on
//                                   demand, always on) or 3 (also manual);
//                                   the entries are kConnectionControlTexts in
//                                   list order, the index is the record's
//                                   `optionState`
//   optionState                     the record's `optionState` (null: none)
//   addressMode                     the type has the IP-mode switch (PPTP,
//                                   L2TP): dynamic puts "0.0.0.0" into the
//                                   fields marked `addressRow` and disables them
//   advancedControlRow              where the advanced WAN page puts the
//                                   connection control: the place of that row
//                                   (1..6), or 0 for its template place
//   fields                          the form's fields, top to bottom
//
// A `WanField` (row n of the advanced page is fields[n-1]):
//   labelId, editId                 control IDs of label and edit on the easy
//                                   pages and, being the same row IDs, on the
//                                   advanced page (kWanRowLabelId/kWanRowEditId)
//   noteId, note                    the optional-note text beside the edit
//                                   (0: none); the advanced page shows none
//   label                           label string (shown followed by ":")
//   check, advancedCheck            the check on the easy page and on the
//                                   advanced page (they differ only for the
//                                   BigPond password, optional there)
//   strip                           true: blanks at both ends are stripped and
//                                   the stripped text is written back into the
//                                   edit; false: taken as typed
//   password                        masked on screen, "*" in summaries
//   addressRow                      one of the three address fields that the
//                                   dynamic IP mode fills with "0.0.0.0"
//   access                          read/write of the record member, and its
//                                   capacity (bytes, terminator included); an
//                                   as-typed edit takes at most capacity - 1
//                                   characters, a stripped one is not limited
//                                   (its check refuses what is too long)
//
// Validation (`StoreWanForm`): every field is stored into its record, valid or
// not, and every field is checked even after a failure, so a page can mark all
// wrong labels at once from the per-field flags.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "language/StringIds.h"
#include "state/WizardState.h"

namespace kelvane {

enum class FieldCheck : std::uint8_t {
  kIpAddress,            // dotted IPv4
  kOptionalIpAddress,    // empty or dotted IPv4
  kIpAddressOrHostName,  // server: an address or a host name
  kPrintableText,        // not empty, printable
  kOptionalPrintable,    // empty or printable
  kMacAddress,           // six hexadecimal pairs joined by "-"
};

// Whether `text` passes `check`.
bool PassesCheck(FieldCheck check, std::string_view text);

// `text` without blanks (space, tab, line ends) at either end.
std::string_view StripBlanks(std::string_view text);

// Reading and writing one record member from the state, whatever its width.
struct WanFieldAccess {
  std::string_view (*read)(const WizardState&) = nullptr;
  // Stores the text cut to the field; false when it had to be cut.
  bool (*write)(WizardState&, std::string_view) = nullptr;
  std::size_t capacity = 0;  // bytes, terminator included
};

template <auto Record, auto Member>
constexpr WanFieldAccess AccessOf() {
  using Field = std::remove_cvref_t<decltype(std::declval<WizardState&>().*Record.*Member)>;
  return WanFieldAccess{
      +[](const WizardState& s) -> std::string_view { return (s.*Record.*Member).view(); },
      +[](WizardState& s, std::string_view text) -> bool { return (s.*Record.*Member).Assign(text); },
      Field::kCapacity,
  };
}

template <auto Record>
constexpr std::int32_t* (*OptionStateOf())(WizardState&) {
  return +[](WizardState& s) -> std::int32_t* { return &(s.*Record).optionState; };
}

// Control IDs shared by the seven easy WAN pages (and, for the rows, the
// address mode and the connection control, the advanced WAN page).
inline constexpr int kWanMessageId = 6111;
inline constexpr int kWanPictureId = 6126;
inline constexpr int kWanAddressModeLabelId = 6172;
inline constexpr int kWanAddressModeComboId = 6173;
inline constexpr int kWanConnectionLabelId = 6167;
inline constexpr int kWanConnectionComboId = 6090;
inline constexpr int kWanMaxFields = 6;
constexpr int kWanRowLabelId(int row) { return 6080 + row; }  // row 1..6
constexpr int kWanRowEditId(int row) { return 6111 + row; }
constexpr int kWanRowNoteId(int row) { return 6130 + row; }

// Connection-control entries in list order (index = optionState).
inline constexpr std::array<StringId, 3> kConnectionControlTexts{kIdConnectOnDemand, kIdConnectAutomatically,
                                                                 kIdConnectManually};
// Address-mode list (PPTP, L2TP): index 0 dynamic, 1 static.
inline constexpr std::array<StringId, 2> kAddressModeTexts{kIdIpModeDynamic, kIdIpModeStatic};
inline constexpr int kAddressModeDynamic = 0;
inline constexpr int kAddressModeStatic = 1;
inline constexpr std::string_view kDynamicAddressText = "0.0.0.0";

struct WanField {
  int labelId = 0;
  int editId = 0;
  int noteId = 0;
  StringId label = 0;
  StringId note = 0;
  FieldCheck check = FieldCheck::kPrintableText;
  FieldCheck advancedCheck = FieldCheck::kPrintableText;
  bool strip = false;
  bool password = false;
  bool addressRow = false;
  WanFieldAccess access;
};

struct WanForm {
  std::int32_t wanType = kWanNone;
  int templateId = 0;
  std::uint32_t pageCode = 0;
  StringId title = 0;
  StringId subtitle = 0;
  StringId message = 0;
  StringId error = 0;
  int optionCount = 0;
  std::int32_t* (*optionState)(WizardState&) = nullptr;
  bool addressMode = false;
  int advancedControlRow = 0;
  std::span<const WanField> fields;
};

namespace wanform_detail {

using S = WizardState;

// A field in row `row` (1..6) with the shared row control IDs.
constexpr WanField Row(int row, StringId label, FieldCheck check, WanFieldAccess access, bool strip = false,
                       bool password = false, StringId note = 0, bool addressRow = false) {
  return WanField{kWanRowLabelId(row), kWanRowEditId(row), note ? kWanRowNoteId(row) : 0, label, note,
                  check,               check,              strip, password, addressRow, access};
}

// PPTP and L2TP share the record layout; only the labels and the record differ.
template <auto Record>
constexpr std::array<WanField, 6> TunnelFields(StringId firstLabel) {
  using R = std::remove_cvref_t<decltype(std::declval<S&>().*Record)>;
  return {
      Row(1, firstLabel + 0, FieldCheck::kIpAddress, AccessOf<Record, &R::ipAddress>(), true, false, 0, true),
      Row(2, firstLabel + 1, FieldCheck::kIpAddress, AccessOf<Record, &R::subnetMask>(), true, false, 0, true),
      Row(3, firstLabel + 2, FieldCheck::kIpAddress, AccessOf<Record, &R::gateway>(), true, false, 0, true),
      Row(4, firstLabel + 3, FieldCheck::kIpAddressOrHostName, AccessOf<Record, &R::server>()),
      Row(5, firstLabel + 4, FieldCheck::kPrintableText, AccessOf<Record, &R::userName>()),
      Row(6, firstLabel + 5, FieldCheck::kPrintableText, AccessOf<Record, &R::password>(), false, true),
  };
}

constexpr WanField BigPondPassword() {
  WanField f = Row(2, kIdL2tpPasswordLabel, FieldCheck::kPrintableText,
                   AccessOf<&S::BigPondSettings, &BigPondSettings::password>(), false, true);
  f.advancedCheck = FieldCheck::kOptionalPrintable;  // the advanced page lets it be empty
  return f;
}

}  // namespace wanform_detail

inline constexpr std::array<WanField, 5> kStaticWanFields{
    wanform_detail::Row(1, kIdStaticIpAddressLabel, FieldCheck::kIpAddress,
                        AccessOf<&WizardState::StaticIpSettings, &StaticIpSettings::ipAddress>(), true),
    wanform_detail::Row(2, kIdStaticSubnetMaskLabel, FieldCheck::kIpAddress,
                        AccessOf<&WizardState::StaticIpSettings, &StaticIpSettings::subnetMask>(), true),
    wanform_detail::Row(3, kIdStaticGatewayLabel, FieldCheck::kIpAddress,
                        AccessOf<&WizardState::StaticIpSettings, &StaticIpSettings::gateway>(), true),
    wanform_detail::Row(4, kIdStaticPrimaryDnsLabel, FieldCheck::kIpAddress,
                        AccessOf<&WizardState::StaticIpSettings, &StaticIpSettings::primaryDns>(), true),
    wanform_detail::Row(5, kIdStaticSecondaryDnsLabel, FieldCheck::kOptionalIpAddress,
                        AccessOf<&WizardState::StaticIpSettings, &StaticIpSettings::secondaryDns>(), true, false,
                        kIdStaticOptional),
};

inline constexpr std::array<WanField, 3> kPppoeWanFields{
    wanform_detail::Row(1, kIdPppoeUserNameLabel, FieldCheck::kPrintableText,
                        AccessOf<&WizardState::PppoeSettings, &PppoeSettings::userName>()),
    wanform_detail::Row(2, kIdPppoePasswordLabel, FieldCheck::kPrintableText,
                        AccessOf<&WizardState::PppoeSettings, &PppoeSettings::password>(), false, true),
    wanform_detail::Row(3, kIdPppoeServiceNameLabel, FieldCheck::kOptionalPrintable,
                        AccessOf<&WizardState::PppoeSettings, &PppoeSettings::serviceName>(), false, false,
                        kIdPppoeOptional),
};

inline constexpr std::array<WanField, 6> kPptpWanFields =
    wanform_detail::TunnelFields<&WizardState::PptpSettings>(kIdPptpIpAddressLabel);
inline constexpr std::array<WanField, 6> kL2tpWanFields =
    wanform_detail::TunnelFields<&WizardState::L2tpSettings>(kIdL2tpIpAddressLabel);

inline constexpr std::array<WanField, 3> kBigPondWanFields{
    wanform_detail::Row(1, kIdPppoeUserNameLabel, FieldCheck::kPrintableText,
                        AccessOf<&WizardState::BigPondSettings, &BigPondSettings::userName>()),
    wanform_detail::BigPondPassword(),
    wanform_detail::Row(3, kIdBigPondLoginServerLabel, FieldCheck::kOptionalPrintable,
                        AccessOf<&WizardState::BigPondSettings, &BigPondSettings::loginServer>(), false, false,
                        kIdStaticOptional),
};

inline constexpr std::array<WanField, 2> kTeliaWanFields{
    wanform_detail::Row(1, kIdTeliaUserNameLabel, FieldCheck::kPrintableText,
                        AccessOf<&WizardState::TeliaSettings, &TeliaSettings::userName>()),
    wanform_detail::Row(2, kIdTeliaPasswordLabel, FieldCheck::kPrintableText,
                        AccessOf<&WizardState::TeliaSettings, &TeliaSettings::password>(), false, true),
};

// The MAC row of the advanced page's dynamic IP form (no easy page has it).
inline constexpr int kWanMacLabelId = 6036;
inline constexpr int kWanMacEditId = 6120;
inline constexpr WanField kWanMacField{kWanMacLabelId,
                                       kWanMacEditId,
                                       0,
                                       kIdAdvWanMacLabel,
                                       0,
                                       FieldCheck::kMacAddress,
                                       FieldCheck::kMacAddress,
                                       true,
                                       false,
                                       false,
                                       AccessOf<&WizardState::DynamicIpSettings, &DynamicIpSettings::macAddress>()};

inline constexpr std::array<WanForm, 7> kWanForms{{
    {kWanDynamicIp, 4009, 30, kIdPppoeWanTitle, kIdDynamicWanSubtitle, kIdDynamicWanHelpText, 0, 2,
     OptionStateOf<&WizardState::DynamicIpSettings>(), false, 1, {}},
    {kWanStaticIp, 4010, 31, kIdStaticWanTitle, kIdStaticWanSubtitle, kIdStaticWanMessage, kIdStaticWanInputError,
     0, nullptr, false, 0, kStaticWanFields},
    {kWanPppoe, 4011, 32, kIdPppoeWanTitle, kIdPppoeWanSubtitle, kIdPppoeWanMessage, kIdPppoeWanInputError, 3,
     OptionStateOf<&WizardState::PppoeSettings>(), false, 4, kPppoeWanFields},
    {kWanPptp, 4012, 33, kIdPptpWanTitle, kIdPptpWanSubtitle, kIdPptpWanMessage, kIdPptpWanInputError, 3,
     OptionStateOf<&WizardState::PptpSettings>(), true, 0, kPptpWanFields},
    {kWanL2tp, 4014, 34, kIdL2tpWanTitle, kIdL2tpWanSubtitle, kIdL2tpWanMessage, kIdL2tpWanInputError, 3,
     OptionStateOf<&WizardState::L2tpSettings>(), true, 0, kL2tpWanFields},
    {kWanBigPond, 4046, 35, kIdStaticWanTitle, kIdBigPondWanSubtitle, kIdPptpWanMessage, kIdAdvSystemInputError, 2,
     OptionStateOf<&WizardState::BigPondSettings>(), false, 4, kBigPondWanFields},
    {kWanTelia, 4047, 36, kIdTeliaWanTitle, kIdTeliaWanSubtitle, kIdTeliaWanMessage, kIdTeliaWanInputError, 2,
     OptionStateOf<&WizardState::TeliaSettings>(), false, 0, kTeliaWanFields},
}};

// The form of `wanType`; null for a type without one (0 or out of range).
constexpr const WanForm* WanFormFor(std::int32_t wanType) {
  for (const WanForm& f : kWanForms) {
    if (f.wanType == wanType) return &f;
  }
  return nullptr;
}

// Which check applies: the easy pages' or the advanced WAN page's.
enum class WanFormUser : std::uint8_t { kEasy, kAdvanced };

struct WanFormVerdict {
  std::array<bool, kWanMaxFields> fieldOk{};  // one per field, in form order
  bool allOk = true;
};

// Stores and checks every field of `form` from `texts` (one per field, in form
// order, as typed). Fields marked `strip` are stripped first and the stripped
// text is written back into `texts`, for the page to show. Every field is
// stored, valid or not, and checked even after a failure; a text longer than
// its field is stored cut and counts as wrong. `optionIndex` goes into the
// record's optionState when the form has one and the index is offered
// (otherwise 0).
WanFormVerdict StoreWanForm(const WanForm& form, WizardState& state, std::span<std::string> texts, int optionIndex,
                            WanFormUser user = WanFormUser::kEasy);

// The record's connection-control index, 0 for a form without one.
std::int32_t StoredOptionIndex(const WanForm& form, const WizardState& state);

// A field's text for a summary: the stored text, or one "*" per character for
// a password.
std::string SummaryText(const WanField& field, const WizardState& state);

}  // namespace kelvane
