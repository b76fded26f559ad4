#include "tools/routersim/SimHttpRequest.h"

#include <cctype>

namespace kelvane::routersim {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::optional<std::string> SimHttpRequest::Field(std::string_view name) const {
  std::optional<std::string> found;
  for (const auto& [key, value] : fields) {
    if (key == name) found = value;
  }
  return found;
}

std::string SimHttpRequest::FieldOr(std::string_view name, std::string_view fallback) const {
  auto value = Field(name);
  return value ? *value : std::string(fallback);
}

std::string FormDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out.push_back(' ');
    } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string ScriptEscape(std::string_view text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '@' || c == '*' || c == '_' || c == '+' || c == '-' || c == '.' ||
        c == '/') {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kDigits[c >> 4]);
      out.push_back(kDigits[c & 15]);
    }
  }
  return out;
}

bool Base64Decode(std::string_view text, std::string& out) {
  out.clear();
  unsigned int buffer = 0;
  int bits = 0;
  for (char c : text) {
    int v;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    else if (c >= '0' && c <= '9') v = c - '0' + 52;
    else if (c == '+') v = 62;
    else if (c == '/') v = 63;
    else if (c == '=') break;
    else return false;
    buffer = (buffer << 6) | static_cast<unsigned int>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((buffer >> bits) & 0xFF));
    }
  }
  return true;
}

bool ParseSimHttpRequest(std::string_view head, SimHttpRequest& request) {
  request = SimHttpRequest{};
  std::size_t lineEnd = head.find("\r\n");
  std::string_view line = head.substr(0, lineEnd);
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  request.requestLine = std::string(line);

  const std::size_t sp1 = line.find(' ');
  if (sp1 == std::string_view::npos) return false;
  const std::size_t sp2 = line.find(' ', sp1 + 1);
  if (sp2 == std::string_view::npos) return false;
  request.method = std::string(line.substr(0, sp1));
  request.target = std::string(line.substr(sp1 + 1, sp2 - sp1 - 1));

  std::string_view target = request.target;
  const std::size_t q = target.find('?');
  std::string_view path = target.substr(0, q);
  while (!path.empty() && path.front() == '/') path.remove_prefix(1);
  request.path = FormDecode(path);
  if (q != std::string_view::npos) {
    std::string_view query = target.substr(q + 1);
    while (!query.empty()) {
      const std::size_t amp = query.find('&');
      std::string_view pair = query.substr(0, amp);
      if (!pair.empty()) {
        const std::size_t eq = pair.find('=');
        std::string name = FormDecode(pair.substr(0, eq));
        std::string value = eq == std::string_view::npos ? std::string() : FormDecode(pair.substr(eq + 1));
        request.fields.emplace_back(std::move(name), std::move(value));
      }
      if (amp == std::string_view::npos) break;
      query.remove_prefix(amp + 1);
    }
  }

  // Headers: only Authorization matters to the router.
  while (lineEnd != std::string_view::npos) {
    const std::size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    std::string_view header = head.substr(start, lineEnd == std::string_view::npos ? head.npos : lineEnd - start);
    const std::size_t colon = header.find(':');
    if (colon == std::string_view::npos) continue;
    if (!EqualsNoCase(Trim(header.substr(0, colon)), "Authorization")) continue;
    std::string_view value = Trim(header.substr(colon + 1));
    if (value.size() < 6 || !EqualsNoCase(value.substr(0, 6), "Basic ")) continue;
    std::string decoded;
    if (!Base64Decode(Trim(value.substr(6)), decoded)) continue;
    const std::size_t sep = decoded.find(':');
    request.hasAuthorization = true;
    request.authUser = decoded.substr(0, sep);
    request.authPassword = sep == std::string::npos ? std::string() : decoded.substr(sep + 1);
  }
  return true;
}

}  // namespace kelvane::routersim
