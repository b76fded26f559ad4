// "Nothing else changed": after a store, the router must hold exactly what it
// held before, with only the fields the user changed set to what the user
// chose. And the routers a store test starts from: one on each WAN type and
// each security mode, with values other than the factory ones, so that a
// command that carries a stale or default value shows as a change.
//
//   test::SettingsWatch watch(router.Sim());   // before the store
//   ... store ...
//   EXPECT_EQ(watch.Unexpected({{"wan.type", "0200"}, {"wan.pppoe.IU0", "carol"}}), "");
//
//   for (const test::RouterStart& start : test::RouterStarts())      // a table row each,
//     for (routersim::PageLayout layout : test::kAllLayouts) ...     // in every layout
//       router.Sim().WithState(start.apply); router.Sim().SetLayout(layout);
//
// The field names are those of RouterSimState::Settings().
//
// "Still reachable": after an action, StillReachable(state) logs in afresh
// with the credentials the program holds and reads a page at the address it
// holds; StartFlavour(row) spreads the three login flavours over a table.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "net/Wait.h"
#include "router/RouterLogin.h"
#include "router/RouterRequest.h"
#include "state/WizardState.h"
#include "support/EmulatedRouter.h"
#include "tools/routersim/RouterSim.h"

namespace kelvane::test {

using RouterSettings = std::map<std::string, std::string>;

inline constexpr routersim::PageLayout kAllLayouts[] = {
    routersim::PageLayout::kClassic, routersim::PageLayout::kCompact, routersim::PageLayout::kVaried};

// The test name of a layout parameter:
//   INSTANTIATE_TEST_SUITE_P(AllLayouts, X, ::testing::ValuesIn(test::kAllLayouts), test::LayoutParamName());
struct LayoutParamName {
  template <class Info>
  std::string operator()(const Info& info) const {
    return routersim::PageLayoutName(info.param);
  }
};

// The router's settings now (a finished restart applied first).
inline RouterSettings SettingsOf(routersim::RouterSim& sim) { return sim.StateCopy().Settings(); }

// "" when `after` is `before` with `changed` laid over it; otherwise one line
// per field that is not so: "wan.pppoe.IM0: was 1400, now 1492, expected 1400".
// A field of `changed` that the record does not know is reported too.
inline std::string UnexpectedChanges(const RouterSettings& before, const RouterSettings& after,
                                     const RouterSettings& changed) {
  RouterSettings expected = before;
  std::string report;
  for (const auto& [field, value] : changed) {
    if (!before.count(field)) report += field + ": no such setting\n";
    expected[field] = value;
  }
  for (const auto& [field, want] : expected) {
    const auto it = after.find(field);
    const std::string now = it == after.end() ? "(missing)" : it->second;
    if (now == want) continue;
    const auto was = before.find(field);
    report += field + ": was \"" + (was == before.end() ? "(missing)" : was->second) + "\", now \"" + now +
              "\", expected \"" + want + "\"\n";
  }
  return report;
}

// Takes the router's settings when made; Unexpected() compares with them.
class SettingsWatch {
 public:
  explicit SettingsWatch(routersim::RouterSim& sim) : sim_(sim), before_(SettingsOf(sim)) {}
  // "" when the router now holds exactly the settings it held when the watch
  // was made, but for `changed`, which hold the values given.
  std::string Unexpected(const RouterSettings& changed = {}) const {
    return UnexpectedChanges(before_, SettingsOf(sim_), changed);
  }
  const RouterSettings& Before() const { return before_; }

 private:
  routersim::RouterSim& sim_;
  RouterSettings before_;
};

// A router to start a store from: `apply` puts the emulator's state on it.
struct RouterStart {
  std::string name;  // usable as a test name: "Pptp_Wpa2"
  std::function<void(routersim::RouterSimState&)> apply;
};

namespace detail {

inline void Wan(routersim::RouterSimState& s, const char* type, const RouterSettings& values, bool df00,
                bool df01) {
  routersim::WanForm& form = s.forms[type];
  for (const auto& [code, value] : values) form.values[code] = value;
  form.df00 = df00;
  form.df01 = df01;
  s.wanType = type;
  s.formType = type;
}

inline void Security(routersim::RouterSimState& s, const char* code) {
  s.securityCode = code;
  if (std::string(code) == "1") {
    s.wepSizeCode = 130;
    s.wepKey = "Wep13Letters!";
  } else if (std::string(code) != "0") {
    s.psk = "router's own pass phrase";
    s.pskHex = false;
  }
}

}  // namespace detail

// One router on each WAN type, the six security modes spread over them, each
// with its own name, channel, domain and values away from the factory ones
// (PPTP and L2TP with another IM0, PPPoE with both further boxes set, ...).
inline const std::vector<RouterStart>& RouterStarts() {
  using routersim::RouterSimState;
  static const std::vector<RouterStart> starts = {
      {"Dynamic_None",
       [](RouterSimState& s) {
         // "Always on", away from the factory's "on demand".
         detail::Wan(s, routersim::kWtDynamic, {}, true, false);
         detail::Security(s, "0");
         s.channel = "3";
       }},
      {"Static_Wep",
       [](RouterSimState& s) {
         detail::Wan(s, routersim::kWtStatic,
                     {{"WI", "198.51.100.20"}, {"WN", "255.255.255.0"}, {"WG", "198.51.100.1"},
                      {"ID00", "198.51.100.53"}, {"ID01", "198.51.100.54"}},
                     false, false);
         detail::Security(s, "1");
         s.channel = "6";
       }},
      {"Pppoe_WpaPsk",
       [](RouterSimState& s) {
         detail::Wan(s, routersim::kWtPppoe,
                     {{"IU0", "dave@isp.example"}, {"IW0", "dave pw"}, {"IT0", "svc"}, {"IM0", "1454"}}, false,
                     true);
         s.forms[routersim::kWtPppoe].df08 = false;
         s.forms[routersim::kWtPppoe].df09 = true;
         detail::Security(s, "2");
         s.channel = "1";
       }},
      {"Pptp_Wpa2Psk",
       [](RouterSimState& s) {
         detail::Wan(s, routersim::kWtPptp,
                     {{"WI", "10.1.2.3"}, {"WN", "255.0.0.0"}, {"WG", "10.0.0.1"}, {"DI0", "vpn.provider.example"},
                      {"IU0", "carol.smith@provider.example"}, {"IW0", "pptp pw"}, {"IM0", "1400"}},
                     true, false);
         detail::Security(s, "4");
         s.channel = "0";
       }},
      {"L2tp_Mixed",
       [](RouterSimState& s) {
         detail::Wan(s, routersim::kWtL2tp,
                     {{"WI", "10.9.8.7"}, {"WN", "255.255.0.0"}, {"WG", "10.9.0.1"}, {"DI0", "10.9.0.2"},
                      {"IU0", "erin"}, {"IW0", "l2tp pw"}, {"IM0", "1380"}},
                     false, true);
         detail::Security(s, "5");
         s.channel = "9";
       }},
      {"BigPond_Wpa2Code8",
       [](RouterSimState& s) {
         detail::Wan(s, routersim::kWtBigPond, {{"IU0", "frank"}, {"IW0", "bp pw"}, {"IT0", "sm-server"}}, false,
                     false);
         detail::Security(s, "8");
         s.channel = "11";
       }},
      {"Telia_WpaCode3",
       [](RouterSimState& s) {
         detail::Wan(s, routersim::kWtTelia, {{"IU0", "gina"}, {"IW0", "telia pw"}}, true, false);
         detail::Security(s, "3");
         s.channel = "4";
       }},
  };
  return starts;
}

// Puts the emulator on `start` in `layout`, with a network name, domain and
// WAN MAC of its own.
inline void StartRouterOn(routersim::RouterSim& sim, const RouterStart& start, routersim::PageLayout layout) {
  sim.WithState([&](routersim::RouterSimState& s) {
    s.ssid = "Own-" + start.name;
    s.domainName = "home.example";
    s.wanMac = "00-50-18-AA-BB-CC";
    start.apply(s);
    return 0;
  });
  sim.SetLayout(layout);
}

// The login flavour of the table's row `row`: open, Basic, form in turn.
inline routersim::LoginFlavour StartFlavour(std::size_t row) {
  constexpr routersim::LoginFlavour kFlavours[] = {routersim::LoginFlavour::kOpen, routersim::LoginFlavour::kBasic,
                                                   routersim::LoginFlavour::kForm};
  return kFlavours[row % 3];
}

// A started emulator in `layout`, found and logged in to by the program's own
// check with `state` reset first (for the tests of one tab's reads and
// writes); its request log starts after the check. ok() tells whether it
// started; a check that did not pass leaves the state unconnected.
inline std::unique_ptr<EmulatedRouter> RouterInLayout(routersim::PageLayout layout, WizardState& state) {
  routersim::RouterSimOptions options;
  options.layout = layout;
  auto router = std::make_unique<EmulatedRouter>(options);
  ResetRouterDefaults(state);
  if (router->ok() && router->Connect(state)) router->Sim().ClearLog();
  return router;
}

// The start of a store test from a table row: the emulator on `start` in
// `layout` with the login `flavour` (and what `more` sets besides), and
// `state` (fresh) as the program's own check leaves it: the search, the login
// method, the login. False when the check did not pass.
inline bool StartAndConnect(EmulatedRouter& router, const RouterStart& start, routersim::PageLayout layout,
                            routersim::LoginFlavour flavour, WizardState& state,
                            const std::function<void(routersim::RouterSimState&)>& more = {}) {
  StartRouterOn(router.Sim(), start, layout);
  router.Sim().WithState([&](routersim::RouterSimState& s) {
    s.flavour = flavour;
    if (more) more(s);
  });
  ResetRouterDefaults(state);
  return router.Connect(state);
}

// A fresh login with the credentials `state` holds, and the wireless status
// page read at the address it holds; waits (bounded) for a router that is
// still restarting.
inline bool StillReachable(const WizardState& state, int realMs = 20000) {
  return WaitUntil(realMs, [&] {
    std::string page;
    return LoginToRouter(state.routerAddress.str(), state.loginUser.str(), state.loginPassword.str()) &&
           RouterReadPage(state, "/zero.htm?rc=&rf=0010", page);
  });
}

}  // namespace kelvane::test
