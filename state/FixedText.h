// A zero-terminated text in a fixed field of N bytes (terminator included), as
// the router-side records hold them. Assigning a longer text cuts it to N-1
// bytes; nothing ever writes past the field. A field may be assigned from a
// view of itself (a stripped or shortened copy of its own text).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace kelvane {

template <std::size_t N>
class FixedText {
  static_assert(N >= 1, "a fixed text needs room for its terminator");

 public:
  static constexpr std::size_t kCapacity = N;      // bytes, terminator included
  static constexpr std::size_t kMaxLength = N - 1;  // characters

  FixedText() = default;
  FixedText(std::string_view text) { Assign(text); }  // NOLINT: implicit by design
  FixedText& operator=(std::string_view text) {
    Assign(text);
    return *this;
  }

  // Stores `text` cut to the field width; answers false when it was cut.
  bool Assign(std::string_view text) {
    // Texts end at their first zero byte, as they would in the fixed field.
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos) text = text.substr(0, zero);
    const std::size_t n = std::min(text.size(), kMaxLength);
    // memmove, and the tail cleared only afterwards: `text` may lie inside
    // this very field.
    if (n > 0) std::memmove(bytes_, text.data(), n);
    std::memset(bytes_ + n, 0, N - n);
    return n == text.size();
  }

  // Stores `text` only when all of it fits (no cut, no zero byte inside);
  // otherwise leaves the field as it was and answers false.
  [[nodiscard]] bool AssignChecked(std::string_view text) {
    if (text.size() > kMaxLength || text.find('\0') != std::string_view::npos) return false;
    Assign(text);
    return true;
  }

  void Clear() { std::memset(bytes_, 0, N); }

  const char* c_str() const { return bytes_; }
  std::string_view view() const { return std::string_view(bytes_, size()); }
  std::string str() const { return std::string(view()); }
  std::size_t size() const { return std::strlen(bytes_); }
  bool empty() const { return bytes_[0] == '\0'; }

  operator std::string_view() const { return view(); }  // NOLINT: implicit by design

  friend bool operator==(const FixedText& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const FixedText& a, const FixedText& b) { return a.view() == b.view(); }

 private:
  char bytes_[N] = {};
};

}  // namespace kelvane
