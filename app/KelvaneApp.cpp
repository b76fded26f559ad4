#include "app/KelvaneApp.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <csignal>
#include <cstdio>
#include <memory>

#include "app/InstanceLock.h"
#include "app/RuntimeFolder.h"
#include "app/SingleInstance.h"
#include "language/LanguageModule.h"
#include "language/LanguageTable.h"
#include "wizard/CDlgMessage.h"
#include "app/CPshMain.h"
#include "wizard/MessageBox.h"
#include "wizard/Resources.h"
#include "state/SystemInfo.h"
#include "state/WizardState.h"

namespace kelvane {

const QString KelvaneApp::kSocketErrorText = QStringLiteral(
    "Windows socket service is not working.\n\nPlease contact your supplier for help.");
const QString KelvaneApp::kCompanionWarningCaption = QStringLiteral("Warning...");
const QString KelvaneApp::kCompanionWarningText =
    QStringLiteral("Please terminate ??? wireless application befer the setup!");
const QString KelvaneApp::kModuleMissingText =
    QStringLiteral("File missing to load up.\n\nPlease re-install this utility.");
const QString KelvaneApp::kErrorCaption = QStringLiteral("Error");

bool KelvaneApp::StartSockets() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  return sigaction(SIGPIPE, &ignore, nullptr) == 0;
}

int KelvaneApp::Run() {
  WizardState& state = WizardState::Instance();

  if (!StartSockets()) {
    ShowMessage(kErrorCaption, kSocketErrorText, kMbIconStop);
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
      ShowMessage(kCompanionWarningCaption, kCompanionWarningText, kMbIconStop);
      return kExitFailed;
    }
  }

  // Owned here for the life of all sheets, like the header bitmap the sheet
  // was designed around.
  const QPixmap headerBitmap = LoadBitmapResource(kBitmapHeader);

  ResetRouterDefaults(state);
  ChooseStartupLanguage(state);
  // The program ends when its sheet does, never because its last visible
  // window closed: the main window is hidden while the router sheet runs.
  QGuiApplication::setQuitOnLastWindowClosed(false);

  int exitCode = kExitOk;
  do {
    if (LoadLanguageModule(state) == nullptr) {
      ShowMessage(kErrorCaption, kModuleMissingText, kMbIconStop);
      exitCode = kExitFailed;
      break;
    }
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
