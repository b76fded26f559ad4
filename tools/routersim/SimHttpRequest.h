// One HTTP request as the emulated router's web server sees it: the request
// line exactly as received, the path, the decoded query fields in order, and
// the Basic credentials if any. The decoding is the emulator's own, written
// independently of the wizard's encoder so that the two check each other.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvane::routersim {

struct SimHttpRequest {
  std::string requestLine;  // as received, without CR LF
  std::string method;
  std::string target;  // path and query as sent
  std::string path;    // without the query, leading "/" removed
  std::vector<std::pair<std::string, std::string>> fields;  // decoded, in order
  bool hasAuthorization = false;
  std::string authUser;
  std::string authPassword;

  // The last value of a field, or nothing when the field was not sent.
  std::optional<std::string> Field(std::string_view name) const;
  bool Has(std::string_view name) const { return Field(name).has_value(); }
  std::string FieldOr(std::string_view name, std::string_view fallback) const;
};

// Decodes a form value as a web server does: "%XX" becomes the byte, "+" a
// blank. A "%" without two hexadecimal digits is kept as it stands.
std::string FormDecode(std::string_view text);
// Escapes the way the pages' scripts expect for unescape(): everything but
// letters, digits and "@*_+-./" becomes "%XX".
std::string ScriptEscape(std::string_view text);
// Standard Base64 decoding; false on characters outside the alphabet.
bool Base64Decode(std::string_view text, std::string& out);

// Parses the head of a request (everything before the blank line). False when
// the request line is not "METHOD TARGET VERSION".
bool ParseSimHttpRequest(std::string_view head, SimHttpRequest& request);

}  // namespace kelvane::routersim
