// The string-table generator (lang/tools/LangGen.cpp) on fuzzed strings.txt
// files: it answers with entries or with an input error naming a line of the
// file, never anything else; accepted entries are sorted, unique and
// non-empty; writing them back out and reading them again gives the same
// table; the generated source holds every entry.
//
// The tool is one file with its own main(); it is compiled into this target
// with main() renamed, so its parser and generator are reached unchanged.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#define main kelvane_langgen_main
#include "lang/tools/LangGen.cpp"
#undef main

#include "tests/fuzz/FuzzSupport.h"

namespace {

using kelvane::fuzz::Printable;

// The entries as a strings.txt of their own, with the escapes the tool knows.
std::string WriteBack(const std::vector<Entry>& entries) {
  std::string out = "# written back\n";
  for (const Entry& e : entries) {
    std::string text;
    for (char c : ToUtf8(e.text)) {
      if (c == '\\') text += "\\\\";
      else if (c == '\n') text += "\\n";
      else if (c == '\t') text += "\\t";
      else text += c;
    }
    out += std::to_string(e.id) + "\t" + text + "\n";
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  std::vector<Entry> entries;
  try {
    entries = ParseFile(content);
  } catch (const InputError& e) {
    const long lines = std::count(content.begin(), content.end(), '\n') + 1;
    FUZZ_CHECK(e.line() >= 0 && e.line() <= lines, "error line " + std::to_string(e.line()));
    FUZZ_CHECK(!e.message().empty(), "error without a message");
    return 0;
  }
  FUZZ_CHECK(!entries.empty(), "accepted a file without entries");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    FUZZ_CHECK(entries[i].id >= 1 && entries[i].id <= 0xFFFF, "id " + std::to_string(entries[i].id));
    FUZZ_CHECK(!entries[i].text.empty(), "empty text");
    if (i > 0) FUZZ_CHECK(entries[i - 1].id < entries[i].id, "ids not sorted and unique");
    for (char16_t unit : entries[i].text)
      FUZZ_CHECK(unit >= 0x20 || unit == u'\n' || unit == u'\t', "control character in a text");
  }

  const std::string written = WriteBack(entries);
  std::vector<Entry> again;
  try {
    again = ParseFile(written);
  } catch (const InputError& e) {
    FUZZ_CHECK(false, "written-back table refused at line " + std::to_string(e.line()) + ": " + e.message() +
                          "; input " + Printable(content));
  }
  FUZZ_CHECK(again.size() == entries.size(), "written-back table has another size");
  for (std::size_t i = 0; i < again.size(); ++i)
    FUZZ_CHECK(again[i].id == entries[i].id && again[i].text == entries[i].text,
               "written-back entry " + std::to_string(entries[i].id) + " differs");

  const std::string source = GenerateSource(entries, "fuzz.txt");
  std::uint32_t offset = 0;
  for (const Entry& e : entries) {
    const std::string row = "{" + std::to_string(e.id) + ", 0, " + std::to_string(offset) + ", " +
                            std::to_string(e.text.size()) + "},";
    FUZZ_CHECK(source.find(row) != std::string::npos, "generated source lacks " + row);
    offset += static_cast<std::uint32_t>(e.text.size()) + 1;
  }
  return 0;
}
