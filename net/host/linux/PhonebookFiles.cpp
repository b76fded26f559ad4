#include "net/host/linux/PhonebookFiles.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>

#include "net/host/HostNetwork.h"
#include "net/host/linux/HostConfigFiles.h"
#include "net/host/linux/NmcliOutput.h"

namespace kelvane {
namespace {

constexpr const char* kPptpService = "org.freedesktop.NetworkManager.pptp";
constexpr const char* kL2tpService = "org.freedesktop.NetworkManager.l2tp";

std::string Trim(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return {};
  const auto end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

// "10.0.0.2/32" or "10.0.0.2/32,10.0.0.1" (keyfile) or "10.0.0.2/32, ..." (nmcli).
void TakeClientAddress(const std::string& text, DialEntry& entry) {
  std::string address = text.substr(0, text.find_first_of("/, "));
  std::uint32_t parsed = 0;
  if (ParseDottedIpv4(Trim(address), parsed)) std::memcpy(entry.clientAddress, &parsed, 4);
}

// Maps a profile type and VPN service onto the entry's device type.
bool ClassifyProfile(const std::string& type, const std::string& service, DialEntry& entry) {
  if (type == "pppoe") {
    entry.deviceType = "PPPoE";
    return true;
  }
  if (type == "vpn") {
    if (service == kPptpService) {
      entry.deviceType = "VPN";
      entry.vpnStrategy = kVpnPptpOnly;
    } else if (service == kL2tpService) {
      entry.deviceType = "VPN";
      entry.vpnStrategy = kVpnL2tpOnly;
    } else {
      entry.deviceType = "vpn:" + service;
    }
    return true;
  }
  if (type == "gsm" || type == "cdma" || type == "adsl" || type == "bluetooth" || type == "serial") {
    entry.deviceType = type;
    return true;
  }
  return false;
}

// Splits a pppd option line into words, honouring double quotes.
std::vector<std::string> PppWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (!quoted && c == '#') break;
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
      any = true;
    } else if (!quoted && (c == ' ' || c == '\t' || c == '\r')) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

std::vector<std::string> SortedFiles(const std::string& dir, bool& listed) {
  std::vector<std::string> names;
  listed = false;
  if (dir.empty()) return names;
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return names;
  listed = true;
  while (dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name.empty() || name[0] == '.' || name.back() == '~') continue;
    struct stat st {};
    if (stat((dir + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    names.push_back(name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

bool ParseNmKeyfile(const std::string& text, DialEntry& entry) {
  entry = DialEntry{};
  std::map<std::string, std::string> values;  // "section.key" -> value, no secrets
  std::istringstream in(text);
  std::string line, section;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, equals));
    // Secrets are skipped here and never stored anywhere.
    if (section == "vpn-secrets" || key.find("password") != std::string::npos ||
        key.find("secret") != std::string::npos || key.find("psk") != std::string::npos)
      continue;
    values.emplace(section + "." + key, Trim(line.substr(equals + 1)));
  }
  const auto get = [&](const std::string& k) {
    const auto it = values.find(k);
    return it == values.end() ? std::string() : it->second;
  };
  entry.name = get("connection.id");
  if (!ClassifyProfile(get("connection.type"), get("vpn.service-type"), entry)) return false;
  if (entry.deviceType == "PPPoE") {
    entry.localPhoneNumber = get("pppoe.service");
    entry.userName = get("pppoe.username");
  } else if (entry.deviceType == "VPN") {
    entry.localPhoneNumber = get("vpn.gateway");
    entry.userName = get("vpn.user");
    std::string address = get("ipv4.address1");
    if (address.empty()) address = get("ipv4.addresses1");
    if (!address.empty()) TakeClientAddress(address, entry);
  }
  return true;
}

bool ParsePppPeerFile(const std::string& name, const std::string& text, DialEntry& entry) {
  entry = DialEntry{};
  entry.name = name;
  bool pppoe = false, pptp = false, l2tp = false;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const std::vector<std::string> w = PppWords(line);
    if (w.empty()) continue;
    const std::string& option = w[0];
    if (option == "plugin" && w.size() > 1) {
      const std::string plugin = w[1].substr(w[1].rfind('/') == std::string::npos ? 0 : w[1].rfind('/') + 1);
      if (plugin == "rp-pppoe.so" || plugin == "pppoe.so") pppoe = true;
      if (plugin == "pppol2tp.so") l2tp = true;
    } else if (option == "user" && w.size() > 1) {
      entry.userName = w[1];
    } else if ((option == "rp_pppoe_service" || option == "pppoe-service") && w.size() > 1) {
      entry.localPhoneNumber = w[1];
    } else if (option == "pty" && w.size() > 1) {
      // The pty command is one quoted word: "pptp SERVER --nolaunchpppd".
      const std::vector<std::string> command = PppWords(w[1]);
      if (!command.empty() && command[0].size() >= 4 &&
          command[0].compare(command[0].size() - 4, 4, "pptp") == 0) {
        pptp = true;
        if (command.size() > 1) entry.localPhoneNumber = command[1];
      }
    } else if (option.find(':') != std::string::npos && option.find('/') == std::string::npos) {
      // "local:remote" addresses; a fixed local address is the client address.
      TakeClientAddress(option.substr(0, option.find(':')), entry);
    }
  }
  if (pppoe) {
    entry.deviceType = "PPPoE";
  } else if (pptp || l2tp) {
    entry.deviceType = "VPN";
    entry.vpnStrategy = pptp ? kVpnPptpOnly : kVpnL2tpOnly;
    if (!pptp) entry.localPhoneNumber.clear();
  } else {
    return false;
  }
  return true;
}

bool ParseNmcliProfile(const std::string& output, DialEntry& entry) {
  entry = DialEntry{};
  const std::map<std::string, std::string> f = ParseNmcliFields(output);
  const auto get = [&](const std::string& k) {
    const auto it = f.find(k);
    return it == f.end() || it->second == "--" ? std::string() : it->second;
  };
  entry.name = get("connection.id");
  entry.source = "nmcli";
  if (!ClassifyProfile(get("connection.type"), get("vpn.service-type"), entry)) return false;
  if (entry.deviceType == "PPPoE") {
    entry.localPhoneNumber = get("pppoe.service");
    entry.userName = get("pppoe.username");
  } else if (entry.deviceType == "VPN") {
    const std::map<std::string, std::string> data = ParseNmVpnData(get("vpn.data"));
    if (auto it = data.find("gateway"); it != data.end()) entry.localPhoneNumber = it->second;
    if (auto it = data.find("user"); it != data.end()) entry.userName = it->second;
    const std::string addresses = get("ipv4.addresses");
    if (!addresses.empty()) TakeClientAddress(addresses, entry);
  }
  return true;
}

void ReadPhonebookFolders(const std::string& nmDir, const std::string& peersDir,
                          std::vector<DialEntry>& entries, bool& nmDirRead) {
  // The keyfile folder is usually listable by anyone while its files are
  // root's alone: one unreadable keyfile means the folder cannot be trusted
  // for the profiles, and NetworkManager is asked for all of them instead.
  std::vector<DialEntry> profiles;
  for (const std::string& name : SortedFiles(nmDir, nmDirRead)) {
    std::string text;
    DialEntry entry;
    const std::string path = nmDir + "/" + name;
    if (!ReadTextFile(path, text)) {
      nmDirRead = false;
      profiles.clear();
      break;
    }
    if (!ParseNmKeyfile(text, entry)) continue;
    if (entry.name.empty()) entry.name = name;
    entry.source = path;
    profiles.push_back(std::move(entry));
  }
  entries.insert(entries.end(), profiles.begin(), profiles.end());
  bool peersListed = false;
  for (const std::string& name : SortedFiles(peersDir, peersListed)) {
    std::string text;
    DialEntry entry;
    const std::string path = peersDir + "/" + name;
    if (!ReadTextFile(path, text) || !ParsePppPeerFile(name, text, entry)) continue;
    entry.source = path;
    entries.push_back(std::move(entry));
  }
}

}  // namespace kelvane
