// The last three pages of the easy mode, offscreen against the emulator in
// this process: the store page's summary and storing, the WAN test page, the
// finish page's verdicts and what Finish opens; and every way out refused
// while a step runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTimer>

#include <set>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "pages/CPspConnectivity.h"
#include "pages/CPspFinish.h"
#include "pages/CPspStore.h"
#include "pages/CPspTestWan.h"
#include "pages/CPspWLan.h"
#include "router/RouterRequest.h"
#include "router/WirelessLanCommands.h"
#include "state/SessionRecord.h"
#include "steps/kit/WanForms.h"
#include "support/EmulatedRouter.h"
#include "wizard/CHTRichEditCtrl.h"
#include "wizard/CImageButton.h"
#include "wizard/CWaitStrip.h"
#include "app/CPshMain.h"
#include "wizard/MessageBox.h"
#include "wizard/OpenUrl.h"
#include "wizard/SaveFileName.h"
#include "wizard/UiText.h"

namespace kelvane {
namespace {

int g_messageBoxes = 0;
QString g_lastBoxText;
void CountAndCloseBox(CDlgMessage* box) {
  ++g_messageBoxes;
  auto* text = qobject_cast<QLabel*>(box->Control(805));
  g_lastBoxText = text != nullptr ? text->text() : QString();
  box->reject();
}

QString LabelText(CPspEx* page, int id) {
  auto* label = qobject_cast<QLabel*>(page->Control(id));
  return label != nullptr ? label->text() : QString();
}

// While a step runs, presses Cancel, Escape, the close box, Back and Next
// every 15 ms and records every text the message area and the wait strip
// showed.
class Harasser {
 public:
  Harasser(CPshMain* sheet, CPspEx* page, int messageId) : sheet_(sheet), page_(page), messageId_(messageId) {
    timer_.setInterval(15);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const QString text = LabelText(page_, messageId_);
      if (texts.empty() || texts.back() != text) texts.push_back(text);
      if (!page_->IsBusy()) return;
      if (CWaitStrip* strip = CWaitStrip::Of(sheet_); strip != nullptr && strip->isVisible()) {
        waits.insert(strip->Text()->text());
      }
      ++attempts;
      if (QPushButton* cancel = sheet_->Button(CPshMain::kButtonCancel)) cancel->click();
      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(sheet_, &escape);
      sheet_->close();
      if (QPushButton* back = sheet_->Button(CPshMain::kButtonBack)) back->click();
      if (QPushButton* next = sheet_->Button(CPshMain::kButtonNext)) next->click();
      if (!sheet_->isVisible() || sheet_->ActivePage() != page_) escaped = true;
    });
    timer_.start();
  }
  std::vector<QString> texts;
  std::set<QString> waits;
  int attempts = 0;
  bool escaped = false;

 private:
  QTimer timer_;
  CPshMain* sheet_;
  CPspEx* page_;
  int messageId_;
};

// Every text the message area is painted with: the narrator repaints at once
// after each change, so no state is missed however loaded the machine is.
class PaintedTexts : public QObject {
 public:
  explicit PaintedTexts(QWidget* area) : area_(area) { area->installEventFilter(this); }
  std::vector<QString> texts;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == area_ && event->type() == QEvent::Paint) {
      const QString text = static_cast<QLabel*>(area_)->text();
      if (texts.empty() || texts.back() != text) texts.push_back(text);
    }
    return false;
  }

 private:
  QWidget* area_;
};

class EasyStorePages : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(router_.ok()) << router_.why();
    WizardState& state = WizardState::Instance();
    ResetRouterDefaults(state);
    state.wirelessPresent = wirelessPresent_;
    ASSERT_TRUE(router_.Connect(state));  // found and logged in by the program's own check
    state.wanType = kWanDynamicIp;
    state.WirelessSettings.ssid = "HomeNet";
    state.WirelessSettings.channel = "Auto";
    state.WirelessSettings.securityMode = kSecurityWpa2Psk;
    state.WirelessSettings.key = "open sesame 42";
    state.wanTestSkipped = false;
    g_messageBoxes = 0;
    SetMessageBoxHook(&CountAndCloseBox);
    SetOpenUrlHook([this](const QString& url) {
      opened_.push_back(url);
      return browserOpens_;
    });
  }
  void TearDown() override {
    sheet_.reset();
    SetMessageBoxHook(nullptr);
    SetOpenUrlHook(nullptr);
  }

  void Show(std::uint32_t language = test::kEnglish) {
    sheet_.reset();
    QString why;
    sheet_ = test::ShowSheet(language, &why);
    ASSERT_NE(sheet_, nullptr) << why.toStdString();
  }
  template <class Page>
  Page* Activate() {
    auto* page = static_cast<Page*>(sheet_->FindPageByTemplate(Page::kTemplateId));
    EXPECT_NE(page, nullptr);
    if (page != nullptr) sheet_->SetActivePage(page);
    test::Spin(10);
    return page;
  }
  void Next() { sheet_->Button(CPshMain::kButtonNext)->click(); }

  bool wirelessPresent_ = true;
  test::EmulatedRouter router_;
  std::unique_ptr<CPshMain> sheet_;
  std::vector<QString> opened_;
  bool browserOpens_ = true;
};

// ---------------------------------------------------------------- summary

struct SummaryCase {
  std::int32_t wanType;
  std::int32_t securityMode;
  std::int32_t wepKeyLength;
  const char* securityText;
};

TEST_F(EasyStorePages, SummaryShowsEveryWanTypeAndSecurityModeWithoutAPasswordInClear) {
  Show();
  WizardState& state = WizardState::Instance();
  const std::string secret = "Pa55-w0rd!";
  state.PppoeSettings.userName = "carol";
  state.PppoeSettings.password = secret;
  state.PptpSettings.password = secret;
  state.L2tpSettings.password = secret;
  state.BigPondSettings.password = secret;
  state.TeliaSettings.password = secret;
  state.PppoeSettings.optionState = kConnectManually;
  state.StaticIpSettings.ipAddress = "198.51.100.20";
  state.WirelessSettings.key = secret;
  const SummaryCase cases[] = {
      {kWanDynamicIp, kSecurityNone, 0, "None"},     {kWanStaticIp, kSecurityWep, kWepKey64, nullptr},
      {kWanPppoe, kSecurityWep, kWepKey128, nullptr}, {kWanPptp, kSecurityWpaPsk, 0, nullptr},
      {kWanL2tp, kSecurityWpa2Psk, 0, nullptr},      {kWanBigPond, kSecurityWpaMixedAlt, 0, nullptr},
      {kWanTelia, kSecurityWpaMixed, 0, nullptr},
  };
  const StringId securityIds[] = {30091, 30093, 30094, 30095, 30628, 30629, 30629};
  int i = 0;
  for (const SummaryCase& c : cases) {
    SCOPED_TRACE(c.wanType);
    state.wanType = c.wanType;
    state.WirelessSettings.securityMode = c.securityMode;
    state.WirelessSettings.wepKeyLength = c.wepKeyLength;
    auto* store = Activate<CPspStore>();
    ASSERT_NE(store, nullptr);
    const QString text = store->Summary()->toPlainText();
    EXPECT_FALSE(text.contains(QString::fromStdString(secret))) << text.toStdString();
    const WanForm* form = WanFormFor(c.wanType);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(text.contains(QStringLiteral("%1 (%2)").arg(UiText(30161), UiText(form->subtitle))));
    for (const WanField& field : form->fields) {
      EXPECT_TRUE(text.contains(UiText(field.label) + QStringLiteral(": "))) << field.label;
      if (field.password) {
        EXPECT_TRUE(text.contains(UiText(field.label) + QStringLiteral(": ") + QString(10, QLatin1Char('*'))));
      }
    }
    EXPECT_EQ(text.contains(UiText(30456)), form->optionCount > 0);
    EXPECT_TRUE(text.contains(UiText(30088) + QStringLiteral(": ") + UiText(securityIds[i])))
        << text.toStdString();
    // The channel "Auto" reads as the automatic channel.
    EXPECT_TRUE(text.contains(UiText(30087) + QStringLiteral(": ") + UiText(30090)));
    // Headings in blue, the rest in the default colour.
    for (QTextBlock b = store->Summary()->document()->begin(); b.isValid(); b = b.next()) {
      if (b.text().isEmpty()) continue;
      const bool heading = b.text() == UiText(30081) || b.text().startsWith(UiText(30161));
      const QColor colour = b.begin().fragment().charFormat().foreground().color();
      EXPECT_EQ(colour == QColor(0, 0, 255), heading) << b.text().toStdString();
    }
    if (i == 2) test::SaveScreenshot(sheet_.get(), QStringLiteral("store-summary-pppoe"));
    ++i;
  }
  // PPPoE manual connection shows its text; wireless skipped leaves the part out.
  state.wanType = kWanPppoe;
  state.configureWireless = 0;
  auto* store = Activate<CPspStore>();
  const QString text = store->Summary()->toPlainText();
  EXPECT_FALSE(text.contains(UiText(30081)));
  EXPECT_TRUE(text.contains(UiText(30456) + QStringLiteral(": ") + UiText(30459)));
  EXPECT_TRUE(text.startsWith(UiText(30161)));
}

// ---------------------------------------------------------------- storing

TEST_F(EasyStorePages, StoringCountsDownRefusesEveryWayOutAndOffersTheBox) {
  Show();
  auto* store = Activate<CPspStore>();
  ASSERT_NE(store, nullptr);
  EXPECT_TRUE(store->Summary()->isVisible());
  router_.Sim().ClearLog();
  Harasser harasser(sheet_.get(), store, CPspStore::kMessageId);
  PaintedTexts painted(store->Control(CPspStore::kMessageId));
  QTimer shot;
  bool countdownShot = false;
  QObject::connect(&shot, &QTimer::timeout, [&] {
    if (!countdownShot && LabelText(store, CPspStore::kMessageId).endsWith(QStringLiteral(".....15"))) {
      countdownShot = true;
      test::SaveScreenshot(sheet_.get(), QStringLiteral("store-countdown"));
    }
  });
  shot.start(20);
  Next();
  EXPECT_TRUE(store->SettingsStored());
  EXPECT_GT(harasser.attempts, 0);
  EXPECT_FALSE(harasser.escaped);
  EXPECT_TRUE(sheet_->isVisible());
  EXPECT_EQ(g_messageBoxes, 0);  // no cancel prompt while busy

  // The countdown: "<restarting>.....N" from 22 down, never 0.
  std::set<int> seconds;
  const QRegularExpression countdown(QStringLiteral("^%1\\.\\.\\.\\.\\.(\\d+)$")
                                         .arg(QRegularExpression::escape(UiText(30220))));
  for (const QString& t : painted.texts) {
    const auto m = countdown.match(t);
    if (m.hasMatch()) seconds.insert(m.captured(1).toInt());
  }
  std::set<int> all;
  for (int i = 1; i <= 22; ++i) all.insert(i);
  EXPECT_EQ(seconds, all);  // 22 down to 1, never 0

  EXPECT_EQ(LabelText(store, CPspStore::kMessageId), UiText(30226));
  auto* box = qobject_cast<QCheckBox*>(store->Control(CPspStore::kSkipTestBoxId));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(box->text(), UiText(30222));
  EXPECT_FALSE(store->Summary()->isVisible());
  EXPECT_TRUE(sheet_->Button(CPshMain::kButtonNext)->isEnabled());
  test::SaveScreenshot(sheet_.get(), QStringLiteral("store-stored"));

  // The box unchecked: Next goes to the WAN test.
  const std::size_t requests = router_.Requests().size();
  Next();
  EXPECT_EQ(sheet_->ActivePage()->TemplateId(), CPspTestWan::kTemplateId);
  EXPECT_FALSE(WizardState::Instance().wanTestSkipped);
  EXPECT_EQ(router_.Requests().size(), requests);  // nothing stored twice
}

TEST_F(EasyStorePages, CheckingTheBoxGoesToFinishAndLeavesTheTestSkipped) {
  Show();
  auto* store = Activate<CPspStore>();
  ASSERT_NE(store, nullptr);
  Next();
  ASSERT_TRUE(store->SettingsStored());
  qobject_cast<QCheckBox*>(store->Control(CPspStore::kSkipTestBoxId))->setChecked(true);
  Next();
  ASSERT_EQ(sheet_->ActivePage()->TemplateId(), CPspFinish::kTemplateId);
  EXPECT_TRUE(WizardState::Instance().wanTestSkipped);
  EXPECT_EQ(LabelText(sheet_->ActivePage(), CPspFinish::kMessageId), UiText(30263));
}

TEST_F(EasyStorePages, AFailureStaysAndTheNextNextStoresFromTheFirstPing) {
  Show();
  auto* store = Activate<CPspStore>();
  ASSERT_NE(store, nullptr);
  routersim::RouterSimFaults refuse;
  refuse.refuseAlert = "Busy";
  refuse.match = "rebo";
  router_.Sim().SetFaults(refuse);
  Next();
  EXPECT_FALSE(store->SettingsStored());
  EXPECT_EQ(LabelText(store, CPspStore::kMessageId), UiText(30225));
  EXPECT_FALSE(store->Summary()->isVisible());
  EXPECT_FALSE(store->Control(CPspStore::kSkipTestBoxId)->isVisible());
  EXPECT_EQ(sheet_->ActivePage(), store);
  EXPECT_TRUE(sheet_->Button(CPshMain::kButtonNext)->isEnabled());
  EXPECT_TRUE(sheet_->Button(CPshMain::kButtonBack)->isEnabled());
  test::SaveScreenshot(sheet_.get(), QStringLiteral("store-restart-refused"));

  router_.Sim().SetFaults({});
  router_.Pc().ClearCalls();
  Next();
  EXPECT_TRUE(store->SettingsStored()) << LabelText(store, CPspStore::kMessageId).toStdString();
  EXPECT_EQ(router_.Pc().CountCalls("PingHost"), 2);
}

// A factory reset the router held takes effect with the store's restart:
// the page says the settings were not kept, never "in use", and, as it says,
// the next Next stores them again in a router that now keeps them.
TEST_F(EasyStorePages, ARouterThatLostTheSettingsIsNeverCalledInUse) {
  Show();
  auto* store = Activate<CPspStore>();
  ASSERT_NE(store, nullptr);
  ASSERT_TRUE(ResetRouterToDefaults(WizardState::Instance()));
  Next();
  EXPECT_FALSE(store->SettingsStored());
  EXPECT_EQ(LabelText(store, CPspStore::kMessageId), UiText(kIdStoreSettingsNotKept));
  EXPECT_FALSE(store->Control(CPspStore::kSkipTestBoxId)->isVisible());
  EXPECT_EQ(sheet_->ActivePage(), store);
  test::SaveScreenshot(sheet_.get(), QStringLiteral("store-settings-not-kept"));
  Next();
  EXPECT_TRUE(store->SettingsStored()) << LabelText(store, CPspStore::kMessageId).toStdString();
}

TEST_F(EasyStorePages, SetAgainAndBackGoWhereTheFlowSays) {
  Show();
  auto* store = Activate<CPspStore>();
  ASSERT_NE(store, nullptr);
  // The first focus is not on "Set again", so Enter is Next.
  EXPECT_NE(sheet_->focusWidget(), store->Control(CPspStore::kSetAgainId));
  qobject_cast<QPushButton*>(store->Control(CPspStore::kSetAgainId))->click();
  EXPECT_EQ(sheet_->ActivePage()->TemplateId(), CPspWLan::kTemplateId);
  Activate<CPspStore>();
  sheet_->Button(CPshMain::kButtonBack)->click();
  EXPECT_EQ(sheet_->ActivePage()->TemplateId(), 4008);
}

class EasyStorePagesNoWireless : public EasyStorePages {
 protected:
  EasyStorePagesNoWireless() { wirelessPresent_ = false; }
};

TEST_F(EasyStorePagesNoWireless, SetAgainGoesToTheConnectivityCheckAndNoWirelessIsSent) {
  Show();
  auto* store = Activate<CPspStore>();
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(sheet_->FindPageByTemplate(CPspWLan::kTemplateId), nullptr);
  qobject_cast<QPushButton*>(store->Control(CPspStore::kSetAgainId))->click();
  EXPECT_EQ(sheet_->ActivePage()->TemplateId(), CPspConnectivity::kTemplateId);
  Activate<CPspStore>();
  router_.Sim().ClearLog();
  Next();
  EXPECT_TRUE(store->SettingsStored());
  for (const std::string& line : router_.Requests()) EXPECT_EQ(line.find("wlap"), std::string::npos) << line;
}

TEST_F(EasyStorePages, SetAgainButtonGrowsForLongLanguagesAndTakesTheGreekFont) {
  for (std::uint32_t language : {test::kEnglish, test::kRussian, test::kGreek}) {
    WizardState::Instance().languageId = language;
    Show(language);
    auto* store = Activate<CPspStore>();
    ASSERT_NE(store, nullptr);
    auto* button = qobject_cast<QPushButton*>(store->Control(CPspStore::kSetAgainId));
    ASSERT_NE(button, nullptr);
    static int englishWidth = 0;
    if (language == test::kEnglish) {
      englishWidth = button->width();
    } else {
      EXPECT_EQ(button->width(), englishWidth + 15) << language;
    }
    if (language == test::kGreek) {
      EXPECT_EQ(button->font().pixelSize(), 10);
    }
    EXPECT_EQ(button->text(), UiText(30221));
    test::SaveScreenshot(sheet_.get(), QStringLiteral("store-summary-%1").arg(test::LanguageName(language)));
  }
  WizardState::Instance().languageId = test::kEnglish;
}

// ---------------------------------------------------------------- WAN test

TEST_F(EasyStorePages, WanTestPassesToTheConfirmedFinishRefusingEveryWayOutOnEachHop) {
  Show();
  // Slow echoes make every hop last long enough to be harassed.
  router_.Pc().unscriptedPingDelayMs = 60;
  router_.Pc().pings["127.0.0.1"] = {{PingError::kNone}, 60};
  auto* test = Activate<CPspTestWan>();
  ASSERT_NE(test, nullptr);
  EXPECT_FALSE(test->Control(CPspTestWan::kIgnoreId)->isVisible());
  EXPECT_TRUE(test->Control(CPspTestWan::kSkipBoxId)->isVisible());
  Harasser harasser(sheet_.get(), test, CPspTestWan::kMessageId);
  PaintedTexts painted(test->Control(CPspTestWan::kMessageId));
  Next();
  EXPECT_EQ(test->LastOutcome(), WanTestOutcome::kPassed);
  EXPECT_GT(harasser.attempts, 0);
  EXPECT_FALSE(harasser.escaped);
  EXPECT_EQ(g_messageBoxes, 0);
  for (StringId id : {30238, 30239, 30240, 30241, 30242, 30243}) {
    EXPECT_NE(std::find(painted.texts.begin(), painted.texts.end(), UiText(id)), painted.texts.end()) << id;
  }
  ASSERT_EQ(sheet_->ActivePage()->TemplateId(), CPspFinish::kTemplateId);
  EXPECT_FALSE(WizardState::Instance().wanTestSkipped);
  EXPECT_EQ(LabelText(sheet_->ActivePage(), CPspFinish::kMessageId), UiText(30262));
}

TEST_F(EasyStorePages, WanTestFailureStaysWithTheAdviceAndTheBoxSkipsWithoutTraffic) {
  Show();
  router_.Sim().WithState([](routersim::RouterSimState& s) { s.wanCable = false; });
  auto* test = Activate<CPspTestWan>();
  ASSERT_NE(test, nullptr);
  Next();
  EXPECT_EQ(sheet_->ActivePage(), test);
  EXPECT_EQ(LabelText(test, CPspTestWan::kMessageId), UiText(30247) + QStringLiteral("\n\n") + UiText(30638));
  EXPECT_TRUE(test->Control(CPspTestWan::kSkipBoxId)->isVisible());
  test::SaveScreenshot(sheet_.get(), QStringLiteral("wantest-link-down"));

  router_.Sim().ClearLog();
  router_.Pc().ClearCalls();
  qobject_cast<QCheckBox*>(test->Control(CPspTestWan::kSkipBoxId))->setChecked(true);
  Next();
  ASSERT_EQ(sheet_->ActivePage()->TemplateId(), CPspFinish::kTemplateId);
  EXPECT_TRUE(WizardState::Instance().wanTestSkipped);
  EXPECT_TRUE(router_.Requests().empty());
  EXPECT_TRUE(router_.Pc().calls.empty());
}

QString ReportPath(const QString&) { return QString::fromStdString(::testing::TempDir() + "wantest-report.html"); }

TEST_F(EasyStorePages, WanTestFailureSavesTheReportOfASilentRouterInOneTimeOutRefusingEveryWayOut) {
  Show();
  router_.Sim().WithState([](routersim::RouterSimState& s) { s.wanCable = false; });
  auto* test = Activate<CPspTestWan>();
  ASSERT_NE(test, nullptr);
  Next();
  auto* save = test->findChild<QPushButton*>(QStringLiteral("saveReport"));
  ASSERT_NE(save, nullptr);
  ASSERT_TRUE(save->isVisible());
  QFile::remove(ReportPath({}));
  SetSaveFileNameHook(&ReportPath);
  routersim::RouterSimFaults silent;
  silent.silent = true;
  router_.Sim().SetFaults(silent);
  router_.Sim().ClearLog();
  Harasser harasser(sheet_.get(), test, CPspTestWan::kMessageId);
  QElapsedTimer clock;
  clock.start();
  save->click();
  const qint64 ms = clock.elapsed();
  SetSaveFileNameHook(nullptr);
  router_.Sim().SetFaults({});
  // One read waited its time-out; the rest were not tried.
  EXPECT_EQ(router_.Requests().size(), 1u);
  EXPECT_LT(ms, 3 * kRouterTimeoutSeconds * 1000);
  EXPECT_GT(harasser.attempts, 0);
  EXPECT_FALSE(harasser.escaped);
  EXPECT_EQ(g_messageBoxes, 0);
  EXPECT_EQ(QStringList(harasser.waits.begin(), harasser.waits.end()).join(QLatin1Char('|')).toStdString(),
            UiText(kIdWaitReadRouter).toStdString());
  QFile file(ReportPath({}));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains(UiText(kIdReportNotRead).toHtmlEscaped()));
  EXPECT_EQ(sheet_->ActivePage(), test);
  for (int id : {CPshMain::kButtonBack, CPshMain::kButtonNext, CPshMain::kButtonCancel}) {
    EXPECT_TRUE(sheet_->Button(id)->isEnabled()) << id;
  }
}

TEST_F(EasyStorePages, WanTestBackGoesToDetectionAndTheHiddenIgnoreSkipsToFinish) {
  Show();
  auto* test = Activate<CPspTestWan>();
  ASSERT_NE(test, nullptr);
  sheet_->Button(CPshMain::kButtonBack)->click();
  EXPECT_EQ(sheet_->ActivePage()->TemplateId(), 4007);
  test = Activate<CPspTestWan>();
  auto* ignore = qobject_cast<QPushButton*>(test->Control(CPspTestWan::kIgnoreId));
  ASSERT_NE(ignore, nullptr);
  EXPECT_FALSE(ignore->isVisible());
  WizardState::Instance().wanTestSkipped = false;
  ignore->click();
  EXPECT_EQ(sheet_->ActivePage()->TemplateId(), CPspFinish::kTemplateId);
  EXPECT_TRUE(WizardState::Instance().wanTestSkipped);
}

// ---------------------------------------------------------------- finish

TEST_F(EasyStorePages, FinishOpensTheRouterOnlyWhenAskedAndTheAddressIsKnown) {
  struct Case {
    bool checked;
    const char* address;
    std::vector<QString> opened;
    bool browserOpens = true;  // else the user is told the address to type
  };
  const Case cases[] = {
      {true, "192.168.123.254", {QStringLiteral("http://192.168.123.254")}},
      {false, "192.168.123.254", {}},
      {true, "", {}},
      {true, "192.168.123.254", {QStringLiteral("http://192.168.123.254")}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    Show();
    opened_.clear();
    browserOpens_ = c.browserOpens;
    g_messageBoxes = 0;
    WizardState::Instance().routerAddress = c.address;
    auto* finish = Activate<CPspFinish>();
    ASSERT_NE(finish, nullptr);
    auto* box = qobject_cast<QCheckBox*>(finish->Control(CPspFinish::kOpenRouterBoxId));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isChecked());  // offered checked
    EXPECT_EQ(box->text(), UiText(30264));
    // Only Finish is shown.
    EXPECT_TRUE(sheet_->Button(CPshMain::kButtonFinish)->isVisible());
    EXPECT_FALSE(sheet_->Button(CPshMain::kButtonNext)->isVisible());
    EXPECT_FALSE(sheet_->Button(CPshMain::kButtonBack)->isVisible());
    EXPECT_FALSE(sheet_->Button(CPshMain::kButtonHelp)->isVisible());
    box->setChecked(c.checked);
    sheet_->Button(CPshMain::kButtonFinish)->click();
    EXPECT_FALSE(sheet_->isVisible());
    EXPECT_EQ(opened_, c.opened);
    EXPECT_EQ(g_messageBoxes, c.browserOpens ? 0 : 1);
    if (!c.browserOpens) {
      EXPECT_EQ(g_lastBoxText, UiText(30995).replace(QStringLiteral("%s"), QStringLiteral("http://192.168.123.254")));
    }
  }
}

TEST_F(EasyStorePages, FinishPageVerdictsAndTheCloseBoxWithoutAPrompt) {
  // The WAN test's notes on hosts that ignore echo follow a verified verdict only.
  struct Case {
    bool skipped;
    std::vector<std::uint32_t> notes;
  };
  const Case cases[] = {{false, {}}, {true, {}}, {false, {31012}}, {true, {31010}}};
  for (const Case& c : cases) {
    const bool skipped = c.skipped;
    SessionRecord::Instance().wanTestNotes = c.notes;
    Show();
    WizardState::Instance().wanTestSkipped = skipped;
    auto* finish = Activate<CPspFinish>();
    ASSERT_NE(finish, nullptr);
    QString verdict = UiText(skipped ? 30263 : 30262);
    if (!skipped) {
      for (std::uint32_t note : c.notes) verdict += QStringLiteral("\n") + UiText(note);
    }
    EXPECT_EQ(LabelText(finish, CPspFinish::kMessageId), verdict);
    auto* picture = finish->ControlAs<CImageButton>(CPspFinish::kPictureButtonId);
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->IsInert());
    EXPECT_EQ(picture->focusPolicy(), Qt::NoFocus);
    test::SaveScreenshot(sheet_.get(), QStringLiteral("finish-%1%2")
                                           .arg(skipped ? "skipped" : "verified", c.notes.empty() ? "" : "-notes"));
    sheet_->close();
    EXPECT_FALSE(sheet_->isVisible());
    EXPECT_EQ(g_messageBoxes, 0);
    EXPECT_TRUE(opened_.empty());  // closing is not finishing
  }
  SessionRecord::Instance().wanTestNotes.clear();
}

}  // namespace
}  // namespace kelvane
