// The settings readers: what the WAN commands write comes back through
// ReadWanSettings in every page layout, the read's success rule on canned
// pages, and the domain name read's three outcomes.
#include "router/WanSettingsReader.h"

#include <gtest/gtest.h>

#include "router/WanCommands.h"
#include "router/WirelessLanCommands.h"
#include "router_test_fixture.h"

namespace kelvane {
namespace {

using routersim::RouterSimState;

class WanSettingsReaderTest : public testing::LayoutRouterSimTest {
 protected:
  // Writes with `writer`, then reads back into a fresh state.
  WizardState WriteThenRead(const std::function<void(WizardState&)>& fill, std::int32_t type,
                            WanSettingsReading& reading, bool& ok) {
    WizardState written = state_;
    fill(written);
    EXPECT_TRUE(ApplyWanSettings(type, written));
    WizardState read = state_;
    read.wanType = 99;
    ok = ReadWanSettings(read, reading);
    return read;
  }
};

TEST_P(WanSettingsReaderTest, EveryTypeReadsBackWhatWasWritten) {
  WanSettingsReading r;
  bool ok = false;

  WizardState s = WriteThenRead(
      [](WizardState& w) {
        w.StaticIpSettings.ipAddress = "203.0.113.7";
        w.StaticIpSettings.subnetMask = "255.255.255.0";
        w.StaticIpSettings.gateway = "203.0.113.1";
        w.StaticIpSettings.primaryDns = "198.51.100.53";
      },
      kWanStaticIp, r, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(s.wanType, kWanStaticIp);
  EXPECT_EQ(r.typeCode, "0000");
  EXPECT_EQ(s.StaticIpSettings.ipAddress, "203.0.113.7");
  EXPECT_EQ(s.StaticIpSettings.subnetMask, "255.255.255.0");
  EXPECT_EQ(s.StaticIpSettings.gateway, "203.0.113.1");
  EXPECT_EQ(s.StaticIpSettings.primaryDns, "198.51.100.53");
  EXPECT_EQ(s.StaticIpSettings.secondaryDns, "");

  s = WriteThenRead(
      [](WizardState& w) {
        w.PppoeSettings.userName = "jo \"smith\" & <co>";
        w.PppoeSettings.password = "secret";
        w.PppoeSettings.serviceName = "isp/pppoe svc";
        w.PppoeSettings.optionState = kConnectManually;
      },
      kWanPppoe, r, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(s.wanType, kWanPppoe);
  EXPECT_EQ(s.PppoeSettings.userName, "jo \"smith\" & <co>");
  EXPECT_EQ(s.PppoeSettings.serviceName, "isp/pppoe svc");
  EXPECT_EQ(s.PppoeSettings.password, "");  // never read back
  EXPECT_EQ(s.PppoeSettings.optionState, kConnectManually);
  EXPECT_TRUE(r.optionsRead);

  for (std::int32_t type : {kWanPptp, kWanL2tp}) {
    SCOPED_TRACE(type);
    s = WriteThenRead(
        [type](WizardState& w) {
          PptpSettings& p = type == kWanPptp ? w.PptpSettings : w.L2tpSettings;
          p.ipAddress = "10.0.0.2";
          p.subnetMask = "255.0.0.0";
          p.gateway = "10.0.0.1";
          p.server = "vpn server.example/x?y=1";
          p.userName = "me@isp";
          p.optionState = kConnectOnDemand;
        },
        type, r, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(s.wanType, type);
    const PptpSettings& p = type == kWanPptp ? s.PptpSettings : s.L2tpSettings;
    EXPECT_EQ(p.ipAddress, "10.0.0.2");
    EXPECT_EQ(p.subnetMask, "255.0.0.0");
    EXPECT_EQ(p.gateway, "10.0.0.1");
    EXPECT_EQ(p.server, "vpn server.example/x?y=1");
    EXPECT_EQ(p.userName, "me@isp");
    EXPECT_EQ(p.optionState, kConnectOnDemand);
    EXPECT_TRUE(r.staticAddress);
  }

  // Address mode: all three "0.0.0.0" is the dynamic mode.
  s = WriteThenRead(
      [](WizardState& w) {
        w.PptpSettings.ipAddress = "0.0.0.0";
        w.PptpSettings.subnetMask = "0.0.0.0";
        w.PptpSettings.gateway = "0.0.0.0";
        w.PptpSettings.server = "10.9.9.9";
        w.PptpSettings.userName = "u";
      },
      kWanPptp, r, ok);
  EXPECT_TRUE(ok);
  EXPECT_FALSE(r.staticAddress);
  EXPECT_EQ(s.PptpSettings.gateway, "0.0.0.0");

  // BigPond and Telia report dynamic IP; the form tells them apart.
  s = WriteThenRead(
      [](WizardState& w) {
        w.BigPondSettings.userName = "bp user";
        w.BigPondSettings.loginServer = "61.9.192.13";
        w.BigPondSettings.optionState = kConnectAutomatically;
      },
      kWanBigPond, r, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(r.typeCode, "0100");
  EXPECT_EQ(s.wanType, kWanBigPond);
  EXPECT_EQ(s.BigPondSettings.userName, "bp user");
  EXPECT_EQ(s.BigPondSettings.loginServer, "61.9.192.13");
  EXPECT_EQ(s.BigPondSettings.optionState, kConnectAutomatically);

  s = WriteThenRead([](WizardState& w) { w.TeliaSettings.userName = "telia"; }, kWanTelia, r, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(s.wanType, kWanTelia);
  EXPECT_EQ(s.TeliaSettings.userName, "telia");

  // Dynamic IP: the WAN MAC as the MAC command left it.
  ASSERT_TRUE(SetWanMacAddress("00-11-22-33-44-55", state_));
  s = WriteThenRead([](WizardState& w) { w.DynamicIpSettings.optionState = kConnectAutomatically; },
                    kWanDynamicIp, r, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(s.wanType, kWanDynamicIp);
  EXPECT_TRUE(r.macFound);
  EXPECT_EQ(s.DynamicIpSettings.macAddress, "00-11-22-33-44-55");
  EXPECT_EQ(s.DynamicIpSettings.optionState, kConnectAutomatically);
}

TEST_P(WanSettingsReaderTest, RequestsOfARead) {
  Router([](RouterSimState& s) { s.wanType = s.formType = routersim::kWtBigPond; });
  WanSettingsReading r;
  ASSERT_TRUE(ReadWanSettings(state_, r));
  // The type code, the form shown (a provider login's?), the fields from the
  // form brought to the type, its boxes.
  EXPECT_EQ(Lines(), (std::vector<std::string>{Get("/zero.htm?rc=&rf=0008"), Get("/prim.htm"),
                                               Get("/cgi-bin/want?rd=prim&Wt=0101"),
                                               Get("/cgi-bin/want?rd=prim&Wt=0101")}));
}

TEST_P(WanSettingsReaderTest, DomainNameThreeOutcomes) {
  Router([](RouterSimState& s) { s.domainName = "home \"lan\"&x"; });
  std::string domain = "old";
  EXPECT_EQ(ReadLanDomainName(state_, domain), LanDomainRead::kRead);
  EXPECT_EQ(domain, "home \"lan\"&x");
  EXPECT_EQ(state_.lanDomainName, "home \"lan\"&x");
  // What the store command writes comes back.
  ASSERT_TRUE(SetLanDomainName("", state_));
  EXPECT_EQ(ReadLanDomainName(state_, domain), LanDomainRead::kRead);
  EXPECT_EQ(domain, "");
  state_.lanDomainName = "kept";
  routersim::RouterSimFaults faults;
  faults.wrongStatus = 404;
  faults.match = "dhcp.htm";
  sim_->SetFaults(faults);
  EXPECT_EQ(ReadLanDomainName(state_, domain), LanDomainRead::kFetchFailed);
  EXPECT_EQ(domain, "");
  EXPECT_EQ(state_.lanDomainName, "");
}

KELVANE_INSTANTIATE_ALL_LAYOUTS(WanSettingsReaderTest);

class CannedSettingsTest : public ::testing::Test {
 protected:
  // Serves `typePage` for the type page and `form` for everything else.
  void Serve(const std::string& typePage, const std::string& form) {
    server_ = std::make_unique<testing::CannedServer>([typePage, form](const std::string& head) {
      return testing::CannedServer::Ok(head.find("rf=0008") != std::string::npos ? typePage : form);
    });
    ResetRouterDefaults(state_);
    state_.routerAddress = server_->Address();
  }
  std::unique_ptr<testing::CannedServer> server_;
  WizardState state_;
};

TEST_F(CannedSettingsTest, SuccessIsTheLastExtractionOfThePath) {
  const std::string boxes = "<script> DF00=CHECKED, DF01=x, </script>";
  struct Case {
    const char* name;
    std::string typePage;
    std::string form;
    bool ok;
    std::int32_t type;
  };
  const Case cases[] = {
      {"static with DNS 2", "0000<BR>", "<input name=WI value=1.2.3.4><input name=ID01 value=\"\">", true, 2},
      {"static without DNS 2", "0000<BR>", "<input name=WI value=1.2.3.4><input name=ID00 value=\"1.1.1.1\">",
       false, 2},
      {"PPPoE without service name", "x0200<BR>", boxes + "<input name=IU0 value=\"u\">", false, 3},
      {"PPTP without user name", "0300<BR>", boxes + "<input name=WI value=0.0.0.0>", false, 4},
      {"L2TP", "0700<BR>", boxes + "<input name=IU0 value=\"u\">", true, 5},
      {"dynamic without MAC", "0100<BR>", boxes, false, 1},
      {"dynamic", "0100<BR>", boxes + "<input value=\"00-11-22-33-44-55\" name=En>", true, 1},
      {"BigPond", "0100<BR>", boxes + "<input name=IU0 value=\"u\"><input name=IT0 value=\"s\">", true, 6},
      {"Telia", "0100<BR>", boxes + "<input name=IU0 value=\"u\">", true, 7},
      // A form that names its type decides only among the provider logins: a
      // dynamic-IP router whose form was left on PPPoE is no BigPond router.
      {"dynamic, PPPoE form shown", "0100<BR>",
       boxes + "<input type=hidden name=Wt value=0200><input name=IU0 value=\"u\"><input name=IT0 value=\"s\">", false,
       1},
      {"BigPond, its form shown", "0100<BR>",
       boxes + "<input type=hidden name=Wt value=0101><input name=IU0 value=\"u\"><input name=IT0 value=\"s\">", true,
       6},
      {"unknown code", "0999<BR>", "", true, 0},
      {"no code at all", "nothing", "", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Serve(c.typePage, c.form);
    WanSettingsReading r;
    EXPECT_EQ(ReadWanSettings(state_, r), c.ok);
    EXPECT_EQ(state_.wanType, c.type);
    EXPECT_EQ(r.type, c.type);
  }
}

TEST_F(CannedSettingsTest, DomainFieldMissingKeepsTheStoredName) {
  Serve("", "<form action=/cgi-bin/dhcp></form>");
  state_.lanDomainName = "kept";
  std::string domain = "x";
  EXPECT_EQ(ReadLanDomainName(state_, domain), LanDomainRead::kFieldMissing);
  EXPECT_EQ(domain, "");
  EXPECT_EQ(state_.lanDomainName, "kept");
}

TEST(FormFieldValueTest, ValueWhereverItStandsInTheTag) {
  struct Case {
    const char* page;
    const char* anchor;
    bool found;
    const char* value;
  };
  const Case cases[] = {
      {"<INPUT NAME=WI VALUE=1.2.3.4 SIZE=15>", "NAME=WI", true, "1.2.3.4"},
      {"<input name=wi value=1.2.3.4>\n<input name=WN value=x>", "NAME=WI", true, "1.2.3.4"},
      {"<input name=WI value=1.2.3.4\r\n size=15>", "NAME=WI", true, "1.2.3.4"},
      {"<input value=\"a b\" size=3 name=IU0>", "NAME=IU0", true, "a b"},
      {"<input name=IU0\n value='it''s'>", "NAME=IU0", true, "it"},
      {"<input name=IU0 value=\"&quot;x&quot; &lt;&amp;&gt; &#39;\">", "NAME=IU0", true, "\"x\" <&> '"},
      {"<input name=IU0 value=\"a>b\">", "NAME=IU0", true, "a>b"},
      // The longer name is another field; a tag without VALUE is passed over.
      {"<input name=ID00 value=\"1\"><input name=ID0 value=\"2\">", "NAME=ID0", true, "2"},
      {"<input name=IW0 type=password><input name=IU0 value=\"u\">", "NAME=IW0", false, ""},
      {"<!-- NAME=HD --><input name=HD value=\"dom\">", "NAME=HD", true, "dom"},
      {"<input xvalue=\"no\" name=HD value=\"yes\">", "NAME=HD", true, "yes"},
      {"<input name=HD value=\"open", "NAME=HD", false, ""},
      {"NAME=HD VALUE=x", "NAME=HD", false, ""},
      {"", "NAME=HD", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    std::string value;
    EXPECT_EQ(ReadFormFieldValue(c.page, c.anchor, value), c.found);
    EXPECT_EQ(value, c.value);
  }
}

}  // namespace
}  // namespace kelvane
