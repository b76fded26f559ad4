// The two diagnostic dialogs of the advanced menu: the PC's settings with
// Renew only for an address taken by DHCP, and the connection test's
// coloured log, run by itself after opening and again on Refresh.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <memory>

#include "GuiTestSupport.h"
#include "language/StringIds.h"
#include "net/Wait.h"
#include "router/RouterLogin.h"
#include "state/InternetTargets.h"
#include "state/WizardState.h"
#include "support/EmulatedRouter.h"
#include "wizard/CDlgConnTest.h"
#include "wizard/CDlgIpInfo.h"
#include "wizard/CHTRichEditCtrl.h"
#include "wizard/CStaticText.h"
#include "wizard/ReadableColour.h"
#include "wizard/UiText.h"

namespace kelvane {
namespace {

using namespace test;
constexpr int kBound = 30000;

// Waits on the Qt event loop (not the core's wait hook, so that the waits
// inside a running step pump events as they do in the program).
template <class Pred>
bool Eventually(Pred done) {
  return QTest::qWaitFor(done, kBound);
}

class DiagnosticDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadLanguage(kEnglish));
    ResetRouterDefaults(WizardState::Instance());
    router_ = std::make_unique<EmulatedRouter>();
    ASSERT_TRUE(router_->ok()) << router_->why();
    ASSERT_TRUE(router_->Connect(WizardState::Instance()));
    router_->Sim().ClearLog();
  }
  void TearDown() override {
    router_.reset();
    UnloadLanguage();
  }
  SimHostNetwork& Pc() { return router_->Pc(); }

  static QString Field(const CDlgIpInfo& d, int i) {
    return qobject_cast<QLineEdit*>(d.Control(CDlgIpInfo::kFields[i]))->text();
  }
  static QString Mode(const CDlgIpInfo& d) { return qobject_cast<QLabel*>(d.Control(CDlgIpInfo::kModeText))->text(); }

  std::unique_ptr<EmulatedRouter> router_;
};

TEST_F(DiagnosticDialogs, IpInfoShowsTheFieldsAndRenewOnlyForDhcp) {
  struct Case {
    bool dhcp;
    StringId mode;
  };
  for (const Case c : {Case{true, kIdObtainAddressAutomatically}, Case{false, kIdUseThisAddress}}) {
    SCOPED_TRACE(c.dhcp);
    Pc().adapters = {SimHostNetwork::Adapter("eth0", "192.168.123.120", "192.168.123.254", c.dhcp, "255.255.255.0")};
    Pc().dnsServers = {"192.168.123.254", "10.64.0.54"};
    CDlgIpInfo dialog;
    dialog.show();
    ASSERT_TRUE(Eventually([&] { return dialog.FillCount() == 1; }));
    EXPECT_EQ(dialog.windowTitle(), UiText(kIdPcStatusCaption));
    EXPECT_EQ(Mode(dialog), UiText(c.mode));
    EXPECT_EQ(Field(dialog, 0), QStringLiteral("192.168.123.120"));
    EXPECT_EQ(Field(dialog, 1), QStringLiteral("255.255.255.0"));
    EXPECT_EQ(Field(dialog, 2), QStringLiteral("192.168.123.254"));
    EXPECT_EQ(Field(dialog, 3), QStringLiteral("192.168.123.254"));
    EXPECT_EQ(Field(dialog, 4), QStringLiteral("10.64.0.54"));
    QWidget* renew = dialog.Control(CDlgIpInfo::kRenew);
    EXPECT_EQ(renew->isVisible(), c.dhcp);
    EXPECT_EQ(renew->isEnabled(), c.dhcp);
    // The fields are read-only, and the mode choice, Set and Release stay hidden.
    for (int id : CDlgIpInfo::kFields) EXPECT_TRUE(qobject_cast<QLineEdit*>(dialog.Control(id))->isReadOnly());
    for (int id : CDlgIpInfo::kHidden) EXPECT_FALSE(dialog.Control(id)->isVisible());
    // Every field ends 20 pixels inside the right edge; Renew and Refresh do
    // not overlap.
    for (int id : CDlgIpInfo::kFields) EXPECT_EQ(dialog.Control(id)->geometry().right() + 1, dialog.width() - 20);
    EXPECT_EQ(renew->geometry().right() + 1, dialog.width() - 20);
    EXPECT_FALSE(renew->geometry().intersects(dialog.Control(CDlgIpInfo::kRefresh)->geometry()));
    for (std::uint32_t language : kScreenshotLanguages) {
      if (!LoadLanguage(language)) continue;
      CDlgIpInfo shot;
      shot.show();
      ASSERT_TRUE(Eventually([&] { return shot.FillCount() == 1; }));
      SaveScreenshot(&shot, QStringLiteral("ipinfo-%1-%2").arg(c.dhcp ? "dhcp" : "fixed", LanguageName(language)));
    }
    ASSERT_TRUE(LoadLanguage(kEnglish));
  }
}

TEST_F(DiagnosticDialogs, IpInfoRenewsThenReadsAgain) {
  Pc().adapters = {SimHostNetwork::Adapter("eth0", "192.168.123.120", "192.168.123.254", true)};
  Pc().renewLeases["eth0"] = SimHostNetwork::Adapter("eth0", "192.168.123.150", "192.168.123.254", true);
  CDlgIpInfo dialog;
  dialog.show();
  ASSERT_TRUE(Eventually([&] { return dialog.FillCount() == 1; }));
  qobject_cast<QPushButton*>(dialog.Control(CDlgIpInfo::kRenew))->click();
  ASSERT_TRUE(Eventually([&] { return dialog.FillCount() == 2; }));
  EXPECT_EQ(Pc().CountCalls("RenewAllAdapters"), 1);
  EXPECT_EQ(Field(dialog, 0), QStringLiteral("192.168.123.150"));
}

TEST_F(DiagnosticDialogs, IpInfoThatCannotReadKeepsItsModeTextAndEmptyFields) {
  Pc().adapters = {SimHostNetwork::Adapter("eth0", "10.77.0.5", "10.77.0.1", false)};
  CDlgIpInfo dialog;
  dialog.show();
  ASSERT_TRUE(Eventually([&] { return dialog.FillCount() == 1; }));
  Pc().adaptersReadable = false;
  qobject_cast<QPushButton*>(dialog.Control(CDlgIpInfo::kRefresh))->click();
  ASSERT_TRUE(Eventually([&] { return dialog.FillCount() == 2; }));
  EXPECT_EQ(Mode(dialog), UiText(kIdUseThisAddress));
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(Field(dialog, i).isEmpty());
  EXPECT_TRUE(dialog.isEnabled());
}

// Tries to close `dialog` from inside its running step (the step pumps
// events, so a timer fires in it); answers what was seen then.
struct CloseAttempt {
  bool tried = false;
  bool stillOpen = false;
  bool enabled = true;
};
template <class Dialog>
std::unique_ptr<QTimer> TryCloseWhileBusy(Dialog& dialog, CloseAttempt& seen) {
  auto timer = std::make_unique<QTimer>();
  QObject::connect(timer.get(), &QTimer::timeout, [&dialog, &seen, t = timer.get()] {
    if (!dialog.IsBusy() || seen.tried) return;
    seen.tried = true;
    seen.enabled = dialog.isEnabled();
    dialog.reject();
    dialog.close();
    seen.stillOpen = dialog.isVisible();
    t->stop();
  });
  timer->start(5);
  return timer;
}

TEST_F(DiagnosticDialogs, IpInfoRefusesToCloseWhileReading) {
  Pc().adapters = {SimHostNetwork::Adapter("eth0", "192.168.123.120", "192.168.123.254", true)};
  CDlgIpInfo dialog;
  CloseAttempt seen;
  auto watch = TryCloseWhileBusy(dialog, seen);
  dialog.show();
  ASSERT_TRUE(Eventually([&] { return dialog.FillCount() == 1; }));
  ASSERT_TRUE(seen.tried);
  EXPECT_TRUE(seen.stillOpen);
  EXPECT_FALSE(seen.enabled);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.isEnabled());
  dialog.reject();
  EXPECT_FALSE(dialog.isVisible());
}

// The colour of the log's text at the first occurrence of `text`.
QColor ColourOf(CHTRichEditCtrl* log, const QString& text, int from = 0) {
  QTextCursor cursor = log->document()->find(text, from);
  if (cursor.isNull()) return QColor();
  return cursor.charFormat().foreground().color();
}

TEST_F(DiagnosticDialogs, ConnTestRunsByItselfAndOnRefreshWithColouredVerdicts) {
  Pc().pings["10.64.0.1"] = {{PingError::kTimedOut}, 0};  // the gateway does not answer ping
  Pc().resolutions[InternetTargets::Instance().testSite] = "203.0.113.81";
  CDlgConnTest dialog;
  dialog.show();
  ASSERT_TRUE(Eventually([&] { return dialog.TestCount() == 1 && !dialog.IsBusy(); }));
  EXPECT_EQ(dialog.windowTitle(), UiText(kIdInternetStatusCaption));
  CHTRichEditCtrl* log = dialog.Log();
  const QString expected = UiText(kIdTestGatewayLabel) + ": " + UiText(kIdVerdictFailed) + "\n\n" +
                           UiText(kIdTestDnsLabel) + ": " + UiText(kIdVerdictOk) + "\n\n" +
                           UiText(kIdTestPublicSiteLabel) + ": " + UiText(kIdVerdictOk);
  EXPECT_EQ(log->toPlainText(), expected);
  // Red and green, each at the shade that stays readable on the log's background.
  const QColor base = log->palette().color(QPalette::Active, QPalette::Base);
  EXPECT_EQ(ColourOf(log, UiText(kIdVerdictFailed)), ReadableOnBase(QColor(255, 0, 0), log->palette()));
  EXPECT_GE(ContrastRatio(ColourOf(log, UiText(kIdVerdictFailed)), base), kMinTextContrast);
  const int dnsAt = log->toPlainText().indexOf(UiText(kIdTestDnsLabel));
  EXPECT_EQ(ColourOf(log, UiText(kIdVerdictOk), dnsAt), ReadableOnBase(QColor(0, 200, 0), log->palette()));
  EXPECT_GE(ContrastRatio(ColourOf(log, UiText(kIdVerdictOk), dnsAt), base), kMinTextContrast);
  EXPECT_EQ(ColourOf(log, UiText(kIdTestDnsLabel)), log->palette().color(QPalette::Active, QPalette::Text));
  EXPECT_TRUE(log->font().bold() || log->document()->defaultFont().bold());
  QWidget* refresh = dialog.Control(CDlgConnTest::kRefresh);
  EXPECT_TRUE(refresh->isEnabled());
  EXPECT_TRUE(refresh->hasFocus() || !dialog.isActiveWindow());
  SaveScreenshot(&dialog, QStringLiteral("conntest-gateway-silent-English"));

  // Refresh runs it again on an empty log; now the router cannot be read.
  routersim::RouterSimFaults faults;
  faults.wrongStatus = 500;
  faults.match = "rf=0020";
  router_->Sim().SetFaults(faults);
  qobject_cast<QPushButton*>(refresh)->click();
  ASSERT_TRUE(Eventually([&] { return dialog.TestCount() == 2 && !dialog.IsBusy(); }));
  EXPECT_EQ(log->toPlainText(), UiText(kIdTestRouterControlFailed));
  EXPECT_EQ(ColourOf(log, UiText(kIdTestRouterControlFailed)), ReadableOnBase(QColor(255, 0, 0), log->palette()));
  SaveScreenshot(&dialog, QStringLiteral("conntest-router-control-failed-English"));
}

TEST_F(DiagnosticDialogs, ConnTestRefusesToCloseWhileTesting) {
  Pc().pings["10.64.0.1"] = {{PingError::kNone}, 300};
  CDlgConnTest dialog;
  CloseAttempt seen;
  auto watch = TryCloseWhileBusy(dialog, seen);
  dialog.show();
  ASSERT_TRUE(Eventually([&] { return dialog.TestCount() == 1 && !dialog.IsBusy(); }));
  ASSERT_TRUE(seen.tried);
  EXPECT_TRUE(seen.stillOpen);
  EXPECT_FALSE(seen.enabled);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.isEnabled());
  dialog.reject();
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(DiagnosticDialogs, ConnTestScreenshots) {
  Pc().resolutions[InternetTargets::Instance().testSite] = "203.0.113.81";
  for (std::uint32_t language : kScreenshotLanguages) {
    if (!LoadLanguage(language)) continue;
    CDlgConnTest dialog;
    dialog.show();
    ASSERT_TRUE(Eventually([&] { return dialog.TestCount() == 1 && !dialog.IsBusy(); }));
    EXPECT_FALSE(dialog.Log()->toPlainText().isEmpty());
    SaveScreenshot(&dialog, QStringLiteral("conntest-%1").arg(LanguageName(language)));
  }
}

}  // namespace
}  // namespace kelvane
