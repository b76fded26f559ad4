#include "steps/kit/WanAddressKind.h"

#include <array>
#include <charconv>

namespace kelvane {

namespace {

bool ParseDotted(std::string_view text, std::array<unsigned, 4>& bytes) {
  const char* p = text.data();
  const char* end = text.data() + text.size();
  for (std::size_t i = 0; i < 4; ++i) {
    if (i > 0) {
      if (p == end || *p != '.') return false;
      ++p;
    }
    if (p == end || *p < '0' || *p > '9') return false;
    const auto [next, ec] = std::from_chars(p, end, bytes[i]);
    if (ec != std::errc() || bytes[i] > 255 || next - p > 3) return false;
    p = next;
  }
  return p == end;
}

}  // namespace

bool IsTranslatedWanAddress(std::string_view dotted) {
  std::array<unsigned, 4> b{};
  if (!ParseDotted(dotted, b)) return false;
  if (b[0] == 10) return true;
  if (b[0] == 100 && (b[1] & 0xC0) == 64) return true;  // 100.64.0.0/10
  if (b[0] == 172 && (b[1] & 0xF0) == 16) return true;  // 172.16.0.0/12
  return b[0] == 192 && b[1] == 168;
}

}  // namespace kelvane
