#include "wizard/OpenUrl.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <utility>

#include "wizard/PumpWait.h"

namespace kelvane {

namespace {
OpenUrlHook& Hook() {
  static OpenUrlHook hook;
  return hook;
}

// How long xdg-open has to say it found nothing to open the address with
// (it says so at once); real milliseconds, as it runs on its own clock.
constexpr int kOpenerAnswerMs = 3000;

// xdg-open answers at once when it finds no program for the address (status
// 3 or 4, its reason on standard error), but with a browser it may wait
// until that browser closes. A shell runs it apart from us, so the browser
// outlives the wizard, and writes its status to a file: a status other than 0
// is a failure; none within the bound, a browser that runs.
bool OpenWithXdgOpen(const QString& opener, const QString& url) {
  QTemporaryDir folder;
  if (!folder.isValid()) return QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
  const QString statusFile = folder.filePath(QStringLiteral("status"));
  QProcess shell;
  shell.setProgram(QStringLiteral("/bin/sh"));
  shell.setArguments({QStringLiteral("-c"), QStringLiteral("\"$0\" \"$1\"; status=$?; { echo \"$status\" >\"$2\"; } 2>/dev/null"),
                      opener, url, statusFile});
  shell.setStandardInputFile(QProcess::nullDevice());
  if (!shell.startDetached()) return false;
  QFile status(statusFile);
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < kOpenerAnswerMs) {
    if (status.open(QIODevice::ReadOnly)) {
      const QByteArray text = status.readAll().trimmed();
      status.close();
      if (!text.isEmpty()) return text == "0";
    }
    PumpWait(20);
  }
  return true;
}
}  // namespace

bool OpenUrl(const QString& url) {
  if (Hook()) return Hook()(url);
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (!opener.isEmpty()) return OpenWithXdgOpen(opener, url);
  // No xdg-open: Qt looks for a browser itself and says whether it found one.
  return QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

OpenUrlHook SetOpenUrlHook(OpenUrlHook hook) { return std::exchange(Hook(), std::move(hook)); }

}  // namespace kelvane
