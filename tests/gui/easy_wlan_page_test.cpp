// The wireless page against the emulated router: the skip box, the form
// filled from the router, red labels, what the user typed kept across a read
// and across Back, a router that cannot be read, the ways out while it reads,
// and pictures.
#include "EasyPageFixture.h"

#include "pages/CPspConnectivity.h"
#include "pages/CPspDetectWan.h"
#include "pages/CPspWLan.h"

namespace kelvane {
namespace {

using namespace test;
using P = CPspWLan;

class WlanPageTest : public EasyPageTest {
 protected:
  bool Open(std::uint32_t language = kEnglish, routersim::RouterSimOptions options = {}) {
    if (!Start(language, options)) return false;
    if (!router_->Connect(WizardState::Instance())) {
      ADD_FAILURE() << "the connectivity check did not pass";
      return false;
    }
    router_->Sim().WithState([](routersim::RouterSimState& s) {
      s.ssid = "HomeNet";
      s.channel = "0";
      s.securityCode = "8";
      s.psk = "old passphrase";
    });
    Activate(P::kTemplateId);
    return true;
  }
  QComboBox* Combo(int id) { return qobject_cast<QComboBox*>(Active()->Control(id)); }
  static void AnswerYes(CDlgMessage* box) {
    auto* text = qobject_cast<QLabel*>(box->Control(805));
    Boxes().push_back(text ? text->text() : QString());
    if (auto* yes = qobject_cast<QPushButton*>(box->Control(802))) yes->click();
  }
};

TEST_F(WlanPageTest, ActivationShowsTheExplanationAndTheSkipBox) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  EXPECT_EQ(WizardState::Instance().currentPageCode, 21u);
  EXPECT_EQ(ButtonStates(), Standard());
  EXPECT_EQ(Text(P::kMessageId), UiText(30083));
  EXPECT_TRUE(Visible(P::kSkipBoxId));
  EXPECT_TRUE(Visible(P::kPictureButtonId));
  for (int id : {P::kSsidLabelId, P::kSsidEditId, P::kChannelListId, P::kSecurityListId, P::kKeyEditId}) {
    EXPECT_FALSE(Visible(id)) << id;
  }
}

TEST_F(WlanPageTest, SkipGoesOnWithoutReadingTheRouter) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  router_->Sim().ClearLog();
  qobject_cast<QCheckBox*>(Active()->Control(P::kSkipBoxId))->setChecked(true);
  Next();
  EXPECT_EQ(ActiveTemplate(), CPspDetectWan::kTemplateId);
  EXPECT_EQ(WizardState::Instance().configureWireless, 0);
  EXPECT_TRUE(router_->Requests().empty());
  // Coming back, the box is as the user left it.
  Back();
  ASSERT_EQ(ActiveTemplate(), P::kTemplateId);
  EXPECT_TRUE(qobject_cast<QCheckBox*>(Active()->Control(P::kSkipBoxId))->isChecked());
}

TEST_F(WlanPageTest, LoadsFromTheRouterThenChecksAndMovesOn) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  Next();
  ASSERT_EQ(ActiveTemplate(), P::kTemplateId);
  auto* page = static_cast<P*>(Active());
  EXPECT_TRUE(page->SettingsLoaded());
  EXPECT_EQ(Text(P::kMessageId), UiText(30084));
  EXPECT_FALSE(Visible(P::kPictureButtonId));
  EXPECT_EQ(Text(P::kSsidEditId), QStringLiteral("HomeNet"));
  EXPECT_EQ(Combo(P::kChannelListId)->currentIndex(), 0);  // "0" is Auto
  EXPECT_EQ(Combo(P::kChannelListId)->count(), 12);        // Auto + 1..11
  EXPECT_EQ(Combo(P::kSecurityListId)->currentIndex(), 3);
  EXPECT_TRUE(Visible(P::kKeyEditId));
  EXPECT_EQ(Text(P::kKeyEditId), QStringLiteral("old passphrase"));
  Shot(QStringLiteral("easy-wlan-English-form"));

  // A 7-character key and an empty SSID: both labels red at once.
  qobject_cast<QLineEdit*>(Active()->Control(P::kSsidEditId))->clear();
  qobject_cast<QLineEdit*>(Active()->Control(P::kKeyEditId))->setText(QStringLiteral("1234567"));
  Next();
  EXPECT_EQ(ActiveTemplate(), P::kTemplateId);
  EXPECT_TRUE(Red(P::kSsidLabelId));
  EXPECT_TRUE(Red(P::kKeyLabelId));
  EXPECT_FALSE(Red(P::kChannelLabelId));
  // The refusing check names what is wrong with each.
  EXPECT_EQ(Text(P::kMessageId), UiText(30096) + QStringLiteral("\n") + UiText(30804) + QStringLiteral("\n") +
                                     UiText(30807));
  Shot(QStringLiteral("easy-wlan-English-red"));

  // Keyboard alone: type the SSID, pick channel 6 with the arrow keys, WEP, a key.
  QWidget* ssid = Active()->Control(P::kSsidEditId);
  ssid->setFocus();
  QTest::keyClicks(ssid, QStringLiteral("Kelvane"));
  QTest::keyClick(ssid, Qt::Key_Tab);
  QWidget* channel = QApplication::focusWidget();
  ASSERT_EQ(channel, Active()->Control(P::kChannelListId));
  for (int i = 0; i < 6; ++i) QTest::keyClick(channel, Qt::Key_Down);
  QTest::keyClick(channel, Qt::Key_Tab);
  QWidget* security = QApplication::focusWidget();
  ASSERT_EQ(security, Active()->Control(P::kSecurityListId));
  QTest::keyClick(security, Qt::Key_Up);
  QTest::keyClick(security, Qt::Key_Up);  // WPA2-PSK -> WEP
  QTest::keyClick(security, Qt::Key_Tab);
  QWidget* key = QApplication::focusWidget();
  ASSERT_EQ(key, Active()->Control(P::kKeyEditId));
  static_cast<QLineEdit*>(key)->clear();
  QTest::keyClicks(key, QStringLiteral("abcdef0123"));
  Next();
  EXPECT_EQ(ActiveTemplate(), CPspDetectWan::kTemplateId);
  const WirelessSettings& w = WizardState::Instance().WirelessSettings;
  EXPECT_EQ(w.ssid, "Kelvane");
  EXPECT_EQ(w.channel, "6");
  EXPECT_EQ(w.securityMode, kSecurityWep);
  EXPECT_EQ(w.keyIsText, 0);
  EXPECT_EQ(w.wepKeyLength, kWepKey64);
  EXPECT_EQ(WizardState::Instance().configureWireless, 1);

  // Back and on again: the router is read anew, but what the user typed and
  // chose is what the form shows before anything is taken.
  Back();
  ASSERT_EQ(ActiveTemplate(), P::kTemplateId);
  EXPECT_EQ(Text(P::kMessageId), UiText(30083));
  EXPECT_FALSE(Visible(P::kSsidEditId));
  router_->Sim().ClearLog();
  Next();
  EXPECT_FALSE(router_->Requests().empty());
  ASSERT_EQ(ActiveTemplate(), P::kTemplateId);
  EXPECT_EQ(Text(P::kSsidEditId), QStringLiteral("Kelvane"));
  EXPECT_EQ(Combo(P::kChannelListId)->currentText(), QStringLiteral("6"));
  EXPECT_EQ(Combo(P::kSecurityListId)->currentIndex(), 1);
  EXPECT_EQ(Text(P::kKeyEditId), QStringLiteral("abcdef0123"));
  Next();
  EXPECT_EQ(ActiveTemplate(), CPspDetectWan::kTemplateId);
  EXPECT_EQ(w.ssid, "Kelvane");
  EXPECT_EQ(w.channel, "6");
  EXPECT_EQ(w.securityMode, kSecurityWep);
  EXPECT_EQ(w.key, "abcdef0123");
}

// A router without security: WPA2 is proposed with its rule in words, the key
// masked behind "Show" and empty (a phrase the router kept from an earlier mode
// is not the user's choice); going without security is asked once.
TEST_F(WlanPageTest, AnOpenRouterIsOfferedWpa2AndNoSecurityIsAskedOnce) {
  for (std::uint32_t language : kScreenshotLanguages) {
    SCOPED_TRACE(language);
    if (!Open(language)) GTEST_SKIP() << why_.toStdString();
    router_->Sim().WithState([](routersim::RouterSimState& s) {
      s.securityCode = "0";
      s.psk = "left from before";
    });
    Boxes().clear();
    Next();
    ASSERT_TRUE(static_cast<P*>(Active())->SettingsLoaded());
    QComboBox* security = Combo(P::kSecurityListId);
    EXPECT_EQ(security->currentIndex(), 3);  // WPA2-PSK
    auto* key = qobject_cast<QLineEdit*>(Active()->Control(P::kKeyEditId));
    EXPECT_EQ(key->text(), QString());
    auto* show = Active()->findChild<QCheckBox*>(QStringLiteral("showKey"));
    auto* rule = Active()->findChild<QLabel*>(QStringLiteral("keyRule"));
    ASSERT_TRUE(show != nullptr && rule != nullptr);
    EXPECT_TRUE(key->isVisible() && show->isVisible() && rule->isVisible());
    EXPECT_EQ(rule->text(), UiText(30802));
    EXPECT_EQ(key->echoMode(), QLineEdit::Password);
    // Neither the box nor the rule hides behind another control or the page edge.
    EXPECT_TRUE(Active()->rect().contains(show->geometry()) && Active()->rect().contains(rule->geometry()));
    EXPECT_FALSE(show->geometry().intersects(key->geometry()));
    key->setText(QStringLiteral("short"));
    show->setChecked(true);
    EXPECT_EQ(key->echoMode(), QLineEdit::Normal);
    Shot(QStringLiteral("easy-wlan-%1-proposed").arg(LanguageName(language)));
    Next();
    EXPECT_EQ(Text(P::kMessageId), UiText(30096) + QStringLiteral("\n") + UiText(30807));
    Shot(QStringLiteral("easy-wlan-%1-key-too-short").arg(LanguageName(language)));
    if (language != kEnglish) continue;

    security->setCurrentIndex(1);
    EXPECT_EQ(rule->text(), UiText(30801));
    EXPECT_EQ(Text(P::kMessageId), UiText(30084));  // the refusal was about the mode before
    // "No": the choice before stays.
    security->setCurrentIndex(0);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], UiText(30803));
    EXPECT_EQ(security->currentIndex(), 1);
    // "Yes": no security, no key, no rule; asked only once on this visit.
    SetMessageBoxHook(&WlanPageTest::AnswerYes);
    security->setCurrentIndex(0);
    EXPECT_EQ(security->currentIndex(), 0);
    EXPECT_FALSE(key->isVisible() || show->isVisible() || rule->isVisible());
    security->setCurrentIndex(3);
    security->setCurrentIndex(0);
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(WizardState::Instance().WirelessSettings.securityMode, kSecurityNone);
  }
}

// A router whose wireless settings cannot be read: the page says so and
// points to the skip box, shows no value the router did not report, keeps
// what the user typed and chose meanwhile, and fills the rest once a read
// works.
TEST_F(WlanPageTest, UnreadableRouterSaysSoShowsNothingAndKeepsWhatWasTyped) {
  if (!Open()) GTEST_SKIP() << why_.toStdString();
  routersim::RouterSimFaults broken;
  broken.wrongStatus = 500;
  broken.match = "rf=0010";
  router_->Sim().SetFaults(broken);
  Next();
  auto* page = static_cast<P*>(Active());
  EXPECT_FALSE(page->SettingsLoaded());
  EXPECT_EQ(Text(P::kMessageId), UiText(30740));
  EXPECT_TRUE(Visible(P::kSkipBoxId));
  EXPECT_EQ(Text(P::kSsidEditId), QString());
  EXPECT_EQ(Combo(P::kChannelListId)->currentIndex(), -1);
  EXPECT_EQ(Combo(P::kSecurityListId)->currentIndex(), -1);
  EXPECT_FALSE(Visible(P::kKeyEditId));
  EXPECT_EQ(ButtonStates(), Standard());
  Shot(QStringLiteral("easy-wlan-English-unreadable"));

  // Typed and chosen meanwhile; the next Next reads again and keeps it.
  QWidget* ssid = Active()->Control(P::kSsidEditId);
  ssid->setFocus();
  QTest::keyClicks(ssid, QStringLiteral("MyNet"));
  QComboBox* channel = Combo(P::kChannelListId);
  channel->setFocus();
  QTest::keyClick(channel, Qt::Key_End);  // the last channel, by keyboard
  const QString chosenChannel = channel->currentText();
  ASSERT_FALSE(chosenChannel.isEmpty());
  Next();
  EXPECT_FALSE(page->SettingsLoaded());
  EXPECT_EQ(Text(P::kMessageId), UiText(30740));
  EXPECT_EQ(Text(P::kSsidEditId), QStringLiteral("MyNet"));
  EXPECT_EQ(channel->currentText(), chosenChannel);

  // The router answers again: the rest comes from it, the typed name stays.
  router_->Sim().SetFaults({});
  Next();
  EXPECT_TRUE(page->SettingsLoaded());
  EXPECT_EQ(Text(P::kMessageId), UiText(30084));
  EXPECT_EQ(Text(P::kSsidEditId), QStringLiteral("MyNet"));
  EXPECT_EQ(channel->currentText(), chosenChannel);
  EXPECT_EQ(Combo(P::kSecurityListId)->currentIndex(), 3);
  EXPECT_EQ(Text(P::kKeyEditId), QStringLiteral("old passphrase"));
  Next();
  EXPECT_EQ(ActiveTemplate(), CPspDetectWan::kTemplateId);
  const WirelessSettings& w = WizardState::Instance().WirelessSettings;
  EXPECT_EQ(w.ssid, "MyNet");
  EXPECT_EQ(w.channel.view(), chosenChannel.toStdString());
  EXPECT_EQ(w.securityMode, kSecurityWpa2Psk);
  EXPECT_EQ(w.key, "old passphrase");
}

TEST_F(WlanPageTest, NoWayOutWhileReadingAndBackForgetsTheForm) {
  routersim::RouterSimOptions options;
  options.faults.answerDelayMs = 500;
  if (!Open(kEnglish, options)) GTEST_SKIP() << why_.toStdString();
  bool stayed = false;
  EXPECT_TRUE(TryToLeaveDuringStep([&] { Next(); }, stayed));
  EXPECT_TRUE(stayed);
  EXPECT_TRUE(static_cast<P*>(Active())->SettingsLoaded());
  qobject_cast<QLineEdit*>(Active()->Control(P::kSsidEditId))->setText(QStringLiteral("typed"));
  Back();
  EXPECT_EQ(ActiveTemplate(), CPspConnectivity::kTemplateId);
  Activate(P::kTemplateId);
  EXPECT_FALSE(static_cast<P*>(Active())->SettingsLoaded());
  EXPECT_FALSE(Visible(P::kSsidEditId));
  EXPECT_NE(WizardState::Instance().WirelessSettings.ssid, "typed");
}

TEST_F(WlanPageTest, Screenshots) {
  if (ScreenshotDir().isEmpty()) GTEST_SKIP() << "KELVANE_SCREENSHOT_DIR not set";
  for (std::uint32_t language : kScreenshotLanguages) {
    ResetRouterDefaults(WizardState::Instance());
    if (!Open(language)) GTEST_SKIP() << why_.toStdString();
    const QString name = LanguageName(language);
    Shot(QStringLiteral("easy-wlan-%1-intro").arg(name));
    Next();
    qobject_cast<QLineEdit*>(Active()->Control(P::kKeyEditId))->setText(QStringLiteral("short"));
    Next();
    Shot(QStringLiteral("easy-wlan-%1-form-red").arg(name));
  }
}

}  // namespace
}  // namespace kelvane
