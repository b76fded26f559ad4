#include "net/HttpClient.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>

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

bool ResolveIpv4(const std::string& name, std::string& dotted) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &result) != 0 || result == nullptr) return false;
  bool found = false;
  for (const addrinfo* entry = result; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addr == nullptr) continue;
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
    const auto* b = reinterpret_cast<const unsigned char*>(&address->sin_addr.s_addr);
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
    dotted = text;
    found = true;
    break;
  }
  ::freeaddrinfo(result);
  return found;
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

// One connection: connect, send, receive, close. False when the URL is bad,
// the request too long, or nothing arrived.
bool Exchange(const std::string& url, bool withCredentials, const std::string& user, const std::string& password,
              std::string& response, int timeoutSeconds) {
  response.clear();
  std::string host;
  std::string path;
  std::uint16_t port = 80;
  if (!ParseHttpUrl(url, host, port, path)) return false;
  if (withCredentials && user.size() + 1 + password.size() > kHttpMaxCredentialsLength) return false;
  const std::string request = BuildHttpRequest(path, withCredentials, user, password);
  if (request.size() > kHttpMaxRequestLength) return false;

  TcpClientSocket socket;
  socket.SetAddress(host);
  socket.SetRemotePort(port);
  const std::string target = host + ":" + std::to_string(port);
  if (!socket.Connect(timeoutSeconds * 1000)) {
    LogTraffic("HTTP " + target + " connect failed");
    return false;
  }
  LogTraffic("HTTP " + target + " sent " + request.substr(0, request.find("\r\n")) +
             (withCredentials ? " (with credentials)" : ""));
  if (!socket.Send(request)) {
    LogTraffic("HTTP " + target + " send failed");
    return false;
  }
  ResponseCompletion completion;
  const bool got = socket.Receive(timeoutSeconds, 0, response, false,
                                  [&completion](std::string_view received) { return completion(received); });
  socket.Close();
  if (!got) {
    LogTraffic("HTTP " + target + " no answer");
    return false;
  }
  LogTraffic("HTTP " + target + " received " + std::to_string(response.size()) + " bytes, status line: " +
             StatusLine(response));
  return true;
}

bool Get(const std::string& url, bool withCredentials, const std::string& user, const std::string& password,
         std::string& response, int timeoutSeconds) {
  response.clear();
  if (timeoutSeconds <= 0) timeoutSeconds = kHttpPageTimeoutSeconds;
  timeoutSeconds = std::min(timeoutSeconds, kMaxTimeoutSeconds);
  const auto accepted = [&]() {
    return !withCredentials || response.find(kLoginRefused) == std::string::npos;
  };

  if (!Exchange(url, withCredentials, user, password, response, timeoutSeconds)) return false;
  if (IsHttpStatus(response, 200)) return accepted();
  if (!IsHttpStatus(response, 301)) return false;

  // One redirect is followed, with the same request and credentials; the
  // second answer alone decides.
  std::string location;
  if (!GetRedirectLocation(response, location)) return false;
  LogTraffic("HTTP redirected to " + location);
  if (!Exchange(location, withCredentials, user, password, response, timeoutSeconds)) return false;
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

bool ParseHttpUrl(const std::string& url, std::string& host, std::uint16_t& port, std::string& path) {
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
  return ResolveIpv4(std::string(hostText), host);
}

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
