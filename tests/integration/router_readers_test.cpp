// The status readers against the emulated router in both page layouts (they
// must rely on the markers only), plus canned pages for answers the emulator
// never gives.
#include "router/StatusReaders.h"

#include <gtest/gtest.h>

#include "router_test_fixture.h"

namespace kelvane {
namespace {

using routersim::RouterSimState;
using routersim::WanService;

class RouterReadersTest : public testing::LayoutRouterSimTest {};

TEST_P(RouterReadersTest, WirelessStatusMapsEverySecurityCode) {
  struct Case {
    const char* code;
    std::int32_t mode;
    const char* text;
  };
  const Case cases[] = {{"0", 0, "NONE"},     {"1", 1, "WEP"},      {"2", 2, "WPA-PSK"},
                        {"3", 2, "WPA-PSK"},  {"4", 8, "WPA2-PSK"}, {"8", 8, "WPA2-PSK"},
                        {"5", 5, "WPA-PSK / WPA2-PSK"}};
  for (const Case& c : cases) {
    Router([&](RouterSimState& s) {
      s.ssid = "Monkey Home";  // "key" in the SSID is no key line
      s.channel = "6";
      s.securityCode = c.code;
      s.wepKey = "abcde";
      s.psk = "long pass&phrase";
    });
    state_.WirelessSettings.securityMode = 99;
    std::string ssid = "old", channel, text = "unchanged", key;
    const bool ok = ReadWirelessStatus(ssid, channel, text, key, state_.WirelessSettings.securityMode, state_);
    EXPECT_TRUE(ok) << c.code;
    EXPECT_EQ(ssid, "Monkey Home");
    EXPECT_EQ(channel, "6");
    EXPECT_EQ(state_.WirelessSettings.securityMode, c.mode) << c.code;
    EXPECT_EQ(text, c.text);
    // WEP reads the "Key" line, everything else the "Prechare Key" line, which
    // the router shows escaped.
    EXPECT_EQ(key, c.mode == 1 ? "abcde" : "long%20pass%26phrase") << c.code;
  }
  // A router that leaves the pass phrase off its page in the mixed mode: the
  // mode is read, the key is not there to read.
  Router([](RouterSimState& s) {
    s.securityCode = "5";
    s.mixedKeyShown = false;
  });
  std::string ssid, channel, text, key;
  EXPECT_FALSE(ReadWirelessStatus(ssid, channel, text, key, state_.WirelessSettings.securityMode, state_));
  EXPECT_EQ(state_.WirelessSettings.securityMode, kSecurityWpaMixed);
  EXPECT_EQ(ssid, "Monkey Home");
  EXPECT_EQ(key, "");
}

TEST_P(RouterReadersTest, WirelessUnknownCodeLeavesModeAndText) {
  Router([](RouterSimState& s) { s.securityCode = "13"; });
  state_.WirelessSettings.securityMode = 8;
  std::string ssid, channel, text = "before", key;
  EXPECT_TRUE(ReadWirelessStatus(ssid, channel, text, key, state_.WirelessSettings.securityMode, state_));
  EXPECT_EQ(state_.WirelessSettings.securityMode, 8);
  EXPECT_EQ(text, "before");
  EXPECT_EQ(ssid, "LMQ-5812");
  EXPECT_EQ(channel, "11");
}

TEST_P(RouterReadersTest, SystemInfoRegionAndChannelMask) {
  struct Case {
    const char* region;
    const char* mask;
    int regionFlag;
    std::uint32_t expectedBits;  // flags 0..15 as bits
    std::size_t flagCount;
  };
  const Case cases[] = {
      {"USA", "07FF", 1, 0x07FF, 16},
      {"usa", "3FFF", 1, 0x3FFF, 16},
      {"ETSI", "1FFF", 0, 0x1FFF, 16},
      {"USAX", "7FF", 0, 0x07FF, 12},
      // Lower-case letters are not hexadecimal digits to the router's reader
      // ('f' counts 47), so the flags come out wrong: channels 1-5, 10, 14.
      {"JP", "3fff", 0, 0x621F, 16},
  };
  for (const Case& c : cases) {
    Router([&](RouterSimState& s) {
      s.region = c.region;
      s.channelMask = c.mask;
    });
    int region = 9;
    ChannelFlags flags;
    flags.fill(7);
    ASSERT_TRUE(ReadSystemInfo(region, flags, state_)) << c.mask;
    EXPECT_EQ(region, c.regionFlag) << c.region;
    for (std::size_t i = 0; i < 14; ++i) {
      const int expected = i < c.flagCount ? static_cast<int>((c.expectedBits >> i) & 1u) : 0;
      EXPECT_EQ(flags[i], expected) << c.mask << " channel " << i + 1;
    }
  }
}

TEST_P(RouterReadersTest, WanLinkAndDetection) {
  struct Case {
    bool cable;
    WanService service;
    std::uint8_t link;
    std::uint8_t ready;
    std::int32_t type;  // -5: left untouched
  };
  const Case cases[] = {
      {true, WanService::kDhcp, 1, 1, 1},
      {true, WanService::kPppoe, 1, 1, 3},
      {true, WanService::kNone, 1, 1, 0},
      {false, WanService::kDhcp, 0, 0, -5},
  };
  for (const Case& c : cases) {
    Router([&](RouterSimState& s) {
      s.wanCable = c.cable;
      s.service = c.service;
    });
    std::uint8_t link = 9, ready = 9;
    std::int32_t type = -5;
    ASSERT_TRUE(ReadWanLinkStatus(link, state_));
    EXPECT_EQ(link, c.link);
    ASSERT_TRUE(ReadWanDetection(ready, type, state_));
    EXPECT_EQ(ready, c.ready);
    EXPECT_EQ(type, c.type);
  }
}

TEST_P(RouterReadersTest, WanAddressesFollowTheWanState) {
  // Dynamic IP on a DHCP provider: up, two DNS servers, the first kept.
  std::uint8_t up = 0;
  std::string gateway, dns;
  ASSERT_TRUE(ReadWanAddresses(up, gateway, dns, state_));
  EXPECT_EQ(up, 1);
  EXPECT_EQ(gateway, "10.64.0.1");
  EXPECT_EQ(dns, "10.64.0.53");

  // Static with one DNS server.
  Router([](RouterSimState& s) {
    s.wanType = routersim::kWtStatic;
    s.forms[routersim::kWtStatic].values = {{"WI", "203.0.113.7"}, {"WN", "255.255.255.0"},
                                            {"WG", "203.0.113.1"}, {"ID00", "198.51.100.53"}, {"ID01", ""}};
  });
  ASSERT_TRUE(ReadWanAddresses(up, gateway, dns, state_));
  EXPECT_EQ(up, 1);
  EXPECT_EQ(gateway, "203.0.113.1");
  EXPECT_EQ(dns, "198.51.100.53");

  // PPPoE settings on a DHCP provider: never comes up.
  Router([](RouterSimState& s) {
    s.wanType = routersim::kWtPppoe;
    s.forms[routersim::kWtPppoe].values["IU0"] = "user";
  });
  ASSERT_TRUE(ReadWanAddresses(up, gateway, dns, state_));
  EXPECT_EQ(up, 0);
  EXPECT_EQ(gateway, "0.0.0.0");
}

TEST_P(RouterReadersTest, ReadersFailWhenTheRouterRefuses) {
  Router([](RouterSimState& s) { s.flavour = routersim::LoginFlavour::kBasic; });
  state_.loginUser = "wrong";
  std::string ssid = "x", channel = "keep", text = "keep", key = "keep";
  EXPECT_FALSE(ReadWirelessStatus(ssid, channel, text, key, state_.WirelessSettings.securityMode, state_));
  EXPECT_EQ(ssid, "");
  EXPECT_EQ(channel, "keep");
  int region = 1;
  ChannelFlags flags;
  flags.fill(1);
  EXPECT_FALSE(ReadSystemInfo(region, flags, state_));
  EXPECT_EQ(region, 0);
  EXPECT_EQ(flags[13], 0);
  std::uint8_t up = 1;
  std::string gateway = "g", dns = "d";
  EXPECT_FALSE(ReadWanAddresses(up, gateway, dns, state_));
  EXPECT_EQ(up, 0);
  EXPECT_EQ(gateway, "");
  std::uint8_t link = 7;
  EXPECT_FALSE(ReadWanLinkStatus(link, state_));
  EXPECT_EQ(link, 7);
}

KELVANE_INSTANTIATE_ALL_LAYOUTS(RouterReadersTest);

// Pages the emulator never serves.
class CannedPageTest : public ::testing::Test {
 protected:
  void Serve(const std::string& body) {
    server_ = std::make_unique<testing::CannedServer>(
        [body](const std::string&) { return testing::CannedServer::Ok(body); });
    ResetRouterDefaults(state_);
    state_.routerAddress = server_->Address();
  }
  std::unique_ptr<testing::CannedServer> server_;
  WizardState state_;
};

TEST_F(CannedPageTest, WanAddressesEdgeCases) {
  struct Case {
    std::string page;
    bool result;
    std::uint8_t up;
    std::string gateway;
    std::string dns;
  };
  const Case cases[] = {
      {"Gateway=0.0.0.0<BR>Domain Name Server=1.2.3.4<BR>", true, 0, "0.0.0.0", "1.2.3.4"},
      {"Gateway=10.0.0.1<BR>Domain Name Server=1.2.3.4, 5.6.7.8<BR>", true, 1, "10.0.0.1", "1.2.3.4"},
      {"Gateway=10.0.0.1<BR>Domain Name Server=none<BR>", true, 0, "10.0.0.1", "none"},
      {"Gateway=10.0.0.1<BR>No servers<BR>", false, 0, "10.0.0.1", ""},
      {"gateway=10.0.0.9<br>domain name server=9.9.9.9<br>", true, 1, "10.0.0.9", "9.9.9.9"},
      // Blanks and line ends around the texts are not part of the addresses.
      {"Gateway=10.0.0.1<BR>Domain Name Server=1.2.3.4 <BR>", true, 1, "10.0.0.1", "1.2.3.4"},
      {"Gateway= 10.0.0.1\r\n<BR>Domain Name Server=1.2.3.4\r\n<BR>", true, 1, "10.0.0.1", "1.2.3.4"},
      {"Gateway=10.0.0.1<BR>Domain Name Server=\t1.2.3.4\n<BR>", true, 1, "10.0.0.1", "1.2.3.4"},
      // Still no single address: a short form, the all-ones address, text or a
      // NUL after a valid address.
      {"Gateway=10.0.0.1<BR>Domain Name Server=10.1 <BR>", true, 0, "10.0.0.1", "10.1"},
      {"Gateway=10.0.0.1<BR>Domain Name Server=255.255.255.255<BR>", true, 0, "10.0.0.1", "255.255.255.255"},
      {"Gateway=10.0.0.1<BR>Domain Name Server=1.2.3.4 x<BR>", true, 0, "10.0.0.1", "1.2.3.4 x"},
      {std::string("Gateway=10.0.0.1<BR>Domain Name Server=1.2.3.4") + '\0' + "x<BR>", true, 0, "10.0.0.1",
       std::string("1.2.3.4") + '\0' + "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    Serve(c.page);
    std::uint8_t up = 5;
    std::string gateway, dns;
    EXPECT_EQ(ReadWanAddresses(up, gateway, dns, state_), c.result);
    EXPECT_EQ(up, c.up);
    EXPECT_EQ(gateway, c.gateway);
    EXPECT_EQ(dns, c.dns);
  }
}

TEST_F(CannedPageTest, DetectionUsesTheFirstCommentOnly) {
  struct Case {
    const char* page;
    bool result;
    std::uint8_t ready;
    std::int32_t type;
  };
  const Case cases[] = {
      {"<!--x(2)--><!--(1)-->", true, 1, 3},
      {"<!--(-1) (1)-->", true, 1, 0},
      {"<!--nothing here-->(1)", true, 1, 0},
      {"<!--0123456789abcdef(1)-->", true, 1, 0},  // beyond the 15 characters used
      {"no comment<BR>", false, 1, 0},
      {"<!--(1)--> 1,0001", true, 0, -1},  // ",0": not ready, type untouched
  };
  for (const Case& c : cases) {
    Serve(c.page);
    std::uint8_t ready = 9;
    std::int32_t type = -1;
    EXPECT_EQ(ReadWanDetection(ready, type, state_), c.result) << c.page;
    EXPECT_EQ(ready, c.ready) << c.page;
    EXPECT_EQ(type, c.type) << c.page;
  }
}

TEST_F(CannedPageTest, WepKeyIsTheValueOfTheKeyLine) {
  const std::string wep = "<script>var CSKM0='1';</script>";
  struct Case {
    std::string page;
    bool result;
    const char* key;
  };
  const Case cases[] = {
      {wep + "SSID=a<BR>Channel=1<BR>Key=12345<BR>Prechare Key=zzzzzzzz<BR>", true, "12345"},
      // "key" inside the SSID, a "Prechare Key" line first, a title holding it.
      {wep + "SSID=Monkey<BR>Channel=1<BR>Key=12345<BR>", true, "12345"},
      {wep + "SSID=a<BR>Prechare Key=zzzzzzzz<BR>Key=12345<BR>", true, "12345"},
      {"<html><title>Wireless Key</title>" + wep + "\r\nSSID=a<br>\r\nKey=12345<br>\r\n", true, "12345"},
      {"<title>Key settings</title>" + wep + "\nPrechare Key=zz<br>\n  key=abcde<br>", true, "abcde"},
      {wep + "SSID=key=x<BR><tr><td>key=0123456789<br></td></tr>", true, "0123456789"},
      // Only the pass phrase line: a WEP router without its key line.
      {wep + "SSID=Monkey<BR>Prechare Key=zzzzzzzz<BR>", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    Serve(c.page);
    std::string ssid, channel, text, key;
    EXPECT_EQ(ReadWirelessStatus(ssid, channel, text, key, state_.WirelessSettings.securityMode, state_), c.result);
    EXPECT_EQ(state_.WirelessSettings.securityMode, kSecurityWep);
    EXPECT_EQ(key, c.key);
  }
  Serve("SSID=a<BR>Channel=1<BR>");
  state_.WirelessSettings.securityMode = kSecurityNone;
  std::string ssid, channel, text, key;
  EXPECT_FALSE(ReadWirelessStatus(ssid, channel, text, key, state_.WirelessSettings.securityMode, state_));
  EXPECT_EQ(ssid, "a");
}

}  // namespace
}  // namespace kelvane
