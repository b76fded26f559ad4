#include "app/KelvaneApp.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <csignal>
#include <cstdio>
#include <memory>

#include "app/InstanceLock.h"
#include "app/QtTranslations.h"
#include "app/RuntimeFolder.h"
#include "app/SingleInstance.h"
#include "language/LanguageModule.h"
#include "language/LanguageTable.h"
#include "language/StringIds.h"
#include "wizard/CDlgMessage.h"
#include "app/CPshMain.h"
#include "wizard/MessageBox.h"
#include "wizard/Resources.h"
#include "state/SystemInfo.h"
#include "state/WizardState.h"

namespace kelvane {

const QString KelvaneApp::kSocketErrorText = QStringLiteral(
    "The network sockets of this computer cannot be used.\n\nPlease contact your supplier for help.");
const QString KelvaneApp::kCompanionWarningCaption = QStringLiteral("Warning");
const QString KelvaneApp::kCompanionWarningText =
    QStringLiteral("Another wireless setup program is running (it holds %s).\n\nPlease close it before the setup.");
const QString KelvaneApp::kModuleMissingText =
    QStringLiteral("The language file %s is missing or cannot be loaded.\n\nPlease re-install this utility.");
const QString KelvaneApp::kErrorCaption = QStringLiteral("Error");

namespace {

// A start-up text in the start-up language. These messages come before (or
// instead of) the sheet's module, so the module of that language is opened
// just to read them, then English's; the English words held here are the
// last resort when no module can be read at all.
QString StartupText(StringId id, const QString& english) {
  WizardState& state = WizardState::Instance();
  std::u16string text;
  if (state.languageModule != nullptr && LoadText(state, id, text) && !text.empty()) {
    return QString::fromStdU16String(text);
  }
  const std::uint32_t chosen = state.languageId;
  const bool restart = state.restartWizard;
  QString found;
  for (std::uint32_t language : {chosen, std::uint32_t{1033}}) {
    if (state.languageModule != nullptr) break;
    state.languageId = language;
    if (LoadLanguageModule(state) == nullptr) continue;
    if (LoadText(state, id, text) && !text.empty()) found = QString::fromStdU16String(text);
    UnloadLanguageModule(state);
    if (!found.isEmpty()) break;
  }
  state.languageId = chosen;
  state.restartWizard = restart;
  return found.isEmpty() ? english : found;
}

// Shown and written to standard error, so a start from a terminal or a
// desktop log says why the wizard did not come up.
void StartupMessage(const QString& caption, const QString& text) {
  std::fprintf(stderr, "kelvane: %s\n", qPrintable(QString(text).replace(QStringLiteral("\n\n"), QStringLiteral(" "))));
  ShowMessage(caption, text, kMbIconStop);
}

}  // namespace

bool KelvaneApp::StartSockets() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  return sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

int KelvaneApp::Run() {
  WizardState& state = WizardState::Instance();

  // The language is chosen first, so that even the start-up messages speak it.
  ChooseStartupLanguage(state);
  if (!StartSockets()) {
    StartupMessage(StartupText(kIdStartErrorCaption, kErrorCaption), StartupText(kIdStartSocketsFailed, kSocketErrorText));
    return kExitFailed;
  }
  CollectSystemInfo();

  std::string folder;
  if (!FindRuntimeFolder(folder)) {
    std::fprintf(stderr, "kelvane: no private runtime folder; running without the single-instance guard\n");
  }
  SingleInstance instance(folder);
  QObject::connect(&instance, &SingleInstance::broughtForward, [this] { ++broughtForward_; });
  switch (instance.Claim()) {
    case SingleInstance::Outcome::kAlreadyRunning:
      // The running wizard has been asked to come forward; leave quietly.
      return kExitOk;
    case SingleInstance::Outcome::kNoLock:
      if (!folder.empty()) {
        std::fprintf(stderr, "kelvane: cannot make the lock file in %s; running without the single-instance guard\n",
                     folder.c_str());
      }
      break;
    case SingleInstance::Outcome::kFirst:
      break;
  }

  InstanceLock companion;
  if (!folder.empty()) {
    const std::string companionPath =
        QDir(QString::fromStdString(folder)).filePath(CompanionLockName()).toStdString();
    if (companion.Acquire(companionPath) == InstanceLock::Result::kHeldElsewhere) {
      StartupMessage(StartupText(kIdStartWarningCaption, kCompanionWarningCaption),
                     StartupText(kIdStartCompanionRunning, kCompanionWarningText).replace(QStringLiteral("%s"), QString::fromStdString(companionPath)));
      return kExitFailed;
    }
  }

  // Owned here for the life of all sheets, like the header bitmap the sheet
  // was designed around.
  const QPixmap headerBitmap = LoadBitmapResource(kBitmapHeader);

  ResetRouterDefaults(state);
  // The program ends when its sheet does, never because its last visible
  // window closed: the main window is hidden while the router sheet runs.
  QGuiApplication::setQuitOnLastWindowClosed(false);

  int exitCode = kExitOk;
  do {
    if (LoadLanguageModule(state) == nullptr) {
      const QString file = QString::fromStdString(LanguageModulePath(state.languageId));
      StartupMessage(StartupText(kIdStartErrorCaption, kErrorCaption),
                     StartupText(kIdStartModuleMissing, kModuleMissingText).replace(QStringLiteral("%s"), file));
      exitCode = kExitFailed;
      break;
    }
    const QtTranslations qtTexts(state.languageId);
    auto sheet = std::make_unique<CPshMain>(headerBitmap);
    ++sheetsBuilt_;
    instance.SetWindow(sheet.get());
    if (sheetHook_) sheetHook_(*sheet);
    sheet->DoModal();
    UnloadLanguageModule(state);
    instance.SetWindow(nullptr);
    sheet.reset();
  } while (state.restartWizard);

  return exitCode;
}

}  // namespace kelvane
