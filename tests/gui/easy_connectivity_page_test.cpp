// The connectivity check page against the emulated router and the simulated
// PC: activation, every outcome's message, the login prompt on the page, the
// DHCP offer and switch, the ways out during a check, Back, and pictures.
#include "EasyPageFixture.h"

#include "pages/CPspConnectivity.h"
#include "pages/CPspSetupType.h"
#include "pages/CPspWLan.h"

namespace kelvane {
namespace {

using namespace test;
using P = CPspConnectivity;

class ConnectivityPageTest : public EasyPageTest {};

TEST_F(ConnectivityPageTest, ActivationShowsTheChecklistAndHidesThePrompt) {
  if (!Start()) GTEST_SKIP() << why_.toStdString();
  ASSERT_NE(Activate(P::kTemplateId), nullptr);
  EXPECT_EQ(WizardState::Instance().currentPageCode, 20u);
  EXPECT_EQ(ButtonStates(), Standard());
  EXPECT_EQ(Text(P::kMessageId), UiText(30058));
  EXPECT_TRUE(Visible(P::kPictureButtonId));
  EXPECT_FALSE(Visible(P::kLoginLabelId));
  EXPECT_FALSE(Visible(P::kLoginEditId));
  EXPECT_FALSE(Visible(P::kSubmitId));
  Shot(QStringLiteral("easy-connectivity-English-checklist"));
}

TEST_F(ConnectivityPageTest, FindsTheRouterLogsInAndMovesOn) {
  if (!Start()) GTEST_SKIP() << why_.toStdString();
  Activate(P::kTemplateId);
  Next();
  EXPECT_EQ(ActiveTemplate(), CPspWLan::kTemplateId);
  EXPECT_EQ(WizardState::Instance().routerAddress.view(), router_->Address());
}

TEST_F(ConnectivityPageTest, ChangedWordBringsThePromptAndTheStrippedWordPasses) {
  for (auto flavour : {routersim::LoginFlavour::kForm, routersim::LoginFlavour::kBasic}) {
    SCOPED_TRACE(static_cast<int>(flavour));
    ResetRouterDefaults(WizardState::Instance());
    if (!Start()) GTEST_SKIP() << why_.toStdString();
    router_->Sim().WithState([&](routersim::RouterSimState& s) {
      s.flavour = flavour;
      s.loginWord = "s3cret";
    });
    auto* page = static_cast<P*>(Activate(P::kTemplateId));
    Next();
    ASSERT_EQ(ActiveTemplate(), P::kTemplateId);
    EXPECT_TRUE(page->LoginPrompted());
    EXPECT_EQ(Text(P::kMessageId), UiText(30068));
    EXPECT_TRUE(Visible(P::kLoginLabelId));
    EXPECT_EQ(Text(P::kLoginLabelId), UiText(30065) + QStringLiteral(":"));
    ASSERT_TRUE(Visible(P::kLoginEditId));
    EXPECT_TRUE(Text(P::kLoginEditId).isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), page->Control(P::kLoginEditId));
    EXPECT_EQ(ButtonStates(), Standard());
    auto* edit = qobject_cast<QLineEdit*>(page->Control(P::kLoginEditId));
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);

    // Typed by keyboard alone, with blanks around it.
    QTest::keyClicks(edit, QStringLiteral("  s3cret  "));
    QTest::keyClick(sheet_.get(), Qt::Key_N, Qt::AltModifier);  // harmless if no mnemonic
    if (ActiveTemplate() == P::kTemplateId) Next();
    EXPECT_EQ(ActiveTemplate(), CPspWLan::kTemplateId);
    EXPECT_EQ(edit->text(), QStringLiteral("s3cret"));
    const WizardState& state = WizardState::Instance();
    if (flavour == routersim::LoginFlavour::kBasic) {
      EXPECT_EQ(state.loginUser, "s3cret");
      EXPECT_EQ(state.loginPassword, "");
    } else {
      EXPECT_EQ(state.loginPassword, "s3cret");
    }
  }
}

TEST_F(ConnectivityPageTest, NoRouterAndNoAddressShowTheirMessages) {
  if (!Start()) GTEST_SKIP() << why_.toStdString();
  Activate(P::kTemplateId);
  router_->Sim().Stop();
  Next();
  EXPECT_EQ(ActiveTemplate(), P::kTemplateId);
  EXPECT_EQ(Text(P::kMessageId), UiText(30067));
  EXPECT_EQ(ButtonStates(), Standard());
  Shot(QStringLiteral("easy-connectivity-English-norouter"));

  router_->Pc().adapters = {SimHostNetwork::Adapter("eth0", "0.0.0.0")};
  Next();
  EXPECT_EQ(Text(P::kMessageId), UiText(30066));
}

// After the switch the router is not searched again, but it is logged in to:
// a form-login router is then read by the next pages, and a changed word is
// asked for here rather than failing every later page.
TEST_F(ConnectivityPageTest, DhcpOfferThenSwitchLogsInWithoutSearchingAgain) {
  struct Case {
    const char* name;
    routersim::LoginFlavour flavour;
    const char* word;  // the router's login word
  };
  const Case cases[] = {
      {"open", routersim::LoginFlavour::kOpen, "kwzpo"},
      {"form login", routersim::LoginFlavour::kForm, "kwzpo"},
      {"basic, changed word", routersim::LoginFlavour::kBasic, "s3cret"},
      {"form, changed word", routersim::LoginFlavour::kForm, "s3cret"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetRouterDefaults(WizardState::Instance());
    routersim::RouterSimOptions options;
    options.answerDhcp = true;
    if (!Start(kEnglish, options)) GTEST_SKIP() << why_.toStdString();
    router_->Sim().WithState([&](routersim::RouterSimState& s) {
      s.flavour = c.flavour;
      s.loginWord = c.word;
    });
    SimHostNetwork& pc = router_->Pc();
    pc.adapters = {SimHostNetwork::Adapter("eth0", "10.0.0.5", "10.0.0.1", false)};
    pc.adaptersAfterRestart = {SimHostNetwork::Adapter("eth0", "127.0.0.10", "127.0.0.1", true)};
    pc.restartSucceeds = false;
    auto* page = static_cast<P*>(Activate(P::kTemplateId));
    Next();
    ASSERT_TRUE(page->DhcpSwitchPending());
    EXPECT_EQ(Text(P::kMessageId), UiText(30063));
    Shot(QStringLiteral("easy-connectivity-English-dhcpoffer"));

    // The switch fails: the offer stays for the next Next.
    Next();
    EXPECT_EQ(ActiveTemplate(), P::kTemplateId);
    EXPECT_EQ(Text(P::kMessageId), UiText(30070));
    EXPECT_TRUE(page->DhcpSwitchPending());

    pc.restartSucceeds = true;
    const std::size_t datagrams = router_->Sim().DatagramLog().size();
    Next();
    EXPECT_EQ(pc.CountCalls("SwitchAdapterToDhcp"), 2);
    EXPECT_EQ(router_->Sim().DatagramLog().size(), datagrams);  // no second search
    EXPECT_EQ(WizardState::Instance().pcAdapterName, "eth0");
    EXPECT_FALSE(page->DhcpSwitchPending());
    if (std::string(c.word) != "kwzpo") {
      ASSERT_EQ(ActiveTemplate(), P::kTemplateId);
      EXPECT_TRUE(page->LoginPrompted());
      EXPECT_EQ(Text(P::kMessageId), UiText(30068));
      auto* edit = qobject_cast<QLineEdit*>(page->Control(P::kLoginEditId));
      ASSERT_TRUE(edit->isVisible());
      QTest::keyClicks(edit, QString::fromLatin1(c.word));
      Next();
    }
    ASSERT_EQ(ActiveTemplate(), CPspWLan::kTemplateId);
    // Logged in: a form-login router takes the store's commands later.
    if (c.flavour == routersim::LoginFlavour::kForm) {
      EXPECT_TRUE(router_->Sim().WithState([](routersim::RouterSimState& s) { return s.formLoggedIn; }));
    }
    const std::string word = c.flavour == routersim::LoginFlavour::kBasic ? WizardState::Instance().loginUser.str()
                                                                          : WizardState::Instance().loginPassword.str();
    if (c.flavour != routersim::LoginFlavour::kOpen) {
      EXPECT_EQ(word, c.word);
    }
  }
}

TEST_F(ConnectivityPageTest, NoWayOutWhileTheCheckRuns) {
  routersim::RouterSimOptions options;
  options.faults.answerDelayMs = 800;  // a slow router keeps the check busy
  if (!Start(kEnglish, options)) GTEST_SKIP() << why_.toStdString();
  Activate(P::kTemplateId);
  bool stayed = false;
  const bool sawBusy = TryToLeaveDuringStep([&] { Next(); }, stayed);
  EXPECT_TRUE(sawBusy);
  EXPECT_TRUE(stayed);
  EXPECT_TRUE(sheet_->isVisible());
  EXPECT_EQ(ActiveTemplate(), CPspWLan::kTemplateId);  // the check went on to the end
  // Idle again: Cancel asks, and No keeps the sheet.
  Button(CPshMain::kButtonCancel)->click();
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_TRUE(sheet_->isVisible());
}

TEST_F(ConnectivityPageTest, NoWayOutDuringTheDhcpSwitch) {
  routersim::RouterSimOptions options;
  options.answerDhcp = true;
  if (!Start(kEnglish, options)) GTEST_SKIP() << why_.toStdString();
  SimHostNetwork& pc = router_->Pc();
  pc.adapters = {SimHostNetwork::Adapter("eth0", "10.0.0.5", "10.0.0.1", false)};
  pc.adaptersAfterRestart = {SimHostNetwork::Adapter("eth0", "127.0.0.10", "127.0.0.1", true)};
  pc.restartDelayMs = 600;
  Activate(P::kTemplateId);
  Next();
  bool stayed = false;
  EXPECT_TRUE(TryToLeaveDuringStep([&] { Next(); }, stayed));
  EXPECT_TRUE(stayed);
  EXPECT_EQ(ActiveTemplate(), CPspWLan::kTemplateId);
}

TEST_F(ConnectivityPageTest, BackPassesOverTheAdvancedPage) {
  if (!Start()) GTEST_SKIP() << why_.toStdString();
  Activate(P::kTemplateId);
  Back();
  EXPECT_EQ(ActiveTemplate(), CPspSetupType::kTemplateId);
}

TEST_F(ConnectivityPageTest, Screenshots) {
  if (ScreenshotDir().isEmpty()) GTEST_SKIP() << "KELVANE_SCREENSHOT_DIR not set";
  for (std::uint32_t language : kScreenshotLanguages) {
    ResetRouterDefaults(WizardState::Instance());
    if (!Start(language)) GTEST_SKIP() << why_.toStdString();
    const QString name = LanguageName(language);
    Activate(P::kTemplateId);
    Shot(QStringLiteral("easy-connectivity-%1-checklist").arg(name));
    router_->Sim().WithState([](routersim::RouterSimState& s) { s.loginWord = "other"; s.flavour = routersim::LoginFlavour::kForm; });
    Next();
    QTest::keyClicks(Active()->Control(P::kLoginEditId), QStringLiteral("word"));
    Shot(QStringLiteral("easy-connectivity-%1-loginprompt").arg(name));
  }
}

}  // namespace
}  // namespace kelvane
