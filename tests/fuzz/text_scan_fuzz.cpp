// The page scanners of net/TextScan against a plain reference: the same
// answers for any page, key, terminator and anchor, also near and beyond the
// 63999-character horizon, and no exception ever.
//
// Input: an operation byte, a repeat byte, then the page, the key, the
// terminator and the anchor separated by 0xFF bytes. Bits 3-4 of the
// operation byte pick one of page / key / anchor to be repeated 2^(repeat % 17)
// times (at most 140000 bytes), bit 5 repeats the page too, so that short
// inputs reach the horizon.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/TextScan.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace kelvane;
using namespace kelvane::fuzz;

namespace {

constexpr std::size_t npos = std::string_view::npos;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// First occurrence of the pattern (both cut to the horizon), ignoring the case of A-Z.
std::size_t RefFind(std::string_view text, std::string_view pattern) {
  text = text.substr(0, std::min(text.size(), kScanHorizon));
  pattern = pattern.substr(0, std::min(pattern.size(), kScanHorizon));
  const auto it = std::search(text.begin(), text.end(), pattern.begin(), pattern.end(),
                              [](char a, char b) { return Lower(a) == Lower(b); });
  return it == text.end() ? (pattern.empty() ? 0 : npos) : static_cast<std::size_t>(it - text.begin());
}

// What ExtractValue answers; `exact` false when the key is longer than the
// horizon, where only "no exception, a piece of the page" is asked.
struct RefValue {
  bool found = false;
  std::string value;
  bool exact = true;
};

RefValue RefExtract(std::string_view page, std::string_view key, std::string_view terminator) {
  RefValue r;
  r.exact = key.size() <= kScanHorizon;
  const std::size_t keyAt = RefFind(page, key);
  if (keyAt == npos || keyAt + key.size() > page.size()) return r;
  const std::string_view rest = page.substr(keyAt + key.size());
  const std::size_t endAt = RefFind(rest, terminator);
  if (endAt == npos) return r;
  r.found = true;
  r.value.assign(rest.substr(0, endAt));
  return r;
}

void CheckValue(const char* what, std::string_view page, const RefValue& ref, bool found, const std::string& value,
                const std::string& before) {
  if (!ref.exact) {
    FUZZ_CHECK(!found || page.find(value) != npos, std::string(what) + ": value not from the page");
    return;
  }
  FUZZ_CHECK(found == ref.found, std::string(what) + ": found " + std::to_string(found));
  if (found) {
    FUZZ_CHECK(value == ref.value, std::string(what) + ": " + Printable(value) + " expected " + Printable(ref.value));
  } else if (!before.empty()) {
    FUZZ_CHECK(value == before, std::string(what) + ": value changed on failure");
  }
}

std::vector<std::string> Pieces(std::string_view input) {
  std::vector<std::string> pieces;
  while (pieces.size() < 3) {
    const std::size_t at = input.find('\xFF');
    if (at == npos) break;
    pieces.emplace_back(input.substr(0, at));
    input.remove_prefix(at + 1);
  }
  pieces.emplace_back(input);
  pieces.resize(4);
  return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned op = data[0];
  const unsigned repeat = 1u << (data[1] % 17);
  std::vector<std::string> p = Pieces(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2));
  const auto grow = [repeat](std::string& piece) {
    if (piece.empty()) return;
    const std::size_t times = std::min<std::size_t>(repeat, 140000 / piece.size());
    std::string grown;
    grown.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) grown += piece;
    piece.swap(grown);
  };
  const unsigned amplified = (op >> 3) & 3;
  if (amplified < 3) grow(p[amplified == 2 ? 3 : amplified]);
  if ((op & 0x20) != 0 && amplified != 0) grow(p[0]);  // the page as well
  const std::string& page = p[0];
  const std::string& key = p[1];
  const std::string& terminator = p[2];
  const std::string& anchor = p[3];
  const std::string before = "\x01untouched";

  // The search itself, and ContainsNoCase.
  const std::size_t at = FindNoCase(page, key);
  FUZZ_CHECK(at == RefFind(page, key), "FindNoCase " + std::to_string(at));
  FUZZ_CHECK(ContainsNoCase(page, key) == (at != npos), "ContainsNoCase");

  std::string value = before;
  switch (op % 6) {
    case 0: {
      const bool found = ExtractValue(page, key, terminator, value);
      CheckValue("ExtractValue", page, RefExtract(page, key, terminator), found, value, before);
      break;
    }
    case 1: {
      const bool found = ExtractValueAfter(page, anchor, key, terminator, value);
      const std::size_t anchorAt = RefFind(page, anchor);
      RefValue ref;
      if (anchorAt != npos) ref = RefExtract(std::string_view(page).substr(anchorAt), key, terminator);
      ref.exact = ref.exact && anchor.size() <= kScanHorizon;
      CheckValue("ExtractValueAfter", page, ref, found, value, before);
      break;
    }
    case 2: {
      const int back = static_cast<int>(static_cast<signed char>(data[1])) * 97;
      const bool found = ExtractValueNear(page, anchor, key, terminator, back, value);
      const std::size_t anchorAt = RefFind(page, anchor);
      RefValue ref;
      if (anchorAt != npos) {
        const std::size_t b = back > 0 ? static_cast<std::size_t>(back) : 0;
        ref = RefExtract(std::string_view(page).substr(anchorAt > b ? anchorAt - b : 0), key, terminator);
      }
      ref.exact = ref.exact && anchor.size() <= kScanHorizon;
      CheckValue("ExtractValueNear", page, ref, found, value, before);
      break;
    }
    case 3: {
      const int count = static_cast<int>(static_cast<signed char>(data[1])) * 13;
      const bool found = ExtractPreceding(page, key, count, value);
      FUZZ_CHECK(found == (at != npos), "ExtractPreceding found");
      if (found) {
        const std::size_t wanted = count > 0 ? static_cast<std::size_t>(count) : 0;
        const std::size_t from = at > wanted ? at - wanted : 0;
        FUZZ_CHECK(value == page.substr(from, at - from), "ExtractPreceding value " + Printable(value));
      } else {
        FUZZ_CHECK(value.empty(), "ExtractPreceding keeps a value on failure");
      }
      break;
    }
    case 4: {
      const bool found = ExtractBrField(key, page, value);
      const RefValue ref = RefExtract(page, key, "<BR>");
      CheckValue("ExtractBrField", page, ref, found, value, "");
      if (!found) FUZZ_CHECK(value.empty(), "ExtractBrField keeps a value on failure");
      break;
    }
    case 5: {
      std::string text = page;
      const char c = key.empty() ? ' ' : key[0];
      StripLeading(text, c);
      const std::size_t first = page.find_first_not_of(c);
      FUZZ_CHECK(text == (first == npos ? std::string() : page.substr(first)), "StripLeading");
      break;
    }
  }
  return 0;
}
