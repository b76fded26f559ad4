// URL encoding and the field checks of router/Fields: decode(encode(x)) == x
// for any bytes, an encoded value can add no field or line to a request, and
// each check agrees with a plain reference of what it promises.
//
// Input: any bytes; the first byte also picks the lengths the length checks ask for.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "router/Fields.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace kelvane;
using namespace kelvane::fuzz;

namespace {

bool Printable(char c) { return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) <= 0x7E; }
bool Digit(char c) { return c >= '0' && c <= '9'; }
bool Hex(char c) { return Digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool AllPrintable(std::string_view t) {
  for (char c : t)
    if (!Printable(c)) return false;
  return true;
}

// Four parts split at dots; the first three 1-3 digits, the fourth at least one.
bool RefDottedQuad(std::string_view t, std::uint8_t out[4]) {
  std::string_view parts[4];
  std::size_t n = 0;
  std::size_t from = 0;
  for (;;) {
    const std::size_t dot = t.find('.', from);
    if (n == 4) return false;
    parts[n++] = t.substr(from, dot == std::string_view::npos ? std::string_view::npos : dot - from);
    if (dot == std::string_view::npos) break;
    from = dot + 1;
  }
  if (n != 4) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::string_view p = parts[i];
    if (p.empty() || (i < 3 && p.size() > 3)) return false;
    unsigned value = 0;
    for (char c : p) {
      if (!Digit(c)) return false;
      value = value * 10 + static_cast<unsigned>(c - '0');
      if (value > 255) return false;
    }
    out[i] = static_cast<std::uint8_t>(value);
  }
  return true;
}

bool RefHostName(std::string_view t) {
  if (t.empty() || !AllPrintable(t) || Digit(t.front()) || t.front() == '.' || t.back() == '.') return false;
  if (t.find("..") != std::string_view::npos) return false;
  std::size_t dots = 0;
  for (char c : t) dots += c == '.';
  return dots >= 1 && dots <= 10;
}

bool RefMac(std::string_view t) {
  if (t.size() != 17) return false;
  for (std::size_t i = 0; i < 17; ++i)
    if (i % 3 == 2 ? t[i] != '-' : !Hex(t[i])) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // Encoding: reversible, and nothing that ends a field, a value or the request line.
  const std::string encoded = UrlEncode(text);
  FUZZ_CHECK(UrlDecode(encoded) == text, "decode(encode(x)) != x for " + fuzz::Printable(text));
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    const char c = encoded[i];
    FUZZ_CHECK(std::string_view(" \"<>\\^[]`+$,@:;/!#?=&").find(c) == std::string_view::npos,
               "reserved character left in " + fuzz::Printable(encoded));
    FUZZ_CHECK(c > 0x20 && c < 0x7F, "byte outside printable ASCII left in " + fuzz::Printable(encoded));
    if (c == '%')
      FUZZ_CHECK(i + 2 < encoded.size() && Hex(encoded[i + 1]) && Hex(encoded[i + 2]), "bare % in the encoding");
  }
  // Decoding any text: never longer, and a text without "%" is unchanged.
  const std::string decoded = UrlDecode(text);
  FUZZ_CHECK(decoded.size() <= text.size(), "decoding grew the text");
  if (text.find('%') == std::string_view::npos) FUZZ_CHECK(decoded == text, "decoding changed a text without %");
  FUZZ_CHECK(MaskText(text) == std::string(text.size(), '*'), "MaskText");

  // Dotted quads and the other checks, against the references above.
  std::array<std::uint8_t, 4> quad{9, 9, 9, 9};
  std::uint8_t ref[4] = {0, 0, 0, 0};
  const bool isQuad = ParseDottedQuad(text, quad);
  FUZZ_CHECK(isQuad == RefDottedQuad(text, ref), "ParseDottedQuad " + std::to_string(isQuad) + " for " + fuzz::Printable(text));
  if (isQuad) {
    for (int i = 0; i < 4; ++i) FUZZ_CHECK(quad[i] == ref[i], "ParseDottedQuad value for " + fuzz::Printable(text));
    FUZZ_CHECK(text.find('\0') == std::string_view::npos, "address with a NUL byte");
  } else {
    FUZZ_CHECK(quad[0] == 9 && quad[3] == 9, "ParseDottedQuad wrote on refusal");
  }
  FUZZ_CHECK(IsIpAddress(text) == isQuad, "IsIpAddress");
  FUZZ_CHECK(IsOptionalIpAddress(text) == (text.empty() || isQuad), "IsOptionalIpAddress");
  FUZZ_CHECK(IsHostName(text) == RefHostName(text), "IsHostName for " + fuzz::Printable(text));
  FUZZ_CHECK(IsIpAddressOrHostName(text) == (isQuad || RefHostName(text)), "IsIpAddressOrHostName");
  FUZZ_CHECK(IsMacAddress(text) == RefMac(text), "IsMacAddress for " + fuzz::Printable(text));

  const std::size_t length = size == 0 ? 0 : data[0] % 70;
  bool allHex = true;
  for (char c : text) allHex = allHex && Hex(c);
  FUZZ_CHECK(IsHexKey(text, length) == (length != 0 && text.size() == length && allHex), "IsHexKey");
  const bool printable = AllPrintable(text);
  FUZZ_CHECK(IsPrintableText(text) == (!text.empty() && printable), "IsPrintableText");
  FUZZ_CHECK(IsOptionalPrintable(text) == printable, "IsOptionalPrintable");
  FUZZ_CHECK(IsPrintableOfLength(text, length) == (length != 0 && text.size() == length && printable),
             "IsPrintableOfLength");
  const std::size_t low = size > 1 ? data[1] % 40 : 0;
  FUZZ_CHECK(IsPrintableInRange(text, low, length) == (text.size() >= low && text.size() <= length && printable),
             "IsPrintableInRange");
  return 0;
}
