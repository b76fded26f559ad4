#include "net/HttpClient.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "net/HostResolver.h"
#include "net/TcpClientSocket.h"
#include "net/TextScan.h"
#include "net/TrafficLog.h"

namespace kelvane {
namespace {

constexpr std::size_t kMaxHostNameLength = 1023;
constexpr int kMaxTimeoutSeconds = 3600;
constexpr char kLoginRefused[] = ";login=false;";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && FindNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

HttpResult& Result() {
  static thread_local HttpResult result;
  return result;
}

// Parses the Content-Length of a header block; false when there is none (or
// it is no number, or more than the cap, which ends the receive anyway).
bool ContentLength(std::string_view headers, std::size_t& length) {
  std::size_t from = 0;
  while (from < headers.size()) {
    std::size_t lineEnd = headers.find('\n', from);
    if (lineEnd == std::string_view::npos) lineEnd = headers.size();
    const std::string_view line = headers.substr(from, lineEnd - from);
    from = lineEnd + 1;
    if (!StartsWithNoCase(line, "Content-Length:")) continue;
    std::size_t i = 15;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size() || !IsDigit(line[i])) return false;
    std::size_t value = 0;
    for (; i < line.size() && IsDigit(line[i]); ++i) {
      value = value * 10 + static_cast<std::size_t>(line[i] - '0');
      if (value > kHttpResponseCap) return false;
    }
    length = value;
    return true;
  }
  return false;
}

// Tells when a response whose headers give a Content-Length is whole, so a
// router that keeps the connection open after answering costs no time-out.
// Without one, the peer's close (or silence) ends the response. Remembers how
// far it looked, so a peer sending tiny pieces costs no rescans.
class ResponseCompletion {
 public:
  bool operator()(std::string_view response) {
    if (bodyAt_ == std::string_view::npos) {
      // Look again only at the new bytes, plus three for a line end split
      // across pieces.
      const std::size_t from = scanned_ > 3 ? scanned_ - 3 : 0;
      scanned_ = response.size();
      const std::size_t crlf = response.find("\r\n\r\n", from);
      const std::size_t lf = response.find("\n\n", from);
      if (crlf == std::string_view::npos && lf == std::string_view::npos) return false;
      bodyAt_ = (lf == std::string_view::npos || (crlf != std::string_view::npos && crlf < lf)) ? crlf + 4 : lf + 2;
      hasLength_ = ContentLength(response.substr(0, bodyAt_), length_);
    }
    return hasLength_ && response.size() - bodyAt_ >= length_;
  }

  // Whether the answer looks cut: no end of the header block, fewer body bytes
  // than its Content-Length, or as many bytes as the socket keeps.
  bool Cut(std::string_view response) {
    if (response.size() >= kHttpResponseCap) return true;
    if (!(*this)(response) && bodyAt_ == std::string_view::npos) return true;
    return hasLength_ && response.size() - bodyAt_ < length_;
  }

 private:
  std::size_t scanned_ = 0;
  std::size_t bodyAt_ = std::string_view::npos;
  bool hasLength_ = false;
  std::size_t length_ = 0;
};

std::string StatusLine(std::string_view response) {
  const std::size_t end = response.find_first_of("\r\n");
  return std::string(response.substr(0, std::min<std::size_t>(end, 200)));
}

HttpFailure ConnectFailure(int error) {
  switch (error) {
    case ETIMEDOUT: return HttpFailure::kConnectTimedOut;
    case ECONNREFUSED: return HttpFailure::kRefused;
    case EHOSTUNREACH:
    case ENETUNREACH: return HttpFailure::kUnreachable;
    case EINVAL: return HttpFailure::kBadUrl;  // a numeric host that is no dotted address
    default: return HttpFailure::kConnectFailed;
  }
}

// One connection to the dotted `host`: connect, send, receive, close. False
// when the request is too long or nothing arrived; the reason goes to the
// thread's result record.
bool Exchange(const std::string& host, std::uint16_t port, const std::string& path, bool withCredentials,
              const std::string& user, const std::string& password, std::string& response, int timeoutSeconds) {
  HttpResult& result = Result();
  response.clear();
  result.target = host + ":" + std::to_string(port);
  if (withCredentials && user.size() + 1 + password.size() > kHttpMaxCredentialsLength) {
    result.failure = HttpFailure::kBadUrl;
    return false;
  }
  const std::string request = BuildHttpRequest(path, withCredentials, user, password);
  if (request.size() > kHttpMaxRequestLength) {
    result.failure = HttpFailure::kBadUrl;
    return false;
  }

  TcpClientSocket socket;
  socket.SetAddress(host);
  socket.SetRemotePort(port);
  const std::string& target = result.target;
  if (!socket.Connect(timeoutSeconds * 1000)) {
    result.failure = ConnectFailure(socket.ConnectError());
    LogTraffic("HTTP " + target + " connect failed");
    return false;
  }
  LogTraffic("HTTP " + target + " sent " + request.substr(0, request.find("\r\n")) +
             (withCredentials ? " (with credentials)" : ""));
  if (!socket.Send(request)) {
    result.failure = HttpFailure::kSendFailed;
    LogTraffic("HTTP " + target + " send failed");
    return false;
  }
  ResponseCompletion completion;
  const bool got = socket.Receive(timeoutSeconds, 0, response, false,
                                  [&completion](std::string_view received) { return completion(received); });
  socket.Close();
  if (!got) {
    result.failure = HttpFailure::kNoAnswer;
    LogTraffic("HTTP " + target + " no answer");
    return false;
  }
  result.status = HttpStatusCode(response);
  result.cut = completion.Cut(response);
  LogTraffic("HTTP " + target + " received " + std::to_string(response.size()) + " bytes, status line: " +
             StatusLine(response));
  return true;
}

bool Get(const std::string& url, bool withCredentials, const std::string& user, const std::string& password,
         std::string& response, int timeoutSeconds) {
  response.clear();
  if (timeoutSeconds <= 0) timeoutSeconds = kHttpPageTimeoutSeconds;
  timeoutSeconds = std::min(timeoutSeconds, kMaxTimeoutSeconds);
  HttpResult& result = Result();
  result = HttpResult{};
  result.timeoutSeconds = timeoutSeconds;
  const auto accepted = [&]() {
    result.loginFalse = withCredentials && response.find(kLoginRefused) != std::string::npos;
    return !result.loginFalse;
  };
  const auto parse = [&](const std::string& text, std::string& host, std::uint16_t& port, std::string& path) {
    if (ParseHttpUrl(text, host, port, path, timeoutSeconds * 1000)) return true;
    std::string ignored;
    std::uint16_t ignoredPort = 0;
    result.failure = ParseHttpUrl(text, ignored, ignoredPort, path, -1) ? HttpFailure::kNameNotResolved
                                                                         : HttpFailure::kBadUrl;
    return false;
  };

  std::string host, path;
  std::uint16_t port = 80;
  if (!parse(url, host, port, path)) return false;
  if (!Exchange(host, port, path, withCredentials, user, password, response, timeoutSeconds)) return false;
  if (IsHttpStatus(response, 200)) return accepted();
  if (!IsHttpStatus(response, 301)) return false;

  // One redirect is followed, with the same request; the second answer alone
  // decides. Only a plain http:// location (or a bare numeric host) is
  // followed, so that no other scheme or stray text is ever taken for a host
  // name, and the credentials go along only to the host they were given for.
  std::string location;
  if (!GetRedirectLocation(response, location)) return false;
  LogTraffic("HTTP redirected to " + location);
  if (!IsFollowableLocation(location)) {
    result.failure = HttpFailure::kRedirectRefused;
    LogTraffic("HTTP redirect not followed: not a plain http:// location");
    return false;
  }
  std::string nextHost, nextPath;
  std::uint16_t nextPort = 80;
  result.status = 0;
  result.cut = false;
  if (!parse(location, nextHost, nextPort, nextPath)) return false;
  // The same address on another port is the same router (it may move from a
  // custom port to 80); another address is not.
  const bool sameHost = nextHost == host;
  const bool sendCredentials = withCredentials && sameHost;
  if (withCredentials && !sameHost) LogTraffic("HTTP redirect to another host: credentials not sent");
  if (!Exchange(nextHost, nextPort, nextPath, sendCredentials, sendCredentials ? user : std::string(),
                sendCredentials ? password : std::string(), response, timeoutSeconds))
    return false;
  return IsHttpStatus(response, 200) && accepted();
}

}  // namespace

std::string BuildHttpRequest(std::string_view path, bool withCredentials, std::string_view user,
                             std::string_view password) {
  std::string request;
  request.reserve(64 + path.size() + (withCredentials ? 32 + (user.size() + password.size() + 3) * 4 / 3 : 0));
  request.append("GET ").append(path).append(" HTTP/1.0\r\n");
  if (withCredentials) {
    std::string credentials;
    credentials.reserve(user.size() + 1 + password.size());
    credentials.append(user).append(":").append(password);
    request.append("Authorization: Basic ").append(Base64Encode(credentials)).append("\r\n");
  }
  request.append("Connection:Close\r\n\r\n");
  return request;
}

bool HttpGet(const std::string& url, std::string& response, int timeoutSeconds) {
  return Get(url, false, std::string(), std::string(), response, timeoutSeconds);
}

bool HttpGetPage(const std::string& url, std::string& response) {
  return HttpGet(url, response, kHttpPageTimeoutSeconds);
}

bool HttpGetAuth(const std::string& url, const std::string& user, const std::string& password,
                 std::string& response, int timeoutSeconds) {
  return Get(url, true, user, password, response, timeoutSeconds);
}

bool HttpGetAuthDiscard(const std::string& url, const std::string& user, const std::string& password,
                        int timeoutSeconds) {
  std::string scratch;
  return HttpGetAuth(url, user, password, scratch, timeoutSeconds);
}

bool ParseHttpUrl(const std::string& url, std::string& host, std::uint16_t& port, std::string& path,
                  int resolveBoundMs) {
  port = 80;
  host.clear();
  path.clear();
  // Refused rather than cut: a cut command would set something else than asked,
  // and a line break would let a value forge request headers.
  if (url.size() > kHttpMaxUrlLength) return false;
  if (url.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) return false;

  std::string_view rest(url);
  if (StartsWithNoCase(rest, "http://")) rest.remove_prefix(7);

  const std::size_t slash = rest.find('/');
  const std::string_view hostPart = rest.substr(0, slash);
  path = slash == std::string_view::npos ? std::string("/") : std::string(rest.substr(slash));

  // The port separator is looked for in the host part only: a ":" in the path
  // or query (an unescaped password, say) is part of the path.
  std::string_view hostText = hostPart;
  const std::size_t colon = hostPart.find(':');
  if (colon != std::string_view::npos) {
    hostText = hostPart.substr(0, colon);
    unsigned long value = 0;
    for (std::size_t i = colon + 1; i < hostPart.size() && IsDigit(hostPart[i]); ++i) {
      value = value * 10 + static_cast<unsigned>(hostPart[i] - '0');
      if (value > 65535) return false;
    }
    port = static_cast<std::uint16_t>(value);
  }
  if (hostText.empty() || hostText.size() > kMaxHostNameLength) return false;

  if (IsDigit(hostText[0])) {
    host.assign(hostText);
    return true;
  }
  // A name is looked up only from a clean "name[:digits]" host part: "ftp:",
  // "user:pw@host" and the like are no address to ask a name server about.
  if (colon != std::string_view::npos) {
    const std::string_view portText = hostPart.substr(colon + 1);
    if (portText.empty() || portText.find_first_not_of("0123456789") != std::string_view::npos) return false;
  }
  // A negative bound only checks the form (the caller wants no look-up).
  const std::string name(hostText);
  if (resolveBoundMs < 0) {
    host = name;
    return IsResolvableHostName(name);
  }
  return ResolveHostName(name, resolveBoundMs, host);
}

bool IsFollowableLocation(std::string_view location) {
  for (const char c : location) {
    const auto u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F) return false;
  }
  const bool withScheme = StartsWithNoCase(location, "http://");
  const std::string_view rest = withScheme ? location.substr(7) : location;
  const std::string_view authority = rest.substr(0, rest.find('/'));
  if (authority.empty() || authority.find('@') != std::string_view::npos) return false;
  const std::size_t colon = authority.find(':');
  const std::string_view hostText = authority.substr(0, colon);
  if (hostText.empty()) return false;
  // Without the scheme only a numeric host is taken (no name is looked up):
  // anything else may be another scheme ("ftp:", "javascript:") or stray text.
  if (!withScheme && !IsDigit(hostText[0])) return false;
  if (colon != std::string_view::npos) {
    const std::string_view portText = authority.substr(colon + 1);
    if (portText.empty() || portText.size() > 5) return false;
    for (const char c : portText)
      if (!IsDigit(c)) return false;
  }
  for (const char c : hostText) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '-' || c == '.' ||
                    c == '_';
    if (!ok) return false;
  }
  return true;
}

int HttpStatusCode(std::string_view response) {
  if (!StartsWithNoCase(response, "HTTP/")) return 0;
  const std::size_t blank = response.find(' ');
  const std::size_t lineEnd = response.find_first_of("\r\n");
  if (blank == std::string_view::npos || blank > lineEnd) return 0;
  std::size_t i = blank;
  while (i < response.size() && response[i] == ' ') ++i;
  int code = 0;
  int digits = 0;
  for (; i < response.size() && IsDigit(response[i]) && digits < 3; ++i, ++digits) code = code * 10 + (response[i] - '0');
  return digits == 3 ? code : 0;
}

const HttpResult& LastHttpResult() { return Result(); }

std::string Base64Encode(std::string_view bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                       (static_cast<unsigned char>(bytes[i + 1]) << 8) | static_cast<unsigned char>(bytes[i + 2]);
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(kAlphabet[(v >> 6) & 63]);
    out.push_back(kAlphabet[v & 63]);
  }
  const std::size_t left = bytes.size() - i;
  if (left > 0) {
    unsigned v = static_cast<unsigned>(static_cast<unsigned char>(bytes[i])) << 16;
    if (left == 2) v |= static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(left == 2 ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

bool IsHttpStatus(std::string_view response, int code) {
  if (!StartsWithNoCase(response, "HTTP")) return false;
  const std::string needle = " " + std::to_string(code);
  return response.find(needle) != std::string_view::npos;
}

bool GetHeaderValue(std::string_view name, std::string_view response, std::string& value) {
  std::string needle = "\r\n";
  needle.append(name);
  const std::size_t at = FindNoCase(response, needle);
  if (at == std::string_view::npos) return false;
  const std::size_t valueAt = at + needle.size();
  const std::size_t end = response.find("\r\n", valueAt);
  if (end != std::string_view::npos) value.assign(response.substr(valueAt, end - valueAt));
  return true;
}

bool GetRedirectLocation(std::string_view response, std::string& value) {
  value.clear();
  if (!GetHeaderValue("Location:", response, value)) return false;
  StripLeading(value, ' ');
  return true;
}

}  // namespace kelvane
