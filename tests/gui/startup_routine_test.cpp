// The start-up routine run inside the test process: the companion-utility
// lock, a missing language module, the rebuild of the sheet after language
// changes, and a second start of the real program bringing this one forward.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "app/InstanceLock.h"
#include "app/KelvaneApp.h"
#include "language/LanguageModule.h"
#include "language/LanguageTable.h"
#include "pages/CPspWelcome.h"
#include "wizard/CDlgMessage.h"
#include "app/CPshMain.h"
#include "wizard/CStaticText.h"
#include "state/WizardState.h"

namespace kelvane {
namespace {

// What a message box said before the test closed it.
struct SeenMessage {
  QString caption;
  QString text;
  int iconId = 0;
};

// Watches for message boxes while the routine runs: records each one and
// answers it with its first button (the "OK" of the start-up messages).
class MessageWatcher {
 public:
  MessageWatcher() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<CDlgMessage*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isVisible()) return;
      SeenMessage seen;
      seen.caption = box->windowTitle();
      if (auto* text = qobject_cast<QLabel*>(box->Control(805))) seen.text = text->text();
      seen.iconId = box->Style().iconId;
      messages.push_back(seen);
      if (auto* ok = qobject_cast<QPushButton*>(box->Control(802))) ok->click();
    });
    timer_.start();
  }
  std::vector<SeenMessage> messages;

 private:
  QTimer timer_;
};

// Each test gets its own runtime folder (locks and socket) and starts from
// English with the modules of the build tree.
class StartupRoutine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime_.isValid());
    savedRuntime_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    qputenv("LANG", "en_US.UTF-8");
    SetModuleFolder(std::string());
    std::string folder;
    ASSERT_TRUE(ExecutableFolder(folder));
    if (!QFile::exists(QString::fromStdString(LanguageModulePath(1033)))) {
      GTEST_SKIP() << "language modules are not built next to the test program";
    }
  }
  void TearDown() override {
    if (savedRuntime_.isEmpty()) {
      qunsetenv("XDG_RUNTIME_DIR");
    } else {
      qputenv("XDG_RUNTIME_DIR", savedRuntime_);
    }
    SetModuleFolder(std::string());
    UnloadLanguageModule();
  }

  QTemporaryDir runtime_;
  QByteArray savedRuntime_;
};

TEST_F(StartupRoutine, CompanionLockHeldWarnsAndLoadsNoModule) {
  // Another process's hold looks the same to flock as a second open file here.
  InstanceLock companion;
  ASSERT_EQ(companion.Acquire(QDir(runtime_.path()).filePath(KelvaneApp::CompanionLockName()).toStdString()),
            InstanceLock::Result::kAcquired);
  WizardState::Instance().languageModule = nullptr;

  MessageWatcher watcher;
  KelvaneApp app;
  EXPECT_EQ(app.Run(), KelvaneApp::kExitFailed);
  ASSERT_EQ(watcher.messages.size(), 1u);
  // From the catalogue of the start-up language, naming the lock that is held.
  const QString lock = QDir(runtime_.path()).filePath(KelvaneApp::CompanionLockName());
  EXPECT_EQ(watcher.messages[0].caption, QStringLiteral("Warning"));
  EXPECT_TRUE(watcher.messages[0].text.startsWith(QStringLiteral("Another wireless setup program is running")))
      << watcher.messages[0].text.toStdString();
  EXPECT_TRUE(watcher.messages[0].text.contains(lock));
  EXPECT_FALSE(watcher.messages[0].text.contains(QStringLiteral("???")));
  EXPECT_FALSE(lock.contains(QStringLiteral("???")));
  EXPECT_EQ(watcher.messages[0].iconId, 812);  // stop icon
  EXPECT_EQ(app.SheetsBuilt(), 0);
  EXPECT_EQ(WizardState::Instance().languageModule, nullptr);
}

TEST_F(StartupRoutine, CompanionLockFreeLetsTheWizardRunAndHoldsIt) {
  KelvaneApp app;
  bool companionHeldDuringRun = false;
  app.SetSheetHook([&](CPshMain& sheet) {
    QTimer::singleShot(0, &sheet, [&] {
      InstanceLock probe;
      companionHeldDuringRun =
          probe.Acquire(QDir(runtime_.path()).filePath(KelvaneApp::CompanionLockName()).toStdString()) ==
          InstanceLock::Result::kHeldElsewhere;
      sheet.EndSheet(0);
    });
  });
  EXPECT_EQ(app.Run(), KelvaneApp::kExitOk);
  EXPECT_EQ(app.SheetsBuilt(), 1);
  EXPECT_TRUE(companionHeldDuringRun);
  // Both locks are free again once the routine is over.
  InstanceLock after;
  EXPECT_EQ(after.Acquire(QDir(runtime_.path()).filePath(KelvaneApp::CompanionLockName()).toStdString()),
            InstanceLock::Result::kAcquired);
}

// The menu hides the main window while the router sheet runs: closing that
// sheet closes the last visible window, and the program must go on, back on
// the menu, as long as its own sheet runs.
TEST_F(StartupRoutine, ClosingADialogWhileTheMainWindowIsHiddenKeepsTheProgramRunning) {
  KelvaneApp app;
  bool runningAfterTheDialog = false;
  app.SetSheetHook([&](CPshMain& sheet) {
    QTimer::singleShot(0, &sheet, [&] {
      sheet.hide();
      {
        QDialog dialog;
        QTimer::singleShot(0, &dialog, &QDialog::reject);
        dialog.exec();
      }
      sheet.show();
      QTimer::singleShot(100, &sheet, [&] {
        runningAfterTheDialog = sheet.isVisible();
        sheet.EndSheet(0);
      });
    });
  });
  EXPECT_EQ(app.Run(), KelvaneApp::kExitOk);
  EXPECT_TRUE(runningAfterTheDialog) << "the program ended with the dialog";
}

TEST_F(StartupRoutine, MissingModuleGivesFileMissingAndNoSheet) {
  QTemporaryDir empty;
  ASSERT_TRUE(empty.isValid());
  SetModuleFolder(empty.path().toStdString());

  MessageWatcher watcher;
  KelvaneApp app;
  EXPECT_EQ(app.Run(), KelvaneApp::kExitFailed);
  ASSERT_EQ(watcher.messages.size(), 1u);
  // No module at all: the program's own English words, naming the file.
  EXPECT_EQ(watcher.messages[0].caption, QStringLiteral("Error"));
  EXPECT_EQ(watcher.messages[0].text,
            QString(KelvaneApp::kModuleMissingText).replace(QStringLiteral("%s"), QString::fromStdString(LanguageModulePath(1033))));
  EXPECT_EQ(app.SheetsBuilt(), 0);
}

// Copies the listed modules of the build tree into `dir`/res.
bool CopyModules(const QString& dir, const std::vector<std::uint32_t>& languages) {
  std::string built;
  if (!ExecutableFolder(built)) return false;
  QDir().mkpath(QDir(dir).filePath(QStringLiteral("res")));
  for (std::uint32_t id : languages) {
    const QString name = QStringLiteral("res/LNG_%1.so").arg(QString::fromLatin1(LanguageModuleName(id)));
    if (!QFile::copy(QDir(QString::fromStdString(built)).filePath(name), QDir(dir).filePath(name))) return false;
  }
  return true;
}

void SelectLanguageSoon(CPshMain& sheet, std::uint32_t languageId) {
  QTimer::singleShot(0, &sheet, [&sheet, languageId] {
    QComboBox* selector = sheet.Welcome()->Selector();
    ASSERT_NE(selector, nullptr);
    selector->setCurrentIndex(LanguageIndex(languageId));
  });
}

TEST_F(StartupRoutine, LanguageChangeToAMissingModuleEndsWithFileMissing) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  ASSERT_TRUE(CopyModules(folder.path(), {1033}));
  SetModuleFolder(folder.path().toStdString());

  MessageWatcher watcher;
  KelvaneApp app;
  app.SetSheetHook([](CPshMain& sheet) { SelectLanguageSoon(sheet, 1032); });
  EXPECT_EQ(app.Run(), KelvaneApp::kExitFailed);
  EXPECT_EQ(app.SheetsBuilt(), 1);
  ASSERT_EQ(watcher.messages.size(), 1u);
  // Told in English (the module there is), naming the Greek file that is not.
  EXPECT_TRUE(watcher.messages[0].text.startsWith(QStringLiteral("The language file ")));
  EXPECT_TRUE(watcher.messages[0].text.contains(QString::fromStdString(LanguageModulePath(1032))));
  // No fall-back: the wizard did not go on in English.
  EXPECT_EQ(WizardState::Instance().languageId, 1032u);
}

TEST_F(StartupRoutine, TwoLanguageChangesBuildThreeSheetsWithStateIntact) {
  struct Visit {
    std::uint32_t languageId;
    int selectorRow;
    bool greekButtonFont;
    std::string routerAddress;
    std::int32_t wanType;
    QString title;
  };
  std::vector<Visit> visits;
  const std::vector<std::uint32_t> next = {1032, 1028};

  KelvaneApp app;
  app.SetSheetHook([&](CPshMain& sheet) {
    WizardState& state = WizardState::Instance();
    const QPushButton* nextButton = sheet.Button(CPshMain::kButtonNext);
    visits.push_back({state.languageId, sheet.Welcome()->Selector()->currentIndex(),
                      nextButton->font().pixelSize() == 10, state.routerAddress.str(), state.wanType,
                      sheet.windowTitle()});
    if (visits.size() == 1) {
      // Something a page would have stored: it must outlive the rebuilds.
      state.routerAddress = "192.168.123.254";
      state.wanType = kWanPppoe;
    }
    if (visits.size() <= next.size()) {
      SelectLanguageSoon(sheet, next[visits.size() - 1]);
    } else {
      QTimer::singleShot(0, &sheet, [&sheet] { sheet.EndSheet(0); });
    }
  });
  EXPECT_EQ(app.Run(), KelvaneApp::kExitOk);
  ASSERT_EQ(app.SheetsBuilt(), 3);
  ASSERT_EQ(visits.size(), 3u);

  EXPECT_EQ(visits[0].languageId, 1033u);
  EXPECT_EQ(visits[0].selectorRow, 3);
  EXPECT_FALSE(visits[0].greekButtonFont);
  EXPECT_EQ(visits[1].languageId, 1032u);
  EXPECT_EQ(visits[1].selectorRow, 6);
  EXPECT_TRUE(visits[1].greekButtonFont);
  EXPECT_EQ(visits[2].languageId, 1028u);
  EXPECT_EQ(visits[2].selectorRow, 0);
  EXPECT_FALSE(visits[2].greekButtonFont);
  for (std::size_t i = 1; i < visits.size(); ++i) {
    EXPECT_EQ(visits[i].routerAddress, "192.168.123.254") << "sheet " << i + 1;
    EXPECT_EQ(visits[i].wanType, kWanPppoe) << "sheet " << i + 1;
  }
  for (const Visit& visit : visits) EXPECT_TRUE(visit.title.endsWith(QStringLiteral(", V2.5.0.0")));
  // The module of the last sheet was unloaded when it closed.
  EXPECT_EQ(WizardState::Instance().languageModule, nullptr);
  EXPECT_FALSE(WizardState::Instance().restartWizard);
}

// The built program, started as a second process with the same runtime folder.
QString ProgramPath() {
  std::string folder;
  if (!ExecutableFolder(folder)) return QString();
  return QDir(QString::fromStdString(folder)).filePath(QStringLiteral("kelvane"));
}

TEST_F(StartupRoutine, SecondStartBringsThisSheetForwardAndEndsAtOnce) {
  const QString program = ProgramPath();
  if (!QFile::exists(program)) GTEST_SKIP() << "kelvane is not built next to the test program";

  int exitCode = -1;
  QProcess::ExitStatus exitStatus = QProcess::CrashExit;
  qint64 elapsedMs = -1;
  bool sheetWasActive = false;
  int broughtForwardSeen = -1;
  KelvaneApp app;
  app.SetSheetHook([&](CPshMain& sheet) {
    QTimer::singleShot(50, &sheet, [&] {
      // Something else in front: the second start must bring the sheet back.
      QWidget other;
      other.setWindowTitle(QStringLiteral("other"));
      other.show();
      other.activateWindow();
      test::Spin(50);

      QProcess second;
      second.setProgram(program);
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
      env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
      second.setProcessEnvironment(env);
      QEventLoop loop;
      QObject::connect(&second, &QProcess::finished, &loop, &QEventLoop::quit);
      QTimer::singleShot(15000, &loop, &QEventLoop::quit);
      QElapsedTimer clock;
      clock.start();
      second.start();
      loop.exec();
      elapsedMs = clock.elapsed();
      if (second.state() != QProcess::NotRunning) {
        second.kill();
        second.waitForFinished(2000);
      } else {
        exitCode = second.exitCode();
        exitStatus = second.exitStatus();
      }
      test::Spin(100);
      sheetWasActive = QApplication::activeWindow() == &sheet;
      broughtForwardSeen = app.TimesBroughtForward();
      sheet.EndSheet(0);
    });
  });
  EXPECT_EQ(app.Run(), KelvaneApp::kExitOk);
  EXPECT_EQ(exitStatus, QProcess::NormalExit);
  EXPECT_EQ(exitCode, 0);
  EXPECT_GE(elapsedMs, 0);
  EXPECT_LT(elapsedMs, 10000) << "the second start did not end at once";
  EXPECT_EQ(broughtForwardSeen, 1);
  EXPECT_TRUE(sheetWasActive);
  EXPECT_EQ(app.SheetsBuilt(), 1);
}

}  // namespace
}  // namespace kelvane
