// The emulator's pages in all three layouts hold exactly what the wizard's
// advanced pages pick out of them: the WAN type code, the form fields of each
// WAN type, the MAC, the domain name and the wireless values.
#include <gtest/gtest.h>

#include "net/HttpClient.h"
#include "net/TextScan.h"
#include "router/Fields.h"
#include "router/WanSettingsReader.h"
#include "router_test_fixture.h"

namespace kelvane {
namespace {

using routersim::RouterSimState;

class PagesTest : public testing::LayoutRouterSimTest {
 protected:
  std::string Page(const std::string& path) {
    std::string page;
    EXPECT_TRUE(HttpGetAuth(sim_->Address() + path, "kwzpo", "kwzpo", page, 5)) << path;
    return page;
  }
  // The form field as the WAN settings reader takes it, quoted or not.
  static std::string Plain(const std::string& page, const char* name) {
    std::string v;
    return ReadFormFieldValue(page, name, v) ? v : "<missing>";
  }
  static std::string Quoted(const std::string& page, const char* name) { return Plain(page, name); }
  void Show(const char* wt, const std::map<std::string, std::string>& values) {
    sim_->WithState([&](RouterSimState& s) {
      s.wanType = s.formType = wt;
      for (const auto& [k, v] : values) s.forms[wt].values[k] = v;
    });
  }
  std::string TypeCode() {
    std::string code;
    EXPECT_TRUE(ExtractPreceding(Page("/zero.htm?rc=&rf=0008"), "<BR>", 4, code));
    return code;
  }
};

TEST_P(PagesTest, WanFormsHoldTheFieldsOfTheirType) {
  std::string code = TypeCode();
  EXPECT_EQ(code, "0100");
  std::string prim = Page("/prim.htm");
  std::string mac;
  ASSERT_TRUE(ExtractValueNear(prim, "NAME=En", "VALUE=\"", "\"", 30, mac));
  EXPECT_EQ(mac, "00-50-18-58-12-01");
  EXPECT_EQ(Plain(prim, "NAME=En"), "00-50-18-58-12-01");
  EXPECT_FALSE(ContainsNoCase(prim, "NAME=IT0"));
  EXPECT_FALSE(ContainsNoCase(prim, "NAME=IU0"));

  Show("0000", {{"WI", "203.0.113.5"}, {"WN", "255.255.255.0"}, {"WG", "203.0.113.1"}, {"ID00", "1.1.1.1"},
                {"ID01", "8.8.8.8"}});
  EXPECT_EQ(TypeCode(), "0000");
  prim = Page("/prim.htm");
  EXPECT_EQ(Plain(prim, "NAME=WI"), "203.0.113.5");
  EXPECT_EQ(Plain(prim, "NAME=WN"), "255.255.255.0");
  EXPECT_EQ(Plain(prim, "NAME=WG"), "203.0.113.1");
  EXPECT_EQ(Quoted(prim, "NAME=ID00"), "1.1.1.1");
  EXPECT_EQ(Quoted(prim, "NAME=ID01"), "8.8.8.8");

  Show("0200", {{"IU0", "dsl user"}, {"IT0", "svc"}});
  EXPECT_EQ(TypeCode(), "0200");
  prim = Page("/prim.htm");
  EXPECT_EQ(Quoted(prim, "NAME=IU0"), "dsl user");
  EXPECT_EQ(Quoted(prim, "NAME=IT0"), "svc");

  for (const char* wt : {"0300", "0700"}) {
    Show(wt, {{"WI", "10.0.0.2"}, {"WN", "255.0.0.0"}, {"WG", "10.0.0.1"}, {"DI0", "vpn server.example"},
              {"IU0", "vpn"}});
    EXPECT_EQ(TypeCode(), wt);
    prim = Page("/prim.htm");
    EXPECT_EQ(Plain(prim, "NAME=WI"), "10.0.0.2");
    EXPECT_EQ(Plain(prim, "NAME=WN"), "255.0.0.0");
    EXPECT_EQ(Quoted(prim, "NAME=WG"), "10.0.0.1");
    std::string server;
    ASSERT_TRUE(ExtractValueAfter(prim, "NAME=DI0", "unescape(\"", "\"", server));
    EXPECT_EQ(UrlDecode(server), "vpn server.example");
    EXPECT_EQ(Quoted(prim, "NAME=IU0"), "vpn");
  }

  // BigPond and Telia report "0100"; the form tells them apart.
  Show("0101", {{"IU0", "bp"}, {"IT0", "login-server"}});
  EXPECT_EQ(TypeCode(), "0100");
  prim = Page("/prim.htm");
  EXPECT_TRUE(ContainsNoCase(prim, "NAME=IT0"));
  EXPECT_EQ(Quoted(prim, "NAME=IT0"), "login-server");
  Show("0104", {{"IU0", "telia"}});
  EXPECT_EQ(TypeCode(), "0100");
  prim = Page("/prim.htm");
  EXPECT_FALSE(ContainsNoCase(prim, "NAME=IT0"));
  EXPECT_EQ(Quoted(prim, "NAME=IU0"), "telia");
}

// The wireless status page is read through the reader in every layout by the
// reader tests; the domain name is read by the advanced LAN page alone.
TEST_P(PagesTest, DomainNameField) {
  sim_->WithState([](RouterSimState& s) { s.domainName = "home.lan"; });
  std::string domain;
  ASSERT_TRUE(ExtractValueAfter(Page("/dhcp.htm"), "NAME=HD", "VALUE=\"", "\"", domain));
  EXPECT_EQ(domain, "home.lan");
  EXPECT_EQ(Plain(Page("/dhcp.htm"), "NAME=HD"), "home.lan");
}

TEST_P(PagesTest, FrontPagesOfTheThreeFlavours) {
  EXPECT_NE(Page("/").find("--CAS:8003"), std::string::npos);
  SetFlavour(routersim::LoginFlavour::kForm);
  std::string page;
  EXPECT_TRUE(HttpGet(sim_->Address(), page, 5));
  EXPECT_EQ(page.find("--CAS:8003"), std::string::npos);
  EXPECT_NE(page.find(";login=false;"), std::string::npos);
  SetFlavour(routersim::LoginFlavour::kBasic);
  EXPECT_FALSE(HttpGet(sim_->Address(), page, 5));
  EXPECT_TRUE(IsHttpStatus(page, 401));
}

KELVANE_INSTANTIATE_ALL_LAYOUTS(PagesTest);

}  // namespace
}  // namespace kelvane
