// The router sheet's WAN page without its window, in every page layout of
// the emulator: the store of each type with its checks, the type changing
// only after the router took the command, Telia refusing the store, the MAC
// sent with dynamic IP, and the MAC clone read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "steps/advanced/AdvancedWanStep.h"
#include "router/WanSettingsReader.h"
#include "support/EmulatedRouter.h"
#include "support/RouterSettingsCheck.h"

namespace kelvane {
namespace {

using Rows = std::array<std::string, kWanMaxFields>;

class AdvancedWan : public ::testing::TestWithParam<routersim::PageLayout> {
 protected:
  void SetUp() override {
    router_ = test::RouterInLayout(GetParam(), state_);
    ASSERT_TRUE(router_->ok()) << router_->why();
    ASSERT_EQ(state_.routerAddress.view(), router_->Address());
  }
  routersim::RouterSimState Router() { return router_->Sim().StateCopy(); }
  bool Sent(const char* cgi) {
    for (const std::string& line : router_->Requests()) {
      if (line.find(cgi) != std::string::npos) return true;
    }
    return false;
  }
  std::unique_ptr<test::EmulatedRouter> router_;
  WizardState state_;
};

TEST_P(AdvancedWan, EachTypeStoresOnlyWhenEveryRowPassesAndMarksEveryWrongRow) {
  struct Case {
    const char* name;
    std::int32_t type;
    Rows rows;
    std::array<bool, kWanMaxFields> ok;
    AdvancedWanStoreOutcome outcome;
    bool thrownAway = false;  // the router answers the command but throws it away
  };
  const Case cases[] = {
      {"static with both DNS", 2, {" 10.0.0.2 ", "255.255.255.0", "10.0.0.1", "10.0.0.53", "10.0.0.54", ""},
       {true, true, true, true, true}, AdvancedWanStoreOutcome::kStored},
      {"static without the second DNS", 2, {"10.0.0.2", "255.255.255.0", "10.0.0.1", "10.0.0.53", "", ""},
       {true, true, true, true, true}, AdvancedWanStoreOutcome::kStored},
      {"static without the first DNS", 2, {"10.0.0.2", "255.255.255.0", "10.0.0.1", "", "", ""},
       {true, true, true, false, true}, AdvancedWanStoreOutcome::kInvalidInput},
      {"static with bad dotted quads", 2, {"10.0.0.256", ".255.255.0", "10..0.1", "10.0.0.53.", "", ""},
       {false, false, false, false, true}, AdvancedWanStoreOutcome::kInvalidInput},
      {"PPPoE", 3, {" carol", "secret", "", "", "", ""}, {true, true, true}, AdvancedWanStoreOutcome::kStored},
      {"PPPoE thrown away", 3, {"carol", "secret", "", "", "", ""}, {true, true, true},
       AdvancedWanStoreOutcome::kApplyRefused, true},
      {"PPPoE without user name", 3, {"", "secret", "svc", "", "", ""}, {false, true, true},
       AdvancedWanStoreOutcome::kInvalidInput},
      {"PPTP", 4, {"0.0.0.0", "0.0.0.0", "0.0.0.0", "vpn.example.test", "bob", "pw"},
       {true, true, true, true, true, true}, AdvancedWanStoreOutcome::kStored},
      {"L2TP with a bad server", 5, {"0.0.0.0", "0.0.0.0", "0.0.0.0", "bad server!", "bob", ""},
       {true, true, true, false, true, false}, AdvancedWanStoreOutcome::kInvalidInput},
      {"BigPond with an empty password", 6, {"dave", "", "", "", "", ""}, {true, true, true},
       AdvancedWanStoreOutcome::kStored},
      {"Telia cannot be chosen here", 7, {"erin", "pw", "", "", "", ""}, {}, AdvancedWanStoreOutcome::kNoType},
      {"nothing chosen", 0, {}, {}, AdvancedWanStoreOutcome::kNoType},
  };
  for (const Case& c : cases) {
    state_.wanType = 1;
    router_->Sim().ClearLog();
    routersim::RouterSimFaults ignore;
    ignore.match = "/cgi-bin/prim?";
    ignore.ignoreQuietly = c.thrownAway;
    router_->Sim().SetFaults(ignore);
    const std::string typeBefore = Router().wanType;
    const AdvancedWanStoreResult r = StoreAdvancedWan(c.type, c.rows, "", 1, 1, state_);
    router_->Sim().SetFaults({});
    EXPECT_EQ(r.outcome, c.outcome) << c.name;
    for (int i = 0; i < kWanMaxFields; ++i) EXPECT_EQ(r.rowOk[i], c.ok[i]) << c.name << " row " << i + 1;
    const bool stored = c.outcome == AdvancedWanStoreOutcome::kStored;
    EXPECT_EQ(state_.wanType, stored ? c.type : 1) << c.name;
    EXPECT_EQ(Sent("cgi-bin/"), stored || c.thrownAway) << c.name << ": nothing may be sent for wrong input";
    if (c.thrownAway) {
      EXPECT_EQ(Router().wanType, typeBefore) << c.name;
    }
  }
  // Address rows are stripped, user names kept as typed.
  const AdvancedWanStoreResult pppoe = StoreAdvancedWan(3, {" carol", "secret", "", "", "", ""}, "", 0, 1, state_);
  EXPECT_EQ(pppoe.rows[0], " carol");
  const AdvancedWanStoreResult fixed =
      StoreAdvancedWan(2, {" 10.0.0.2 ", "255.255.255.0", "10.0.0.1", "10.0.0.53", "", ""}, "", 0, 1, state_);
  EXPECT_EQ(fixed.rows[0], "10.0.0.2");
  EXPECT_EQ(state_.StaticIpSettings.ipAddress.view(), "10.0.0.2");
}

TEST_P(AdvancedWan, ARefusedCommandLeavesTheTypeAsItWas) {
  routersim::RouterSimFaults refuse;
  refuse.wrongStatus = 500;
  refuse.match = "cgi-bin/";
  router_->Sim().SetFaults(refuse);
  state_.wanType = 1;
  const AdvancedWanStoreResult r = StoreAdvancedWan(3, {"carol", "secret", "", "", "", ""}, "", 0, 1, state_);
  EXPECT_EQ(r.outcome, AdvancedWanStoreOutcome::kApplyRefused);
  EXPECT_EQ(state_.wanType, 1);
}

TEST_P(AdvancedWan, DynamicIpTakesTheMacOnlyOnARouterRunningDynamicIpAndAlwaysSendsIt) {
  struct Case {
    std::string mac;
    std::int32_t routerType;
    bool macOk;
    AdvancedWanStoreOutcome outcome;
    bool thrownAway = false;  // the router answers the command but throws it away
  };
  const Case cases[] = {
      {" 00-11-22-AA-bb-cc ", 1, true, AdvancedWanStoreOutcome::kStored},
      {"00:11:22:AA:BB:CC", 1, false, AdvancedWanStoreOutcome::kInvalidInput},
      {"00:11:22:AA:BB:CC", 3, true, AdvancedWanStoreOutcome::kStored},  // not taken from the edit
  };
  for (const Case& c : cases) {
    state_.DynamicIpSettings.macAddress = "00-0A-0B-0C-0D-0E";
    router_->Sim().ClearLog();
    const AdvancedWanStoreResult r = StoreAdvancedWan(1, {}, c.mac, 1, c.routerType, state_);
    EXPECT_EQ(r.macOk, c.macOk) << c.mac;
    EXPECT_EQ(r.outcome, c.outcome) << c.mac;
    if (c.outcome != AdvancedWanStoreOutcome::kStored) continue;
    EXPECT_TRUE(Sent("cgi-bin/")) << c.mac;
    const std::string expected = c.routerType == 1 ? "00-11-22-AA-bb-cc" : "00-0A-0B-0C-0D-0E";
    EXPECT_EQ(state_.DynamicIpSettings.macAddress.view(), expected) << c.mac;
    EXPECT_EQ(state_.DynamicIpSettings.optionState, 1);
  }
}

TEST_P(AdvancedWan, MacCloneCopiesThePcsAddressAndReadsItBack) {
  router_->Sim().WithState([](routersim::RouterSimState& s) { s.pcMac = "00-1A-2B-3C-4D-5E"; });
  std::string mac;
  ASSERT_TRUE(CloneAndReadMac(state_, mac));
  EXPECT_EQ(mac, "00-1A-2B-3C-4D-5E");
  EXPECT_EQ(state_.DynamicIpSettings.macAddress.view(), mac);
  router_->Sim().Stop();
  EXPECT_FALSE(CloneAndReadMac(state_, mac));
  EXPECT_TRUE(mac.empty());
}

TEST_P(AdvancedWan, WhatIsStoredReadsBackAsTheSameTypeAndRows) {
  ASSERT_EQ(StoreAdvancedWan(4, {"10.1.0.5", "255.255.0.0", "10.1.0.1", "vpn.example.test", "bob", "pw"}, "", 2, 1,
                             state_)
                .outcome,
            AdvancedWanStoreOutcome::kStored);
  WizardState fresh;
  ResetRouterDefaults(fresh);
  ASSERT_TRUE(router_->Connect(fresh));
  WanSettingsReading reading;
  ASSERT_TRUE(ReadWanSettings(fresh, reading));
  EXPECT_EQ(reading.type, 4);
  EXPECT_TRUE(reading.staticAddress);
  EXPECT_EQ(fresh.PptpSettings.ipAddress.view(), "10.1.0.5");
  EXPECT_EQ(fresh.PptpSettings.server.view(), "vpn.example.test");
  EXPECT_EQ(fresh.PptpSettings.userName.view(), "bob");
  EXPECT_TRUE(fresh.PptpSettings.password.empty()) << "passwords are never read back";
  EXPECT_EQ(fresh.PptpSettings.optionState, 2);
}

// The router's form may be left on another type than the one it runs (an
// option read, the router's own page): the read takes the type the router
// stores and that type's fields, and a store sends what the target type's own
// form sends, never a value of the form that happened to be shown.
TEST_P(AdvancedWan, TheFormLeftOnAnotherTypeNeitherDecidesTheReadNorGoesWithAStore) {
  struct Case {
    const char* name;
    const char* runs;
    const char* shown;
    std::int32_t read;
  };
  const Case cases[] = {
      {"dynamic IP, PPPoE form shown", "0100", "0200", kWanDynamicIp},
      {"dynamic IP, PPTP form shown", "0100", "0300", kWanDynamicIp},
      {"BigPond, its own form shown", "0101", "0101", kWanBigPond},
      {"PPPoE, PPTP form shown", "0200", "0300", kWanPppoe},
      {"PPTP, PPPoE form shown", "0300", "0200", kWanPptp},
  };
  for (const Case& c : cases) {
    router_->Sim().WithState([&](routersim::RouterSimState& s) {
      s.wanType = c.runs;
      s.formType = c.shown;
      s.FormOf("0200").values["IU0"] = "pppoe-user";
      s.FormOf("0300").values["IU0"] = "pptp-user";
    });
    WanSettingsReading reading;
    ReadWanSettings(state_, reading);
    EXPECT_EQ(reading.type, c.read) << c.name;
    const std::string user = c.read == kWanPppoe  ? state_.PppoeSettings.userName.str()
                             : c.read == kWanPptp ? state_.PptpSettings.userName.str()
                                                  : "";
    EXPECT_EQ(user, c.read == kWanPppoe ? "pppoe-user" : c.read == kWanPptp ? "pptp-user" : "") << c.name;
  }
  // PPTP with its MTU at 1400 and its form shown; PPPoE stored from the tab.
  router_->Sim().WithState([](routersim::RouterSimState& s) {
    s.wanType = "0300";
    s.formType = "0300";
    s.FormOf("0300").values["IM0"] = "1400";
  });
  const routersim::RouterSimState before = Router();
  ASSERT_EQ(StoreAdvancedWan(kWanPppoe, {"carol", "secret", "", "", "", ""}, "", 1, kWanPptp, state_).outcome,
            AdvancedWanStoreOutcome::kStored);
  routersim::RouterSimState after = Router();
  EXPECT_EQ(after.wanType, "0200");
  EXPECT_EQ(after.FormOf("0200").values["IM0"], before.forms.at("0200").Value("IM0")) << "PPPoE keeps its own MTU";
  EXPECT_EQ(after.FormOf("0200").df08, before.forms.at("0200").df08);
  EXPECT_EQ(after.FormOf("0200").df09, before.forms.at("0200").df09);
  EXPECT_EQ(after.FormOf("0300").values["IM0"], "1400") << "the PPTP form is not touched";
}

// From a router on each WAN type and security mode, in each login flavour,
// the tab's read and a store of what it shows (the password typed, as it is
// never shown) changes that password and nothing else, and the router is
// still reachable with what the program holds. A router in Telia mode cannot
// be stored from here: nothing is sent.
TEST_P(AdvancedWan, StoringWhatTheTabShowsChangesOnlyThePasswordTyped) {
  static const char* const kRecordNames[] = {"", "dynamic", "static", "pppoe", "pptp", "l2tp", "bigpond"};
  for (std::size_t row = 0; row < test::RouterStarts().size(); ++row) {
    const test::RouterStart& start = test::RouterStarts()[row];
    WizardState state;
    ASSERT_TRUE(test::StartAndConnect(*router_, start, GetParam(), test::StartFlavour(row), state)) << start.name;
    WanSettingsReading reading;
    ASSERT_TRUE(ReadWanSettings(state, reading)) << start.name;
    const test::SettingsWatch watch(router_->Sim());
    const WanForm* form = WanFormFor(reading.type);
    Rows rows{};
    test::RouterSettings changed;
    int option = 0;
    if (form != nullptr && reading.type <= kAdvancedWanTypeCount) {
      for (std::size_t i = 0; i < form->fields.size(); ++i) {
        const WanField& field = form->fields[i];
        rows[i] = field.password ? "typed pw" : field.access.read(state);
        if (field.password) changed[std::string("wan.") + kRecordNames[reading.type] + ".IW0"] = "typed pw";
      }
      if (form->optionCount > 0) option = std::clamp(StoredOptionIndex(*form, state), 0, form->optionCount - 1);
    }
    const AdvancedWanStoreResult r = StoreAdvancedWan(reading.type, rows, state.DynamicIpSettings.macAddress.str(),
                                                      option, state.wanType, state);
    EXPECT_EQ(r.outcome, reading.type == kWanTelia ? AdvancedWanStoreOutcome::kNoType : AdvancedWanStoreOutcome::kStored)
        << start.name;
    EXPECT_EQ(watch.Unexpected(changed), "") << start.name;
    EXPECT_TRUE(test::StillReachable(state)) << start.name;
  }
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, AdvancedWan,
                         ::testing::ValuesIn(test::kAllLayouts), test::LayoutParamName());

}  // namespace
}  // namespace kelvane
