// Checks and encodings of the values a user types and the router receives.
//
// Every value the user enters is checked by one of these predicates before a
// page lets the user go on, and every value that goes into a router URL is
// percent-encoded with UrlEncode first. All functions are pure: they work on
// 8-bit text (the locale's encoding) and never show anything.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

// A printable character is a byte from 0x20 (blank) to 0x7E ("~").
bool IsPrintableChar(char c);
bool IsAsciiDigit(char c);
// 0 to 15 for a hexadecimal digit, -1 for anything else.
int HexDigitValue(char c);

// Exactly `length` characters (length not 0), all hexadecimal digits.
bool IsHexKey(std::string_view text, std::size_t length);
// A wireless channel as a number: "Auto" (any case) and "0" are 0, "06" is
// 6; -1 for anything else. Routers differ in how they write the same channel.
int WirelessChannelNumber(std::string_view text);
// The same wireless key as a router may show it back: equal, or both 64
// hexadecimal digits that differ only in letter case.
bool SameWirelessKey(std::string_view a, std::string_view b);
// Not empty, all characters printable.
bool IsPrintableText(std::string_view text);
// Exactly `length` characters (length not 0), all printable.
bool IsPrintableOfLength(std::string_view text, std::size_t length);
// minimum <= length <= maximum and all printable (empty passes when minimum is 0).
bool IsPrintableInRange(std::string_view text, std::size_t minimum, std::size_t maximum);
// Empty, or all characters printable.
bool IsOptionalPrintable(std::string_view text);

// An SSID as routers and phones take it: 1 to 32 bytes of UTF-8 text without
// control characters (C0, DEL, C1), so "Café 5G" passes. The router's pages
// and commands carry it as UTF-8; a Qt page converts with toUtf8/fromUtf8.
inline constexpr std::size_t kMaxSsidBytes = 32;
bool IsValidSsid(std::string_view text);

// A dotted IPv4 text: four decimal parts, three dots, each part at most 255;
// the first three parts have 1 to 3 digits, the fourth any number of digits
// (leading zeros allowed: "1.2.3.0001" is 1.2.3.1). The values are written to
// `out` in text order; `out` is left alone when the text is refused.
bool ParseDottedQuad(std::string_view text, std::array<std::uint8_t, 4>& out);
bool IsIpAddress(std::string_view text);
bool IsOptionalIpAddress(std::string_view text);
// Printable, not starting with a digit, 1 to 10 dots, none at either end and
// no two adjacent.
bool IsHostName(std::string_view text);
bool IsIpAddressOrHostName(std::string_view text);
// Six pairs of hexadecimal digits joined by "-" (17 characters).
bool IsMacAddress(std::string_view text);

// Percent-encodes as "%XX" with upper-case digits the 22 characters the
// router's forms treat as reserved (blank " < > % \ ^ [ ] ` + $ , @ : ; / ! #
// ? = &) and every byte that is not printable ASCII (controls, DEL and each
// byte above 0x7E, so "é" is "%C3%A9"); only the other printable ASCII
// characters are kept. The result has no length limit: long values are never
// cut.
std::string UrlEncode(std::string_view text);
// Replaces each "%XX" by its byte. A "+" stays a "+". A "%" that is not
// followed by two hexadecimal digits is kept as it stands, so no byte after the
// end of the text is ever read.
std::string UrlDecode(std::string_view text);
// Every character replaced by "*" (passwords in summaries).
std::string MaskText(std::string_view text);

}  // namespace kelvane
