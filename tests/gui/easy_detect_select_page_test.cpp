// The WAN detection and WAN type selection pages against the emulated
// router: the two-press Next, routing by the proposal, the manual choice,
// the hidden buttons, Back, the ways out while detecting, and pictures.
#include "EasyPageFixture.h"

#include "pages/CPspConnectivity.h"
#include "pages/CPspDetectWan.h"
#include "pages/CPspSelectWan.h"
#include "pages/CPspStore.h"
#include "pages/CPspWLan.h"
#include "pages/CPspWanSettings.h"
#include "wizard/CImageButton.h"

namespace kelvane {
namespace {

using namespace test;
using D = CPspDetectWan;
using S = CPspSelectWan;

class DetectSelectPageTest : public EasyPageTest {
 protected:
  bool Open(std::uint32_t language = kEnglish, routersim::RouterSimOptions options = {}) {
    if (!Start(language, options)) return false;
    // A check that does not pass is a failure, not a reason to skip.
    EXPECT_TRUE(router_->Connect(WizardState::Instance()));
    router_->Sim().ClearLog();
    Activate(D::kTemplateId);
    return true;
  }
  void SetWan(bool cable, routersim::WanService service) {
    router_->Sim().WithState([&](routersim::RouterSimState& s) {
      s.wanCable = cable;
      s.service = service;
    });
  }
};

TEST_F(DetectSelectPageTest, ActivationOfTheDetectionPage) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  EXPECT_EQ(WizardState::Instance().currentPageCode, 22u);
  EXPECT_EQ(ButtonStates(), Standard());
  EXPECT_EQ(Text(D::kMessageId), UiText(30108));
  EXPECT_EQ(Text(D::kChooseBoxId), UiText(30117));
  EXPECT_TRUE(Visible(D::kChooseBoxId));
  EXPECT_TRUE(Visible(D::kPictureButtonId));
  for (int id : {D::kSelectManuallyId, D::kIgnoreId, D::kRetryId}) EXPECT_FALSE(Visible(id));
}

TEST_F(DetectSelectPageTest, FirstNextDetectsSecondFollowsTheProposal) {
  struct Case {
    const char* name;
    bool cable;
    routersim::WanService service;
    bool pppoeAccount;
    StringId message;
    int target;
  };
  using W = routersim::WanService;
  const std::vector<Case> cases = {
      {"dynamic ip straight to the store page", true, W::kDhcp, true, 30110, CPspStore::kTemplateId},
      {"pppoe on the wan", true, W::kPppoe, false, 30111, CPspPPPoEWan::kTemplateId},
      {"nothing found: pppoe", true, W::kNone, false, 30112, CPspPPPoEWan::kTemplateId},
      {"wan down, pppoe account filled in", false, W::kDhcp, true, 30113, CPspPPPoEWan::kTemplateId},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetRouterDefaults(WizardState::Instance());
    if (!Open()) GTEST_SKIP() << why_.toStdString();
    SetWan(c.cable, c.service);
    if (c.pppoeAccount) router_->Pc().phonebook = {SimHostNetwork::Pppoe("DSL", "FastNet", "carol")};
    Next();
    ASSERT_EQ(ActiveTemplate(), D::kTemplateId);
    EXPECT_TRUE(static_cast<D*>(Active())->DetectionDone());
    EXPECT_EQ(Text(D::kMessageId), UiText(c.message));
    EXPECT_TRUE(Visible(D::kChooseBoxId));
    EXPECT_EQ(ButtonStates(), Standard());
    Next();
    EXPECT_EQ(ActiveTemplate(), c.target);
    if (c.target == CPspPPPoEWan::kTemplateId && c.pppoeAccount && !c.cable) {
      EXPECT_EQ(Text(kWanRowEditId(1)), QStringLiteral("carol"));
      EXPECT_EQ(Text(kWanRowEditId(3)), QStringLiteral("FastNet"));
    }
  }
}

TEST_F(DetectSelectPageTest, NoProposalDetectsAgainAndLeavingForgetsTheVerdict) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  SetWan(false, routersim::WanService::kDhcp);
  Next();
  EXPECT_EQ(Text(D::kMessageId), UiText(30119));
  EXPECT_FALSE(static_cast<D*>(Active())->DetectionDone());
  Shot(QStringLiteral("easy-detect-English-notconnected"));
  router_->Pc().phonebook = {SimHostNetwork::Vpn("Office", kVpnPptpOnly, "198.51.100.7", "bob")};
  Next();  // detects again
  EXPECT_EQ(Text(D::kMessageId), UiText(30114));
  EXPECT_TRUE(static_cast<D*>(Active())->DetectionDone());
  Back();
  EXPECT_EQ(ActiveTemplate(), CPspWLan::kTemplateId);
  Activate(D::kTemplateId);
  EXPECT_FALSE(static_cast<D*>(Active())->DetectionDone());
}

TEST_F(DetectSelectPageTest, ChooseMyselfGoesToTheSelectionEvenBeforeDetecting) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  router_->Sim().ClearLog();
  qobject_cast<QCheckBox*>(Active()->Control(D::kChooseBoxId))->setChecked(true);
  Next();
  EXPECT_EQ(ActiveTemplate(), S::kTemplateId);
  EXPECT_TRUE(router_->Requests().empty());
}

TEST_F(DetectSelectPageTest, BackWithoutWirelessGoesToTheConnectivityPage) {
  WizardState::Instance().wirelessPresent = false;
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  Back();
  EXPECT_EQ(ActiveTemplate(), CPspConnectivity::kTemplateId);
}

TEST_F(DetectSelectPageTest, NoWayOutWhileDetecting) {
  routersim::RouterSimOptions options;
  options.faults.answerDelayMs = 500;
  if (!Open(kEnglish, options)) GTEST_SKIP() << why_.toStdString();
  bool stayed = false;
  EXPECT_TRUE(TryToLeaveDuringStep([&] { Next(); }, stayed));
  EXPECT_TRUE(stayed);
  EXPECT_EQ(ActiveTemplate(), D::kTemplateId);
}

TEST_F(DetectSelectPageTest, SelectionOffersSixButtonsAndNoNext) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  Activate(S::kTemplateId);
  EXPECT_EQ(WizardState::Instance().currentPageCode, 23u);
  EXPECT_EQ(ButtonStates(), (std::vector<std::pair<bool, bool>>{
                                {true, true}, {true, false}, {true, true}, {false, false}, {true, true}}));
  EXPECT_EQ(Text(S::kMessageId), UiText(30133));
  EXPECT_FALSE(Visible(S::kTeliaButtonId));
  QTest::keyClick(Active(), Qt::Key_Return);
  EXPECT_EQ(ActiveTemplate(), S::kTemplateId);

  const std::vector<std::pair<int, int>> buttons = {
      {6010, CPspDynamicWan::kTemplateId}, {6011, CPspStaticWan::kTemplateId}, {6012, CPspPPPoEWan::kTemplateId},
      {6013, CPspPPTPWan::kTemplateId},    {6014, CPspL2TPWan::kTemplateId},   {6015, CPspBigPondWan::kTemplateId},
  };
  for (const auto& [id, target] : buttons) {
    Activate(S::kTemplateId);
    auto* button = qobject_cast<CImageButton*>(Active()->Control(id));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible());
    EXPECT_FALSE(button->accessibleName().isEmpty());
    // Reached by keyboard: focus and the space bar.
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(ActiveTemplate(), target) << id;
    Back();
    EXPECT_EQ(ActiveTemplate(), S::kTemplateId);
  }
  Back();
  EXPECT_EQ(ActiveTemplate(), D::kTemplateId);
}

TEST_F(DetectSelectPageTest, GreekGivesEveryCaptionTheGreekFont) {
  if (!Open(kGreek)) GTEST_SKIP() << why_.toStdString();
  Activate(S::kTemplateId);
  // The translated captions and the protocol names alike: one size in a row.
  for (int id : {6010, 6011, 6012, 6013, 6014, 6015, 6016}) {
    EXPECT_EQ(Active()->Control(id)->font().pixelSize(), 10) << id;
    EXPECT_EQ(Active()->Control(id)->font().weight(), QFont::Normal) << id;
  }
}

TEST_F(DetectSelectPageTest, Screenshots) {
  if (ScreenshotDir().isEmpty()) GTEST_SKIP() << "KELVANE_SCREENSHOT_DIR not set";
  for (std::uint32_t language : kScreenshotLanguages) {
    ResetRouterDefaults(WizardState::Instance());
    if (!Open(language)) GTEST_SKIP() << why_.toStdString();
    const QString name = LanguageName(language);
    Shot(QStringLiteral("easy-detect-%1-intro").arg(name));
    Next();
    Shot(QStringLiteral("easy-detect-%1-verdict").arg(name));
    Activate(S::kTemplateId);
    Shot(QStringLiteral("easy-select-%1").arg(name));
  }
}

}  // namespace
}  // namespace kelvane
