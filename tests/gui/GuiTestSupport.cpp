#include "GuiTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPixmap>

#include <string>

#include "language/LanguageModule.h"
#include "language/LanguageTable.h"
#include "app/CPshMain.h"
#include "state/WizardState.h"

namespace kelvane::test {

QString LanguageName(std::uint32_t languageId) {
  return QString::fromLatin1(LanguageModuleName(languageId));
}

bool LoadLanguage(std::uint32_t languageId, QString* why) {
  const QByteArray binDir = qgetenv("KELVANE_BIN_DIR");
  if (!binDir.isEmpty()) SetModuleFolder(binDir.toStdString());
  const std::string path = LanguageModulePath(languageId);
  if (path.empty() || !QFileInfo::exists(QString::fromStdString(path))) {
    if (why) *why = QStringLiteral("language module %1 is not built").arg(QString::fromStdString(path));
    return false;
  }
  WizardState& state = WizardState::Instance();
  state.languageId = languageId;
  if (LoadLanguageModule(state) == nullptr) {
    if (why) *why = QStringLiteral("language module %1 does not load").arg(QString::fromStdString(path));
    return false;
  }
  return true;
}

void UnloadLanguage() { UnloadLanguageModule(WizardState::Instance()); }

std::unique_ptr<CPshMain> ShowSheet(std::uint32_t languageId, QString* why) {
  UnloadLanguage();
  if (!LoadLanguage(languageId, why)) return nullptr;
  auto sheet = std::make_unique<CPshMain>();
  sheet->show();
  Spin(20);
  return sheet;
}

QString ScreenshotDir() { return QString::fromLocal8Bit(qgetenv("KELVANE_SCREENSHOT_DIR")); }

bool SaveScreenshot(QWidget* widget, const QString& name) {
  const QString dir = ScreenshotDir();
  if (dir.isEmpty() || widget == nullptr) return false;
  QDir().mkpath(dir);
  Spin(20);
  return widget->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")), "PNG");
}

void Spin(int ms) {
  QElapsedTimer timer;
  timer.start();
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  } while (timer.elapsed() < ms);
}

}  // namespace kelvane::test
