// The router sheet's LAN and system tabs in a window, against the emulator in
// this process: the first read, the store with its marks, the restart that
// moves the PC along, the confirmations and the password change.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <memory>

#include "GuiTestSupport.h"
#include "net/Wait.h"
#include "advanced/CPshRouter.h"
#include "advanced/CPspDIYBRSystem.h"
#include "advanced/CPspDIYLan.h"
#include "language/StringIds.h"
#include "router/WirelessLanCommands.h"
#include "state/WizardState.h"
#include "support/EmulatedRouter.h"
#include "wizard/CDlgMessage.h"
#include "wizard/CDlgPrompt.h"
#include "wizard/CStaticText.h"
#include "wizard/CWaitStrip.h"
#include "wizard/MessageBox.h"
#include "wizard/OpenUrl.h"
#include "wizard/UiText.h"

namespace kelvane {
namespace {

using namespace test;

int gAnswer = kAnswerYes;  // what the confirmation boxes answer
int gBoxes = 0;
QString gLastQuestion;
bool gLastOfferedCancel = false;  // a third button beside Yes and No
void Answer(CDlgMessage* box) {
  ++gBoxes;
  if (auto* text = qobject_cast<QLabel*>(box->Control(805))) gLastQuestion = text->text();
  // Buttons 802..804 are Yes, No, Cancel; Cancel is Escape where there is no such button.
  auto* cancel = qobject_cast<QPushButton*>(box->Control(804));
  gLastOfferedCancel = cancel != nullptr && cancel->isVisibleTo(box);
  if (gAnswer == kAnswerCancel && !gLastOfferedCancel) {
    box->reject();
    return;
  }
  const int index = gAnswer == kAnswerYes ? 0 : gAnswer == kAnswerNo ? 1 : 2;
  if (auto* b = qobject_cast<QPushButton*>(box->Control(802 + index))) b->click();
}

class RouterTabs : public ::testing::Test {
 protected:
  void SetUp() override {
    QString why;
    if (!LoadLanguage(kEnglish, &why)) GTEST_SKIP() << why.toStdString();
    ASSERT_TRUE(router_.ok()) << router_.why();
    WizardState& state = WizardState::Instance();
    ResetRouterDefaults(state);
    ASSERT_TRUE(router_.Connect(state));
    router_.Sim().ClearLog();
    router_.Sim().WithState([](routersim::RouterSimState& s) { s.domainName = "home.lan"; });
    SetMessageBoxHook(&Answer);
    CPspRouterTab::PendingMove() = {};
    gBoxes = 0;
    gAnswer = kAnswerYes;
    sheet_ = std::make_unique<CPshRouter>();
    sheet_->show();
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    sheet_.reset();
  }
  template <class P>
  P* Show() {
    P* page = sheet_->PageOf<P>();
    EXPECT_NE(page, nullptr);
    sheet_->SetActivePage(page);
    return page;
  }
  static QString Line(CPspEx* page, int id) { return page->ControlAs<QLabel>(id)->text(); }
  static QColor Colour(CPspEx* page, int id) { return page->ControlAs<CStaticText>(id)->TextColor(); }
  static QLineEdit* Edit(CPspEx* page, int id) { return page->ControlAs<QLineEdit>(id); }
  static void Click(CPspEx* page, int id) { page->ControlAs<QPushButton>(id)->click(); }

  EmulatedRouter router_;
  std::unique_ptr<CPshRouter> sheet_;
};

TEST_F(RouterTabs, LanFirstReadFillsTheFormQuietlyAndALaterRefreshSaysDone) {
  auto* lan = Show<CPspDIYLan>();
  ASSERT_TRUE(lan->WaitFirstRead(20000));
  EXPECT_EQ(Edit(lan, CPspDIYLan::kDomainEdit)->text(), QStringLiteral("home.lan"));
  EXPECT_TRUE(Edit(lan, CPspDIYLan::kDomainEdit)->isEnabled());
  EXPECT_EQ(Edit(lan, CPspDIYLan::kMaskEdit)->text(), QStringLiteral("255.255.255.0"));
  EXPECT_FALSE(Edit(lan, CPspDIYLan::kMaskEdit)->isEnabled());
  EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), QString());  // the first read says nothing
  SaveScreenshot(sheet_.get(), QStringLiteral("router-lan-English"));
  Click(lan, CPspDIYLan::kRefreshButton);
  EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdDone));
  // A domain that cannot be read is empty and disabled, and a store of the
  // address leaves the router's domain alone.
  routersim::RouterSimFaults noDomain;
  noDomain.wrongStatus = 500;
  noDomain.match = "dhcp.htm";
  router_.Sim().SetFaults(noDomain);
  Click(lan, CPspDIYLan::kRefreshButton);
  EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdRouterReportedError));
  EXPECT_EQ(Colour(lan, CPspDIYLan::kResultLine), QColor(255, 0, 0));
  EXPECT_FALSE(Edit(lan, CPspDIYLan::kDomainEdit)->isEnabled());
  router_.Sim().SetFaults({});
  Edit(lan, CPspDIYLan::kAddressEdit)->setText(QStringLiteral("192.168.50.1"));
  Click(lan, CPspDIYLan::kStoreButton);
  EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdAdvLanSaved));
  EXPECT_EQ(router_.Sim().StateCopy().domainName, "home.lan");
}

// A router that cannot be reached is named, and the Read replaces whatever
// the line said before.
TEST_F(RouterTabs, ARouterOutOfReachIsNamedByWhatFailed) {
  auto* lan = Show<CPspDIYLan>();
  ASSERT_TRUE(lan->WaitFirstRead(20000));
  Click(lan, CPspDIYLan::kRefreshButton);
  ASSERT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdDone));
  const auto adapters = router_.Pc().adapters;
  router_.Pc().adapters.clear();  // a PC without a network
  Click(lan, CPspDIYLan::kRefreshButton);
  EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdPcNetworkNotWorking));
  router_.Pc().adapters = adapters;
  // A router gone for good (switched off): the search finds none.
  routersim::RouterSimFaults gone;
  gone.restartNeverReturns = true;
  router_.Sim().SetFaults(gone);
  ASSERT_TRUE(RebootRouter(WizardState::Instance()));
  Click(lan, CPspDIYLan::kRefreshButton);
  EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdNoRouterFound));
  EXPECT_EQ(Colour(lan, CPspDIYLan::kResultLine), QColor(255, 0, 0));
}

TEST_F(RouterTabs, ATabLeftBeforeItsFirstReadReadsWhenItIsShownAgain) {
  auto* lan = Show<CPspDIYLan>();
  auto* system = Show<CPspDIYBRSystem>();  // at once, within the 300 ms
  Spin(600);
  EXPECT_TRUE(lan->FirstReadPending());
  EXPECT_TRUE(router_.Requests().empty()) << "nothing is read for a tab nobody sees";
  ASSERT_NE(system, nullptr);
  Show<CPspDIYLan>();
  ASSERT_TRUE(lan->WaitFirstRead(20000));
  EXPECT_FALSE(router_.Requests().empty());
}

TEST_F(RouterTabs, LanStoreMarksEveryWrongFieldAndSendsNothingThen) {
  auto* lan = Show<CPspDIYLan>();
  ASSERT_TRUE(lan->WaitFirstRead(20000));
  router_.Sim().ClearLog();
  for (const char* address : {"192.168.1.", "192.168.1.255", "192.168.001.010", "192.168.123.0"}) {
    Edit(lan, CPspDIYLan::kAddressEdit)->setText(QString::fromLatin1(address));
    Edit(lan, CPspDIYLan::kDomainEdit)->setText(QString(32, QLatin1Char('x')));
    Click(lan, CPspDIYLan::kStoreButton);
    EXPECT_EQ(Colour(lan, CPspDIYLan::kAddressLabel), QColor(255, 0, 0)) << address;
    EXPECT_EQ(Colour(lan, CPspDIYLan::kDomainLabel), QColor(255, 0, 0)) << address;
    EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdLanAddressUnusable)) << address;
  }
  Edit(lan, CPspDIYLan::kAddressEdit)->setText(QStringLiteral("192.168.50.1"));
  Click(lan, CPspDIYLan::kStoreButton);
  EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdLanDomainUnusable));
  for (const std::string& line : router_.Requests()) EXPECT_EQ(line.find("cgi-bin"), std::string::npos) << line;

  Edit(lan, CPspDIYLan::kAddressEdit)->setText(QStringLiteral(" 192.168.50.1  "));
  Edit(lan, CPspDIYLan::kDomainEdit)->setText(QStringLiteral("   office  "));
  Click(lan, CPspDIYLan::kStoreButton);
  EXPECT_EQ(Colour(lan, CPspDIYLan::kAddressLabel), QColor(0, 0, 0));
  EXPECT_EQ(Edit(lan, CPspDIYLan::kAddressEdit)->text(), QStringLiteral("192.168.50.1"));
  EXPECT_EQ(Edit(lan, CPspDIYLan::kDomainEdit)->text(), QStringLiteral("office"));
  EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdAdvLanSaved));
  EXPECT_EQ(Colour(lan, CPspDIYLan::kResultLine), QColor(0, 0, 255));
  const routersim::RouterSimState after = router_.Sim().StateCopy();
  EXPECT_EQ(after.pendingLanAddress, "192.168.50.1");
  EXPECT_EQ(after.domainName, "office");
}

TEST_F(RouterTabs, RebootWithTheSameAddressLeavesThePcAloneANewOneMovesIt) {
  auto* lan = Show<CPspDIYLan>();
  ASSERT_TRUE(lan->WaitFirstRead(20000));
  SimHostNetwork& pc = router_.Pc();
  pc.ClearCalls();
  // The restart asks first: No sends nothing.
  router_.Sim().ClearLog();
  gAnswer = kAnswerNo;
  Click(lan, CPspDIYLan::kRebootButton);
  EXPECT_EQ(gBoxes, 1);
  EXPECT_EQ(gLastQuestion, UiText(kIdAdvSystemConfirmRestart));
  EXPECT_TRUE(router_.Requests().empty());
  gAnswer = kAnswerYes;
  // Done only once the router answers again, however long it is away; the
  // wait strip says meanwhile that it restarts.
  router_.Sim().SetRestartMs(1500);
  QString stripText;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    CWaitStrip* strip = CWaitStrip::Of(lan);
    if (strip == nullptr || !strip->isVisible() || !stripText.isEmpty()) return;
    stripText = strip->Text()->text();
    SaveScreenshot(sheet_.get(), QStringLiteral("router-lan-restart-wait-English"));
  });
  watch.start(5);
  Click(lan, CPspDIYLan::kRebootButton);
  watch.stop();
  EXPECT_EQ(stripText.toStdString(), UiText(kIdWaitRouterRestart).toStdString());
  EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdDone));
  EXPECT_FALSE(router_.Sim().OffAir()) << "done while the router was still restarting";
  EXPECT_EQ(pc.CountCalls("ReleaseAllAdapters"), 0);
  router_.Sim().SetRestartMs(200);

  // A typed address the router was not given moves nothing.
  Edit(lan, CPspDIYLan::kAddressEdit)->setText(QStringLiteral("192.168.50.1"));
  Click(lan, CPspDIYLan::kRebootButton);
  EXPECT_EQ(pc.CountCalls("ReleaseAllAdapters"), 0);
  ASSERT_TRUE(WaitUntil(20000, [&] { return !router_.Sim().OffAir(); }));

  // A new address stored: the PC gives up its lease, takes one in the new
  // network and finds the router there (a router quicker to restart than the
  // pause after the renewal).
  router_.Sim().SetRestartMs(20);
  Edit(lan, CPspDIYLan::kAddressEdit)->setText(QStringLiteral("192.168.50.1"));
  Click(lan, CPspDIYLan::kStoreButton);
  Click(lan, CPspDIYLan::kRebootButton);
  EXPECT_EQ(pc.CountCalls("ReleaseAllAdapters"), 1);
  EXPECT_EQ(pc.CountCalls("RenewAllAdapters"), 1);
  EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdDone));
  EXPECT_EQ(Edit(lan, CPspDIYLan::kAddressEdit)->text(), QString::fromStdString(router_.Address()));

  // A restart that goes wrong says how, in red.
  const struct {
    const char* name;
    void (*fault)(routersim::RouterSimFaults&);
    StringId line;
  } failures[] = {
      {"the command refused",
       [](routersim::RouterSimFaults& f) {
         f.wrongStatus = 500;
         f.match = "rebo";
       },
       kIdStoreRestartFailed},
      {"the command thrown away",
       [](routersim::RouterSimFaults& f) {
         f.ignoreQuietly = true;
         f.match = "rebo";
       },
       kIdStoreRestartFailed},
      {"a router that never comes back", [](routersim::RouterSimFaults& f) { f.restartNeverReturns = true; },
       kIdRouterNotBackAfterRestart},
  };
  for (const auto& f : failures) {
    ASSERT_TRUE(WaitUntil(20000, [&] { return !router_.Sim().OffAir(); })) << f.name;
    routersim::RouterSimFaults fault;
    f.fault(fault);
    router_.Sim().SetFaults(fault);
    Click(lan, CPspDIYLan::kRebootButton);
    EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(f.line)) << f.name;
    EXPECT_EQ(Colour(lan, CPspDIYLan::kResultLine), QColor(255, 0, 0)) << f.name;
  }
}

TEST_F(RouterTabs, SystemActionsAskFirstAndNoneMeansNothingIsSent) {
  auto* system = Show<CPspDIYBRSystem>();
  router_.Sim().ClearLog();
  for (int answer : {kAnswerNo, kAnswerCancel}) {
    gAnswer = answer;
    Click(system, CPspDIYBRSystem::kRestartButton);
    Click(system, CPspDIYBRSystem::kRestoreButton);
  }
  EXPECT_EQ(gBoxes, 4);
  EXPECT_TRUE(router_.Requests().empty());
  EXPECT_EQ(Line(system, CPspDIYBRSystem::kResultLine), QString());

  gAnswer = kAnswerYes;
  router_.Sim().SetRestartMs(20);  // back before the PC looks for it
  // What the wait strip says meanwhile: the reset is only an order the
  // router stores; the restart is a restart.
  QStringList waitTexts;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (CWaitStrip* strip = CWaitStrip::Of(system)) waitTexts << strip->Text()->text();
  });
  watch.start(1);
  Click(system, CPspDIYBRSystem::kRestoreButton);
  ASSERT_FALSE(waitTexts.isEmpty());
  for (const QString& text : waitTexts) EXPECT_EQ(text.toStdString(), UiText(kIdWaitStoreRouter).toStdString());
  EXPECT_EQ(gLastQuestion, UiText(kIdAdvSystemConfirmRestore));
  EXPECT_EQ(Line(system, CPspDIYBRSystem::kResultLine), UiText(kIdAdvSystemDoneAfterRestart));
  EXPECT_EQ(Colour(system, CPspDIYBRSystem::kResultLine), QColor(0, 0, 255));
  EXPECT_TRUE(system->ResetPending());
  // Restart on the same visit: the PC follows the router to its factory network.
  router_.Pc().ClearCalls();
  waitTexts.clear();
  Click(system, CPspDIYBRSystem::kRestartButton);
  watch.stop();
  ASSERT_FALSE(waitTexts.isEmpty());
  EXPECT_EQ(waitTexts.first().toStdString(), UiText(kIdWaitRouterRestart).toStdString());
  EXPECT_EQ(Line(system, CPspDIYBRSystem::kResultLine), UiText(kIdAdvSystemDone));
  EXPECT_EQ(router_.Pc().CountCalls("ReleaseAllAdapters"), 1);
  EXPECT_EQ(router_.Pc().CountCalls("RenewAllAdapters"), 1);
  EXPECT_FALSE(system->ResetPending());

  // Leaving the tab between the two keeps the reset: a restart from another
  // tab takes the PC along too, and the LAN tab reads the router afresh.
  auto* lan = Show<CPspDIYLan>();
  ASSERT_TRUE(lan->WaitFirstRead(20000));
  Edit(lan, CPspDIYLan::kAddressEdit)->setText(QStringLiteral("192.168.60.1"));  // what it showed before
  Show<CPspDIYBRSystem>();
  Click(system, CPspDIYBRSystem::kRestoreButton);
  EXPECT_TRUE(system->ResetPending());
  Show<CPspDIYLan>();
  EXPECT_TRUE(lan->FirstReadPending());
  ASSERT_TRUE(lan->WaitFirstRead(20000));
  EXPECT_EQ(Edit(lan, CPspDIYLan::kAddressEdit)->text(), QString::fromStdString(router_.Address()))
      << "the LAN tab reads again after a reset";
  router_.Pc().ClearCalls();
  Click(lan, CPspDIYLan::kRebootButton);
  EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdDone));
  EXPECT_EQ(router_.Pc().CountCalls("RenewAllAdapters"), 1);
  EXPECT_FALSE(system->ResetPending());
}

// The PC gets no address in the router's new network: the program says so
// and offers to try again, and a failed renewal is never "done".
TEST_F(RouterTabs, ARenewalThatFailsIsSaidAndCanBeTriedAgain) {
  auto* lan = Show<CPspDIYLan>();
  ASSERT_TRUE(lan->WaitFirstRead(20000));
  router_.Sim().SetRestartMs(20);
  Edit(lan, CPspDIYLan::kAddressEdit)->setText(QStringLiteral("192.168.50.1"));
  Click(lan, CPspDIYLan::kStoreButton);
  router_.Pc().renewResults["eth0"] = false;
  router_.Pc().ClearCalls();
  gAnswer = kAnswerYes;
  gBoxes = 0;
  // The first offer is taken, the renewal fails again, the second is declined.
  static int offers = 0;
  offers = 0;
  SetMessageBoxHook([](CDlgMessage* box) {
    gLastQuestion = qobject_cast<QLabel*>(box->Control(805))->text();
    if (gLastQuestion == UiText(kIdAdvSystemConfirmRestart)) {  // the restart's own question
      qobject_cast<QPushButton*>(box->Control(802))->click();
      return;
    }
    ++offers;
    qobject_cast<QPushButton*>(box->Control(offers == 1 ? 802 : 803))->click();
  });
  Click(lan, CPspDIYLan::kRebootButton);
  SetMessageBoxHook(&Answer);
  EXPECT_EQ(offers, 2);
  EXPECT_EQ(gLastQuestion, UiText(kIdAdvRenewFailedTryAgain));
  EXPECT_EQ(router_.Pc().CountCalls("RenewAllAdapters"), 2);
  EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(kIdPcNetworkNotWorking));
  EXPECT_TRUE(CPspRouterTab::PendingMove().pending) << "the move waits for a PC that followed";
}

// The login word is asked for only after a real refusal. A router that
// answers the login with an error, or closes the connection, refused
// nothing: the tab says so and to try again, and asks for no word.
int gPrompts = 0;
void CancelPrompt(CDlgPrompt* prompt) {
  ++gPrompts;
  prompt->reject();
}

TEST_F(RouterTabs, TheLoginWordIsAskedForOnlyWhenTheRouterRefusedIt) {
  auto* lan = Show<CPspDIYLan>();
  ASSERT_TRUE(lan->WaitFirstRead(20000));
  struct Case {
    const char* name;
    int status;          // the router answers every page with this status
    bool closeAtOnce;    // the router closes every connection without a word
    const char* word;    // the router's own login word (a form router): the stored one is refused
    bool prompted;
    StringId message;    // the message box's text; 0: none
    StringId line;       // what the result line says
  };
  const Case cases[] = {
      {"a server error", 500, false, nullptr, false, kIdRouterReportedError, kIdRouterReportedError},
      {"the connection closed at once", 0, true, nullptr, false, kIdRouterDidNotAnswer, kIdRouterDidNotAnswer},
      {"a refused word", 0, false, "secret", true, 0, kIdRouterRefusedLogin},
  };
  SetPromptHook(&CancelPrompt);
  for (const Case& c : cases) {
    router_.Sim().WithState([&](routersim::RouterSimState& s) {
      s.flavour = c.word != nullptr ? routersim::LoginFlavour::kForm : routersim::LoginFlavour::kOpen;
      s.loginWord = c.word != nullptr ? c.word : kDefaultLoginWord;
    });
    routersim::RouterSimFaults faults;  // every request of the login
    faults.wrongStatus = c.status;
    faults.closeAtOnce = c.closeAtOnce;
    router_.Sim().SetFaults(faults);
    gPrompts = 0;
    gBoxes = 0;
    gLastQuestion.clear();
    Click(lan, CPspDIYLan::kRefreshButton);
    router_.Sim().SetFaults({});
    EXPECT_EQ(gPrompts, c.prompted ? 1 : 0) << c.name;
    EXPECT_EQ(gBoxes, c.message != 0 ? 1 : 0) << c.name;
    if (c.message != 0) {
      EXPECT_EQ(gLastQuestion, UiText(c.message)) << c.name;
    }
    EXPECT_EQ(Line(lan, CPspDIYLan::kResultLine), UiText(c.line)) << c.name;
  }
  SetPromptHook(nullptr);
  router_.Sim().WithState([](routersim::RouterSimState& s) {
    s.flavour = routersim::LoginFlavour::kOpen;
    s.loginWord = kDefaultLoginWord;
  });
}

TEST_F(RouterTabs, PasswordChangeChecksFirstThenTakesTheNewWord) {
  auto* system = Show<CPspDIYBRSystem>();
  const auto typeIn = [&](const char* current, const char* next, const char* confirm) {
    Edit(system, CPspDIYBRSystem::kCurrentEdit)->setText(QString::fromLatin1(current));
    Edit(system, CPspDIYBRSystem::kNewEdit)->setText(QString::fromLatin1(next));
    Edit(system, CPspDIYBRSystem::kConfirmEdit)->setText(QString::fromLatin1(confirm));
    Click(system, CPspDIYBRSystem::kChangeButton);
  };
  EXPECT_EQ(Edit(system, CPspDIYBRSystem::kNewEdit)->echoMode(), QLineEdit::Password);
  typeIn("kwzpo", "123456789", "12345678");
  EXPECT_EQ(Colour(system, CPspDIYBRSystem::kConfirmLabel), QColor(255, 0, 0));
  EXPECT_EQ(Colour(system, CPspDIYBRSystem::kNewLabel), QColor(0, 0, 0));
  EXPECT_EQ(Line(system, CPspDIYBRSystem::kResultLine), UiText(kIdAdvSystemFailed));
  EXPECT_EQ(gBoxes, 0);  // no question before the entries are right

  // A current word the router does not take: the line says which entry and
  // what to type; the credentials stay.
  typeIn("wr0ng", "n3w", "n3w");
  EXPECT_EQ(Line(system, CPspDIYBRSystem::kResultLine), UiText(kIdAdvSystemCurrentPasswordRefused));
  EXPECT_EQ(Colour(system, CPspDIYBRSystem::kCurrentLabel), QColor(255, 0, 0));
  EXPECT_EQ(router_.Sim().StateCopy().loginWord, "kwzpo");
  EXPECT_EQ(WizardState::Instance().loginPassword.view(), "kwzpo");
  // A router that does not answer is not blamed on the word.
  routersim::RouterSimFaults failing;
  failing.match = "cgi-bin/pass";
  failing.closeAtOnce = true;
  router_.Sim().SetFaults(failing);
  typeIn("kwzpo", "n3w", "n3w");
  router_.Sim().SetFaults({});
  EXPECT_EQ(Line(system, CPspDIYBRSystem::kResultLine), UiText(kIdRouterDidNotAnswer));
  EXPECT_EQ(Colour(system, CPspDIYBRSystem::kCurrentLabel), QColor(0, 0, 0));

  typeIn("kwzpo", "n3w", "n3w");
  EXPECT_EQ(gLastQuestion, UiText(kIdAdvSystemConfirmPassword));
  EXPECT_FALSE(gLastOfferedCancel) << "a yes-or-no question: Cancel would mean No";
  EXPECT_EQ(Line(system, CPspDIYBRSystem::kResultLine), UiText(kIdAdvSystemDone));
  EXPECT_EQ(router_.Sim().StateCopy().loginWord, "n3w");
  EXPECT_EQ(WizardState::Instance().loginPassword.view(), "n3w");
  EXPECT_TRUE(Edit(system, CPspDIYBRSystem::kCurrentEdit)->text().isEmpty());
  SaveScreenshot(sheet_.get(), QStringLiteral("router-system-English"));
}

TEST_F(RouterTabs, OpenWebPageNeedsNoLogin) {
  auto* system = Show<CPspDIYBRSystem>();
  QString opened;
  const OpenUrlHook previous = SetOpenUrlHook([&](const QString& url) {
    opened = url;
    return true;
  });
  router_.Sim().ClearLog();
  Click(system, CPspDIYBRSystem::kOpenWebButton);
  SetOpenUrlHook(previous);
  EXPECT_EQ(opened, QStringLiteral("http://") + QString::fromStdString(router_.Address()));
  EXPECT_TRUE(router_.Requests().empty());
  // Without an address there is nothing to open.
  WizardState::Instance().routerAddress.Clear();
  Show<CPspDIYLan>();
  Show<CPspDIYBRSystem>();
  EXPECT_FALSE(system->Control(CPspDIYBRSystem::kOpenWebButton)->isEnabled());
}

TEST(RouterTabScreens, LanAndSystemTabsInTheScreenshotLanguages) {
  if (ScreenshotDir().isEmpty()) GTEST_SKIP() << "KELVANE_SCREENSHOT_DIR is not set";
  for (std::uint32_t language : kScreenshotLanguages) {
    QString why;
    if (!LoadLanguage(language, &why)) GTEST_SKIP() << why.toStdString();
    WizardState::Instance().languageId = language;
    CPshRouter sheet;
    sheet.show();
    auto* lan = sheet.PageOf<CPspDIYLan>();
    sheet.SetActivePage(lan);
    lan->ShowResultText(kIdAdvLanSaved, QColor(0, 0, 255));
    EXPECT_FALSE(lan->ControlAs<QLabel>(CPspDIYLan::kDescription)->text().isEmpty()) << LanguageName(language).toStdString();
    EXPECT_TRUE(SaveScreenshot(&sheet, QStringLiteral("router-lan-") + LanguageName(language)));
    // The longest thing a tab's result line says: a router gone after a restart.
    lan->ShowResultText(kIdRouterNotBackAfterRestart, QColor(255, 0, 0));
    EXPECT_TRUE(SaveScreenshot(&sheet, QStringLiteral("router-lan-not-back-") + LanguageName(language)));
    lan->ClearResult();
    sheet.SetActivePage(sheet.PageOf<CPspDIYBRSystem>());
    EXPECT_TRUE(SaveScreenshot(&sheet, QStringLiteral("router-system-") + LanguageName(language)));
  }
  WizardState::Instance().languageId = kEnglish;
}

}  // namespace
}  // namespace kelvane
