// The WAN commands: exact request lines as the router receives them, and the
// router state they leave behind.
#include "router/WanCommands.h"

#include <gtest/gtest.h>

#include "router_test_fixture.h"

namespace kelvane {
namespace {

using routersim::RouterSimState;

class WanCommandsTest : public testing::LayoutRouterSimTest {
 protected:
  const routersim::WanForm& Form(const RouterSimState& s, const char* wt) { return s.forms.at(wt); }
};

TEST_P(WanCommandsTest, DynamicFollowsTheOptionState) {
  state_.DynamicIpSettings.optionState = kConnectAutomatically;
  ASSERT_TRUE(ApplyWanSettings(kWanDynamicIp, state_));
  state_.DynamicIpSettings.optionState = kConnectOnDemand;
  // Code 0 and unknown codes send the dynamic command too.
  ASSERT_TRUE(ApplyWanSettings(kWanNone, state_));
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], Get("/cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0100&lf=0037&ai=0&DF00=o"));
  EXPECT_EQ(lines[1], Get("/cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0100&lf=0037&ai=0&DF00=x"));
  const RouterSimState s = sim_->StateCopy();
  EXPECT_EQ(s.wanType, "0100");
  EXPECT_FALSE(Form(s, "0100").df00);
}

TEST_P(WanCommandsTest, StaticSendsEmptySecondDns) {
  StaticIpSettings& r = state_.StaticIpSettings;
  r.ipAddress = "203.0.113.7";
  r.subnetMask = "255.255.255.0";
  r.gateway = "203.0.113.1";
  r.primaryDns = "198.51.100.53";
  ASSERT_TRUE(ApplyWanSettings(kWanStaticIp, state_));
  EXPECT_EQ(LastLine(), Get("/cgi-bin/prim?rc=@&rf=0008&rd=zero&Wt=0000&lf=003F&ai=0&WI=203.0.113.7"
                            "&WN=255.255.255.0&WG=203.0.113.1&ID00=198.51.100.53&ID01="));
  const RouterSimState s = sim_->StateCopy();
  EXPECT_EQ(s.wanType, "0000");
  EXPECT_EQ(Form(s, "0000").Value("WG"), "203.0.113.1");
  EXPECT_EQ(Form(s, "0000").Value("ID01"), "");
  EXPECT_EQ(s.WanDns(~0ull), "198.51.100.53");
}

TEST_P(WanCommandsTest, PppoeEscapesAndEchoesTheFormBoxes) {
  // The router shows the PPPoE form with DF08 checked and an IM0 value.
  Router([](RouterSimState& s) {
    s.wanType = s.formType = routersim::kWtPppoe;
    auto& f = s.forms[routersim::kWtPppoe];
    f.df08 = true;
    f.df09 = false;
    f.values["IM0"] = "1454";
  });
  PppoeSettings& r = state_.PppoeSettings;
  r.userName = "jo smith&co";
  r.password = "p=w%d+1";
  r.serviceName = "isp/pppoe";
  r.primaryDns = "198.51.100.1";
  r.optionState = kConnectManually;
  ASSERT_TRUE(ApplyWanSettings(kWanPppoe, state_));
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], Get("/prim.htm"));
  EXPECT_EQ(lines[1], Get("/cgi-bin/prim?rc=@&rf=0008&rd=zero&lf=0037&ai=0&DF00=x&DF01=o&DF08=o&DF09=x"
                          "&Wt=0200&IU0=jo%20smith%26co&IW0=p%3Dw%25d%2B1&IT0=isp%2Fpppoe"
                          "&ID00=198.51.100.1&ID01=&IM0=1454"));
  const RouterSimState s = sim_->StateCopy();
  EXPECT_EQ(s.wanType, "0200");
  const auto& f = Form(s, "0200");
  EXPECT_EQ(f.Value("IU0"), "jo smith&co");
  EXPECT_EQ(f.Value("IW0"), "p=w%d+1");
  EXPECT_EQ(f.Value("IT0"), "isp/pppoe");
  EXPECT_FALSE(f.df00);
  EXPECT_TRUE(f.df01);
  EXPECT_TRUE(f.df08);
}

TEST_P(WanCommandsTest, PppoeFromAnotherFormHasNoDf08OrIm0) {
  // prim.htm shows the dynamic form: no DF08, no IM0.
  state_.PppoeSettings.userName = "u";
  state_.PppoeSettings.optionState = kConnectManually;
  ASSERT_TRUE(ApplyPppoeWan(state_));
  EXPECT_EQ(LastLine(), Get("/cgi-bin/prim?rc=@&rf=0008&rd=zero&lf=0037&ai=0&DF00=x&DF01=o"
                            "&Wt=0200&IU0=u&IW0=&IT0=&ID00=&ID01="));
}

TEST_P(WanCommandsTest, PptpAndL2tpSwitchTheFormFirst) {
  for (bool l2tp : {false, true}) {
    sim_->ClearLog();
    PptpSettings& r = l2tp ? state_.L2tpSettings : state_.PptpSettings;
    r.ipAddress = "0.0.0.0";
    r.subnetMask = "0.0.0.0";
    r.gateway = "0.0.0.0";
    r.server = "vpn.example.net";
    r.userName = "me@isp";
    r.password = "a b";
    r.optionState = kConnectAutomatically;
    ASSERT_TRUE(ApplyWanSettings(l2tp ? kWanL2tp : kWanPptp, state_));
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    const std::string wt = l2tp ? "0700" : "0300";
    EXPECT_EQ(lines[0], Get("/cgi-bin/want?rd=prim&Wt=" + wt));
    EXPECT_EQ(lines[1], Get(std::string("/cgi-bin/prim?rc=@&rf=") + (l2tp ? "4000" : "1000") +
                            "&rd=zero&Wt=" + wt + "&lf=0037&ai=0&DF00=o&DF01=x&WI=0.0.0.0&WN=0.0.0.0"
                            "&WG=0.0.0.0&DI0=vpn.example.net&IU0=me%40isp&IW0=a%20b&IM0=1460"));
    const RouterSimState s = sim_->StateCopy();
    EXPECT_EQ(s.wanType, wt);
    EXPECT_EQ(Form(s, wt.c_str()).Value("IU0"), "me@isp");
    EXPECT_EQ(Form(s, wt.c_str()).Value("DI0"), "vpn.example.net");
  }
}

TEST_P(WanCommandsTest, BigPondAndTeliaBoxes) {
  state_.BigPondSettings.userName = "bp user";
  state_.BigPondSettings.password = "pw";
  state_.BigPondSettings.loginServer = "61.9.192.13";
  state_.BigPondSettings.optionState = kConnectOnDemand;
  ASSERT_TRUE(ApplyWanSettings(kWanBigPond, state_));
  EXPECT_EQ(LastLine(), Get("/cgi-bin/prim?rc=@&rf=2000&rd=zero&Wt=0101&lf=0037&ai=0&DF01=x&IU0=bp%20user"
                            "&IW0=pw&IT0=61.9.192.13"));
  EXPECT_FALSE(Form(sim_->StateCopy(), "0101").df00);
  state_.TeliaSettings.userName = "t";
  state_.TeliaSettings.password = "#1";
  state_.TeliaSettings.optionState = kConnectAutomatically;
  ASSERT_TRUE(ApplyWanSettings(kWanTelia, state_));
  EXPECT_EQ(LastLine(), Get("/cgi-bin/prim?rc=@&rf=8000&rd=zero&Wt=0104&lf=0037&ai=0&DF00=on&DF01=x&IU0=t"
                            "&IW0=%231"));
  const RouterSimState s = sim_->StateCopy();
  EXPECT_EQ(s.wanType, "0104");
  EXPECT_TRUE(Form(s, "0104").df00);
  EXPECT_EQ(Form(s, "0104").Value("IW0"), "#1");
}

TEST_P(WanCommandsTest, ReadWanOptionsPerType) {
  struct Case {
    std::int32_t type;
    const char* wt;
    bool df00, df01;
    std::int32_t expected;
  };
  const Case cases[] = {
      {kWanDynamicIp, "0100", true, false, 1}, {kWanDynamicIp, "0100", false, true, 0},
      {kWanPppoe, "0200", false, true, 2},     {kWanPppoe, "0200", true, true, 1},
      {kWanPptp, "0300", false, false, 0},     {kWanL2tp, "0700", false, true, 2},
      {kWanBigPond, "0101", true, false, 1},   {kWanTelia, "0104", false, true, 0},
  };
  for (const Case& c : cases) {
    sim_->ClearLog();
    Router([&](RouterSimState& s) {
      s.forms[c.wt].df00 = c.df00;
      s.forms[c.wt].df01 = c.df01;
    });
    ASSERT_TRUE(ReadWanOptions(c.type, state_));
    EXPECT_EQ(LastLine(), Get(std::string("/cgi-bin/want?rd=prim&Wt=") + c.wt));
    std::int32_t got = -1;
    switch (c.type) {
      case kWanDynamicIp: got = state_.DynamicIpSettings.optionState; break;
      case kWanPppoe: got = state_.PppoeSettings.optionState; break;
      case kWanPptp: got = state_.PptpSettings.optionState; break;
      case kWanL2tp: got = state_.L2tpSettings.optionState; break;
      case kWanBigPond: got = state_.BigPondSettings.optionState; break;
      case kWanTelia: got = state_.TeliaSettings.optionState; break;
    }
    EXPECT_EQ(got, c.expected) << c.wt << " " << c.df00 << c.df01;
    // The read only switches the form, never the active type.
    EXPECT_EQ(sim_->StateCopy().wanType, "0100");
  }
  EXPECT_FALSE(ReadWanOptions(kWanStaticIp, state_));
}

TEST_P(WanCommandsTest, MacCloneAndSetMacKeepTheBoxes) {
  Router([](RouterSimState& s) {
    s.pcMac = "00-AA-BB-CC-DD-EE";
    s.forms["0100"].df00 = false;
    s.forms["0100"].df01 = true;
  });
  ASSERT_TRUE(CloneMacAddress(state_));
  EXPECT_EQ(LastLine(), Get("/cgi-bin/cmac?rc=@&En=&rd=prim"));
  EXPECT_EQ(sim_->StateCopy().wanMac, "00-AA-BB-CC-DD-EE");
  sim_->ClearLog();
  ASSERT_TRUE(SetWanMacAddress("00-11-22-33-44-55", state_));
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], Get("/prim.htm"));
  EXPECT_EQ(lines[1], Get("/cgi-bin/prim?rc=@&rd=zero&En=00-11-22-33-44-55&ai=0&DF00=x&DF01=o"));
  const RouterSimState s = sim_->StateCopy();
  EXPECT_EQ(s.wanMac, "00-11-22-33-44-55");
  EXPECT_FALSE(Form(s, "0100").df00);
  EXPECT_TRUE(Form(s, "0100").df01);
}

TEST_P(WanCommandsTest, FailedReadWritesNothing) {
  routersim::RouterSimFaults faults;
  faults.wrongStatus = 404;
  faults.match = "prim.htm";
  sim_->SetFaults(faults);
  EXPECT_FALSE(ApplyPppoeWan(state_));
  EXPECT_FALSE(SetWanMacAddress("00-11-22-33-44-55", state_));
  faults.match = "want?rd=prim";
  sim_->SetFaults(faults);
  EXPECT_FALSE(ApplyPptpWan(state_));
  EXPECT_FALSE(ApplyL2tpWan(state_));
  for (const auto& line : Lines()) EXPECT_EQ(line.find("cgi-bin/prim"), std::string::npos) << line;
  EXPECT_EQ(sim_->StateCopy().wanType, "0100");
}

KELVANE_INSTANTIATE_ALL_LAYOUTS(WanCommandsTest);

// IM0 as the form writes it: quoted, or unquoted and ended by a blank, ">",
// CR or LF; echoed escaped like every other value.
TEST(WanCommandsCannedTest, Im0IsEchoedAsTheFormHoldsIt) {
  struct Case {
    std::string form;
    std::string im0;  // the IM0 part of the request, "" when none is sent
  };
  const Case cases[] = {
      {"<input NAME=IM0 VALUE=1400 SIZE=4>", "&IM0=1400"},
      {"<input NAME=IM0 VALUE=1492>\n<input NAME=IU0 VALUE=\"x y\">", "&IM0=1492"},
      {"<input NAME=IM0 VALUE=1492\r\nSIZE=4>", "&IM0=1492"},
      {"<input NAME=IM0 VALUE=1492\nSIZE=4>", "&IM0=1492"},
      {"<input NAME=IM0 VALUE=\"14 92&x=1\" SIZE=4>", "&IM0=14%2092%26x%3D1"},
      {"<input NAME=IM0 VALUE=1492", ""},
      {"<input NAME=IU0 VALUE=\"u\">", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.form);
    const std::string form = c.form;
    testing::CannedServer server([form](const std::string&) {
      return testing::CannedServer::Ok("<script> DF08=CHECKED, DF09=x </script>" + form);
    });
    WizardState state;
    ResetRouterDefaults(state);
    state.routerAddress = server.Address();
    state.PppoeSettings.optionState = kConnectAutomatically;
    ASSERT_TRUE(ApplyPppoeWan(state));
    state.PptpSettings.optionState = kConnectAutomatically;
    ASSERT_TRUE(ApplyPptpWan(state));
    const auto lines = server.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "GET /cgi-bin/prim?rc=@&rf=0008&rd=zero&lf=0037&ai=0&DF00=o&DF01=x&DF08=o&DF09=x"
                        "&Wt=0200&IU0=&IW0=&IT0=&ID00=&ID01=" + c.im0 + " HTTP/1.0");
    EXPECT_EQ(lines[3], "GET /cgi-bin/prim?rc=@&rf=1000&rd=zero&Wt=0300&lf=0037&ai=0&DF00=o&DF01=x"
                        "&WI=&WN=&WG=&DI0=&IU0=&IW0=" + c.im0 + " HTTP/1.0");
  }
}

}  // namespace
}  // namespace kelvane
