// kelvane-cli's router commands, run in-process against a loopback peer that
// answers with fuzzed pages: whatever the router sends, what the CLI prints
// (standard output, error stream, and the --verbose traffic log) holds no
// control character but the line break, no C1 control and no byte that is not
// UTF-8, so a router cannot move the cursor or rewrite the screen; the
// password given never appears, in clear or as Basic credentials; and the
// exit status is one of the three documented ones.
//
// Input: a command byte, a flag byte (bit 0 --verbose, bit 1 --no-login,
// bit 2 the answers are raw, status line and all; otherwise each is a page
// behind "HTTP/1.0 200 OK"), then up to four answers separated by
// "\n=====\n", for the requests in order. The last part also serves as the
// value of set-domain.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "net/HttpClient.h"
#include "state/WizardState.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/cli/CommandTable.h"

using namespace kelvane;
using namespace kelvane::fuzz;

namespace {

constexpr char kPassword[] = "Zq9SecretP";

const std::vector<std::vector<std::string>> kCommands = {
    {"read", "wireless"},        {"read", "sysinfo"},       {"read", "wan-link"},
    {"read", "wan-detect"},      {"read", "wan-addr"},      {"read", "wan-settings"},
    {"read", "domain"},          {"read", "wan-options", "pppoe"}, {"read", "wan-options", "pptp"},
    {"probe-login"},             {"login"},                 {"set-domain"},
    {"refresh-wan"},             {"reboot"},
};

// Valid UTF-8 without C0 controls (line breaks aside), DEL or C1 controls.
void CheckShown(const std::string& text, const char* stream) {
  for (std::size_t i = 0; i < text.size();) {
    const auto u = static_cast<unsigned char>(text[i]);
    const std::string where = std::string(stream) + " at byte " + std::to_string(i) + ": " +
                              Printable(text.substr(i >= 40 ? i - 40 : 0, 120));
    if (u < 0x80) {
      FUZZ_CHECK(u == '\n' || (u >= 0x20 && u != 0x7F), "control character on the " + where);
      ++i;
      continue;
    }
    std::size_t length = u >= 0xF0 && u <= 0xF4 ? 4 : u >= 0xE0 ? 3 : u >= 0xC2 && u <= 0xDF ? 2 : 0;
    FUZZ_CHECK(length != 0 && i + length <= text.size(), "byte that is not UTF-8 on the " + where);
    for (std::size_t k = 1; k < length; ++k)
      FUZZ_CHECK((static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80, "broken UTF-8 sequence on the " + where);
    FUZZ_CHECK(!(u == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F), "C1 control on the " + where);
    i += length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static LoopbackHttpPeer peer;
  static cli::CommandTable table = [] {
    cli::CommandTable t;
    cli::RegisterRouterCommands(t);  // the PC's own network commands stay out
    return t;
  }();
  if (size < 2) return 0;
  const std::vector<std::string>& command = kCommands[data[0] % kCommands.size()];
  const unsigned flags = data[1];
  std::vector<std::string> answers = SplitParts(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2), 4);
  const std::string lastPart = answers.back();
  for (std::string& a : answers) {
    a = WithPort(a, peer.Port());
    if ((flags & 4) == 0) a = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + a;
  }
  peer.SetAnswers(answers);

  std::vector<std::string> args = {"--router", "127.0.0.1:" + std::to_string(peer.Port()), "--user", "admin",
                                   "--password", kPassword};
  if (flags & 1) args.push_back("--verbose");
  if (flags & 2) args.push_back("--no-login");
  args.insert(args.end(), command.begin(), command.end());
  if (command[0] == "set-domain") args.push_back(lastPart.substr(0, 64));

  WizardState state;
  std::ostringstream out, err;
  const int status = cli::RunCli(args, table, state, out, err);
  FUZZ_CHECK(status == cli::kExitOk || status == cli::kExitFailed || status == cli::kExitUsage, "exit status " + std::to_string(status));
  const std::string basic = Base64Encode(std::string("admin:") + kPassword);
  for (const auto& [text, stream] : {std::pair{out.str(), "output"}, std::pair{err.str(), "error stream"}}) {
    CheckShown(text, stream);
    FUZZ_CHECK(text.find(kPassword) == std::string::npos && text.find(basic) == std::string::npos,
               std::string("the password on the ") + stream + ": " + Printable(text));
  }
  return 0;
}
