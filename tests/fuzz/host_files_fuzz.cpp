// The readers of the PC's configuration files on fuzzed text: resolv.conf,
// the DHCP client's lease file, NetworkManager keyfiles and pppd peer files.
// A server they hand on is a clean dotted address taken from the text, and a
// dial-up entry never carries a secret of the file.
//
// Input: a selector byte, then the file's text.
#include <arpa/inet.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/host/DialEntry.h"
#include "net/host/linux/HostConfigFiles.h"
#include "net/host/linux/PhonebookFiles.h"
#include "router/Fields.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace kelvane;
using namespace kelvane::fuzz;

namespace {

constexpr char kSecretMark[] = "Zq9Secret";

// A server text as the callers use it: its C string is a dotted address and
// there is nothing after it.
void CheckServer(const std::string& server, const std::string& text, const char* what) {
  in_addr parsed{};
  FUZZ_CHECK(server.find('\0') == std::string::npos, std::string(what) + " keeps bytes after a NUL: " + Printable(server));
  FUZZ_CHECK(inet_pton(AF_INET, server.c_str(), &parsed) == 1 && IsIpAddress(server),
             std::string(what) + " is no dotted address: " + Printable(server));
  FUZZ_CHECK(text.find(server) != std::string::npos, std::string(what) + " not from the text");
}

void CheckEntry(const DialEntry& entry, const std::string& fuzzed) {
  FUZZ_CHECK(entry.deviceType == "PPPoE" || entry.deviceType == "VPN" || !entry.deviceType.empty(),
             "dial-up entry without a device type");
  if (fuzzed.find(kSecretMark) != std::string::npos) return;
  for (const std::string* field : {&entry.name, &entry.userName, &entry.localPhoneNumber, &entry.deviceType})
    FUZZ_CHECK(field->find(kSecretMark) == std::string::npos, "a secret reached the entry: " + Printable(*field));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 4) {
    case 0: {
      const std::vector<std::string> servers = ParseResolvConfNameservers(text);
      for (const std::string& s : servers) CheckServer(s, text, "nameserver");
      if (IsResolvedStubOnly(servers))
        for (const std::string& s : servers) FUZZ_CHECK(s == "127.0.0.53" || s == "127.0.0.54", "stub");
      break;
    }
    case 1: {
      const std::string server = ParseDhclientLeaseServer(text);
      if (!server.empty()) CheckServer(server, text, "lease server");
      break;
    }
    case 2: {
      // Secrets in every place a keyfile keeps them, before and after the fuzzed text.
      const std::string secrets = std::string("[pppoe]\npassword=") + kSecretMark + "A\n[vpn-secrets]\nuser=" +
                                  kSecretMark + "B\n[wifi-security]\npsk=" + kSecretMark + "C\n";
      DialEntry entry;
      if (ParseNmKeyfile(secrets + text, entry)) CheckEntry(entry, text);
      if (ParseNmKeyfile(text + "\n" + secrets, entry)) CheckEntry(entry, text);
      break;
    }
    case 3: {
      DialEntry entry;
      if (ParsePppPeerFile("peer", text, entry)) {
        FUZZ_CHECK(entry.deviceType == "PPPoE" || entry.deviceType == "VPN", "peer device type " + entry.deviceType);
        if (entry.deviceType == "VPN" && entry.vpnStrategy == kVpnL2tpOnly)
          FUZZ_CHECK(entry.localPhoneNumber.empty(), "L2TP peer with a server name");
        CheckEntry(entry, text);
      }
      break;
    }
  }
  return 0;
}
