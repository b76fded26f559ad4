// HTTP response handling: a loopback peer answers the client with fuzzed
// bytes (status line, headers, redirects, bodies of any length), and the
// header scanners and the URL parser get the same bytes directly.
//
// Input: one flag byte (bit 0: send Basic credentials; the rest picks the
// status code asked of IsHttpStatus), then up to three answers separated by
// "\n=====\n"; "@PORT@" becomes the peer's port.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/HttpClient.h"
#include "net/TextScan.h"
#include "tests/fuzz/FuzzGuard.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace kelvane;
using namespace kelvane::fuzz;

namespace {

constexpr char kUser[] = "admin";
constexpr char kPassword[] = "pw:1";

bool StartsWithHttp(std::string_view text) { return text.size() >= 4 && FindNoCase(text.substr(0, 4), "HTTP") == 0; }

std::string Base64Decode(std::string_view text) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  std::string out;
  unsigned buffer = 0;
  int bits = 0;
  for (char c : text) {
    if (c == '=') break;
    const int v = value(c);
    if (v < 0) return "<invalid>";
    buffer = (buffer << 6) | static_cast<unsigned>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  return out;
}

// The client's request as the peer saw it: one request line for a path, an
// Authorization line exactly when credentials go to this host, the closing
// header and the blank line, nothing else.
void CheckRequest(const LoopbackHttpPeer::Request& request, bool credentialsExpected) {
  const std::string& r = request.bytes;
  FUZZ_CHECK(r.rfind("GET /", 0) == 0, "request line: " + Printable(r));
  const std::size_t lineEnd = r.find("\r\n");
  FUZZ_CHECK(lineEnd != std::string::npos, "no line end: " + Printable(r));
  const std::string_view line = std::string_view(r).substr(0, lineEnd);
  FUZZ_CHECK(line.size() >= 14 && line.substr(line.size() - 9) == " HTTP/1.0", "request line: " + Printable(r));
  FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos,
             "request line with a control byte: " + Printable(r));
  std::string rest = r.substr(lineEnd + 2);
  if (credentialsExpected) {
    const std::string expected = "Authorization: Basic " + Base64Encode(std::string(kUser) + ":" + kPassword) + "\r\n";
    FUZZ_CHECK(rest.rfind(expected, 0) == 0, "credentials missing: " + Printable(r));
    FUZZ_CHECK(Base64Decode(expected.substr(21, expected.size() - 23)) == std::string(kUser) + ":" + kPassword,
               "Base64 of the credentials");
    rest.erase(0, expected.size());
  }
  FUZZ_CHECK(rest == "Connection:Close\r\n\r\n", "request headers (to " + request.localAddress + "): " + Printable(r));
}

void CheckScanners(const std::string& answer, int code, std::uint16_t port) {
  FUZZ_CHECK(!IsHttpStatus(answer, code) || StartsWithHttp(answer), "status without HTTP: " + Printable(answer));

  std::string value = "unchanged";
  if (GetHeaderValue("Location:", answer, value) && value != "unchanged") {
    FUZZ_CHECK(value.find("\r\n") == std::string::npos, "header value spans lines: " + Printable(value));
    FUZZ_CHECK(answer.find(value) != std::string::npos, "header value not from the answer");
  }
  std::string location;
  if (GetRedirectLocation(answer, location)) {
    FUZZ_CHECK(location.empty() || location[0] != ' ', "location keeps a leading blank: " + Printable(location));
    std::string host, path;
    std::uint16_t parsedPort = 0;
    if (ParseHttpUrl(location, host, parsedPort, path)) {
      // Host names are refused by the guard; only numeric hosts come back.
      FUZZ_CHECK(!host.empty() && host[0] >= '0' && host[0] <= '9', "host: " + Printable(host));
      FUZZ_CHECK(!path.empty() && path[0] == '/', "path: " + Printable(path));
      FUZZ_CHECK(path.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos, "path: " + Printable(path));
      FUZZ_CHECK(location.size() <= kHttpMaxUrlLength, "over-long URL accepted");
    }
  }
  (void)port;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static LoopbackHttpPeer peer;
  if (size < 1) return 0;
  const bool withCredentials = (data[0] & 1) != 0;
  const int code = 100 + (data[0] >> 1) * 4;
  std::vector<std::string> answers =
      SplitParts(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), 3);
  for (std::string& a : answers) a = WithPort(a, peer.Port());
  for (const std::string& a : answers) CheckScanners(a, code, peer.Port());

  peer.SetAnswers(answers);
  const std::string url = "http://127.0.0.1:" + std::to_string(peer.Port()) + "/start.htm";
  std::string response;
  const unsigned long lookupsBefore = GuardLookups();
  // A generous time-out: the peer always answers, but a loaded machine may
  // keep its thread waiting.
  const bool ok = withCredentials ? HttpGetAuth(url, kUser, kPassword, response, 20) : HttpGet(url, response, 20);
  const std::vector<LoopbackHttpPeer::Request> requests = peer.Requests();

  FUZZ_CHECK(response.size() <= kHttpResponseCap, "response over the cap");
  FUZZ_CHECK(!requests.empty() || !ok, "success without a request reaching the peer");
  if (requests.empty()) return 0;  // the client gave up before the peer read it
  FUZZ_CHECK(requests.size() <= 2, "more than one redirect followed: " + std::to_string(requests.size()));
  FUZZ_CHECK(requests[0].localAddress == "127.0.0.1" && requests[0].bytes.rfind("GET /start.htm HTTP/1.0\r\n", 0) == 0,
             "first request: " + Printable(requests[0].bytes));
  for (const LoopbackHttpPeer::Request& r : requests) {
    // Credentials go only to the host they were given for.
    CheckRequest(r, withCredentials && r.localAddress == "127.0.0.1");
  }
  if (requests.size() == 2) {
    FUZZ_CHECK(IsHttpStatus(answers[0], 301), "followed a redirect without a 301");
  }
  // A name is looked up only for a plain "http://name[:port]" location: no
  // other scheme, no user information, no stray text is taken for a host.
  if (GuardLookups() != lookupsBefore) {
    std::string location;
    FUZZ_CHECK(GetRedirectLocation(answers[0], location), "look-up without a location");
    FUZZ_CHECK(location.size() > 7 && FindNoCase(location.substr(0, 7), "http://") == 0,
               "name looked up for " + Printable(location));
    const std::string authority = location.substr(7, location.find('/', 7) - 7);
    const std::string name = authority.substr(0, authority.find(':'));
    for (const char c : name)
      FUZZ_CHECK((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
                     c == '_',
                 "name looked up from " + Printable(location));
  }
  if (ok) {
    FUZZ_CHECK(IsHttpStatus(response, 200), "success without status 200: " + Printable(response));
    const std::string& served = answers[std::min(requests.size(), answers.size()) - 1];
    FUZZ_CHECK(served.compare(0, response.size(), response) == 0, "response is not what the peer sent");
    FUZZ_CHECK(!withCredentials || response.find(";login=false;") == std::string::npos, "refused login as success");
  }
  return 0;
}
