// The router sheet's wireless tab in a window, against the emulator in this
// process: what a read shows for each security code, the cleared state after
// a failed read, the marks of a refused store, and screenshots per mode.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <memory>

#include "GuiTestSupport.h"
#include "advanced/CPshRouter.h"
#include "advanced/CPspDIYWLan.h"
#include "language/StringIds.h"
#include "state/WizardState.h"
#include "support/EmulatedRouter.h"
#include "wizard/CDlgWifiCode.h"
#include "wizard/CStaticText.h"
#include "wizard/CWifiCodePanel.h"
#include "wizard/UiText.h"

namespace kelvane {
namespace {

using namespace test;
using P = CPspDIYWLan;

class WirelessTab : public ::testing::Test {
 protected:
  void SetUp() override {
    QString why;
    if (!LoadLanguage(kEnglish, &why)) GTEST_SKIP() << why.toStdString();
    ASSERT_TRUE(router_.ok()) << router_.why();
    WizardState& state = WizardState::Instance();
    ResetRouterDefaults(state);
    state.wirelessPresent = true;
    ASSERT_TRUE(router_.Connect(state));
    router_.Sim().ClearLog();
  }
  P* Open(const char* code, const char* channel = "6") {
    router_.Sim().WithState([&](routersim::RouterSimState& s) {
      s.ssid = "Home";
      s.channel = channel;
      s.securityCode = code;
      s.wepKey = "0a1b2c3d4e";
      s.psk = "pass phrase";
    });
    sheet_ = std::make_unique<CPshRouter>();
    sheet_->show();
    P* page = sheet_->PageOf<P>();
    sheet_->SetActivePage(page);
    EXPECT_TRUE(page->WaitFirstRead(20000));
    return page;
  }
  template <class T>
  T* C(P* page, int id) {
    return page->ControlAs<T>(id);
  }
  bool Shown(P* page, int id) { return page->Control(id)->isVisibleTo(page); }
  // Opens the code for phones and answers what it encodes ("" when it is not offered).
  static std::string JoinText(P* page) {
    auto* code = page->findChild<QPushButton*>(QStringLiteral("wifiCode"));
    if (code == nullptr || !code->isVisibleTo(page)) return {};
    std::string text;
    QTimer::singleShot(0, [&] {
      if (auto* dialog = qobject_cast<CDlgWifiCode*>(QApplication::activeModalWidget())) {
        text = dialog->Panel()->JoinText();
        dialog->accept();
      }
    });
    code->click();
    return text;
  }

  EmulatedRouter router_;
  std::unique_ptr<CPshRouter> sheet_;
};

// There is no cipher list: the router's command cannot carry a cipher.
TEST_F(WirelessTab, EachSecurityCodeShowsItsEntryAndKey) {
  constexpr int kNoLongerACipherList = 6102;
  struct Case {
    const char* code;
    const char* entry;
    bool keyShown;
    const char* key;
  };
  const Case cases[] = {
      {"0", nullptr, false, ""},
      {"1", "WEP", true, "0a1b2c3d4e"},
      {"2", "WPAPSK", true, "pass phrase"},
      {"3", "WPAPSK", true, "pass phrase"},
      {"8", "WPA2PSK", true, "pass phrase"},
      {"4", "WPA2PSK", true, "pass phrase"},
      {"5", "WPA-PSK/WPA2-PSK", true, "pass phrase"},  // read, never a held one
      {"7", "", false, ""},  // a code the list does not know: no choice shown
  };
  for (const Case& c : cases) {
    P* page = Open(c.code);
    const QString entry = c.entry == nullptr ? UiText(kIdWirelessSecurityNone) : QString::fromLatin1(c.entry);
    WizardState::Instance().WirelessSettings.key = "a held key";
    EXPECT_EQ(C<QComboBox>(page, P::kSecurityList)->currentText(), entry) << c.code;
    EXPECT_EQ(page->Control(kNoLongerACipherList), nullptr) << c.code;
    EXPECT_EQ(page->findChildren<QComboBox*>().size(), 2) << c.code << ": the channel and security lists only";
    EXPECT_EQ(Shown(page, P::kKeyEdit), c.keyShown) << c.code;
    if (c.key != nullptr && c.keyShown) {
      EXPECT_EQ(C<QLineEdit>(page, P::kKeyEdit)->text(), QString::fromLatin1(c.key)) << c.code;
    }
    EXPECT_EQ(C<QLineEdit>(page, P::kKeyEdit)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), QString()) << "the first read says nothing";
    SaveScreenshot(sheet_.get(), QStringLiteral("router-wireless-code%1-English").arg(QLatin1String(c.code)));
  }
}

TEST_F(WirelessTab, ChannelZeroShowsAutoAndAFailedReadClearsAndDisablesTheForm) {
  P* page = Open("8", "0");
  EXPECT_EQ(C<QComboBox>(page, P::kChannelList)->currentText(), QStringLiteral("Auto"));
  // After the successful read the code of the network the router holds is offered.
  auto* code = page->findChild<QPushButton*>(QStringLiteral("wifiCode"));
  ASSERT_NE(code, nullptr);
  EXPECT_TRUE(code->isVisibleTo(page));
  std::string joinText;
  QTimer::singleShot(0, [&] {
    if (auto* dialog = qobject_cast<CDlgWifiCode*>(QApplication::activeModalWidget())) {
      joinText = dialog->Panel()->JoinText();
      SaveScreenshot(dialog, QStringLiteral("router-wireless-phone-code-English"));
      dialog->accept();
    }
  });
  code->click();
  EXPECT_EQ(joinText, "WIFI:T:WPA;S:Home;P:pass phrase;;");
  // The router is found and logs in, but its wireless status page fails: the
  // line says how (the form is cleared and disabled each time).
  const struct {
    const char* name;
    void (*fault)(routersim::RouterSimFaults&);
    StringId line;
  } failures[] = {
      {"no page", [](routersim::RouterSimFaults& f) { f.closeAtOnce = true; }, kIdRouterDidNotAnswer},
      {"a page not understood", [](routersim::RouterSimFaults& f) { f.junkBytes = 300; }, kIdRouterPageNotUnderstood},
      {"a server error", [](routersim::RouterSimFaults& f) { f.wrongStatus = 500; }, kIdRouterReportedError},
  };
  for (const auto& f : failures) {
    routersim::RouterSimFaults broken;
    f.fault(broken);
    broken.match = "rf=0010";
    router_.Sim().SetFaults(broken);
    C<QPushButton>(page, P::kRefreshButton)->click();
    EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(f.line)) << f.name;
  }
  EXPECT_FALSE(code->isVisibleTo(page));  // nothing read, nothing offered
}

// Renaming the network on a router this program does not fully know: an
// unknown security code is not stored as "none" (nothing is sent until a mode
// is chosen), and a channel the list lacks is offered, not replaced by 11.
TEST_F(WirelessTab, RenamingKeepsTheSecurityAndTheChannelTheUserDidNotChoose) {
  routersim::RouterSimFaults noRegion;
  noRegion.wrongStatus = 500;
  noRegion.match = "sysinfo";
  router_.Sim().SetFaults(noRegion);
  P* page = Open("7", "6");
  EXPECT_EQ(C<QComboBox>(page, P::kChannelList)->currentText(), QStringLiteral("6"));
  router_.Sim().ClearLog();
  C<QLineEdit>(page, P::kSsidEdit)->setText(QStringLiteral("Renamed"));
  C<QPushButton>(page, P::kStoreButton)->click();
  EXPECT_EQ(page->ControlAs<CStaticText>(P::kSecurityLabel)->TextColor(), QColor(255, 0, 0));
  for (const std::string& line : router_.Requests()) EXPECT_EQ(line.find("cgi-bin/wlap"), std::string::npos) << line;
  EXPECT_EQ(router_.Sim().StateCopy().securityCode, "7");

  // WPA with AES: the router keeps its cipher, and the code for phones
  // names the network the router holds now.
  router_.Sim().WithState([](routersim::RouterSimState& s) { s.securityCode = "3"; });
  C<QPushButton>(page, P::kRefreshButton)->click();
  C<QLineEdit>(page, P::kSsidEdit)->setText(QStringLiteral("Renamed"));
  C<QPushButton>(page, P::kStoreButton)->click();
  EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(kIdAdvWirelessSaved));
  const routersim::RouterSimState after = router_.Sim().StateCopy();
  EXPECT_EQ(after.ssid, "Renamed");
  EXPECT_EQ(after.channel, "6");
  EXPECT_EQ(after.securityCode, "3");
  EXPECT_EQ(after.psk, "pass phrase");
  EXPECT_EQ(JoinText(page), "WIFI:T:WPA;S:Renamed;P:pass phrase;;");

  // A store the router quietly drops fails, and no code is offered for a
  // network the router may not hold; neither after one it refuses.
  router_.Sim().SetFaults({});
  for (const char* fault : {"ignore", "alert"}) {
    routersim::RouterSimFaults drop;
    drop.match = "cgi-bin/wlap";
    drop.ignoreQuietly = std::string(fault) == "ignore";
    if (std::string(fault) == "alert") drop.refuseAlert = "Invalid pre-shared key";
    router_.Sim().SetFaults(drop);
    C<QLineEdit>(page, P::kSsidEdit)->setText(QStringLiteral("Not taken"));
    C<QLineEdit>(page, P::kKeyEdit)->setText(QStringLiteral("a refused phrase"));
    C<QPushButton>(page, P::kStoreButton)->click();
    EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(kIdStoreSavingFailed)) << fault;
    EXPECT_FALSE(page->findChild<QPushButton*>(QStringLiteral("wifiCode"))->isVisibleTo(page)) << fault;
    EXPECT_EQ(router_.Sim().StateCopy().ssid, "Renamed") << fault;
  }
  router_.Sim().SetFaults({});
  C<QPushButton>(page, P::kRefreshButton)->click();
  EXPECT_EQ(JoinText(page), "WIFI:T:WPA;S:Renamed;P:pass phrase;;");
}

TEST_F(WirelessTab, ARefusedKeyTurnsItsLabelRedAndSendsNothing) {
  P* page = Open("1");
  router_.Sim().ClearLog();
  C<QLineEdit>(page, P::kKeyEdit)->setText(QStringLiteral("twelve chars"));
  C<QPushButton>(page, P::kStoreButton)->click();
  EXPECT_EQ(page->ControlAs<CStaticText>(P::kKeyLabel)->TextColor(), QColor(255, 0, 0));
  EXPECT_EQ(page->ControlAs<CStaticText>(P::kSsidLabel)->TextColor(), QColor(0, 0, 0));
  EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(kIdWepKeyWrongLength));
  for (const std::string& line : router_.Requests()) EXPECT_EQ(line.find("cgi-bin/wlap"), std::string::npos) << line;

  C<QLineEdit>(page, P::kKeyEdit)->setText(QStringLiteral("thirteen char"));
  // A right key the router does not take: the line says the saving failed.
  routersim::RouterSimFaults refused;
  refused.wrongStatus = 500;
  refused.match = "cgi-bin/wlap";
  router_.Sim().SetFaults(refused);
  C<QPushButton>(page, P::kStoreButton)->click();
  EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(kIdStoreSavingFailed));
  router_.Sim().SetFaults({});
  C<QPushButton>(page, P::kStoreButton)->click();
  EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(kIdAdvWirelessSaved));
  EXPECT_EQ(page->ControlAs<CStaticText>(P::kKeyLabel)->TextColor(), QColor(0, 0, 0));
  EXPECT_EQ(router_.Sim().StateCopy().wepKey, "thirteen char");
}

TEST(WirelessTabScreens, SecurityModesInTheScreenshotLanguages) {
  if (ScreenshotDir().isEmpty()) GTEST_SKIP() << "KELVANE_SCREENSHOT_DIR is not set";
  for (std::uint32_t language : kScreenshotLanguages) {
    QString why;
    if (!LoadLanguage(language, &why)) GTEST_SKIP() << why.toStdString();
    WizardState::Instance().languageId = language;
    CPshRouter sheet;
    sheet.show();
    auto* page = sheet.PageOf<P>();
    sheet.SetActivePage(page);
    for (int position : {1, 3, 4}) {
      page->ControlAs<QComboBox>(P::kSecurityList)->setCurrentIndex(position);
      EXPECT_TRUE(page->Control(P::kKeyEdit)->isVisibleTo(page)) << position;
      EXPECT_TRUE(SaveScreenshot(&sheet, QStringLiteral("router-wireless-mode%1-").arg(position) + LanguageName(language)));
    }
  }
  WizardState::Instance().languageId = kEnglish;
}

// The router's own UTF-8 name is kept when only the channel changes, and a
// refused name says what is wrong with it.
TEST_F(WirelessTab, AnSsidIsCountedInUtf8BytesAndARefusalSaysWhy) {
  P* page = Open("8");
  router_.Sim().WithState([](routersim::RouterSimState& s) { s.ssid = "Caf\xc3\xa9 5G"; });
  C<QPushButton>(page, P::kRefreshButton)->click();
  EXPECT_EQ(C<QLineEdit>(page, P::kSsidEdit)->text(), QStringLiteral("Caf\u00e9 5G"));
  C<QComboBox>(page, P::kChannelList)->setCurrentText(QStringLiteral("11"));
  C<QPushButton>(page, P::kStoreButton)->click();
  EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(kIdAdvWirelessSaved));
  EXPECT_EQ(router_.Sim().StateCopy().ssid, "Caf\xc3\xa9 5G");
  EXPECT_EQ(router_.Sim().StateCopy().channel, "11");

  const struct {
    QString ssid;
    StringId problem;
  } refused[] = {
      {QString(17, QChar(0x00e9)), kIdSsidTooLong},  // 17 characters, 34 bytes
      {QStringLiteral("tab\there"), kIdSsidBadCharacter},
  };
  for (const auto& r : refused) {
    router_.Sim().ClearLog();
    C<QLineEdit>(page, P::kSsidEdit)->setText(r.ssid);
    C<QPushButton>(page, P::kStoreButton)->click();
    EXPECT_EQ(page->ControlAs<CStaticText>(P::kSsidLabel)->TextColor(), QColor(255, 0, 0)) << r.ssid.toStdString();
    EXPECT_EQ(page->ControlAs<QLabel>(P::kResultLine)->text(), UiText(r.problem)) << r.ssid.toStdString();
    for (const std::string& line : router_.Requests()) EXPECT_EQ(line.find("cgi-bin/wlap"), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace kelvane
