// The layout of the one string table a language module exports. The table is
// generated from lang/<Language>/strings.txt at build time (lang/tools) and read
// by the loader (LanguageModule.cpp); both sides include this header, so they
// cannot drift apart. A module holds data only: the loader looks up the table
// symbol and never calls into the module.
#pragma once

#include <cstdint>

extern "C" {

// One text: its ID and where its UTF-16 units start in the module's text block.
// `length` counts UTF-16 units, without the terminating zero the block keeps
// after every text.
struct KelvaneStringEntry {
  std::uint16_t id;
  std::uint16_t reserved;
  std::uint32_t offset;
  std::uint32_t length;
};

// Entries are sorted by ascending ID with no ID twice, so a lookup is a binary
// search.
struct KelvaneStringTable {
  std::uint32_t magic;
  std::uint32_t version;
  std::uint32_t count;
  std::uint32_t textUnits;  // size of `text` in UTF-16 units
  const KelvaneStringEntry* entries;
  const char16_t* text;
};

}  // extern "C"

namespace kelvane {

inline constexpr const char* kStringTableSymbol = "kelvane_string_table";
inline constexpr std::uint32_t kStringTableMagic = 0x4B4C4E47;  // "KLNG"
inline constexpr std::uint32_t kStringTableVersion = 1;

}  // namespace kelvane
