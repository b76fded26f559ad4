// The advanced menu page against the emulator in this process: the verdicts
// (line colours, tooltips, cursors, summary) after each way the status check
// can end, the busy refusals during a check, what the pictures open and
// when they open nothing, and the router sheet shown while the wizard window is hidden.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QPointer>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

#include "GuiTestSupport.h"
#include "advanced/CPshRouter.h"
#include "advanced/CPspAdvanced.h"
#include "advanced/CPspRouterTab.h"
#include "language/StringIds.h"
#include "net/Wait.h"
#include "router/RouterLogin.h"
#include "state/InternetTargets.h"
#include "state/WizardState.h"
#include "support/EmulatedRouter.h"
#include "wizard/CDlgConnTest.h"
#include "wizard/CDlgIpInfo.h"
#include "wizard/CHTRichEditCtrl.h"
#include "wizard/CDlgPrompt.h"
#include "wizard/CImageButton.h"
#include "app/CPshMain.h"
#include "wizard/CStaticText.h"
#include "wizard/MessageBox.h"
#include "wizard/Resources.h"
#include "wizard/UiText.h"

namespace kelvane {
namespace {

using routersim::LoginFlavour;
using routersim::RouterSimState;
using namespace test;

constexpr int kBound = 30000;

// Waits on the Qt event loop (not the core's wait hook, so that the waits
// inside a running step pump events as they do in the program).
template <class Pred>
bool Eventually(Pred done) {
  return QTest::qWaitFor(done, kBound);
}

// The login prompt's answer: the word typed, or a cancel.
std::string promptWord;
bool promptCancels = false;
int promptsSeen = 0;
void AnswerPrompt(CDlgPrompt* prompt) {
  ++promptsSeen;
  if (promptCancels) {
    prompt->reject();
    return;
  }
  prompt->Entry()->setText(QString::fromStdString(promptWord));
  if (auto* ok = qobject_cast<QPushButton*>(prompt->Control(914))) ok->click();
}

// Runs `act` on the modal window other than `besides`, polled on the event
// loop (so it works while a click handler sits in exec), until it answers
// true: the window was the one awaited and in the state awaited. `act` must
// never wait itself: a tick may come inside the dialog's own step (a pause
// pumps events), and a wait there would hold that step until it timed out.
QPointer<QTimer> WhenModal(QWidget* besides, std::function<bool(QWidget*)> act) {
  auto* timer = new QTimer;
  auto started = std::make_shared<qint64>(QDateTime::currentMSecsSinceEpoch());
  QObject::connect(timer, &QTimer::timeout, [timer, besides, act, started] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != besides && modal->isVisible()) {
      timer->stop();
      if (act(modal)) timer->deleteLater();
      else timer->start();
    } else if (QDateTime::currentMSecsSinceEpoch() - *started > kBound) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(20);
  return timer;
}

int boxesSeen = 0;
void RejectBox(CDlgMessage* box) {
  ++boxesSeen;
  box->reject();
}

class AdvancedMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    promptWord.clear();
    promptCancels = false;
    promptsSeen = 0;
    SetPromptHook(AnswerPrompt);
    ResetRouterDefaults(WizardState::Instance());
    WizardState::Instance().wirelessPresent = 1;
    router_ = std::make_unique<test::EmulatedRouter>();
    ASSERT_TRUE(router_->ok()) << router_->why();
    Pc().pings.clear();
  }
  void TearDown() override {
    sheet_.reset();
    router_.reset();
    SetPromptHook(nullptr);
    UnloadLanguage();
  }
  SimHostNetwork& Pc() { return router_->Pc(); }

  // Shows the sheet in `language` on the menu page and waits for the first check.
  bool OpenMenu(std::uint32_t language = kEnglish) {
    sheet_.reset();
    QString why;
    sheet_ = ShowSheet(language, &why);
    if (!sheet_) {
      why_ = why.toStdString();
      return false;
    }
    menu_ = qobject_cast<CPspAdvanced*>(sheet_->FindPageByTemplate(CPspAdvanced::kTemplateId));
    if (menu_ == nullptr) return false;
    const int before = menu_->CheckCount();
    sheet_->SetActivePage(menu_);
    return Eventually([&] { return menu_->CheckCount() > before && !menu_->IsBusy(); });
  }
  CImageButton* Picture(int id) const { return menu_->ControlAs<CImageButton>(id); }
  CStaticText* Summary() const { return menu_->ControlAs<CStaticText>(CPspAdvanced::kSummary); }
  QString Tip(int id) const { return Picture(id)->TooltipText(); }
  static QString T(StringId id) { return id == 0 ? QString() : UiText(id); }

  std::unique_ptr<test::EmulatedRouter> router_;
  std::unique_ptr<CPshMain> sheet_;
  CPspAdvanced* menu_ = nullptr;
  std::string why_;
};

struct MenuCase {
  const char* name;
  std::function<void(AdvancedMenuTest&, test::EmulatedRouter&)> arrange;
  StringId pcTip, routerTip, internetTip;
  QString summary;  // empty: the summary is the string below
  StringId summaryId;
  bool routerOk, internetOk;
};

TEST_F(AdvancedMenuTest, VerdictsAfterEachOutcome) {
  const QString pcPrefix = QStringLiteral("%1: ");
  const std::vector<MenuCase> cases = {
      {"pc-fails", [](AdvancedMenuTest&, test::EmulatedRouter& r) { r.Pc().adapters.clear(); }, 30280, 30282, 30290,
       QStringLiteral("pc"), 30280, false, false},
      {"no-router", [](AdvancedMenuTest&, test::EmulatedRouter& r) { r.Sim().Stop(); }, 30279, 30284, 30290, {}, 30284,
       false, false},
      {"fixed-outside",
       [](AdvancedMenuTest&, test::EmulatedRouter& r) {
         r.Pc().adapters = {SimHostNetwork::Adapter("eth0", "10.77.0.5", "10.77.0.1", false)};
       },
       30281, 30282, 30290, QStringLiteral("pc"), 30281, false, false},
      {"login-refused",
       [](AdvancedMenuTest&, test::EmulatedRouter& r) {
         r.Sim().WithState([](RouterSimState& s) {
           s.flavour = LoginFlavour::kForm;
           s.loginWord = "secret";
         });
         promptWord = "wrong";
       },
       30279, 30285, 30290, {}, 30285, false, false},
      {"login-cancelled",
       [](AdvancedMenuTest&, test::EmulatedRouter& r) {
         r.Sim().WithState([](RouterSimState& s) {
           s.flavour = LoginFlavour::kForm;
           s.loginWord = "secret";
         });
         promptCancels = true;
       },
       30279, 30282, 30290, {}, 30300, false, false},
      {"wan-unreadable",
       [](AdvancedMenuTest&, test::EmulatedRouter& r) {
         routersim::RouterSimFaults faults;
         faults.wrongStatus = 500;
         faults.match = "rf=0020";
         r.Sim().SetFaults(faults);
       },
       30279, 30286, 30290, {}, 30286, true, false},
      {"wan-without-addresses",
       [](AdvancedMenuTest&, test::EmulatedRouter& r) { r.Sim().WithState([](RouterSimState& s) { s.wanCable = false; }); },
       30279, 30287, 30289, {}, 30289, true, false},
      {"public-dns-silent",
       [](AdvancedMenuTest&, test::EmulatedRouter& r) {
         r.Pc().pings[InternetTargets::Instance().publicDns] = {{PingError::kTimedOut}, 0};
       },
       30279, 30287, 30289, {}, 30289, true, false},
      {"all-passed", [](AdvancedMenuTest&, test::EmulatedRouter&) {}, 30279, 30283, 30288, {}, 30288, true, true},
  };
  for (const MenuCase& c : cases) {
    SCOPED_TRACE(c.name);
    sheet_.reset();
    router_.reset();  // the old one puts the probes back first
    router_ = std::make_unique<test::EmulatedRouter>();
    ASSERT_TRUE(router_->ok()) << router_->why();
    ResetRouterDefaults(WizardState::Instance());
    promptWord.clear();
    promptCancels = false;
    c.arrange(*this, *router_);
    ASSERT_TRUE(OpenMenu()) << why_;
    EXPECT_EQ(Tip(CPspAdvanced::kPcPicture), T(c.pcTip));
    EXPECT_EQ(Tip(CPspAdvanced::kRouterPicture), T(c.routerTip));
    EXPECT_EQ(Tip(CPspAdvanced::kInternetPicture), T(c.internetTip));
    const QString summary =
        c.summary.isEmpty() ? T(c.summaryId) : UiText(kIdPictureCaptionPc) + QStringLiteral(": ") + T(c.summaryId);
    EXPECT_EQ(Summary()->text(), summary);
    const bool passed = c.routerOk && c.internetOk;
    EXPECT_EQ(Summary()->TextColor(), passed ? QColor(0, 200, 0) : QColor(230, 0, 0));
    EXPECT_EQ(menu_->LineColour(0), c.routerOk ? QColor(0, 200, 0) : QColor(255, 0, 0));
    EXPECT_EQ(menu_->LineColour(1), c.internetOk ? QColor(0, 200, 0) : QColor(255, 0, 0));
    // What is painted: the middle of each line, between the pictures.
    const QImage painted = menu_->grab().toImage();
    EXPECT_EQ(QColor(painted.pixel(142, 90)), menu_->LineColour(0));
    EXPECT_EQ(QColor(painted.pixel(337, 90)), menu_->LineColour(1));
    EXPECT_EQ(Picture(CPspAdvanced::kPcPicture)->HoverCursorId(), kCursorHand);
    EXPECT_EQ(Picture(CPspAdvanced::kRouterPicture)->HoverCursorId(), c.routerOk ? kCursorHand : kCursorNoAction);
    // The connection test opens with the router alone, also when the Internet fails.
    EXPECT_EQ(Picture(CPspAdvanced::kInternetPicture)->HoverCursorId(), c.routerOk ? kCursorHand : kCursorNoAction);
    // Idle again: the page and Refresh take input, Back and Cancel work.
    EXPECT_TRUE(menu_->isEnabled());
    EXPECT_TRUE(menu_->Control(CPspAdvanced::kRefresh)->isEnabled());
    EXPECT_TRUE(sheet_->Button(CPshMain::kButtonBack)->isEnabled());
    EXPECT_TRUE(sheet_->Button(CPshMain::kButtonCancel)->isEnabled());
    EXPECT_FALSE(sheet_->Button(CPshMain::kButtonNext)->isEnabled());
    EXPECT_EQ(WizardState::Instance().currentPageCode, 11u);
    SaveScreenshot(sheet_.get(), QStringLiteral("advanced-menu-%1-English").arg(QString::fromLatin1(c.name)));
  }
}

TEST_F(AdvancedMenuTest, ScreenshotsInTheScreenshotLanguages) {
  for (std::uint32_t language : kScreenshotLanguages) {
    sheet_.reset();
    router_.reset();
    router_ = std::make_unique<test::EmulatedRouter>();
    ASSERT_TRUE(router_->ok()) << router_->why();
    router_->Sim().WithState([](RouterSimState& s) { s.wanCable = false; });
    ASSERT_TRUE(OpenMenu(language)) << why_;
    EXPECT_FALSE(Summary()->text().isEmpty());
    SaveScreenshot(sheet_.get(), QStringLiteral("advanced-menu-no-internet-%1").arg(LanguageName(language)));
  }
}

// A WAN address the provider translates further gets its note on the
// Internet line; a public one and one just outside the shared space do not.
TEST_F(AdvancedMenuTest, TheProvidersTranslationAddsItsNoteToTheInternetLine) {
  struct Row {
    const char* wanAddress;
    bool note;
    std::uint32_t language;
  };
  const Row rows[] = {{"100.64.7.9", true, kEnglish},   {"100.127.255.254", true, kGerman},
                      {"100.128.0.1", false, kEnglish}, {"172.31.0.2", true, kGreek},
                      {"192.168.5.5", true, kRussian},  {"10.1.2.3", true, kChineseTrad},
                      {"203.0.113.34", false, kEnglish}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.wanAddress);
    sheet_.reset();
    router_.reset();
    router_ = std::make_unique<test::EmulatedRouter>();
    ASSERT_TRUE(router_->ok()) << router_->why();
    ResetRouterDefaults(WizardState::Instance());
    router_->Sim().WithState([&](RouterSimState& s) { s.ispWanAddress = r.wanAddress; });
    ASSERT_TRUE(OpenMenu(r.language)) << why_;
    const QString passed = UiText(30288);
    // The status and the note are two sentences: the note on a line of its own.
    EXPECT_EQ(Summary()->text(), r.note ? passed + QStringLiteral("\n") + UiText(30819) : passed);
    // The whole note is on the page, above its bottom edge.
    EXPECT_GE(Summary()->height(), Summary()->heightForWidth(Summary()->width()));
    EXPECT_LE(Summary()->geometry().bottom(), menu_->height());
    if (r.note) {
      SaveScreenshot(sheet_.get(), QStringLiteral("advanced-menu-provider-nat-%1").arg(LanguageName(r.language)));
    }
  }
}

TEST_F(AdvancedMenuTest, BusyDuringTheCheckRefusesEveryWayOut) {
  // A slow public DNS server keeps the check running; the tries below run
  // from a timer inside the check's waits, as a user's clicks would.
  Pc().pings[InternetTargets::Instance().publicDns] = {{PingError::kNone}, 1500};
  QString why;
  sheet_ = ShowSheet(kEnglish, &why);
  ASSERT_TRUE(sheet_) << why.toStdString();
  menu_ = qobject_cast<CPspAdvanced*>(sheet_->FindPageByTemplate(CPspAdvanced::kTemplateId));
  ASSERT_NE(menu_, nullptr);
  sheet_->SetActivePage(menu_);
  // Busy from activation on, before the check has even started.
  EXPECT_TRUE(menu_->IsBusy());
  EXPECT_FALSE(menu_->isEnabled());
  EXPECT_EQ(menu_->LineColour(0), QColor(0, 50, 50));

  struct Seen {
    bool tried = false, busy = false, pageEnabled = true, refreshEnabled = true, sheetVisible = false;
    bool stayed = false;
    QColor line, painted;
  } seen;
  boxesSeen = 0;
  SetMessageBoxHook(RejectBox);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (seen.tried || Pc().CountCalls("PingHost") == 0) return;
    seen.tried = true;
    seen.busy = menu_->IsBusy();
    seen.line = menu_->LineColour(1);
    seen.pageEnabled = menu_->isEnabled();
    seen.refreshEnabled = menu_->Control(CPspAdvanced::kRefresh)->isEnabled();
    seen.painted = QColor(menu_->grab().toImage().pixel(142, 90));
    SaveScreenshot(sheet_.get(), QStringLiteral("advanced-menu-checking-English"));
    sheet_->OnBack();
    sheet_->OnNext();
    sheet_->reject();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(sheet_.get(), &escape);
    sheet_->close();
    // A second check is not started while one runs.
    menu_->RefreshStatus();
    seen.sheetVisible = sheet_->isVisible();
    seen.stayed = sheet_->ActivePage() == menu_;
    poll.stop();
  });
  poll.start(5);
  ASSERT_TRUE(Eventually([&] { return menu_->CheckCount() == 1 && !menu_->IsBusy(); }));
  SetMessageBoxHook(nullptr);
  ASSERT_TRUE(seen.tried);
  EXPECT_TRUE(seen.busy);
  EXPECT_EQ(seen.line, QColor(0, 50, 50));
  EXPECT_EQ(seen.painted, QColor(0, 50, 50));
  EXPECT_FALSE(seen.pageEnabled);
  EXPECT_FALSE(seen.refreshEnabled);
  EXPECT_TRUE(seen.sheetVisible);
  EXPECT_TRUE(seen.stayed);
  EXPECT_EQ(boxesSeen, 0);
  Spin(100);
  EXPECT_EQ(menu_->CheckCount(), 1);
  EXPECT_TRUE(menu_->InternetOk());
  EXPECT_EQ(sheet_->ActivePage(), menu_);
  // Idle: Next still does not leave, Cancel asks.
  sheet_->OnNext();
  EXPECT_EQ(sheet_->ActivePage(), menu_);
  SetMessageBoxHook(RejectBox);
  sheet_->reject();
  SetMessageBoxHook(nullptr);
  EXPECT_EQ(boxesSeen, 1);
  EXPECT_TRUE(sheet_->isVisible());
}

// The connection test opens whenever the router answers, the Internet
// failing included (that is when its hops tell most); without the router no
// picture but the PC's opens anything.
TEST_F(AdvancedMenuTest, ConnectionTestOpensWithoutInternetAndNothingOpensWithoutRouter) {
  router_->Sim().WithState([](RouterSimState& s) { s.wanCable = false; });
  ASSERT_TRUE(OpenMenu()) << why_;
  ASSERT_TRUE(menu_->RouterOk());
  ASSERT_FALSE(menu_->InternetOk());
  QString log;
  QPointer<QTimer> test = WhenModal(sheet_.get(), [&](QWidget* w) {
    auto* dialog = qobject_cast<CDlgConnTest*>(w);
    if (dialog == nullptr || dialog->TestCount() == 0 || dialog->IsBusy()) return false;
    log = dialog->Log()->toPlainText();
    dialog->reject();
    return true;
  });
  Picture(CPspAdvanced::kInternetPicture)->click();
  EXPECT_TRUE(log.contains(UiText(kIdTestWanNoAddress))) << log.toStdString();
  delete test.data();
  EXPECT_TRUE(sheet_->isVisible());

  // No router: neither the router nor the Internet picture opens anything.
  bool opened = false;
  QPointer<QTimer> watch = WhenModal(sheet_.get(), [&](QWidget* w) {
    opened = true;
    w->close();
    return true;
  });
  router_->Sim().Stop();
  menu_->RefreshStatus();
  ASSERT_FALSE(menu_->RouterOk());
  Picture(CPspAdvanced::kRouterPicture)->click();
  Picture(CPspAdvanced::kInternetPicture)->click();
  Spin(300);
  EXPECT_FALSE(opened);
  EXPECT_TRUE(sheet_->isVisible());
  delete watch.data();
}

TEST_F(AdvancedMenuTest, PcPictureOpensThePcSettingsEvenWhenThePcFails) {
  Pc().adapters.clear();
  ASSERT_TRUE(OpenMenu()) << why_;
  ASSERT_FALSE(menu_->PcOk());
  Pc().adapters = {SimHostNetwork::Adapter("eth0", "10.77.0.5", "10.77.0.1", false)};
  QString address;
  bool renewShown = true;
  WhenModal(sheet_.get(), [&](QWidget* w) {
    auto* dialog = qobject_cast<CDlgIpInfo*>(w);
    if (dialog == nullptr || dialog->FillCount() == 0 || dialog->IsBusy()) return false;
    address = qobject_cast<QLineEdit*>(dialog->Control(CDlgIpInfo::kFields[0]))->text();
    renewShown = dialog->Control(CDlgIpInfo::kRenew)->isVisible();
    dialog->reject();
    return true;
  });
  Picture(CPspAdvanced::kPcPicture)->click();
  EXPECT_EQ(address, QStringLiteral("10.77.0.5"));
  EXPECT_FALSE(renewShown);
}

TEST_F(AdvancedMenuTest, InternetPictureOpensTheConnectionTest) {
  ASSERT_TRUE(OpenMenu()) << why_;
  ASSERT_TRUE(menu_->InternetOk());
  int tests = 0;
  QString log;
  WhenModal(sheet_.get(), [&](QWidget* w) {
    auto* dialog = qobject_cast<CDlgConnTest*>(w);
    if (dialog == nullptr || dialog->TestCount() == 0 || dialog->IsBusy()) return false;
    tests = dialog->TestCount();
    log = dialog->Log()->toPlainText();
    dialog->reject();
    return true;
  });
  Picture(CPspAdvanced::kInternetPicture)->click();
  EXPECT_EQ(tests, 1);
  EXPECT_TRUE(log.contains(UiText(kIdTestGatewayLabel) + QStringLiteral(": ") + UiText(kIdVerdictOk))) << log.toStdString();
}

TEST_F(AdvancedMenuTest, RouterSheetRunsWhileTheWizardIsHiddenAndBackShowsItAgain) {
  WizardState::Instance().wirelessPresent = 0;
  ASSERT_TRUE(OpenMenu()) << why_;
  ASSERT_TRUE(menu_->RouterOk());
  bool wizardHidden = false;
  int tabs = 0;
  bool closed = false;
  WhenModal(sheet_.get(), [&](QWidget* w) {
    auto* routerSheet = qobject_cast<CPshRouter*>(w);
    if (routerSheet == nullptr) return false;
    auto* tab = qobject_cast<CPspRouterTab*>(routerSheet->ActivePage());
    if (tab != nullptr && (tab->FirstReadPending() || tab->IsBusy())) return false;
    wizardHidden = !sheet_->isVisible();
    tabs = routerSheet->PageCount();
    routerSheet->Button(CPshRouter::kButtonCancel)->click();
    closed = !routerSheet->isVisible();
    return true;
  });
  Picture(CPspAdvanced::kRouterPicture)->click();
  EXPECT_TRUE(wizardHidden);
  EXPECT_TRUE(closed);
  EXPECT_EQ(tabs, 3);
  EXPECT_TRUE(sheet_->isVisible());
  EXPECT_EQ(sheet_->ActivePage(), menu_);
  EXPECT_EQ(WizardState::Instance().currentPageCode, 11u);
}

TEST_F(AdvancedMenuTest, LoginIsCarriedOverBetweenRefreshesAndAskedAgainAfterReturning) {
  router_->Sim().WithState([](RouterSimState& s) {
    s.flavour = LoginFlavour::kBasic;
    s.loginWord = "admin7";
  });
  promptWord = "admin7";
  ASSERT_TRUE(OpenMenu()) << why_;
  EXPECT_EQ(promptsSeen, 1);
  EXPECT_TRUE(menu_->InternetOk());
  EXPECT_EQ(WizardState::Instance().loginUser.view(), "admin7");
  // Refresh: no probe, no prompt.
  QTest::mouseClick(menu_->Control(CPspAdvanced::kRefresh), Qt::LeftButton);
  ASSERT_TRUE(Eventually([&] { return menu_->CheckCount() == 2 && !menu_->IsBusy(); }));
  EXPECT_EQ(promptsSeen, 1);
  EXPECT_TRUE(menu_->Step().LoggedIn());
  // Leaving the menu and coming back forgets the login: the probe runs again
  // (and the stored word opens the router without a prompt).
  sheet_->OnBack();
  ASSERT_NE(sheet_->ActivePage(), menu_);
  sheet_->SetActivePage(menu_);
  EXPECT_FALSE(menu_->Step().LoggedIn());
  ASSERT_TRUE(Eventually([&] { return menu_->CheckCount() == 3 && !menu_->IsBusy(); }));
  EXPECT_TRUE(menu_->InternetOk());
}

}  // namespace
}  // namespace kelvane
