// The router sheet's WAN and wireless tabs driven on the PC's real network:
// the program the namespace test advanced_wan_wireless_netns_test starts
// inside the test bed's PC namespace. It does nothing unless
// KELVANE_ROUTER_WALK is set, and it refuses to run in the machine's own
// network namespace, so an ordinary test run never lets a page reach a real
// network.
//
// What it does, as a user would with the real pages (the router found by the
// real broadcast search before every action):
//   The sheet opens on the LAN tab, whose first read runs.
//   WAN tab:      first read (dynamic IP); PPPoE chosen, user name, password
//                 and service name typed, Store, Restart; Read until the
//                 router answers again; dynamic IP chosen, Store, Restart, Read.
//   Wireless tab: first read; WEP chosen with a 13-character key, Store,
//                 Restart, Read; WPA2 chosen with a passphrase and AES, Store,
//                 Restart, Read.
//
// Environment:
//   KELVANE_ROUTER_WALK=1              walk (otherwise the test is skipped)
//   KELVANE_ROUTER_WALK_PPPOE_USER / _PPPOE_WORD / _PPPOE_SERVICE   what the PPPoE rows get
//   KELVANE_ROUTER_WALK_WEP_KEY        the WEP key typed
//   KELVANE_ROUTER_WALK_PASSPHRASE     the WPA2 passphrase typed
//   KELVANE_ROUTER_WALK_SHOTS=DIR      pictures after each read
//   KELVANE_ROUTER_WALK_REPORT=FILE    key=value lines of what the pages showed
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextStream>

#include <memory>
#include <string>

#include "GuiTestSupport.h"
#include "advanced/CPshRouter.h"
#include "advanced/CPspDIYLan.h"
#include "advanced/CPspDIYWLan.h"
#include "advanced/CPspDIYWan.h"
#include "language/StringIds.h"
#include "net/host/HostNetwork.h"
#include "netns/NetnsFixture.h"
#include "steps/kit/WanForms.h"
#include "state/ProbeTarget.h"
#include "state/WizardState.h"
#include "wizard/CDlgMessage.h"
#include "wizard/MessageBox.h"
#include "wizard/PumpWait.h"
#include "wizard/UiText.h"

namespace kelvane {
namespace {

using namespace test;

using testbed::InsideTheBedsPc;  // refuses any namespace but the bed's PC

QString Env(const char* name) { return qEnvironmentVariable(name); }

// The user answers Yes to the question a restart asks first; any other box
// is closed.
void AnswerRestartQuestion(CDlgMessage* box) {
  auto* text = qobject_cast<QLabel*>(box->Control(805));
  auto* yes = qobject_cast<QPushButton*>(box->Control(802));
  if (text != nullptr && yes != nullptr && text->text() == UiText(kIdAdvSystemConfirmRestart)) {
    yes->click();
  } else {
    box->reject();
  }
}

class Walk {
 public:
  explicit Walk(CPshRouter& sheet) : sheet_(sheet) {}

  void Note(const QString& key, const QString& value) { lines_ << key + QLatin1Char('=') + value; }
  const QStringList& Lines() const { return lines_; }

  // The result line as a word: done, error, saved, or the text itself.
  static QString ResultWord(CPspEx* page, int lineId) {
    const QString text = page->ControlAs<QLabel>(lineId)->text();
    if (text == UiText(kIdDone)) return QStringLiteral("done");
    if (text == UiText(kIdError)) return QStringLiteral("error");
    if (text == UiText(kIdAdvWanSaved) || text == UiText(kIdAdvWirelessSaved)) return QStringLiteral("saved");
    return QLatin1Char('\'') + text + QLatin1Char('\'');
  }

  // Presses a button and answers what the result line says afterwards. The
  // page runs its step inside the click; the sheet must be free again after.
  QString Press(CPspRouterTab* page, int buttonId, int lineId) {
    auto* button = page->ControlAs<QPushButton>(buttonId);
    if (button == nullptr || !button->isEnabled() || page->IsBusy()) return QStringLiteral("button-unavailable");
    button->click();
    if (page->IsBusy()) return QStringLiteral("still-busy");
    return ResultWord(page, lineId);
  }

  // After a restart the user presses Read until the router answers: the
  // restart said done only once it was back, so the first press reads it
  // (while it is off the air the search finds nothing and no page is asked
  // for). Answers the number of presses, or -1 after 30 s.
  int ReadUntilDone(CPspRouterTab* page, int buttonId, int lineId) {
    QElapsedTimer clock;
    clock.start();
    for (int presses = 1; clock.elapsed() < 30000; ++presses) {
      if (Press(page, buttonId, lineId) == QStringLiteral("done")) return presses;
      PumpWait(50);
    }
    return -1;
  }

  void Shot(const QString& name) {
    const QString dir = Env("KELVANE_ROUTER_WALK_SHOTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    sheet_.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
  }

 private:
  CPshRouter& sheet_;
  QStringList lines_;
};

QString WanRows(CPspDIYWan* page, int count) {
  QStringList rows;
  for (int row = 1; row <= count; ++row) rows << page->ControlAs<QLineEdit>(kWanRowEditId(row))->text();
  return rows.join(QLatin1Char('|'));
}

QString WirelessView(CPspDIYWLan* page) {
  using P = CPspDIYWLan;
  return QString::number(page->ControlAs<QComboBox>(P::kSecurityList)->currentIndex()) + QLatin1Char('|') +
         page->ControlAs<QLineEdit>(P::kSsidEdit)->text() + QLatin1Char('|') +
         page->ControlAs<QComboBox>(P::kChannelList)->currentText() + QLatin1Char('|') +
         (page->ControlAs<QLineEdit>(P::kKeyEdit)->isVisibleTo(page) ? page->ControlAs<QLineEdit>(P::kKeyEdit)->text()
                                                                     : QStringLiteral("-"));
}

void WalkWan(CPshRouter& sheet, Walk& walk) {
  using P = CPspDIYWan;
  P* page = sheet.PageOf<P>();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(sheet.SetActivePage(page));
  ASSERT_TRUE(page->WaitFirstRead(60000)) << "the WAN tab's first read did not end";
  walk.Note(QStringLiteral("wan.first"), QString::number(page->ChosenType()) + QLatin1Char(',') +
                                             QString::number(page->RouterWanType()) + QLatin1Char(',') +
                                             Walk::ResultWord(page, P::kResultLine));
  walk.Shot(QStringLiteral("wan-first-read"));

  auto* types = page->ControlAs<QComboBox>(P::kTypeList);
  types->setCurrentIndex(kWanPppoe - 1);
  walk.Note(QStringLiteral("wan.pppoe.emptied"), WanRows(page, 3));
  page->ControlAs<QLineEdit>(kWanRowEditId(1))->setText(Env("KELVANE_ROUTER_WALK_PPPOE_USER"));
  page->ControlAs<QLineEdit>(kWanRowEditId(2))->setText(Env("KELVANE_ROUTER_WALK_PPPOE_WORD"));
  page->ControlAs<QLineEdit>(kWanRowEditId(3))->setText(Env("KELVANE_ROUTER_WALK_PPPOE_SERVICE"));
  walk.Note(QStringLiteral("wan.pppoe.store"), walk.Press(page, P::kStoreButton, P::kResultLine));
  walk.Note(QStringLiteral("wan.pppoe.restart"), walk.Press(page, P::kRebootButton, P::kResultLine));
  walk.Note(QStringLiteral("wan.pppoe.reads"), QString::number(walk.ReadUntilDone(page, P::kRefreshButton, P::kResultLine)));
  walk.Note(QStringLiteral("wan.pppoe.readback"), QString::number(page->ChosenType()) + QLatin1Char(',') +
                                                      QString::number(page->RouterWanType()) + QLatin1Char(',') +
                                                      WanRows(page, 3));
  walk.Shot(QStringLiteral("wan-pppoe-read"));

  types->setCurrentIndex(kWanDynamicIp - 1);
  walk.Note(QStringLiteral("wan.dynamic.store"), walk.Press(page, P::kStoreButton, P::kResultLine));
  walk.Note(QStringLiteral("wan.dynamic.restart"), walk.Press(page, P::kRebootButton, P::kResultLine));
  walk.Note(QStringLiteral("wan.dynamic.reads"), QString::number(walk.ReadUntilDone(page, P::kRefreshButton, P::kResultLine)));
  walk.Note(QStringLiteral("wan.dynamic.readback"),
            QString::number(page->ChosenType()) + QLatin1Char(',') + QString::number(page->RouterWanType()) +
                QLatin1Char(',') + QString::number(page->Control(P::kMacEdit)->isVisibleTo(page) ? 1 : 0));
  walk.Shot(QStringLiteral("wan-dynamic-read"));
}

void WalkWireless(CPshRouter& sheet, Walk& walk) {
  using P = CPspDIYWLan;
  P* page = sheet.PageOf<P>();
  ASSERT_NE(page, nullptr) << "the sheet has no wireless tab";
  ASSERT_TRUE(sheet.SetActivePage(page));
  ASSERT_TRUE(page->WaitFirstRead(60000)) << "the wireless tab's first read did not end";
  walk.Note(QStringLiteral("wlan.first"), WirelessView(page) + QLatin1Char(',') + Walk::ResultWord(page, P::kResultLine));
  walk.Shot(QStringLiteral("wlan-first-read"));

  auto* security = page->ControlAs<QComboBox>(P::kSecurityList);
  auto* key = page->ControlAs<QLineEdit>(P::kKeyEdit);
  security->setCurrentIndex(1);  // WEP
  key->setText(Env("KELVANE_ROUTER_WALK_WEP_KEY"));
  walk.Note(QStringLiteral("wlan.wep.store"), walk.Press(page, P::kStoreButton, P::kResultLine));
  walk.Note(QStringLiteral("wlan.wep.restart"), walk.Press(page, P::kRebootButton, P::kResultLine));
  walk.Note(QStringLiteral("wlan.wep.reads"), QString::number(walk.ReadUntilDone(page, P::kRefreshButton, P::kResultLine)));
  walk.Note(QStringLiteral("wlan.wep.readback"), WirelessView(page));
  walk.Shot(QStringLiteral("wlan-wep-read"));

  security->setCurrentIndex(3);  // WPA2PSK (the router picks AES)
  key->setText(Env("KELVANE_ROUTER_WALK_PASSPHRASE"));
  walk.Note(QStringLiteral("wlan.wpa2.store"), walk.Press(page, P::kStoreButton, P::kResultLine));
  walk.Note(QStringLiteral("wlan.wpa2.restart"), walk.Press(page, P::kRebootButton, P::kResultLine));
  walk.Note(QStringLiteral("wlan.wpa2.reads"), QString::number(walk.ReadUntilDone(page, P::kRefreshButton, P::kResultLine)));
  walk.Note(QStringLiteral("wlan.wpa2.readback"), WirelessView(page));
  walk.Shot(QStringLiteral("wlan-wpa2-read"));
}

TEST(RouterWalk, WanAndWirelessTabsOnThePcsNetwork) {
  if (Env("KELVANE_ROUTER_WALK").isEmpty()) {
    GTEST_SKIP() << "KELVANE_ROUTER_WALK is not set: the walk runs only inside the test bed";
  }
  std::string why;
  ASSERT_TRUE(InsideTheBedsPc(why)) << "refusing to drive the router sheet outside the test bed's PC namespace: "
                                    << why;
  QString language;
  ASSERT_TRUE(LoadLanguage(kEnglish, &language)) << language.toStdString();

  // The real PC network and the real discovery broadcast, as the program has.
  SetActiveHostNetwork(nullptr);
  ProbeTarget::Instance() = ProbeTarget{};
  WizardState& state = WizardState::Instance();
  ResetRouterDefaults(state);
  state.languageId = kEnglish;
  state.wirelessPresent = true;

  // The sheet opens on its LAN tab, which reads the router first; the user
  // then picks the WAN tab.
  SetMessageBoxHook(&AnswerRestartQuestion);
  CPshRouter sheet;
  sheet.show();
  Walk walk(sheet);
  auto* lan = sheet.PageOf<CPspDIYLan>();
  ASSERT_NE(lan, nullptr);
  ASSERT_EQ(sheet.ActivePage(), lan);
  ASSERT_TRUE(lan->WaitFirstRead(60000)) << "the LAN tab's first read did not end";
  WalkWan(sheet, walk);
  if (!::testing::Test::HasFatalFailure()) WalkWireless(sheet, walk);
  walk.Note(QStringLiteral("finished"), ::testing::Test::HasFailure() ? QStringLiteral("0") : QStringLiteral("1"));

  if (!Env("KELVANE_ROUTER_WALK_REPORT").isEmpty()) {
    QFile file(Env("KELVANE_ROUTER_WALK_REPORT"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QTextStream out(&file);
    for (const QString& line : walk.Lines()) out << line << "\n";
  }
}

}  // namespace
}  // namespace kelvane
