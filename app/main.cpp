// kelvane: the LMQ-5812 Easy Setup wizard.
#include <QApplication>
#include <QStringList>

#include <clocale>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/KelvaneApp.h"
#include "app/StartupOptions.h"
#include "language/LanguageModule.h"
#include "language/LanguageTable.h"
#include "net/TrafficLog.h"
#include "net/host/linux/Netprobe.h"
#include "wizard/PumpWait.h"
#include "wizard/Resources.h"

#ifndef KELVANE_VERSION
#define KELVANE_VERSION "2.5.0.0"
#endif

namespace {

// --check-languages: loads the module of each of the fourteen languages from
// the folder the wizard itself would use, with the same loader, and prints one
// line per module. Answers 0 when every module loaded, 1 otherwise; a
// packaged install is checked with it.
int CheckLanguageModules() {
  using namespace kelvane;
  WizardState& state = WizardState::Instance();
  int failed = 0;
  for (int row = 0; row < kLanguageCount; ++row) {
    state.languageId = LanguageAtIndex(row);
    const std::string path = LanguageModulePath(state.languageId);
    const bool loaded = LoadLanguageModule(state) != nullptr;
    UnloadLanguageModule(state);
    if (!loaded) ++failed;
    std::printf("%-12s %-6s %s\n", LanguageModuleName(state.languageId), loaded ? "ok" : "FAILED",
                path.empty() ? "(program folder unknown)" : path.c_str());
  }
  std::printf("%d of %d language modules loaded\n", kLanguageCount - failed, kLanguageCount);
  return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kelvane;

  // Our own options first, so that --help and --version need no display.
  StartupOptions options;
  std::string error;
  if (!ParseStartupOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "kelvane: %s\nTry 'kelvane --help'.\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(StartupUsage().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("kelvane %s\n", KELVANE_VERSION);
    return 0;
  }
  if (options.checkLanguages) return CheckLanguageModules();
  ApplyInternetTargets(options);
  // The wizard holds no privilege: port 68 and ICMP go through the helper
  // unless it runs as root (or the kernel lets it ping).
  InstallNetprobeRoute();
  if (options.verbose) SetTrafficLog(&std::cerr);
  KeepSessionLog(2000);  // the request log of "Save report…"

  // The toolkit gets what is not ours and takes its own options out of it.
  std::vector<std::string> toolkitArgs = options.toolkitArgs;
  std::vector<char*> toolkitArgv;
  for (std::string& arg : toolkitArgs) toolkitArgv.push_back(arg.data());
  toolkitArgv.push_back(nullptr);
  int toolkitArgc = static_cast<int>(toolkitArgs.size());

  QApplication app(toolkitArgc, toolkitArgv.data());
  // The toolkit switched the C library to the user's locale. Text encoding
  // follows it (the locale's encoding is the wizard's 8-bit code page), but
  // numbers the core reads and writes (time scale, addresses, router fields)
  // keep the C form whatever the user's language.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("kelvane"));
  QApplication::setApplicationVersion(QStringLiteral(KELVANE_VERSION));
  // The desktop file name gives Wayland compositors our icon and menu entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("kelvane"));
  QApplication::setWindowIcon(LoadIconResource(kIconApplication));

  const QStringList leftover = QApplication::arguments().mid(1);
  if (!leftover.isEmpty()) {
    std::fprintf(stderr, "kelvane: unexpected argument %s\nTry 'kelvane --help'.\n",
                 leftover.first().toLocal8Bit().constData());
    return 2;
  }

  InstallGuiWaitHook();
  KelvaneApp kelvane;
  return kelvane.Run();
}
