#include "router/Fields.h"

#include "net/TextEscape.h"

namespace kelvane {
namespace {

// The reserved characters, in the order of the router form's own table.
constexpr std::string_view kReserved = " \"<>%\\^[]`+$,@:;/!#?=&";

bool AllPrintable(std::string_view text) {
  for (char c : text) {
    if (!IsPrintableChar(c)) return false;
  }
  return true;
}

bool AllHex(std::string_view text) {
  for (char c : text) {
    if (HexDigitValue(c) < 0) return false;
  }
  return true;
}

}  // namespace

bool IsPrintableChar(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x20 && b <= 0x7E;
}

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsHexKey(std::string_view text, std::size_t length) {
  return length != 0 && text.size() == length && AllHex(text);
}

int WirelessChannelNumber(std::string_view text) {
  if (text.size() == 4) {
    static constexpr char kAuto[] = "auto";
    for (std::size_t i = 0; i < 4; ++i) {
      if ((text[i] | 0x20) != kAuto[i]) return -1;
    }
    return 0;
  }
  if (text.empty() || text.size() > 3) return -1;
  int number = 0;
  for (char c : text) {
    if (!IsAsciiDigit(c)) return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

bool SameWirelessKey(std::string_view a, std::string_view b) {
  if (a == b) return true;
  if (!IsHexKey(a, 64) || !IsHexKey(b, 64)) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (HexDigitValue(a[i]) != HexDigitValue(b[i])) return false;
  }
  return true;
}

bool IsPrintableText(std::string_view text) { return !text.empty() && AllPrintable(text); }

bool IsPrintableOfLength(std::string_view text, std::size_t length) {
  return length != 0 && text.size() == length && AllPrintable(text);
}

bool IsPrintableInRange(std::string_view text, std::size_t minimum, std::size_t maximum) {
  return text.size() >= minimum && text.size() <= maximum && AllPrintable(text);
}

bool IsOptionalPrintable(std::string_view text) { return AllPrintable(text); }

bool ParseDottedQuad(std::string_view text, std::array<std::uint8_t, 4>& out) {
  if (text.empty()) return false;
  std::array<unsigned, 4> value{};
  std::array<std::size_t, 4> digits{};
  std::size_t part = 0;
  for (char c : text) {
    if (c == '.') {
      if (++part > 3) return false;  // a fourth dot
      continue;
    }
    if (!IsAsciiDigit(c)) return false;
    ++digits[part];
    // Saturate instead of overflowing: the fourth part may carry any number of
    // leading zeros, and a value past 255 fails anyway.
    if (value[part] <= 255) value[part] = value[part] * 10 + static_cast<unsigned>(c - '0');
  }
  if (part != 3 || text.back() == '.') return false;
  for (std::size_t i = 0; i < 4; ++i) {
    if (digits[i] == 0) return false;             // empty part: leading or adjacent dots
    if (i < 3 && digits[i] > 3) return false;     // the first three parts have 1 to 3 digits
    if (value[i] > 255) return false;
  }
  for (std::size_t i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value[i]);
  return true;
}

bool IsIpAddress(std::string_view text) {
  std::array<std::uint8_t, 4> bytes{};
  return ParseDottedQuad(text, bytes);
}

bool IsOptionalIpAddress(std::string_view text) { return text.empty() || IsIpAddress(text); }

bool IsHostName(std::string_view text) {
  if (!IsPrintableText(text)) return false;
  if (IsAsciiDigit(text.front())) return false;
  if (text.front() == '.' || text.back() == '.') return false;
  std::size_t dots = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '.') continue;
    ++dots;
    if (i + 1 < text.size() && text[i + 1] == '.') return false;
  }
  return dots >= 1 && dots <= 10;
}

bool IsIpAddressOrHostName(std::string_view text) { return IsIpAddress(text) || IsHostName(text); }

bool IsMacAddress(std::string_view text) {
  if (text.size() != 17) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i % 3 == 2) {
      if (text[i] != '-') return false;
    } else if (HexDigitValue(text[i]) < 0) {
      return false;
    }
  }
  return true;
}

bool IsValidSsid(std::string_view text) {
  if (text.empty() || text.size() > kMaxSsidBytes) return false;
  for (std::size_t i = 0; i < text.size();) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    const std::size_t length = b0 < 0x80 ? 1 : Utf8SequenceLength(text, i);
    const auto b1 = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (length == 0 || b0 < 0x20 || b0 == 0x7F || (b0 == 0xC2 && b1 < 0xA0)) return false;  // C0, DEL, C1
    i += length;
  }
  return true;
}

std::string UrlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    // Controls, blank, DEL and every byte of a UTF-8 sequence go on the wire
    // as "%XX" too: a request line holds only printable ASCII.
    if (b <= 0x20 || b >= 0x7F || kReserved.find(c) != std::string_view::npos) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    } else {
      out += c;
    }
  }
  return out;
}

std::string UrlDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexDigitValue(text[i + 1]);
      const int low = HexDigitValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>((high << 4) | low);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string MaskText(std::string_view text) { return std::string(text.size(), '*'); }

}  // namespace kelvane
