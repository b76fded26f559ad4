// The WAN form table and its validation: the table says what each page's
// form holds, and StoreWanForm stores every field and checks all of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "steps/kit/WanForms.h"
#include "steps/kit/WanRouting.h"

namespace kelvane {
namespace {

// What each page's form must be: template, page code, texts, connection
// control, address mode, labels and checks in order.
struct FormRow {
  std::int32_t type;
  int templateId;
  std::uint32_t pageCode;
  StringId title, subtitle, message, error;
  int options;
  bool addressMode;
  std::vector<StringId> labels;
  std::vector<FieldCheck> checks;
  std::vector<bool> strip;
  std::vector<bool> password;
};

using C = FieldCheck;
const std::vector<FormRow> kExpected = {
    {1, 4009, 30, 30161, 30580, 30642, 0, 2, false, {}, {}, {}, {}},
    {2, 4010, 31, 30146, 30147, 30148, 30149, 0, false, {30150, 30151, 30152, 30153, 30154},
     {C::kIpAddress, C::kIpAddress, C::kIpAddress, C::kIpAddress, C::kOptionalIpAddress},
     {true, true, true, true, true}, {false, false, false, false, false}},
    {3, 4011, 32, 30161, 30162, 30163, 30164, 3, false, {30165, 30166, 30167},
     {C::kPrintableText, C::kPrintableText, C::kOptionalPrintable}, {false, false, false}, {false, true, false}},
    {4, 4012, 33, 30176, 30177, 30178, 30179, 3, true, {30180, 30181, 30182, 30183, 30184, 30185},
     {C::kIpAddress, C::kIpAddress, C::kIpAddress, C::kIpAddressOrHostName, C::kPrintableText, C::kPrintableText},
     {true, true, true, false, false, false}, {false, false, false, false, false, true}},
    {5, 4014, 34, 30196, 30197, 30198, 30199, 3, true, {30200, 30201, 30202, 30203, 30204, 30205},
     {C::kIpAddress, C::kIpAddress, C::kIpAddress, C::kIpAddressOrHostName, C::kPrintableText, C::kPrintableText},
     {true, true, true, false, false, false}, {false, false, false, false, false, true}},
    {6, 4046, 35, 30146, 30577, 30178, 30450, 2, false, {30165, 30205, 30576},
     {C::kPrintableText, C::kPrintableText, C::kOptionalPrintable}, {false, false, false}, {false, true, false}},
    {7, 4047, 36, 30656, 30657, 30659, 30658, 2, false, {30661, 30660}, {C::kPrintableText, C::kPrintableText},
     {false, false}, {false, true}},
};

TEST(WanForms, TableMatchesEachPageRowByRow) {
  ASSERT_EQ(kWanForms.size(), kExpected.size());
  for (const FormRow& e : kExpected) {
    SCOPED_TRACE(e.type);
    const WanForm* f = WanFormFor(e.type);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->templateId, e.templateId);
    EXPECT_EQ(f->templateId, WanSettingsTemplate(e.type));
    EXPECT_EQ(f->pageCode, e.pageCode);
    EXPECT_EQ(f->title, e.title);
    EXPECT_EQ(f->subtitle, e.subtitle);
    EXPECT_EQ(f->message, e.message);
    EXPECT_EQ(f->error, e.error);
    EXPECT_EQ(f->optionCount, e.options);
    EXPECT_EQ(f->optionState != nullptr, e.options > 0);
    EXPECT_EQ(f->addressMode, e.addressMode);
    ASSERT_EQ(f->fields.size(), e.labels.size());
    for (std::size_t i = 0; i < e.labels.size(); ++i) {
      const WanField& field = f->fields[i];
      EXPECT_EQ(field.label, e.labels[i]) << i;
      EXPECT_EQ(field.check, e.checks[i]) << i;
      EXPECT_EQ(field.strip, e.strip[i]) << i;
      EXPECT_EQ(field.password, e.password[i]) << i;
      EXPECT_EQ(field.labelId, kWanRowLabelId(static_cast<int>(i) + 1));
      EXPECT_EQ(field.editId, kWanRowEditId(static_cast<int>(i) + 1));
      EXPECT_EQ(field.addressRow, e.addressMode && i < 3) << i;
      // The advanced page differs only in the BigPond password.
      const bool optionalThere = e.type == 6 && i == 1;
      EXPECT_EQ(field.advancedCheck, optionalThere ? C::kOptionalPrintable : field.check) << i;
    }
  }
  EXPECT_EQ(WanFormFor(0), nullptr);
  EXPECT_EQ(WanFormFor(8), nullptr);
}

TEST(WanForms, AccessorsReachTheirOwnRecordFieldWithItsCapacity) {
  WizardState s;
  s.PptpSettings.server = "pptp.example";
  s.L2tpSettings.server = "l2tp.example";
  EXPECT_EQ(WanFormFor(4)->fields[3].access.read(s), "pptp.example");
  EXPECT_EQ(WanFormFor(5)->fields[3].access.read(s), "l2tp.example");
  EXPECT_EQ(WanFormFor(4)->fields[3].access.capacity, 129u);
  EXPECT_EQ(WanFormFor(3)->fields[2].access.capacity, 117u);
  EXPECT_EQ(WanFormFor(6)->fields[2].access.capacity, 18u);
  EXPECT_EQ(WanFormFor(2)->fields[0].access.capacity, 17u);
  // Every field of every form writes where it reads, and nowhere else.
  for (const WanForm& f : kWanForms) {
    for (std::size_t i = 0; i < f.fields.size(); ++i) {
      WizardState t;
      f.fields[i].access.write(t, "x1");
      for (std::size_t j = 0; j < f.fields.size(); ++j) {
        EXPECT_EQ(f.fields[j].access.read(t) == "x1", i == j) << f.wanType << " " << i << " " << j;
      }
    }
  }
}

struct StoreCase {
  const char* name;
  std::int32_t type;
  std::vector<std::string> typed;
  std::vector<bool> ok;
  std::vector<std::string> shownAfter;  // the texts written back (strip)
};

TEST(WanForms, StoreChecksEveryFieldAndStoresAll) {
  const std::string longUser(64, 'u');
  const std::vector<StoreCase> cases = {
      {"pptp good, blanks around addresses", 4,
       {" 10.0.0.2 ", "\t255.255.255.0", "10.0.0.1  ", "vpn.example.net", " user", "pw"},
       {true, true, true, true, true, true},
       {"10.0.0.2", "255.255.255.0", "10.0.0.1", "vpn.example.net", " user", "pw"}},
      {"pptp dynamic mode passes", 4, {"0.0.0.0", "0.0.0.0", "0.0.0.0", "10.1.1.1", "u", "p"},
       {true, true, true, true, true, true}, {}},
      {"pptp every field wrong at once", 4, {"256.1.1.1", ".1.2.3", "1..2.3", "", "", ""},
       {false, false, false, false, false, false}, {}},
      {"trailing dot", 5, {"1.2.3.", "255.255.255.0", "1.2.3.4", "srv.example", "u", "p"},
       {false, true, true, true, true, true}, {}},
      {"pppoe empty service accepted", 3, {"user", "pass", ""}, {true, true, true}, {}},
      {"pppoe empty user refused alone", 3, {"", "pass", "svc"}, {false, true, true}, {}},
      {"pppoe user of 64 characters fits", 3, {longUser, "p", ""}, {true, true, true}, {}},
      {"pppoe user of 65 characters does not", 3, {longUser + "u", "p", ""}, {false, true, true}, {}},
      {"static empty secondary dns accepted", 2, {"1.2.3.4", "255.0.0.0", "1.2.3.1", "9.9.9.9", " "},
       {true, true, true, true, true}, {"1.2.3.4", "255.0.0.0", "1.2.3.1", "9.9.9.9", ""}},
      {"static empty primary dns refused", 2, {"1.2.3.4", "255.0.0.0", "1.2.3.1", "", "8.8.8.8"},
       {true, true, true, false, true}, {}},
      {"bigpond empty login server accepted, empty password refused", 6, {"u", "", ""}, {true, false, true}, {}},
      {"telia control character refused", 7, {"u\x01", "p"}, {false, true}, {}},
  };
  for (const StoreCase& c : cases) {
    SCOPED_TRACE(c.name);
    WizardState s;
    const WanForm& form = *WanFormFor(c.type);
    std::vector<std::string> texts = c.typed;
    const WanFormVerdict v = StoreWanForm(form, s, texts, 2);
    bool all = true;
    for (std::size_t i = 0; i < c.ok.size(); ++i) {
      EXPECT_EQ(v.fieldOk[i], c.ok[i]) << "field " << i;
      all = all && c.ok[i];
      // Stored even when wrong (cut to the field when too long).
      const std::string expected = form.fields[i].strip ? std::string(StripBlanks(c.typed[i])) : c.typed[i];
      EXPECT_EQ(form.fields[i].access.read(s), expected.substr(0, form.fields[i].access.capacity - 1));
    }
    EXPECT_EQ(v.allOk, all);
    if (!c.shownAfter.empty()) {
      EXPECT_EQ(texts, c.shownAfter);
    }
    EXPECT_EQ(StoredOptionIndex(form, s), form.optionCount == 3 ? 2 : 0);
  }
}

TEST(WanForms, AdvancedUserLetsTheBigPondPasswordBeEmpty) {
  WizardState s;
  std::vector<std::string> texts = {"u", "", ""};
  EXPECT_FALSE(StoreWanForm(*WanFormFor(6), s, texts, 0, WanFormUser::kEasy).allOk);
  EXPECT_TRUE(StoreWanForm(*WanFormFor(6), s, texts, 0, WanFormUser::kAdvanced).allOk);
}

TEST(WanForms, OptionIndexOutsideTheOfferIsStoredAsZero) {
  WizardState s;
  std::vector<std::string> none;
  StoreWanForm(*WanFormFor(1), s, none, 1);
  EXPECT_EQ(s.DynamicIpSettings.optionState, 1);
  StoreWanForm(*WanFormFor(1), s, none, 2);  // manual is not offered for dynamic IP
  EXPECT_EQ(s.DynamicIpSettings.optionState, 0);
  StoreWanForm(*WanFormFor(7), s, none, -1);
  EXPECT_EQ(s.TeliaSettings.optionState, 0);
}

TEST(WanForms, SummaryMasksPasswordsOnly) {
  WizardState s;
  s.PppoeSettings.userName = "alice";
  s.PppoeSettings.password = "secret";
  const WanForm& f = *WanFormFor(3);
  EXPECT_EQ(SummaryText(f.fields[0], s), "alice");
  EXPECT_EQ(SummaryText(f.fields[1], s), "******");
}

TEST(WanForms, MacFieldForTheAdvancedDynamicForm) {
  WizardState s;
  std::string mac = " 00-11-22-33-44-55 ";
  const std::string_view stripped = StripBlanks(mac);
  EXPECT_TRUE(PassesCheck(kWanMacField.check, stripped));
  EXPECT_FALSE(PassesCheck(kWanMacField.check, "00:11:22:33:44:55"));
  kWanMacField.access.write(s, stripped);
  EXPECT_EQ(s.DynamicIpSettings.macAddress, "00-11-22-33-44-55");
}

}  // namespace
}  // namespace kelvane
