// The minimal HTTP/1.0 client that talks to the router's web server: one GET per
// fresh TCP connection, optional Basic credentials, at most one 301 followed
// (see IsFollowableLocation; the credentials go along only to the same host).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

// Responses are cut at this many bytes (the socket never keeps more).
inline constexpr std::size_t kHttpResponseCap = 65536;
// Longest URL accepted; longer ones are refused, never cut.
inline constexpr std::size_t kHttpMaxUrlLength = 4096;
// Longest request (request line, headers, blank line) ever sent.
inline constexpr std::size_t kHttpMaxRequestLength = 8192;
// Longest "user:password" accepted for Basic credentials.
inline constexpr std::size_t kHttpMaxCredentialsLength = 1024;
// Time-out of HttpGetPage, seconds.
inline constexpr int kHttpPageTimeoutSeconds = 10;

// Why the last request made on this thread ended as it did. The operations
// stay boolean; this record rides beside them for callers that want to say why.
enum class HttpFailure {
  kNone,             // a final answer arrived (its status decides success)
  kBadUrl,           // the URL or request cannot be sent (too long, CR/LF, no host)
  kNameNotResolved,  // the host name did not resolve within the time-out
  kRedirectRefused,  // a redirect named something other than a plain http:// URL
  kConnectTimedOut,  // nothing answered the connect within the time-out
  kUnreachable,      // no route to the address
  kRefused,          // the address answered, but nothing listens on the port
  kConnectFailed,    // another connect error
  kSendFailed,       // the request could not be sent
  kNoAnswer,         // connected, but nothing came back within the time-out
};

struct HttpResult {
  HttpFailure failure = HttpFailure::kNone;
  int status = 0;          // status code of the final answer, 0 when none was read
  int timeoutSeconds = 0;  // the time-out the request ran with
  bool cut = false;        // the answer ended before its Content-Length, lacked its
                           // header end, or reached kHttpResponseCap
  bool loginFalse = false; // a request with credentials got ";login=false;"
  std::string target;      // "host:port" of the last connection tried
};

// The record of the last HttpGet/HttpGetAuth call made on this thread.
const HttpResult& LastHttpResult();

// GET without credentials. `response` receives the raw answer (status line,
// headers, body; at most kHttpResponseCap bytes). True when the final status
// is 200. `timeoutSeconds` bounds the connect, each wait for data, and (three
// times over) the whole receive; a non-positive value means 10 seconds.
bool HttpGet(const std::string& url, std::string& response, int timeoutSeconds);
// HttpGet with a 10-second time-out.
bool HttpGetPage(const std::string& url, std::string& response);
// GET with Basic credentials; true when the final status is 200 and the answer
// does not contain ";login=false;".
bool HttpGetAuth(const std::string& url, const std::string& user, const std::string& password,
                 std::string& response, int timeoutSeconds);
// HttpGetAuth for commands whose answer nobody reads.
bool HttpGetAuthDiscard(const std::string& url, const std::string& user, const std::string& password,
                        int timeoutSeconds);

// Splits "[http://]host[:port][/path]" into dotted host, port (default 80) and
// path (default "/"). A ":" counts as the port separator only inside the host
// part; it is read up to the first non-digit (no digits give 0). Host names
// are resolved to their first IPv4 address through ResolveHostName, waiting
// at most `resolveBoundMs`; a host that starts with a digit is used unchanged.
// False when the name is no host name (see IsResolvableHostName), is followed
// by a ":" without a plain port number, or does not resolve, the host is empty, the port exceeds 65535, or the URL is longer
// than kHttpMaxUrlLength or holds CR, LF or NUL.
bool ParseHttpUrl(const std::string& url, std::string& host, std::uint16_t& port, std::string& path,
                  int resolveBoundMs = kHttpPageTimeoutSeconds * 1000);

// Whether a redirect's Location may be followed: "http://" (any case) or no
// scheme at all with a numeric host, then an authority without "@" made of a
// host and an optional ":port" (digits only), then nothing or a path starting
// with "/"; no blanks or control characters anywhere.
bool IsFollowableLocation(std::string_view location);

// The status code of a response's status line ("HTTP/1.0 404 ..." gives 404),
// or 0 when the response does not start with one.
int HttpStatusCode(std::string_view response);

// Standard Base64 (RFC 4648, with "=" padding, no line breaks) of the bytes.
std::string Base64Encode(std::string_view bytes);

// True if the response begins with "HTTP" (any case) and a blank followed by
// the decimal code occurs anywhere in it. A search, not a parse, as the router
// pages expect.
bool IsHttpStatus(std::string_view response, int code);

// Finds CR LF followed by `name` (e.g. "Location:", any case). Not found:
// false. Found: true, and when a CR LF follows, `value` becomes the text
// between the name and it (blanks included); otherwise `value` is left as it was.
bool GetHeaderValue(std::string_view name, std::string_view response, std::string& value);
// Clears `value`, takes the "Location:" header value and removes leading blanks.
bool GetRedirectLocation(std::string_view response, std::string& value);

// The exact request bytes sent for `path` (empty user and password: no
// Authorization header, otherwise always one). Exposed for tests and tools.
std::string BuildHttpRequest(std::string_view path, bool withCredentials, std::string_view user,
                             std::string_view password);

}  // namespace kelvane
