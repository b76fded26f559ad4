// kelvane_langgen: turns a language's strings.txt into the C++ source of its
// language module (one exported, read-only string table; see
// language/LanguageModuleFormat.h).
//
//   kelvane_langgen <strings.txt> <output.cpp>
//   kelvane_langgen --localize <template> <output> <code>=<strings.txt>...
//     (the desktop entry and the AppStream file in every language; see
//     Localize below)
//
// Input: UTF-8 without byte-order mark; one entry per line, the decimal ID
// (1-65535), one TAB, the text. Escapes in the text: \n line break, \t tab,
// \\ backslash. Lines starting with # are comments; blank lines are ignored.
// A line ending in CR LF is read like one ending in LF.
//
// Any malformed line, duplicate ID, empty text or invalid UTF-8 stops the tool
// with "file:line: error: ..." on stderr and exit status 1, so the build fails
// and names the place to mend. The output file is written only when the whole
// input is sound.
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

#include "language/LanguageModuleFormat.h"

namespace {

struct Entry {
  std::uint32_t id = 0;
  std::u16string text;
  int line = 0;
};

class InputError {
 public:
  InputError(int line, std::string message) : line_(line), message_(std::move(message)) {}
  int line() const { return line_; }
  const std::string& message() const { return message_; }

 private:
  int line_;
  std::string message_;
};

// Decodes one UTF-8 line strictly: no overlong forms, no surrogates, nothing
// above U+10FFFF, no truncated sequences. Answers false at the first bad byte.
bool DecodeUtf8(std::string_view bytes, std::u32string& out, std::size_t& badColumn) {
  out.clear();
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    char32_t cp = 0;
    std::size_t extra = 0;
    char32_t minimum = 0;
    if (b0 < 0x80) {
      cp = b0;
    } else if ((b0 & 0xE0) == 0xC0) {
      cp = b0 & 0x1F;
      extra = 1;
      minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      cp = b0 & 0x0F;
      extra = 2;
      minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      cp = b0 & 0x07;
      extra = 3;
      minimum = 0x10000;
    } else {
      badColumn = i + 1;
      return false;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      if (i + k >= bytes.size()) {
        badColumn = i + 1;
        return false;
      }
      const auto b = static_cast<unsigned char>(bytes[i + k]);
      if ((b & 0xC0) != 0x80) {
        badColumn = i + 1;
        return false;
      }
      cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      badColumn = i + 1;
      return false;
    }
    out.push_back(cp);
    i += extra + 1;
  }
  return true;
}

void AppendUtf16(char32_t cp, std::u16string& out) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

// Parses one entry line (already known not to be blank or a comment).
Entry ParseEntry(std::string_view line, int lineNo) {
  const std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos) {
    throw InputError(lineNo, "expected '<ID><TAB><text>', found no TAB");
  }
  const std::string_view idText = line.substr(0, tab);
  if (idText.empty() || idText.size() > 5 ||
      !std::all_of(idText.begin(), idText.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    throw InputError(lineNo, "the ID '" + std::string(idText) + "' is not a decimal number of at most 5 digits");
  }
  const std::uint32_t id = static_cast<std::uint32_t>(std::stoul(std::string(idText)));
  if (id == 0 || id > 0xFFFF) {
    throw InputError(lineNo, "the ID " + std::to_string(id) + " is outside 1-65535");
  }

  std::u32string decoded;
  std::size_t badColumn = 0;
  if (!DecodeUtf8(line.substr(tab + 1), decoded, badColumn)) {
    throw InputError(lineNo, "invalid UTF-8 in the text at byte " + std::to_string(tab + 1 + badColumn));
  }

  Entry entry;
  entry.id = id;
  entry.line = lineNo;
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    const char32_t c = decoded[i];
    if (c == U'\\') {
      if (i + 1 >= decoded.size()) {
        throw InputError(lineNo, "the text ends with a lone backslash (write \\\\ for a backslash)");
      }
      const char32_t next = decoded[++i];
      if (next == U'n') {
        entry.text.push_back(u'\n');
      } else if (next == U't') {
        entry.text.push_back(u'\t');
      } else if (next == U'\\') {
        entry.text.push_back(u'\\');
      } else {
        throw InputError(lineNo, "unknown escape '\\" + std::string(1, next < 0x80 ? static_cast<char>(next) : '?') +
                                     "' (only \\n, \\t and \\\\ are known)");
      }
      continue;
    }
    if (c < 0x20 || c == 0x7F) {
      throw InputError(lineNo, "control character U+" + [&] {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(c));
        return std::string(buf);
      }() + " in the text (write \\n or \\t instead)");
    }
    AppendUtf16(c, entry.text);
  }
  if (entry.text.empty()) {
    throw InputError(lineNo, "the text of ID " + std::to_string(id) + " is empty (leave the line out instead)");
  }
  return entry;
}

std::vector<Entry> ParseFile(const std::string& content) {
  if (content.size() >= 3 && content.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    throw InputError(1, "the file starts with a byte-order mark; save it as UTF-8 without BOM");
  }
  std::vector<Entry> entries;
  std::map<std::uint32_t, int> firstLine;
  std::size_t pos = 0;
  int lineNo = 0;
  while (pos < content.size()) {
    std::size_t end = content.find('\n', pos);
    if (end == std::string::npos) end = content.size();
    std::string_view line(content.data() + pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos) {
      throw InputError(lineNo, "zero byte in the line");
    }
    if (line.empty() || line.front() == '#') {
      std::u32string ignored;
      std::size_t badColumn = 0;
      if (!DecodeUtf8(line, ignored, badColumn)) {
        throw InputError(lineNo, "invalid UTF-8 at byte " + std::to_string(badColumn));
      }
      continue;
    }
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;  // blank
    Entry entry = ParseEntry(line, lineNo);
    const auto [it, inserted] = firstLine.emplace(entry.id, lineNo);
    if (!inserted) {
      throw InputError(lineNo, "duplicate ID " + std::to_string(entry.id) + " (first defined on line " +
                                   std::to_string(it->second) + ")");
    }
    entries.push_back(std::move(entry));
  }
  if (entries.empty()) throw InputError(lineNo, "the file holds no entries");
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.id < b.id; });
  return entries;
}

std::string GenerateSource(const std::vector<Entry>& entries, const std::string& inputName) {
  std::ostringstream out;
  out << "// Generated by kelvane_langgen from " << inputName << ". Do not edit.\n"
      << "#include \"language/LanguageModuleFormat.h\"\n\n"
      << "namespace {\n\n"
      << "const char16_t kText[] = {\n";
  std::uint32_t offset = 0;
  std::vector<std::uint32_t> offsets;
  for (const Entry& e : entries) {
    offsets.push_back(offset);
    out << "    // " << e.id << "\n   ";
    int column = 0;
    for (char16_t unit : e.text) {
      out << " 0x" << std::hex << static_cast<unsigned>(unit) << std::dec << ",";
      if (++column == 12) {
        out << "\n   ";
        column = 0;
      }
    }
    out << " 0,\n";
    offset += static_cast<std::uint32_t>(e.text.size()) + 1;
  }
  out << "};\n\n"
      << "const KelvaneStringEntry kEntries[] = {\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    out << "    {" << entries[i].id << ", 0, " << offsets[i] << ", " << entries[i].text.size() << "},\n";
  }
  out << "};\n\n"
      << "}  // namespace\n\n"
      << "extern \"C\" {\n"
      << "__attribute__((visibility(\"default\"))) extern const KelvaneStringTable kelvane_string_table;\n"
      << "const KelvaneStringTable kelvane_string_table = {\n"
      << "    0x" << std::hex << kelvane::kStringTableMagic << std::dec << ", " << kelvane::kStringTableVersion
      << ", " << entries.size() << ", " << offset
      << ", kEntries, kText};\n"
      << "}\n";
  return out.str();
}

std::string ToUtf8(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

// A value of a desktop entry: line breaks, tabs and backslashes escaped.
std::string DesktopValue(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out;
}

std::string XmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += c;
  }
  return out;
}

struct Catalogue {
  std::string code;  // xx or xx_YY
  std::map<std::uint32_t, std::string> texts;
};

// --localize: writes a desktop entry or an AppStream file from its template,
// each "Key=@ID@" or "<tag>@ID@</tag>" line becoming the first catalogue's
// text followed by one line per further language ("Key[de]=...",
// "<tag xml:lang=\"de\">...</tag>").
int Localize(int argc, char** argv) {
  if (argc < 5) {
    std::cerr << "usage: kelvane_langgen --localize <template> <output> <code>=<strings.txt>...\n";
    return 2;
  }
  std::vector<Catalogue> catalogues;
  for (int i = 4; i < argc; ++i) {
    const std::string arg = argv[i];
    const std::size_t eq = arg.find('=');
    if (eq == std::string::npos) {
      std::cerr << arg << ": error: expected <code>=<strings.txt>\n";
      return 2;
    }
    const std::string path = arg.substr(eq + 1);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    Catalogue c;
    c.code = arg.substr(0, eq);
    try {
      for (const Entry& e : ParseFile(content.str())) c.texts[e.id] = ToUtf8(e.text);
    } catch (const InputError& e) {
      std::cerr << path << ":" << e.line() << ": error: " << e.message() << "\n";
      return 1;
    }
    catalogues.push_back(std::move(c));
  }
  const std::string templateName = argv[2];
  std::ifstream in(templateName, std::ios::binary);
  if (!in) {
    std::cerr << templateName << ": error: cannot read the file\n";
    return 1;
  }
  std::ostringstream out;
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    const std::size_t at = line.find('@');
    const std::size_t end = at == std::string::npos ? at : line.find('@', at + 1);
    if (end == std::string::npos || end == at + 1 ||
        !std::all_of(line.begin() + static_cast<long>(at) + 1, line.begin() + static_cast<long>(end),
                     [](char c) { return c >= '0' && c <= '9'; })) {
      out << line << "\n";
      continue;
    }
    const auto id = static_cast<std::uint32_t>(std::stoul(line.substr(at + 1, end - at - 1)));
    const std::string before = line.substr(0, at);
    const std::string after = line.substr(end + 1);
    const bool desktop = !before.empty() && before.back() == '=' && after.empty();
    const std::size_t open = before.rfind('<');
    const bool xml = !desktop && open != std::string::npos && before.back() == '>';
    if (!desktop && !xml) {
      std::cerr << templateName << ":" << lineNo << ": error: @" << id << "@ stands neither in Key=@ID@ nor in <tag>@ID@</tag>\n";
      return 1;
    }
    for (std::size_t k = 0; k < catalogues.size(); ++k) {
      const auto text = catalogues[k].texts.find(id);
      if (text == catalogues[k].texts.end()) {
        std::cerr << templateName << ":" << lineNo << ": error: language " << catalogues[k].code << " has no text " << id << "\n";
        return 1;
      }
      if (desktop) {
        const std::string key = before.substr(0, before.size() - 1);
        out << key << (k ? "[" + catalogues[k].code + "]" : "") << "=" << DesktopValue(text->second) << "\n";
      } else {
        const std::string tagOpen = before.substr(open, before.size() - open - 1);
        const std::string lang = k ? " xml:lang=\"" + catalogues[k].code + "\"" : "";
        out << before.substr(0, open) << tagOpen << lang << ">" << XmlText(text->second) << after << "\n";
      }
    }
  }
  std::ofstream file(argv[3], std::ios::binary | std::ios::trunc);
  file << out.str();
  if (!file.flush()) {
    std::cerr << argv[3] << ": error: cannot write the file\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == "--localize") return Localize(argc, argv);
  if (argc != 3) {
    std::cerr << "usage: kelvane_langgen <strings.txt> <output.cpp>\n"
                 "       kelvane_langgen --localize <template> <output> <code>=<strings.txt>...\n";
    return 2;
  }
  const std::string inputName = argv[1];
  std::ifstream in(inputName, std::ios::binary);
  if (!in) {
    std::cerr << inputName << ": error: cannot read the file\n";
    return 1;
  }
  std::ostringstream content;
  content << in.rdbuf();

  std::vector<Entry> entries;
  try {
    entries = ParseFile(content.str());
  } catch (const InputError& e) {
    std::cerr << inputName << ":" << e.line() << ": error: " << e.message() << "\n";
    return 1;
  }

  const std::string source = GenerateSource(entries, inputName);
  const std::string outputName = argv[2];
  {
    std::ofstream out(outputName + ".tmp", std::ios::binary | std::ios::trunc);
    out << source;
    if (!out.flush()) {
      std::cerr << outputName << ": error: cannot write the file\n";
      return 1;
    }
  }
  if (std::rename((outputName + ".tmp").c_str(), outputName.c_str()) != 0) {
    std::cerr << outputName << ": error: cannot write the file\n";
    return 1;
  }
  return 0;
}
