#include "net/TextScan.h"

#include <algorithm>

namespace kelvane {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The text after `key` at `keyAt`. A key longer than the horizon is searched
// by its first kScanHorizon characters only, so the whole key may reach past
// the page end: then it is not on the page.
bool AfterKey(std::string_view page, std::size_t keyAt, std::string_view key, std::string_view& rest) {
  if (keyAt == std::string_view::npos || key.size() > page.size() - keyAt) return false;
  rest = page.substr(keyAt + key.size());
  return true;
}

}  // namespace

std::size_t FindNoCase(std::string_view text, std::string_view pattern) {
  // Pages have always been searched only within their first kScanHorizon
  // characters; the readers rely on nothing beyond.
  text = text.substr(0, std::min(text.size(), kScanHorizon));
  pattern = pattern.substr(0, std::min(pattern.size(), kScanHorizon));
  if (pattern.empty()) return 0;
  if (pattern.size() > text.size()) return std::string_view::npos;
  const char first = LowerAscii(pattern[0]);
  const std::size_t last = text.size() - pattern.size();
  for (std::size_t i = 0; i <= last; ++i) {
    if (LowerAscii(text[i]) != first) continue;
    std::size_t j = 1;
    while (j < pattern.size() && LowerAscii(text[i + j]) == LowerAscii(pattern[j])) ++j;
    if (j == pattern.size()) return i;
  }
  return std::string_view::npos;
}

bool ContainsNoCase(std::string_view text, std::string_view pattern) {
  return FindNoCase(text, pattern) != std::string_view::npos;
}

bool ExtractValue(std::string_view page, std::string_view key, std::string_view terminator,
                  std::string& value) {
  std::string_view rest;
  if (!AfterKey(page, FindNoCase(page, key), key, rest)) return false;
  const std::size_t endAt = FindNoCase(rest, terminator);
  if (endAt == std::string_view::npos) return false;
  value.assign(rest.substr(0, endAt));
  return true;
}

bool ExtractValueAfter(std::string_view page, std::string_view anchor, std::string_view key,
                       std::string_view terminator, std::string& value) {
  const std::size_t anchorAt = FindNoCase(page, anchor);
  if (anchorAt == std::string_view::npos) return false;
  return ExtractValue(page.substr(anchorAt), key, terminator, value);
}

bool ExtractValueNear(std::string_view page, std::string_view anchor, std::string_view key,
                      std::string_view terminator, int backCount, std::string& value) {
  const std::size_t anchorAt = FindNoCase(page, anchor);
  if (anchorAt == std::string_view::npos) return false;
  const std::size_t back = backCount > 0 ? static_cast<std::size_t>(backCount) : 0;
  const std::size_t from = anchorAt > back ? anchorAt - back : 0;
  return ExtractValue(page.substr(from), key, terminator, value);
}

bool ExtractPreceding(std::string_view page, std::string_view key, int count, std::string& value) {
  value.clear();
  const std::size_t keyAt = FindNoCase(page, key);
  if (keyAt == std::string_view::npos) return false;
  const std::size_t wanted = count > 0 ? static_cast<std::size_t>(count) : 0;
  const std::size_t from = keyAt > wanted ? keyAt - wanted : 0;
  value.assign(page.substr(from, keyAt - from));
  return true;
}

bool ExtractBrField(std::string_view key, std::string_view page, std::string& value) {
  value.clear();
  std::string_view rest;
  if (!AfterKey(page, FindNoCase(page, key), key, rest)) return false;
  const std::size_t brAt = FindNoCase(rest, "<BR>");
  if (brAt == std::string_view::npos) return false;
  value.assign(rest.substr(0, brAt));
  return true;
}

void StripLeading(std::string& text, char character) {
  std::size_t n = 0;
  while (n < text.size() && text[n] == character) ++n;
  text.erase(0, n);
}

}  // namespace kelvane
