#include "net/ByteOrder.h"
#include "router/Fields.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvane {
namespace {

struct PredicateCase {
  const char* name;
  bool (*check)(std::string_view);
  std::string text;
  bool expected;
};

bool HexKey10(std::string_view t) { return IsHexKey(t, 10); }
bool HexKey0(std::string_view t) { return IsHexKey(t, 0); }
bool Printable5(std::string_view t) { return IsPrintableOfLength(t, 5); }
bool Printable0(std::string_view t) { return IsPrintableOfLength(t, 0); }
bool PassPhrase(std::string_view t) { return IsPrintableInRange(t, 8, 63); }
bool OptionalRange(std::string_view t) { return IsPrintableInRange(t, 0, 32); }
const std::string kHex64 = std::string(32, 'a') + std::string(32, '0');
bool SameKeyAsHex64(std::string_view t) { return SameWirelessKey(t, kHex64); }
bool SameKeyAsPhrase(std::string_view t) { return SameWirelessKey(t, "Pass Phrase"); }
bool Channel6(std::string_view t) { return WirelessChannelNumber(t) == 6; }
bool ChannelAuto(std::string_view t) { return WirelessChannelNumber(t) == 0; }
bool NoChannel(std::string_view t) { return WirelessChannelNumber(t) == -1; }

class PredicateTest : public ::testing::TestWithParam<PredicateCase> {};

TEST_P(PredicateTest, Answers) {
  const PredicateCase& c = GetParam();
  EXPECT_EQ(c.check(c.text), c.expected) << c.name << " on \"" << c.text << "\"";
}

const PredicateCase kPredicateCases[] = {
    {"hex key", HexKey10, "0123456789", true},
    {"hex key", HexKey10, "abcdefABCD", true},
    {"hex key with G", HexKey10, "012345678G", false},
    {"hex key too short", HexKey10, "012345678", false},
    {"hex key too long", HexKey10, "0123456789a", false},
    {"hex key length 0", HexKey0, "", false},
    {"printable", IsPrintableText, "a b~", true},
    {"printable empty", IsPrintableText, "", false},
    {"printable tab", IsPrintableText, "a\tb", false},
    {"printable high byte", IsPrintableText, "caf\xc3\xa9", false},
    {"printable DEL", IsPrintableText, "a\x7f", false},
    {"printable of length", Printable5, "ab cd", true},
    {"printable of length short", Printable5, "abcd", false},
    {"printable of length 0", Printable0, "", false},
    {"pass phrase 7", PassPhrase, std::string(7, 'x'), false},
    {"pass phrase 8", PassPhrase, std::string(8, 'x'), true},
    {"pass phrase 63", PassPhrase, std::string(63, 'x'), true},
    {"pass phrase 64", PassPhrase, std::string(64, 'x'), false},
    {"range min 0 empty", OptionalRange, "", true},
    {"optional printable empty", IsOptionalPrintable, "", true},
    {"optional printable control", IsOptionalPrintable, "\x01", false},
    {"ip", IsIpAddress, "192.168.123.254", true},
    {"ip zeros", IsIpAddress, "0.0.0.0", true},
    {"ip all ones", IsIpAddress, "255.255.255.255", true},
    {"ip 256", IsIpAddress, "256.1.1.1", false},
    {"ip last 256", IsIpAddress, "1.1.1.256", false},
    {"ip trailing dot", IsIpAddress, "1.2.3.", false},
    {"ip adjacent dots", IsIpAddress, "1..2.3", false},
    {"ip leading dot", IsIpAddress, ".1.2.3", false},
    {"ip five parts", IsIpAddress, "1.2.3.4.5", false},
    {"ip two dots", IsIpAddress, "1.2.3", false},
    {"ip four-digit inner part", IsIpAddress, "1.0002.3.4", false},
    {"ip four-digit last part", IsIpAddress, "1.2.3.0001", true},
    {"ip long zero last part", IsIpAddress, "1.2.3.00000000000000000000004", true},
    {"ip long last part overflow", IsIpAddress, "1.2.3.99999999999999999999", false},
    {"ip leading zeros", IsIpAddress, "010.1.1.1", true},
    {"ip blank", IsIpAddress, "1.2.3.4 ", false},
    {"ip sign", IsIpAddress, "1.2.3.+4", false},
    {"ip empty", IsIpAddress, "", false},
    {"optional ip empty", IsOptionalIpAddress, "", true},
    {"optional ip two dots", IsOptionalIpAddress, "1.2.3", false},
    {"host one dot", IsHostName, "vpn.example", true},
    {"host no dot", IsHostName, "localhost", false},
    {"host leading digit", IsHostName, "1vpn.example", false},
    {"host leading dot", IsHostName, ".vpn.example", false},
    {"host trailing dot", IsHostName, "vpn.example.", false},
    {"host adjacent dots", IsHostName, "vpn..example", false},
    {"host ten dots", IsHostName, "a.b.c.d.e.f.g.h.i.j.k", true},
    {"host eleven dots", IsHostName, "a.b.c.d.e.f.g.h.i.j.k.l", false},
    {"ip or host ip", IsIpAddressOrHostName, "10.0.0.1", true},
    {"ip or host name", IsIpAddressOrHostName, "pptp.isp.test", true},
    {"ip or host bad ip", IsIpAddressOrHostName, "10.0.0.300", false},
    {"mac", IsMacAddress, "00-1A-2b-3C-4d-5E", true},
    {"mac colons", IsMacAddress, "00:1A:2B:3C:4D:5E", false},
    {"mac short", IsMacAddress, "00-1A-2B-3C-4D-5", false},
    {"mac non hex", IsMacAddress, "00-1A-2B-3C-4D-5G", false},
    {"mac empty", IsMacAddress, "", false},
    {"mac no separators", IsMacAddress, "001A2B3C4D5E00000", false},
    // Wireless read-backs: a router may write back a key or channel in its own form.
    {"hex key back in upper case", SameKeyAsHex64, std::string(32, 'A') + std::string(32, '0'), true},
    {"hex key back other digits", SameKeyAsHex64, std::string(32, 'B') + std::string(32, '0'), false},
    {"hex key back one short", SameKeyAsHex64, std::string(32, 'A') + std::string(31, '0'), false},
    {"pass phrase back keeps case", SameKeyAsPhrase, "pass phrase", false},
    {"pass phrase back same", SameKeyAsPhrase, "Pass Phrase", true},
    {"channel 6", Channel6, "6", true},
    {"channel 06", Channel6, "06", true},
    {"channel 6 blank", Channel6, "6 ", false},
    {"channel auto", ChannelAuto, "Auto", true},
    {"channel AUTO", ChannelAuto, "AUTO", true},
    {"channel 0", ChannelAuto, "0", true},
    {"channel empty", NoChannel, "", true},
    {"channel four digits", NoChannel, "0006", true},
};

INSTANTIATE_TEST_SUITE_P(Fields, PredicateTest, ::testing::ValuesIn(kPredicateCases));

TEST(ParseDottedQuad, WritesTheFourValuesInTextOrder) {
  std::array<std::uint8_t, 4> out{};
  ASSERT_TRUE(ParseDottedQuad("192.168.010.0001", out));
  EXPECT_EQ(out, (std::array<std::uint8_t, 4>{192, 168, 10, 1}));
}

TEST(ParseDottedQuad, LeavesTheOutputAloneOnRefusal) {
  std::array<std::uint8_t, 4> out{9, 9, 9, 9};
  EXPECT_FALSE(ParseDottedQuad("1.2.3.999", out));
  EXPECT_EQ(out, (std::array<std::uint8_t, 4>{9, 9, 9, 9}));
}

TEST(HexDigitValue, MapsAllDigitsAndRefusesOthers) {
  const std::string digits = "0123456789abcdefABCDEF";
  const int values[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 10, 11, 12, 13, 14, 15};
  for (std::size_t i = 0; i < digits.size(); ++i) EXPECT_EQ(HexDigitValue(digits[i]), values[i]) << digits[i];
  for (char c : std::string("gG/:@`x \xff")) EXPECT_EQ(HexDigitValue(c), -1) << static_cast<int>(c);
}

struct CodecCase {
  std::string plain;
  std::string encoded;
};

class UrlCodecTest : public ::testing::TestWithParam<CodecCase> {};

TEST_P(UrlCodecTest, EncodesTheReservedCharactersAndEveryNonAsciiByte) {
  EXPECT_EQ(UrlEncode(GetParam().plain), GetParam().encoded);
}

TEST_P(UrlCodecTest, DecodingTheEncodingGivesTheTextBack) {
  EXPECT_EQ(UrlDecode(UrlEncode(GetParam().plain)), GetParam().plain);
}

const CodecCase kCodecCases[] = {
    {"a b&c+d", "a%20b%26c%2Bd"},
    {"x=y", "x%3Dy"},
    {"100%", "100%25"},
    {" \"<>%\\^[]`+$,@:;/!#?=&",
     "%20%22%3C%3E%25%5C%5E%5B%5D%60%2B%24%2C%40%3A%3B%2F%21%23%3F%3D%26"},
    {"keep-._*()'~AZaz09", "keep-._*()'~AZaz09"},
    // Nothing but printable ASCII reaches the request line.
    {"Caf\xc3\xa9 5G", "Caf%C3%A9%205G"},
    {"tab\tnl\ncr\r\x01\x7f", "tab%09nl%0Acr%0D%01%7F"},
    {std::string("nul\0x", 5), "nul%00x"},
    {"\x80\xff", "%80%FF"},
    {"50% & a=b+c", "50%25%20%26%20a%3Db%2Bc"},
    {"", ""},
};

INSTANTIATE_TEST_SUITE_P(Fields, UrlCodecTest, ::testing::ValuesIn(kCodecCases));

TEST(UrlEncode, NeverCutsLongValues) {
  // The longest WAN values are far beyond the 512 bytes a fixed scratch buffer held.
  const std::string value(2000, '&');
  const std::string encoded = UrlEncode(value);
  ASSERT_EQ(encoded.size(), 6000u);
  EXPECT_EQ(encoded.substr(5997), "%26");
}

TEST(UrlDecode, Table) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"a%20b", "a b"},
      {"%41%62", "Ab"},
      {"a+b", "a+b"},       // a plus sign is not a blank
      {"100%", "100%"},     // a dangling percent is kept, nothing past the end is read
      {"%4", "%4"},
      {"%zz1", "%zz1"},
      {"%%41", "%A"},
      {"%00x", std::string("\0x", 2)},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlDecode(c.in), c.out) << c.in;
}

TEST(MaskText, ReplacesEveryCharacter) {
  EXPECT_EQ(MaskText("secret pw"), "*********");
  EXPECT_EQ(MaskText(""), "");
}

TEST(ByteWriters, StoreInTheirByteOrder) {
  std::uint8_t b[4] = {};
  WriteU16BE(b, 0x1234);
  EXPECT_EQ(b[0], 0x12);
  EXPECT_EQ(b[1], 0x34);
  WriteU32BE(b, 0x63825363u);
  EXPECT_EQ(b[0], 0x63);
  EXPECT_EQ(b[1], 0x82);
  EXPECT_EQ(b[2], 0x53);
  EXPECT_EQ(b[3], 0x63);
  WriteU32LE(b, 0x01020304u);
  EXPECT_EQ(b[0], 0x04);
  EXPECT_EQ(b[3], 0x01);
}

}  // namespace
}  // namespace kelvane
