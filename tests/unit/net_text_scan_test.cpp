// Case-insensitive page scanning as the router readers use it.
#include <gtest/gtest.h>

#include <string>

#include "net/TextScan.h"

namespace kelvane {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

struct FindCase {
  const char* text;
  const char* pattern;
  std::size_t expected;
};

TEST(FindNoCase, FindsIgnoringCaseOfAsciiLettersOnly) {
  const FindCase cases[] = {
      {"SSID=home<BR>", "ssid=", 0},
      {"abc SsId=x", "SSID=", 4},
      {"abc", "", 0},
      {"", "", 0},
      {"", "a", kNone},
      {"ab", "abc", kNone},
      {"aab", "ab", 1},
      {"xx[yy", "{", kNone},         // '[' is not the lower case of '{'
      {"\xC4rger", "\xE4rger", kNone},  // only A-Z fold
      {"a;LOGIN=FALSE;b", ";login=false;", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindNoCase(c.text, c.pattern), c.expected) << c.text << " / " << c.pattern;
    EXPECT_EQ(ContainsNoCase(c.text, c.pattern), c.expected != kNone) << c.text << " / " << c.pattern;
  }
}

TEST(FindNoCase, SeesOnlyTheFirst63999Characters) {
  const std::string key = "SSID=";
  const std::size_t keyLength = key.size();
  struct {
    std::size_t keyAt;
    bool found;
  } cases[] = {
      {0, true},
      {kScanHorizon - keyLength, true},      // ends on the last visible character
      {kScanHorizon - keyLength + 1, false},  // straddles the horizon
      {kScanHorizon, false},
      {kScanHorizon + 100, false},
  };
  for (const auto& c : cases) {
    std::string page(c.keyAt, 'x');
    page += key + "net<BR>";
    EXPECT_EQ(FindNoCase(page, key) != kNone, c.found) << "key at " << c.keyAt;
    // The extractors inherit the horizon: a late key yields nothing.
    std::string value = "untouched";
    EXPECT_EQ(ExtractValue(page, key, "<BR>", value), c.found) << "key at " << c.keyAt;
    EXPECT_EQ(value, c.found ? "net" : "untouched") << "key at " << c.keyAt;
  }
}

// A key longer than the horizon "matches" by its first 63999 characters; when
// the whole key would reach past the page end it is simply not there. Nothing
// may throw across the scanning layer.
TEST(FindNoCase, AKeyLongerThanTheHorizonNeitherThrowsNorReachesPastThePage) {
  const std::string longKey = std::string(kScanHorizon, 'k') + "=";
  struct {
    std::string page;
    std::string key;
  } cases[] = {
      {std::string(kScanHorizon, 'k'), longKey},                            // page ends inside the key
      {std::string(kScanHorizon, 'k') + "<BR>", longKey + "xxxxxxxxxx"},    // key longer than the page
      {std::string(kScanHorizon + 1, 'k'), std::string(kScanHorizon + 2, 'k')},
  };
  for (const auto& c : cases) {
    std::string value = "untouched";
    EXPECT_NO_THROW(EXPECT_FALSE(ExtractValue(c.page, c.key, "<BR>", value))) << c.key.size();
    EXPECT_EQ(value, "untouched");
    EXPECT_NO_THROW(EXPECT_FALSE(ExtractBrField(c.key, c.page, value))) << c.key.size();
    EXPECT_NO_THROW(EXPECT_FALSE(ExtractValueAfter(c.page, "k", c.key, "<BR>", value)));
    EXPECT_NO_THROW(EXPECT_FALSE(ExtractValueNear(c.page, "k", c.key, "<BR>", 5, value)));
  }
}

TEST(ExtractValue, TakesTheTextBetweenKeyAndTerminator) {
  struct {
    const char* page;
    const char* key;
    const char* terminator;
    bool found;
    const char* value;
  } cases[] = {
      {"SSID=LMQ-5812<BR>Channel=11<BR>", "SSID=", "<BR>", true, "LMQ-5812"},
      {"ssid=lower<br>", "SSID=", "<BR>", true, "lower"},
      {"SSID=<BR>", "SSID=", "<BR>", true, ""},
      {"SSID=open-ended", "SSID=", "<BR>", false, "untouched"},
      {"nothing here<BR>", "SSID=", "<BR>", false, "untouched"},
      // The terminator is searched after the key, not before it.
      {"<BR>SSID=a<BR>", "SSID=", "<BR>", true, "a"},
      {"NAME=En VALUE=\"1\" CHECKED>", "NAME=En", "CHECKED", true, " VALUE=\"1\" "},
  };
  for (const auto& c : cases) {
    std::string value = "untouched";
    EXPECT_EQ(ExtractValue(c.page, c.key, c.terminator, value), c.found) << c.page;
    EXPECT_EQ(value, c.value) << c.page;
  }
}

TEST(ExtractValueAfter, SearchesTheKeyFromTheAnchorOn) {
  const std::string page =
      "Key=first<BR>Prechare Key=secret key<BR>"
      "<INPUT NAME=WI VALUE=on TYPE=x><INPUT NAME=WP VALUE=off >";
  struct {
    const char* anchor;
    const char* key;
    const char* terminator;
    bool found;
    const char* value;
  } cases[] = {
      {"Prechare Key", "=", "<BR>", true, "secret key"},
      {"NAME=WI", "VALUE=", " ", true, "on"},
      {"NAME=WP", "VALUE=", " ", true, "off"},
      {"NAME=ZZ", "VALUE=", " ", false, "untouched"},  // anchor missing
      {"NAME=WP", "MISSING=", " ", false, "untouched"},
  };
  for (const auto& c : cases) {
    std::string value = "untouched";
    EXPECT_EQ(ExtractValueAfter(page, c.anchor, c.key, c.terminator, value), c.found) << c.anchor;
    EXPECT_EQ(value, c.value) << c.anchor;
  }
}

TEST(ExtractValueNear, StartsBackCountCharactersBeforeTheAnchor) {
  // The value sits before its anchor, as in the router's input fields.
  const std::string page = "<INPUT VALUE=\"pppoe-user\" NAME=En>";
  const std::size_t anchorAt = page.find("NAME=En");
  struct {
    int back;
    bool found;
    const char* value;
  } cases[] = {
      {30, true, "pppoe-user"},
      {static_cast<int>(anchorAt), true, "pppoe-user"},
      {1000, true, "pppoe-user"},  // more than the page holds: from the start
      {5, false, "untouched"},     // starts after the key
      {0, false, "untouched"},
      {-4, false, "untouched"},
  };
  for (const auto& c : cases) {
    std::string value = "untouched";
    EXPECT_EQ(ExtractValueNear(page, "NAME=En", "VALUE=\"", "\"", c.back, value), c.found) << c.back;
    EXPECT_EQ(value, c.value) << c.back;
  }
}

TEST(ExtractPreceding, TakesCountCharactersBeforeTheKey) {
  struct {
    const char* page;
    int count;
    bool found;
    const char* value;
  } cases[] = {
      {"Status:1234<BR>", 4, true, "1234"},
      {"12<BR>", 4, true, "12"},  // key near the start: fewer characters
      {"<BR>", 4, true, ""},
      {"abcd<br>", 2, true, "cd"},
      {"abcd<BR>", 0, true, ""},
      {"abcd", 4, false, ""},  // cleared even when the key is missing
  };
  for (const auto& c : cases) {
    std::string value = "stale";
    EXPECT_EQ(ExtractPreceding(c.page, "<BR>", c.count, value), c.found) << c.page;
    EXPECT_EQ(value, c.value) << c.page;
  }
}

TEST(ExtractBrField, TakesTheTextUpToTheNextBr) {
  struct {
    const char* page;
    bool found;
    const char* value;
  } cases[] = {
      {"IP=1.2.3.4<BR>Gateway=192.168.123.254<BR>", true, "192.168.123.254"},
      {"gateway=10.0.0.1<br>", true, "10.0.0.1"},
      {"Gateway=10.0.0.1", false, ""},
      {"Mask=255.0.0.0<BR>", false, ""},
  };
  for (const auto& c : cases) {
    std::string value = "stale";
    EXPECT_EQ(ExtractBrField("Gateway=", c.page, value), c.found) << c.page;
    EXPECT_EQ(value, c.value) << c.page;
  }
}

TEST(StripLeading, RemovesOnlyTheLeadingRun) {
  struct {
    const char* text;
    char character;
    const char* expected;
  } cases[] = {
      {"  http://x", ' ', "http://x"}, {"000120", '0', "120"}, {"0000", '0', ""},
      {"", ' ', ""},                  {"a  ", ' ', "a  "},     {" \t x", ' ', "\t x"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    StripLeading(text, c.character);
    EXPECT_EQ(text, c.expected) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace kelvane
