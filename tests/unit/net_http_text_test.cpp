// The parts of the HTTP client that work on text alone: URL parsing, Base64,
// the status search, header lookup and the exact request bytes.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <string>

#include "net/HostResolver.h"
#include "net/HttpClient.h"

namespace kelvane {
namespace {

TEST(ParseHttpUrl, SplitsHostPortAndPath) {
  struct {
    const char* url;
    const char* host;
    int port;
    const char* path;
  } cases[] = {
      {"192.168.123.254", "192.168.123.254", 80, "/"},
      {"http://192.168.123.254", "192.168.123.254", 80, "/"},
      {"HTTP://192.168.123.254/zero.htm", "192.168.123.254", 80, "/zero.htm"},
      {"hTtP://10.0.0.1:81/cgi-bin/prim?rc=@&x=1", "10.0.0.1", 81, "/cgi-bin/prim?rc=@&x=1"},
      {"127.0.0.1:8080", "127.0.0.1", 8080, "/"},
      {"127.0.0.1:81abc/p", "127.0.0.1", 81, "/p"},  // digits up to the first non-digit
      {"127.0.0.1:/p", "127.0.0.1", 0, "/p"},        // no digits give 0
      {"127.0.0.1:65535/", "127.0.0.1", 65535, "/"},
      // A ":" in the path or query belongs to the path, not to the host.
      {"http://192.168.123.254/cgi-bin/logi?rc=@&PS=a:b&rd=menu", "192.168.123.254", 80,
       "/cgi-bin/logi?rc=@&PS=a:b&rd=menu"},
      {"192.168.123.254:8000/cgi-bin/pass?PA=x:1&Pa=y:2", "192.168.123.254", 8000, "/cgi-bin/pass?PA=x:1&Pa=y:2"},
  };
  for (const auto& c : cases) {
    std::string host = "stale";
    std::string path = "stale";
    std::uint16_t port = 1;
    ASSERT_TRUE(ParseHttpUrl(c.url, host, port, path)) << c.url;
    EXPECT_EQ(host, c.host) << c.url;
    EXPECT_EQ(port, c.port) << c.url;
    EXPECT_EQ(path, c.path) << c.url;
  }
}

TEST(ParseHttpUrl, RefusesWhatCannotBeSentSafely) {
  const std::string cases[] = {
      "",
      "http://",
      "http:///zero.htm",          // empty host
      ":80/zero.htm",
      "127.0.0.1:65536/",          // port overflow
      "127.0.0.1:99999999999999/",
      std::string("127.0.0.1/a\r\nX-Forged: 1"),
      std::string("127.0.0.1/a\nb"),
      std::string("127.0.0.1/a\0b", 13),
      "127.0.0.1/" + std::string(kHttpMaxUrlLength, 'a'),
  };
  for (const auto& url : cases) {
    std::string host;
    std::string path;
    std::uint16_t port = 0;
    EXPECT_FALSE(ParseHttpUrl(url, host, port, path)) << url.substr(0, 60);
  }
}

// Whatever is not a clean "name[:port]" never reaches a name server.
TEST(ParseHttpUrl, LooksUpOnlyCleanHostNames) {
  auto counter = std::make_shared<std::atomic<int>>(0);
  const HostLookup previous = SetHostResolver([counter](const std::string&, std::string& dotted) {
    ++*counter;
    dotted = "127.0.0.1";
    return true;
  });
  const char* refused[] = {"ftp://router.invalid/", "http://user:pw@router.invalid/", "http://router.invalid:/x",
                           "http://router.invalid:80x/", "http://rou ter.invalid/", "http://router.invalid\t/",
                           "http://ro@uter.invalid/", "javascript:alert(1)"};
  for (const char* url : refused) {
    std::string host, path;
    std::uint16_t port = 0;
    EXPECT_FALSE(ParseHttpUrl(url, host, port, path)) << url;
  }
  EXPECT_EQ(counter->load(), 0);
  std::string host, path;
  std::uint16_t port = 0;
  EXPECT_TRUE(ParseHttpUrl("http://Router-1.invalid:8080/x", host, port, path));
  EXPECT_EQ(host, "127.0.0.1");
  EXPECT_EQ(port, 8080);
  EXPECT_EQ(counter->load(), 1);
  SetHostResolver(previous);
}

TEST(ParseHttpUrl, AcceptsLongUrlsUpToTheBound) {
  const std::string prefix = "http://127.0.0.1/cgi-bin/wlap?key=";
  const std::string url = prefix + std::string(kHttpMaxUrlLength - prefix.size(), '%');
  std::string host;
  std::string path;
  std::uint16_t port = 0;
  ASSERT_TRUE(ParseHttpUrl(url, host, port, path));
  EXPECT_EQ(path.size(), url.size() - 16);  // nothing cut
}

TEST(ParseHttpUrl, ResolvesNamesFromTheHostsFile) {
  // Only a name the hosts file answers, so the test never asks a name server.
  std::ifstream hosts("/etc/hosts");
  std::string line;
  bool listed = false;
  while (std::getline(hosts, line)) listed = listed || (line.rfind("127.0.0.1", 0) == 0 && line.find("localhost") != std::string::npos);
  if (!listed) GTEST_SKIP() << "/etc/hosts does not map localhost to 127.0.0.1";
  std::string host;
  std::string path;
  std::uint16_t port = 0;
  ASSERT_TRUE(ParseHttpUrl("http://localhost:8081/x", host, port, path));
  EXPECT_EQ(host, "127.0.0.1");
  EXPECT_EQ(port, 8081);
  EXPECT_EQ(path, "/x");
}

TEST(Base64Encode, MatchesTheStandardVectors) {
  struct {
    std::string in;
    const char* out;
  } cases[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      {"kwzpo:", "a3d6cG86"},  // user with an empty password keeps the colon
      {":", "Og=="},
      {"\xFF\xFE\xFD", "//79"},   // upper-half bytes encode as unsigned
      {std::string("\0\0", 2), "AAA="},
      {"\xE9t\xE9", "6XTp"},
  };
  for (const auto& c : cases) EXPECT_EQ(Base64Encode(c.in), c.out) << c.in;
}

TEST(IsHttpStatus, SearchesTheCodeAfterAnHttpStart) {
  struct {
    const char* response;
    int code;
    bool expected;
  } cases[] = {
      {"HTTP/1.0 200 OK\r\n\r\n", 200, true},
      {"http/1.1 200 OK", 200, true},
      {"HTTP/1.0 404 Not Found\r\nContent-Length: 200\r\n\r\n", 200, true},  // a search, not a parse
      {"HTTP/1.0 404 Not Found\r\n\r\n", 200, false},
      {"HTTP/1.0 301 Moved\r\n", 301, true},
      {"HTTP/1.0 301 Moved\r\n", 200, false},
      {"<html> 200 </html>", 200, false},  // no HTTP start
      {" HTTP/1.0 200 OK", 200, false},
      {"HTT", 200, false},
      {"", 200, false},
      {"HTTP/1.0 2000 odd", 200, true},
      {"HTTP/1.0 200", 20, true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsHttpStatus(c.response, c.code), c.expected) << c.response;
}

TEST(GetHeaderValue, TakesTheTextUpToTheNextLineEnd) {
  struct {
    const char* response;
    const char* name;
    bool found;
    const char* value;
  } cases[] = {
      {"HTTP/1.0 301 M\r\nLocation: http://a/b\r\n\r\n", "Location:", true, " http://a/b"},
      {"HTTP/1.0 301 M\r\nlocation:x\r\n", "Location:", true, "x"},
      {"HTTP/1.0 301 M\r\nLocation: open-ended", "Location:", true, "untouched"},
      {"HTTP/1.0 301 M\r\n\r\n", "Location:", false, "untouched"},
      {"Location: first-line-has-no-crlf-before\r\n", "Location:", false, "untouched"},
      {"HTTP/1.0 200 OK\r\nX-Location: no\r\n", "Location:", false, "untouched"},
  };
  for (const auto& c : cases) {
    std::string value = "untouched";
    EXPECT_EQ(GetHeaderValue(c.name, c.response, value), c.found) << c.response;
    EXPECT_EQ(value, c.value) << c.response;
  }
}

TEST(GetRedirectLocation, StripsLeadingBlanksAndClears) {
  struct {
    const char* response;
    bool found;
    const char* value;
  } cases[] = {
      {"HTTP/1.0 301 M\r\nLocation:  192.168.123.254:81/prim.htm\r\n\r\n", true, "192.168.123.254:81/prim.htm"},
      {"HTTP/1.0 301 M\r\nLocation:http://x/\r\n", true, "http://x/"},
      {"HTTP/1.0 301 M\r\nLocation: x", true, ""},
      {"HTTP/1.0 301 M\r\n\r\n", false, ""},
  };
  for (const auto& c : cases) {
    std::string value = "stale";
    EXPECT_EQ(GetRedirectLocation(c.response, value), c.found) << c.response;
    EXPECT_EQ(value, c.value) << c.response;
  }
}

}  // namespace
}  // namespace kelvane
