#include "netns/NetnsFixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "BuiltProgram.h"
#include "net/Wait.h"

namespace kelvane::testbed {

std::string ReadText(const std::string& path) {
  std::string text;
  ReadFile(path, text);
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += "  " + l + "\n";
  return out;
}

std::vector<std::string> RouterRequests(const std::string& log) {
  std::vector<std::string> out;
  for (const std::string& line : Lines(log)) {
    if (line.rfind("GET ", 0) != 0 && line.rfind("POST ", 0) != 0) continue;
    out.push_back(line.substr(0, line.rfind(" HTTP/")));
  }
  return out;
}

std::map<std::string, std::string> ParseReport(const std::string& text) {
  std::map<std::string, std::string> values;
  for (const std::string& line : Lines(text))
    if (const std::size_t eq = line.find('='); eq != std::string::npos)
      values.emplace(line.substr(0, eq), line.substr(eq + 1));
  return values;
}

std::string Dotted(std::uint32_t address) {
  in_addr a{};
  a.s_addr = address;
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &a, text, sizeof text);
  return text;
}

bool InRange(const std::string& address, const std::string& network, int first, int last) {
  if (address.rfind(network, 0) != 0) return false;
  const int host = std::atoi(address.c_str() + network.size());
  return host >= first && host <= last;
}

RoleReport RunReporting(const NetnsBed& bed, Role role, const std::function<int(std::ostream& report)>& body,
                        int timeoutMs) {
  RoleReport report;
  report.code = bed.RunInRole(
      role,
      [&](std::string& out) {
        std::ostringstream r;
        const int code = body(r);
        out = r.str();
        return code;
      },
      report.text, timeoutMs);
  report.values = ParseReport(report.text);
  return report;
}

LinuxHostOptions BedHostOptions(const NetnsBed& bed) {
  LinuxHostOptions options;
  options.nmcli.clear();
  options.dhcpStateDir = bed.TempDir() + "/dhcp";
  options.resolvConf = "/etc/resolv.conf";  // the pc role's own, bound by the bed
  options.nmConnectionsDir.clear();
  options.pppPeersDir.clear();
  return options;
}

std::string WhyNoBed(const NetnsBedOptions& options, const std::vector<std::string>& programs) {
  std::string why;
  if (!NetnsBed::CanRun(why, options)) return why;
  for (const std::string& program : programs)
    if (testing::BuiltProgram(program).empty()) return program + " is not built (KELVANE_BIN_DIR)";
  return {};
}

bool StartEmulatorIn(NetnsBed& bed, const std::vector<std::string>& argv, const std::string& log, pid_t& pid,
                     std::string& error) {
  pid = bed.Spawn(Role::kRouter, argv, log);
  if (pid <= 0) {
    error = "cannot start the emulated router";
    return false;
  }
  // Ready when its web server accepts a connection (a router that asks for
  // Basic credentials answers a page only with them).
  std::string report;
  const int ready = bed.RunInRole(
      Role::kRouter,
      [](std::string&) {
        return WaitUntil(10000, [] {
                 const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
                 sockaddr_in a{};
                 a.sin_family = AF_INET;
                 a.sin_port = htons(80);
                 inet_pton(AF_INET, kRouterLanAddress, &a.sin_addr);
                 const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
                 close(fd);
                 return ok;
               })
                   ? 0
                   : 1;
      },
      report);
  if (ready != 0) error = "the emulated router did not come up: " + ReadText(log);
  return ready == 0;
}

std::string TearDownBed(NetnsBed& bed, const std::vector<pid_t>& managersBefore) {
  std::vector<pid_t> started;
  for (Role role : {Role::kPc, Role::kRouter, Role::kIsp})
    for (pid_t pid : bed.PidsIn(role)) started.push_back(pid);
  bed.Down();
  std::string left = bed.MachineChanges();
  // A killed process leaves its namespace before it has finished ending (a
  // packet socket's release can wait on the kernel for a while on a loaded
  // machine), so give the ending time before calling anything still running.
  WaitFor([&] { return StillRunning(started).empty(); }, 10000);
  if (const std::string running = StillRunning(started); !running.empty())
    left += "processes of the bed still run:\n" + running;
  for (pid_t pid : NetworkManagersOutsideBeds())
    if (std::find(managersBefore.begin(), managersBefore.end(), pid) == managersBefore.end())
      left += "a NetworkManager runs in the machine's own namespace: " + std::to_string(pid) + "\n";
  return left;
}

}  // namespace kelvane::testbed
