#include "state/WizardState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace kelvane {
namespace {

TEST(FixedText, CutsToTheFieldWidth) {
  FixedText<17> address;
  EXPECT_TRUE(address.Assign("192.168.123.254"));
  EXPECT_EQ(address, "192.168.123.254");
  EXPECT_FALSE(address.Assign("1234567890123456789"));
  EXPECT_EQ(address.size(), 16u);
  EXPECT_EQ(address, "1234567890123456");
}

TEST(FixedText, StopsAtAnEmbeddedZeroAndClearsTheRest) {
  FixedText<8> text;
  text = "abcdefg";
  text = std::string_view("ab\0cd", 5);
  EXPECT_EQ(text, "ab");
  // The bytes after the text are zero, as in a cleared record.
  EXPECT_EQ(std::memcmp(text.c_str() + 2, "\0\0\0\0\0\0", 6), 0);
}

// Every "strip and write back" step assigns a field from a view of itself.
TEST(FixedText, AssigningFromAViewOfItselfKeepsTheText) {
  struct {
    const char* start;
    std::size_t from;
    std::size_t length;
    const char* expected;
  } cases[] = {
      {"kwzpo", 0, 5, "kwzpo"},                  // the whole field (SetLoginUser(state.loginUser))
      {"  home", 2, 4, "home"},                   // leading blanks stripped
      {"home  ", 0, 4, "home"},                   // trailing blanks stripped
      {"abcdefghijklmnop", 3, 13, "defghijklmnop"},  // a full field, shifted left over itself
      {"abc", 1, 0, ""},
  };
  for (const auto& c : cases) {
    FixedText<17> text;
    text = c.start;
    const std::string_view self = text.view().substr(c.from, c.length);
    text.Assign(self);
    EXPECT_EQ(text, c.expected) << c.start;
    EXPECT_EQ(text.size(), std::strlen(c.expected)) << c.start;
  }
}

TEST(FixedText, CheckedAssignmentRefusesWhatWouldBeCut) {
  struct {
    std::string text;
    bool stored;
    const char* after;
  } cases[] = {
      {"1234567890123456", true, "1234567890123456"},  // exactly the width
      {"12345678901234567", false, "old"},             // one more: refused, field unchanged
      {"", true, ""},
      {std::string("ab\0cd", 5), false, "old"},         // a zero byte would lose "cd"
  };
  for (const auto& c : cases) {
    FixedText<17> text;
    text = "old";
    EXPECT_EQ(text.AssignChecked(c.text), c.stored) << c.text;
    EXPECT_EQ(text, c.after) << c.text;
  }
  FixedText<17> self;
  self = "  padded";
  EXPECT_TRUE(self.AssignChecked(self.view().substr(2)));
  EXPECT_EQ(self, "padded");
}

TEST(WizardState, CapacitiesMatchTheRecordLayouts) {
  WizardState s;
  EXPECT_EQ(s.routerAddress.kMaxLength, 16u);
  EXPECT_EQ(s.loginUser.kMaxLength, 32u);
  EXPECT_EQ(s.loginPassword.kMaxLength, 32u);
  EXPECT_EQ(s.lanDomainName.kCapacity, 32u);
  EXPECT_EQ(s.PppoeSettings.userName.kCapacity, 65u);
  EXPECT_EQ(s.PppoeSettings.serviceName.kCapacity, 117u);
  EXPECT_EQ(s.PptpSettings.server.kCapacity, 129u);
  EXPECT_EQ(s.L2tpSettings.server.kCapacity, 129u);
  EXPECT_EQ(s.BigPondSettings.loginServer.kCapacity, 18u);
  EXPECT_EQ(s.DynamicIpSettings.macAddress.kCapacity, 18u);
  EXPECT_EQ(s.WirelessSettings.ssid.kCapacity, 33u);
  EXPECT_EQ(s.WirelessSettings.channel.kCapacity, 7u);
  EXPECT_EQ(s.WirelessSettings.key.kCapacity, 129u);
  s.loginPassword = std::string(40, 'p');
  EXPECT_EQ(s.loginPassword.size(), 32u);
}

TEST(ResetRouterDefaults, GivesTheFreshStartState) {
  WizardState s;
  s.basicAuthLogin = 1;
  s.loginUser = "someone";
  s.loginPassword = "";
  s.wanType = kWanPppoe;
  s.PppoeSettings.userName = "user";
  s.PppoeSettings.optionState = kConnectManually;
  s.StaticIpSettings.ipAddress = "10.0.0.2";
  s.TeliaSettings.password = "pw";
  s.WirelessSettings.ssid = "home";
  s.WirelessSettings.channel = "Auto";
  s.WirelessSettings.securityMode = kSecurityWpa2Psk;
  s.WirelessSettings.keyIsText = 0;
  s.WirelessSettings.key = "0123456789";
  s.configureWireless = 0;
  s.applyWan = 0;

  ResetRouterDefaults(s);

  EXPECT_EQ(s.basicAuthLogin, 0);
  EXPECT_EQ(s.loginUser, "kwzpo");
  EXPECT_EQ(s.loginPassword, "kwzpo");
  EXPECT_TRUE(s.PppoeSettings.userName.empty());
  EXPECT_EQ(s.PppoeSettings.optionState, 0);
  EXPECT_TRUE(s.StaticIpSettings.ipAddress.empty());
  EXPECT_TRUE(s.TeliaSettings.password.empty());
  EXPECT_EQ(s.WirelessSettings.ssid, "LMQ-5812");
  EXPECT_EQ(s.WirelessSettings.channel, "11");
  EXPECT_EQ(s.WirelessSettings.securityMode, kSecurityNone);
  EXPECT_EQ(s.WirelessSettings.wepKeyLength, 0);
  EXPECT_EQ(s.WirelessSettings.keyIsText, 1);
  EXPECT_EQ(s.WirelessSettings.tkipCipher, 1);
  EXPECT_TRUE(s.WirelessSettings.key.empty());
  EXPECT_TRUE(s.wirelessPresent);
  EXPECT_EQ(s.configureWireless, 1);
  EXPECT_EQ(s.applyWan, 1);
}

TEST(ResetRouterDefaults, LeavesLanguageAndChosenWanTypeAlone) {
  WizardState s;
  s.languageId = 1032;
  s.currentPageCode = 40;
  s.routerAddress = "192.168.123.254";
  s.wanType = kWanStaticIp;
  ResetRouterDefaults(s);
  EXPECT_EQ(s.languageId, 1032u);
  EXPECT_EQ(s.currentPageCode, 40u);
  EXPECT_EQ(s.routerAddress, "192.168.123.254");
  EXPECT_EQ(s.wanType, kWanStaticIp);
}

TEST(WizardState, OneInstanceForTheProcess) {
  WizardState& a = WizardState::Instance();
  a.wanType = kWanTelia;
  EXPECT_EQ(&a, &WizardState::Instance());
  EXPECT_EQ(WizardState::Instance().wanType, kWanTelia);
  a.wanType = kWanNone;
}

}  // namespace
}  // namespace kelvane
