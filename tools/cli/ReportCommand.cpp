// kelvane-cli report FILE: the diagnostic report the wizard's "Save report…"
// writes, from the command line: the PC, the router's reads and this run's
// request log, in the language of the locale, with no secret in it.
#include <fstream>
#include <ostream>
#include <string>

#include "language/LanguageModule.h"
#include "language/LanguageTable.h"
#include "language/ReportLabels.h"
#include "net/TrafficLog.h"
#include "net/host/HostNetwork.h"
#include "router/DiagnosticReport.h"
#include "state/SessionRecord.h"
#include "tools/cli/RouterCommands.h"

#ifndef KELVANE_VERSION
#define KELVANE_VERSION "2.5.0.0"
#endif

namespace kelvane::cli::router_commands {
namespace {

std::string Utf8(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::string Text(std::uint32_t id) {
  std::u16string text;
  return LoadText(id, text) ? Utf8(text) : "#" + std::to_string(id);
}

}  // namespace

int Report(CliContext& c, CommandArgs& args) {
  std::string path;
  if (!args.Positional(path)) return c.Usage("report: name the file to write");
  int status = kExitOk;
  if (!ArgsDone(c, args, status)) return status;
  KeepSessionLog(2000);
  c.state.languageId = SystemDefaultLanguage();
  bool texts = LoadLanguageModule(c.state) != nullptr;
#ifdef KELVANE_MODULE_DIR
  // Installed, the modules lie beside the wizard, not beside this program.
  if (!texts) {
    SetModuleFolder(KELVANE_MODULE_DIR);
    texts = LoadLanguageModule(c.state) != nullptr;
    SetModuleFolder("");
  }
#endif

  DiagnosticReportInput input;
  input.version = KELVANE_VERSION;
  input.language = std::string(LanguageModuleName(c.state.languageId)) + " (" + std::to_string(c.state.languageId) + ")";
  input.pcRead = ActiveHostNetwork().GetHostNetworkInfo(input.pc);
  // A router that cannot be reached is reported as not read.
  if (c.EnsureLoggedIn()) input.router = ReadRouterForReport(c.state);
  input.session = SessionRecord::Instance();
  input.requestLog = SessionLogLines();
  input.text = &Text;
  const std::string html = BuildDiagnosticReport(input, MakeReportLabels(&Text), c.state);
  KeepSessionLog(0);
  if (texts) UnloadLanguageModule(c.state);

  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << html;
  file.close();
  if (!file) return c.Fail("report: cannot write " + path);
  c.out << "report written: " << path << "\n";
  return kExitOk;
}

}  // namespace kelvane::cli::router_commands
