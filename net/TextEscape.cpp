#include "net/TextEscape.h"

namespace kelvane {

std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  return length;
}

std::string EscapeForTerminal(std::string_view text, ControlCharacterShown controls) {
  std::string out;
  out.reserve(text.size());
  const auto escape = [&out](unsigned char u) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out.push_back(kHex[u >> 4]);
    out.push_back(kHex[u & 0x0F]);
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto u = static_cast<unsigned char>(text[i]);
    if (u == '\\') {
      out += "\\\\";
      ++i;
    } else if (u < 0x20 || u == 0x7F) {
      if (controls == ControlCharacterShown::kDot) {
        out.push_back('.');
      } else {
        escape(u);
      }
      ++i;
    } else if (u < 0x80) {
      out.push_back(static_cast<char>(u));
      ++i;
    } else if (const std::size_t length = Utf8SequenceLength(text, i); length == 0) {
      escape(u);
      ++i;
    } else if (u == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      // U+0080 to U+009F: the C1 controls.
      escape(u);
      escape(static_cast<unsigned char>(text[i + 1]));
      i += 2;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

}  // namespace kelvane
