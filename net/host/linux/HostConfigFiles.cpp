#include "net/host/linux/HostConfigFiles.h"

#include <fstream>
#include <sstream>

#include "net/host/HostNetwork.h"

namespace kelvane {

bool ReadTextFile(const std::string& path, std::string& text, std::size_t limit) {
  text.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  char buffer[4096];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > limit) {
      text.clear();
      return false;
    }
  }
  return !in.bad();
}

std::vector<std::string> ParseResolvConfNameservers(const std::string& text) {
  std::vector<std::string> servers;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t comment = line.find_first_of("#;");
    if (comment != std::string::npos) line.resize(comment);
    std::istringstream words(line);
    std::string keyword, value;
    if (!(words >> keyword) || keyword != "nameserver" || !(words >> value)) continue;
    if (IsDottedIpv4Text(value)) servers.push_back(value);
  }
  return servers;
}

bool IsResolvedStubOnly(const std::vector<std::string>& servers) {
  if (servers.empty()) return false;
  for (const std::string& s : servers)
    if (s != "127.0.0.53" && s != "127.0.0.54") return false;
  return true;
}

std::string ParseDhclientLeaseServer(const std::string& text) {
  std::string server;
  std::istringstream in(text);
  std::string line;
  const std::string key = "option dhcp-server-identifier";
  while (std::getline(in, line)) {
    const std::size_t at = line.find(key);
    if (at == std::string::npos) continue;
    std::string value = line.substr(at + key.size());
    const std::size_t semicolon = value.find(';');
    if (semicolon != std::string::npos) value.resize(semicolon);
    std::istringstream words(value);
    std::string word;
    if (words >> word && IsDottedIpv4Text(word)) server = word;  // later leases replace earlier ones
  }
  return server;
}

}  // namespace kelvane
