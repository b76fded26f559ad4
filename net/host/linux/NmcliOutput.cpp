#include "net/host/linux/NmcliOutput.h"

#include <sstream>

#include "net/host/HostNetwork.h"

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

namespace {

// One "name:value" line: only the first unescaped colon separates the name;
// the value keeps the rest with its escapes undone.
bool SplitField(const std::string& line, std::string& name, std::string& value) {
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
  if (colon == std::string::npos || colon == 0) return false;
  name = line.substr(0, colon);
  value.clear();
  for (std::size_t i = colon + 1; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    value += line[i];
  }
  return true;
}

}  // namespace

std::vector<NmDevice> ParseNmcliDeviceDetails(const std::string& output) {
  std::vector<NmDevice> devices;
  std::string name, value;
  for (const std::string& line : Lines(output)) {
    if (!SplitField(line, name, value)) continue;
    if (name == "GENERAL.DEVICE") {
      if (!value.empty()) {
        devices.emplace_back();
        devices.back().device = value;
      }
      continue;
    }
    if (devices.empty()) continue;
    NmDevice& d = devices.back();
    if (name == "GENERAL.STATE") {
      // "100 (connected)": the text in brackets, as the device list shows it.
      const std::size_t open = value.find('(');
      const std::size_t close = value.rfind(')');
      d.state = open != std::string::npos && close != std::string::npos && close > open
                    ? value.substr(open + 1, close - open - 1)
                    : Trim(value);
    } else if (name == "GENERAL.CON-UUID") {
      d.connection = value == "--" ? std::string() : value;
    } else if (name.compare(0, 13, "DHCP4.OPTION[") == 0) {
      d.dhcpLease = true;
      if (d.dhcpServer.empty()) d.dhcpServer = NmcliDhcpServer(line);
    }
  }
  return devices;
}

std::map<std::string, std::string> ParseNmcliMethods(const std::string& output) {
  std::map<std::string, std::string> methods;
  std::string uuid, name, value;
  for (const std::string& line : Lines(output)) {
    if (!SplitField(line, name, value)) continue;
    if (name == "connection.uuid") uuid = value;
    else if (name == "ipv4.method" && !uuid.empty()) methods.emplace(uuid, value);
  }
  return methods;
}

std::map<std::string, std::string> ParseNmcliFields(const std::string& output) {
  std::map<std::string, std::string> fields;
  std::string name, value;
  for (const std::string& line : Lines(output))
    if (SplitField(line, name, value)) fields.emplace(name, value);
  return fields;
}

std::string NmcliDhcpServer(const std::string& output) {
  for (const auto& line : Lines(output)) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || line.compare(0, 13, "DHCP4.OPTION[") != 0) continue;
    const std::string option = line.substr(colon + 1);
    const std::size_t equals = option.find('=');
    if (equals == std::string::npos) continue;
    if (Trim(option.substr(0, equals)) != "dhcp_server_identifier") continue;
    const std::string server = Trim(option.substr(equals + 1));
    return IsDottedIpv4Text(server) ? server : std::string();
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
