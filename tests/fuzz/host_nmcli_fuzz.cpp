// NetworkManager's terse command-line output (nmcli -t) on fuzzed text: the
// escaping reads back exactly what was escaped, and every parser copes with
// anything (no crash, no field spanning lines).
//
// Input: a selector byte, then either raw output or (selectors 0 and 1) a
// list of fields separated by 0xFF bytes that the target escapes itself.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "net/host/DialEntry.h"
#include "net/host/linux/NmcliOutput.h"
#include "net/host/linux/PhonebookFiles.h"
#include "tests/fuzz/FuzzSupport.h"

using namespace kelvane;
using namespace kelvane::fuzz;

namespace {

std::string Escape(const std::string& field) {
  std::string out;
  for (char c : field) {
    if (c == ':' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::vector<std::string> Fields(std::string_view input) {
  std::vector<std::string> fields;
  for (;;) {
    const std::size_t at = input.find('\xFF');
    fields.emplace_back(input.substr(0, at));
    if (at == std::string_view::npos) break;
    input.remove_prefix(at + 1);
  }
  return fields;
}

void NoLineBreak(const std::string& text, const char* what) {
  FUZZ_CHECK(text.find('\n') == std::string::npos, std::string(what) + " spans lines: " + Printable(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string text(body);
  switch (data[0] % 7) {
    case 0: {  // escaping and splitting are inverse
      const std::vector<std::string> fields = Fields(body);
      std::string line;
      for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? ":" : "") + Escape(fields[i]);
      FUZZ_CHECK(SplitNmcliTerseLine(line) == fields, "split(escape(fields)) for " + Printable(line));
      break;
    }
    case 1: {  // device blocks and profile methods read back as written
      const std::vector<std::string> fields = Fields(body);
      std::string details, methods;
      std::vector<NmDevice> expected;
      std::map<std::string, std::string> expectedMethods;
      for (std::size_t i = 0; i + 2 < fields.size(); i += 3) {
        bool clean = !fields[i].empty();
        for (std::size_t k = i; k < i + 3; ++k) clean = clean && fields[k].find_first_of("\r\n") == std::string::npos;
        if (!clean) continue;
        details += "GENERAL.DEVICE:" + Escape(fields[i]) + "\nGENERAL.STATE:100 (connected)\nGENERAL.CON-UUID:" +
                   Escape(fields[i + 1]) + "\n\n";
        NmDevice row;
        row.device = fields[i];
        row.state = "connected";
        row.connection = fields[i + 1] == "--" ? "" : fields[i + 1];
        expected.push_back(row);
        methods += "connection.uuid:" + Escape(fields[i + 1]) + "\nipv4.method:" + Escape(fields[i + 2]) + "\n";
        if (!fields[i + 1].empty()) expectedMethods.emplace(fields[i + 1], fields[i + 2]);
      }
      const std::vector<NmDevice> devices = ParseNmcliDeviceDetails(details);
      FUZZ_CHECK(devices.size() == expected.size(), "device count for " + Printable(details));
      for (std::size_t i = 0; i < devices.size(); ++i)
        FUZZ_CHECK(devices[i].device == expected[i].device && devices[i].state == expected[i].state &&
                       devices[i].connection == expected[i].connection && devices[i].dhcpServer.empty(),
                   "device block " + std::to_string(i) + " of " + Printable(details));
      FUZZ_CHECK(ParseNmcliMethods(methods) == expectedMethods, "methods of " + Printable(methods));
      break;
    }
    case 2:
      for (const NmDevice& d : ParseNmcliDeviceDetails(text)) {
        FUZZ_CHECK(!d.device.empty(), "device without a name");
        NoLineBreak(d.device + d.type + d.state + d.connection + d.dhcpServer, "device block");
      }
      for (const auto& [uuid, method] : ParseNmcliMethods(text)) NoLineBreak(uuid + method, "method");
      break;
    case 3:
      for (const auto& [name, value] : ParseNmcliFields(text)) {
        FUZZ_CHECK(!name.empty(), "empty field name");
        NoLineBreak(name + value, "field");
      }
      break;
    case 4:
      NoLineBreak(NmcliDhcpServer(text), "DHCP server");
      for (const auto& [key, value] : ParseNmVpnData(text))
        FUZZ_CHECK(key.find(',') == std::string::npos && value.find(',') == std::string::npos, "vpn.data item");
      break;
    case 5:
      for (const NmConnectionRow& row : ParseNmcliConnections(text)) {
        FUZZ_CHECK(!row.name.empty(), "profile without a name");
        NoLineBreak(row.name + row.uuid + row.type, "profile row");
      }
      break;
    case 6: {
      DialEntry entry;
      if (ParseNmcliProfile(text, entry)) {
        FUZZ_CHECK(!entry.deviceType.empty(), "dial-up entry without a device type");
        NoLineBreak(entry.name + entry.userName + entry.localPhoneNumber, "profile entry");
      }
      break;
    }
  }
  return 0;
}
