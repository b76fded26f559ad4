#include "net/host/linux/NmcliOutput.h"

#include <sstream>

namespace kelvane {
namespace {

std::vector<std::string> Lines(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string Trim(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  const auto end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

}  // namespace

std::vector<std::string> SplitNmcliTerseLine(const std::string& line) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\\' && i + 1 < line.size()) {
      fields.back() += line[++i];
    } else if (c == ':') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

std::vector<NmDevice> ParseNmcliDevices(const std::string& output) {
  std::vector<NmDevice> devices;
  for (const std::string& line : Lines(output)) {
    const std::vector<std::string> f = SplitNmcliTerseLine(line);
    if (f.size() < 4 || f[0].empty()) continue;
    devices.push_back(NmDevice{f[0], f[1], f[2], f[3] == "--" ? std::string() : f[3]});
  }
  return devices;
}

std::map<std::string, std::string> ParseNmcliFields(const std::string& output) {
  std::map<std::string, std::string> fields;
  for (const std::string& line : Lines(output)) {
    // Only the first unescaped colon separates the name; the value keeps the rest.
    std::size_t colon = std::string::npos;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\\') {
        ++i;
        continue;
      }
      if (line[i] == ':') {
        colon = i;
        break;
      }
    }
    if (colon == std::string::npos || colon == 0) continue;
    std::string value;
    for (std::size_t i = colon + 1; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      value += line[i];
    }
    fields.emplace(line.substr(0, colon), value);
  }
  return fields;
}

std::string NmcliDhcpServer(const std::string& output) {
  for (const auto& line : Lines(output)) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || line.compare(0, 13, "DHCP4.OPTION[") != 0) continue;
    const std::string option = line.substr(colon + 1);
    const std::size_t equals = option.find('=');
    if (equals == std::string::npos) continue;
    if (Trim(option.substr(0, equals)) == "dhcp_server_identifier") return Trim(option.substr(equals + 1));
  }
  return {};
}

std::map<std::string, std::string> ParseNmVpnData(const std::string& text) {
  std::map<std::string, std::string> data;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = text.substr(start, comma - start);
    const std::size_t equals = item.find('=');
    if (equals != std::string::npos) data.emplace(Trim(item.substr(0, equals)), Trim(item.substr(equals + 1)));
    start = comma + 1;
  }
  return data;
}

std::vector<NmConnectionRow> ParseNmcliConnections(const std::string& output) {
  std::vector<NmConnectionRow> rows;
  for (const std::string& line : Lines(output)) {
    const std::vector<std::string> f = SplitNmcliTerseLine(line);
    if (f.size() < 3 || f[0].empty()) continue;
    rows.push_back(NmConnectionRow{f[0], f[1], f[2]});
  }
  return rows;
}

}  // namespace kelvane
