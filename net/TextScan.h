// Case-insensitive scanning of router pages: every router reader picks its
// values out of the returned text with these. Only the first
// kScanHorizon characters of the searched text (counted from where a search
// starts) can be found, as the router pages have always been read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvane {

inline constexpr std::size_t kScanHorizon = 63999;

// Offset of the first occurrence of `pattern` in `text` ignoring the case of
// A-Z, or std::string_view::npos. An empty pattern is found at 0.
std::size_t FindNoCase(std::string_view text, std::string_view pattern);
bool ContainsNoCase(std::string_view text, std::string_view pattern);

// Text between the end of `key` and the next `terminator` (both any case).
// Not found: false and `value` untouched.
bool ExtractValue(std::string_view page, std::string_view key, std::string_view terminator,
                  std::string& value);
// As ExtractValue, with `key` searched from `anchor` on.
bool ExtractValueAfter(std::string_view page, std::string_view anchor, std::string_view key,
                       std::string_view terminator, std::string& value);
// As ExtractValueAfter, with `key` searched from `backCount` characters before
// the anchor on (from the page start when the anchor is nearer than that).
bool ExtractValueNear(std::string_view page, std::string_view anchor, std::string_view key,
                      std::string_view terminator, int backCount, std::string& value);
// Clears `value`; the `count` characters just before `key` (fewer near the
// page start). False when the key is missing.
bool ExtractPreceding(std::string_view page, std::string_view key, int count, std::string& value);
// Clears `value`; text between `key` and the next "<BR>". False if either is missing.
bool ExtractBrField(std::string_view key, std::string_view page, std::string& value);
// Removes the run of `character` at the start of `text`, in place.
void StripLeading(std::string& text, char character);

}  // namespace kelvane
