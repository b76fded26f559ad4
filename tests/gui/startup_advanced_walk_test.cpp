// The advanced mode walked by the real start-up routine and main loop on the
// PC's real network: the menu, each dialog, the router sheet opened and
// closed with Back, each tab's store and restart, a new LAN address stored on
// one tab and the router restarted from another, a factory reset and a
// restart. After every action the router is logged in to afresh with the
// credentials the program holds and read at the address it holds; after
// every Back the program still runs and shows the menu. Started by the
// namespace test inside the bed's PC; it refuses to run anywhere else.
//
// Environment:
//   KELVANE_WALK=1                        walk (otherwise the test is skipped)
//   KELVANE_WALK_PUBLIC_HOST/_DNS/_SITE   the Internet targets (--public-host ...)
//   KELVANE_WALK_NEW_LAN=ADDRESS          the LAN address stored on the LAN tab
//   KELVANE_WALK_REPORT=FILE              key=value lines: action=NAME result=TEXT reachable=0|1 at=ADDRESS,
//                                         back=N menu=0|1, finished, failure
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "BedWalkStart.h"
#include "advanced/CPshRouter.h"
#include "advanced/CPspAdvanced.h"
#include "advanced/CPspDIYBRSystem.h"
#include "advanced/CPspDIYLan.h"
#include "advanced/CPspDIYWLan.h"
#include "advanced/CPspDIYWan.h"
#include "app/CPshMain.h"
#include "app/KelvaneApp.h"
#include "net/Wait.h"
#include "pages/CPspSetupType.h"
#include "router/RouterLogin.h"
#include "router/RouterRequest.h"
#include "state/WizardState.h"
#include "wizard/CDlgMessage.h"
#include "wizard/MessageBox.h"
#include "wizard/OpenUrl.h"

namespace kelvane {
namespace {

QString Env(const char* name) { return qEnvironmentVariable(name); }

constexpr int kStepMs = 60000;  // the longest a single action may take

// Walks the advanced mode one step per timer tick, so that a step runs from
// the main sheet's own event loop and a program that ended with a closed
// sheet never gets to the next step.
class AdvancedWalk {
 public:
  explicit AdvancedWalk(QStringList* report) : report_(report) {
    Self() = this;
    // Yes to every question (the confirmations, another try at a renewal),
    // but not for ever.
    SetMessageBoxHook([](CDlgMessage* box) {
      const int boxes = Self() != nullptr ? ++Self()->boxes_ : 0;
      if (auto* answer = qobject_cast<QAbstractButton*>(box->Control(boxes > 20 ? 803 : 802))) answer->click();
    });
    SetOpenUrlHook([](const QString&) { return true; });
  }
  ~AdvancedWalk() {
    SetMessageBoxHook(nullptr);
    Self() = nullptr;
  }

  void Attach(CPshMain* sheet) {
    sheet_ = sheet;
    QTimer::singleShot(0, sheet, [this] { Next(); });
  }
  bool Finished() const { return finished_; }
  const QString& Failure() const { return failure_; }

 private:
  static AdvancedWalk*& Self() {
    static AdvancedWalk* self = nullptr;
    return self;
  }

  void Fail(const QString& why) {
    if (failure_.isEmpty()) failure_ = why;
    *report_ << QStringLiteral("failure=") + why;
    if (!sheet_.isNull()) sheet_->EndSheet(0);
  }

  // Runs the next step once the current one returned to the event loop.
  void Next() {
    if (sheet_.isNull()) return;
    const std::vector<std::function<bool()>> steps = Steps();
    if (step_ >= steps.size()) return;
    const std::size_t index = step_++;
    if (!steps[index]()) {
      Fail(QStringLiteral("step %1").arg(index));
      return;
    }
    if (step_ < steps.size()) QTimer::singleShot(50, sheet_, [this] { Next(); });
  }

  CPspEx* Page() const { return sheet_.isNull() ? nullptr : sheet_->ActivePage(); }
  bool OnPage(std::uint32_t code) {
    return WaitUntil(kStepMs, [&] {
      CPspEx* page = Page();
      return page != nullptr && !page->IsBusy() && WizardState::Instance().currentPageCode == code &&
             page->isEnabled();
    });
  }
  CPspAdvanced* Menu() const { return qobject_cast<CPspAdvanced*>(Page()); }

  // The menu shows, the main window is up and the check is over.
  bool BackOnTheMenu(const char* after) {
    const bool menu = OnPage(CPspAdvanced::kPageCode) && !sheet_.isNull() && sheet_->isVisible();
    *report_ << QStringLiteral("back=%1 menu=%2").arg(QString::fromLatin1(after)).arg(menu ? 1 : 0);
    return menu;
  }

  // A modal dialog over the menu: waits until it is idle, then closes it.
  void CloseDialogSoon() {
    QTimer::singleShot(0, [this] {
      QPointer<QWidget> dialog;
      WaitUntil(kStepMs, [&] {
        dialog = QApplication::activeModalWidget();
        return !dialog.isNull() && dialog != sheet_ && dialog->isEnabled();
      });
      if (auto* d = qobject_cast<QDialog*>(dialog.data())) d->reject();
    });
  }

  // Logs in afresh with what the program holds and reads a page where it
  // says the router is (the restart may still be under way: bounded).
  bool StillReachable() {
    return WaitUntil(kStepMs, [] {
      WizardState held = WizardState::Instance();
      std::string page;
      return LoginToRouter(held.routerAddress.str(), held.loginUser.str(), held.loginPassword.str()) &&
             RouterReadPage(held, "/zero.htm?rc=&rf=0010", page);
    });
  }

  template <class Tab>
  bool Action(CPshRouter* router, const char* name, int button, int resultLine) {
    auto* tab = router->PageOf<Tab>();
    if (tab == nullptr) return true;  // a sheet without this tab
    router->SetActivePage(tab);
    if (!tab->WaitFirstRead(kStepMs)) return false;
    if (auto* b = qobject_cast<QAbstractButton*>(tab->Control(button))) b->click();
    WaitUntil(kStepMs, [&] { return !tab->IsBusy(); });
    const QString result = qobject_cast<QLabel*>(tab->Control(resultLine))->text();
    const bool reachable = StillReachable();
    *report_ << QStringLiteral("action=%1 result=%2 reachable=%3 at=%4")
                    .arg(QString::fromLatin1(name), result)
                    .arg(reachable ? 1 : 0)
                    .arg(QString::fromStdString(WizardState::Instance().routerAddress.str()));
    return true;
  }

  // Everything done inside the router sheet, then Back.
  void InTheRouterSheetSoon(bool actions) {
    QTimer::singleShot(0, [this, actions] {
      QPointer<CPshRouter> router;
      WaitUntil(kStepMs, [&] {
        router = qobject_cast<CPshRouter*>(QApplication::activeModalWidget());
        return !router.isNull();
      });
      if (router.isNull()) return;
      if (actions) {
        using L = CPspDIYLan;
        using W = CPspDIYWLan;
        using N = CPspDIYWan;
        using S = CPspDIYBRSystem;
        Action<L>(router, "lan-store", L::kStoreButton, L::kResultLine);
        Action<W>(router, "wireless-store", W::kStoreButton, W::kResultLine);
        Action<W>(router, "wireless-restart", W::kRebootButton, W::kResultLine);
        Action<N>(router, "wan-store", N::kStoreButton, N::kResultLine);
        Action<N>(router, "wan-restart", N::kRebootButton, N::kResultLine);
        // A new LAN address stored here, the router restarted from another tab.
        if (auto* lan = router->PageOf<L>(); lan != nullptr && !Env("KELVANE_WALK_NEW_LAN").isEmpty()) {
          router->SetActivePage(lan);
          lan->WaitFirstRead(kStepMs);
          qobject_cast<QLineEdit*>(lan->Control(L::kAddressEdit))->setText(Env("KELVANE_WALK_NEW_LAN"));
          Action<L>(router, "lan-store-new-address", L::kStoreButton, L::kResultLine);
          Action<N>(router, "wan-restart-after-new-address", N::kRebootButton, N::kResultLine);
        }
        Action<S>(router, "system-restore", S::kRestoreButton, S::kResultLine);
        Action<L>(router, "lan-restart-after-restore", L::kRebootButton, L::kResultLine);
        Action<S>(router, "system-restart", S::kRestartButton, S::kResultLine);
      }
      WaitUntil(kStepMs, [&] { return router.isNull() || router->Button(CPshRouter::kButtonCancel)->isEnabled(); });
      if (!router.isNull()) router->Button(CPshRouter::kButtonCancel)->click();
    });
  }

  std::vector<std::function<bool()>> Steps() {
    return {
        [this] {
          if (!OnPage(0)) return false;
          sheet_->Button(CPshMain::kButtonNext)->click();
          return true;
        },
        [this] {
          if (!OnPage(CPspSetupType::kPageCode)) return false;
          qobject_cast<QAbstractButton*>(Page()->Control(CPspSetupType::kAdvancedButton))->click();
          return true;
        },
        [this] {
          if (!OnPage(CPspAdvanced::kPageCode) || Menu() == nullptr) return false;
          *report_ << QStringLiteral("menu router=%1 internet=%2").arg(Menu()->RouterOk() ? 1 : 0).arg(Menu()->InternetOk() ? 1 : 0);
          CloseDialogSoon();
          qobject_cast<QAbstractButton*>(Menu()->Control(CPspAdvanced::kPcPicture))->click();
          return true;
        },
        [this] {
          if (!BackOnTheMenu("pc-dialog")) return false;
          if (!Menu()->InternetOk()) return true;
          CloseDialogSoon();
          qobject_cast<QAbstractButton*>(Menu()->Control(CPspAdvanced::kInternetPicture))->click();
          return true;
        },
        [this] {
          if (!BackOnTheMenu("internet-dialog") || !Menu()->RouterOk()) return false;
          InTheRouterSheetSoon(false);
          qobject_cast<QAbstractButton*>(Menu()->Control(CPspAdvanced::kRouterPicture))->click();
          return true;
        },
        [this] {
          if (!BackOnTheMenu("router-sheet") || !Menu()->RouterOk()) return false;
          InTheRouterSheetSoon(true);
          qobject_cast<QAbstractButton*>(Menu()->Control(CPspAdvanced::kRouterPicture))->click();
          return true;
        },
        [this] {
          if (!BackOnTheMenu("router-sheet-actions")) return false;
          // Refresh finds the router again wherever the actions left it.
          qobject_cast<QAbstractButton*>(Menu()->Control(CPspAdvanced::kRefresh))->click();
          if (!OnPage(CPspAdvanced::kPageCode)) return false;
          *report_ << QStringLiteral("menu-after router=%1").arg(Menu()->RouterOk() ? 1 : 0);
          finished_ = true;
          *report_ << QStringLiteral("finished=1");
          // Cancel, and Yes to the question: the program ends here.
          sheet_->Button(CPshMain::kButtonCancel)->click();
          return true;
        },
    };
  }

  QStringList* report_;
  QPointer<CPshMain> sheet_;
  std::size_t step_ = 0;
  int boxes_ = 0;
  bool finished_ = false;
  QString failure_;
};

TEST(AdvancedWalk, MenuDialogsRouterSheetAndEveryTabsActionsOnThePcsNetwork) {
  if (Env("KELVANE_WALK").isEmpty()) GTEST_SKIP() << "KELVANE_WALK is not set: the walk runs only inside the test bed";
  QTemporaryDir runtime;
  const std::string refused = test::StartBedWalk(runtime);
  ASSERT_TRUE(refused.empty()) << refused;

  QStringList report;
  AdvancedWalk walk(&report);
  KelvaneApp app;
  app.SetSheetHook([&walk](CPshMain& sheet) { walk.Attach(&sheet); });
  const int exitCode = app.Run();
  if (!walk.Finished() && walk.Failure().isEmpty()) report << QStringLiteral("failure=the program ended early");

  if (!Env("KELVANE_WALK_REPORT").isEmpty()) {
    QFile file(Env("KELVANE_WALK_REPORT"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QTextStream out(&file);
    for (const QString& line : report) out << line << "\n";
  }
  EXPECT_EQ(exitCode, KelvaneApp::kExitOk);
  EXPECT_TRUE(walk.Finished()) << report.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace kelvane
