// The Qt half of the page kit: a running step keeps the sheet from closing,
// moving or opening Help whatever the user presses; the buttons come back on
// every path; the narrator survives its page; the login prompt answers
// through its hook; the router sheet's tabs and its Back button.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <memory>

#include "GuiTestSupport.h"
#include "advanced/CPshRouter.h"
#include "language/StringIds.h"
#include "net/Wait.h"
#include "pages/CPspConnectivity.h"
#include "pages/CPspWanSettings.h"
#include "steps/kit/WanForms.h"
#include "state/WizardState.h"
#include "wizard/CDlgIpInfo.h"
#include "wizard/CDlgPrompt.h"
#include "app/CPshMain.h"
#include "wizard/CStaticText.h"
#include "wizard/CWaitStrip.h"
#include "wizard/MessageBox.h"
#include "wizard/PageKit.h"
#include "wizard/QtNarrator.h"
#include "wizard/UiText.h"

namespace kelvane {
namespace {

using namespace test;

int gBoxesShown = 0;
void CountAndRefuse(CDlgMessage* box) {
  ++gBoxesShown;
  box->reject();
}

// A page whose Next runs a long step, as the connectivity or store page does.
class SlowPage : public CPspEx {
 public:
  SlowPage() : CPspEx(9100) { SetCancelPolicy(CancelPolicy::kAskUnlessBusy); }
  bool OnSetActive() override {
    BeginActivation(kStandardChrome, 20);
    return CPspEx::OnSetActive();
  }
  int OnWizardNext() override {
    BusyScope busy(this, waitText);
    running = true;
    during();
    running = false;
    ++stepsRun;
    return -1;
  }
  std::function<void()> during = [] {};
  StringId waitText = 0;  // the long wait's text, 0 for a step that names none
  bool running = false;
  int stepsRun = 0;
};

class PageKitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxHook(&CountAndRefuse);
    gBoxesShown = 0;
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    SetPromptHook(nullptr);
    sheet_.reset();
  }
  QPushButton* Button(int id) { return sheet_->Button(id); }
  // The English sheet on a slow page of its own; null when no sheet can be
  // shown here (why_ says why) or, a failure, the page is not made active.
  SlowPage* ShowSlowPage() {
    sheet_ = ShowSheet(kEnglish, &why_);
    if (!sheet_) return nullptr;
    auto* page = new SlowPage();
    sheet_->AddPage(page);
    if (!sheet_->SetActivePage(page)) {
      ADD_FAILURE() << "the slow page could not be made active";
      return nullptr;
    }
    return page;
  }
  std::unique_ptr<CPshMain> sheet_;
  QString why_;
};

TEST_F(PageKitTest, ARunningStepRefusesCancelEscapeCloseBoxNavigationAndHelp) {
  SlowPage* page = ShowSlowPage();
  if (page == nullptr) GTEST_SKIP() << why_.toStdString();
  const CPspEx* before = sheet_->ActivePage();

  struct Seen {
    bool back, next, cancel, help;
  } seen{};
  page->during = [&] {
    seen = {Button(CPshMain::kButtonBack)->isEnabled(), Button(CPshMain::kButtonNext)->isEnabled(),
            Button(CPshMain::kButtonCancel)->isEnabled(), Button(CPshMain::kButtonHelp)->isEnabled()};
    // Everything a user can do while the step waits arrives here.
    sheet_->reject();
    QTest::keyClick(sheet_.get(), Qt::Key_Escape);
    sheet_->close();
    sheet_->OnNext();
    sheet_->OnBack();
    sheet_->OnHelp();
    PumpWait(50);
  };
  sheet_->OnNext();
  EXPECT_EQ(page->stepsRun, 1);  // the Next during the step did not start a second one
  EXPECT_FALSE(seen.back || seen.next || seen.cancel || seen.help);
  EXPECT_TRUE(sheet_->isVisible());
  EXPECT_EQ(sheet_->ActivePage(), before);
  EXPECT_EQ(gBoxesShown, 0);
  EXPECT_EQ(sheet_->HelpWindow(), nullptr);
  // Afterwards the buttons are back and Cancel asks again.
  EXPECT_TRUE(Button(CPshMain::kButtonBack)->isEnabled());
  EXPECT_TRUE(Button(CPshMain::kButtonNext)->isEnabled());
  EXPECT_TRUE(Button(CPshMain::kButtonCancel)->isEnabled());
  EXPECT_TRUE(Button(CPshMain::kButtonHelp)->isEnabled());
  EXPECT_FALSE(page->IsBusy());
  sheet_->reject();
  EXPECT_EQ(gBoxesShown, 1);
  EXPECT_TRUE(sheet_->isVisible());
}

// A step that names its wait shows the wait strip (a busy bar beside the
// wait's text) once it has run a moment, a countdown turns the bar
// determinate with the restart's text, and the strip goes with the step.
TEST_F(PageKitTest, LongWaitShowsItsBarAndText) {
  SlowPage* page = ShowSlowPage();
  if (page == nullptr) GTEST_SKIP() << why_.toStdString();
  enum Wait { kQuick, kLong, kLongWithCountdown, kLongWithQuestion };
  struct Row {
    StringId waitText;
    Wait wait;
    bool shows;
  };
  const Row rows[] = {
      {kIdWaitReadRouter, kQuick, false},  // over before the strip's moment
      {kIdWaitReadRouter, kLong, true},
      {kIdWaitRouterConnection, kLong, true},
      {kIdWaitStoreRouter, kLongWithCountdown, true},
      {kIdWaitReadRouter, kLongWithQuestion, true},  // "please wait" steps aside for a question
      {0, kLong, false},  // a step that names no wait
  };
  constexpr int kBoundMs = 10000;
  auto strip = [&] { return CWaitStrip::Of(sheet_.get()); };
  auto shown = [&] { return strip() != nullptr && strip()->isVisible(); };
  for (const Row& row : rows) {
    SCOPED_TRACE(static_cast<int>(&row - rows));
    page->waitText = row.waitText;
    page->during = [&] {
      if (row.wait == kQuick) {
        EXPECT_FALSE(shown());
        return;
      }
      // Long: until the strip shows; a step that names no wait runs well
      // past the strip's moment and shows none.
      const int moment = static_cast<int>(CWaitStrip::kShowAfterMs * TimeScale());
      const bool appeared = WaitUntil(row.shows ? kBoundMs : 4 * moment + 200, shown);
      if (!row.shows) {
        EXPECT_FALSE(appeared);
        return;
      }
      ASSERT_TRUE(appeared);
      EXPECT_EQ(strip()->Text()->text(), UiText(row.waitText));
      // A screen reader hears it as a notification named by its text.
      QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(strip());
      ASSERT_NE(heard, nullptr);
      EXPECT_EQ(heard->role(), QAccessible::Notification);
      EXPECT_EQ(heard->text(QAccessible::Name), UiText(row.waitText));
      EXPECT_EQ(strip()->Bar()->maximum(), 0);  // busy: no end known
      EXPECT_FALSE(strip()->geometry().intersects(Button(CPshMain::kButtonNext)->geometry()));
      if (row.wait == kLongWithQuestion) {
        static bool stripShownDuringBox;
        stripShownDuringBox = true;
        SetMessageBoxHook([](CDlgMessage* box) {
          const CWaitStrip* s = CWaitStrip::Of(box->parentWidget());
          stripShownDuringBox = s != nullptr && s->isVisible();
          box->reject();
        });
        ShowMessage(QStringLiteral("?"), QStringLiteral("?"), kMbIconInformation, sheet_.get());
        SetMessageBoxHook(&CountAndRefuse);
        EXPECT_FALSE(stripShownDuringBox);
        EXPECT_TRUE(shown());
      }
      if (row.wait == kLongWithCountdown) {
        QtNarrator narrator(page);
        narrator.Countdown(kIdStoreRestarting, 22);
        EXPECT_EQ(strip()->Text()->text(), UiText(kIdWaitRouterRestartKnown));
        EXPECT_EQ(QAccessible::queryAccessibleInterface(strip())->text(QAccessible::Name),
                  UiText(kIdWaitRouterRestartKnown));
        EXPECT_EQ(strip()->Bar()->maximum(), 22);
        EXPECT_EQ(strip()->Bar()->value(), 1);
        narrator.Say(kIdDone);
        EXPECT_EQ(strip()->Text()->text(), UiText(row.waitText));
        EXPECT_EQ(strip()->Bar()->maximum(), 0);
        EXPECT_TRUE(shown());
      }
    };
    sheet_->OnNext();
    EXPECT_FALSE(page->running);
    EXPECT_EQ(strip(), nullptr);
  }
}

// Where the wait strip lies in five languages (never half over a control),
// and pictures of it for a person to look at (KELVANE_SCREENSHOT_DIR;
// KELVANE_TEST_PALETTE=dark for the dark ones): the busy bar of a store,
// then the restart's countdown.
TEST_F(PageKitTest, WaitStripScreenshots) {
  for (std::uint32_t language : kScreenshotLanguages) {
    sheet_.reset();
    QString why;
    sheet_ = ShowSheet(language, &why);
    if (!sheet_) GTEST_SKIP() << why.toStdString();
    CPspEx* page = sheet_->FindPageByTemplate(CPspStaticWan::kTemplateId);
    ASSERT_TRUE(sheet_->SetActivePage(page));
    BusyScope busy(page, kIdWaitStoreRouter);
    ASSERT_TRUE(WaitUntil(10000, [&] { return CWaitStrip::Of(page) != nullptr && CWaitStrip::Of(page)->isVisible(); }));
    SaveScreenshot(sheet_.get(), QStringLiteral("wait-busy-") + LanguageName(language));
    QtNarrator narrator(page->Control(kWanMessageId));
    narrator.Countdown(kIdStoreRestarting, 22);
    narrator.Countdown(kIdStoreRestarting, 12);
    SaveScreenshot(sheet_.get(), QStringLiteral("wait-countdown-") + LanguageName(language));
    // Escape meanwhile: the notice that the step cannot be interrupted, above the strip.
    QTest::keyClick(sheet_.get(), Qt::Key_Escape);
    ASSERT_NE(sheet_->BusyNotice(), nullptr);
    EXPECT_LE(sheet_->BusyNotice()->geometry().bottom(), CWaitStrip::Of(page)->y());
    SaveScreenshot(sheet_.get(), QStringLiteral("wait-escape-") + LanguageName(language));
    // The router sheet, whose tab keeps its first read back while it is busy.
    CPshRouter router;
    router.show();
    BusyScope tabBusy(router.Page(0), kIdWaitReadRouter);
    ASSERT_TRUE(WaitUntil(10000, [&] { return CWaitStrip::Of(&router) != nullptr && CWaitStrip::Of(&router)->isVisible(); }));
    SaveScreenshot(&router, QStringLiteral("wait-router-") + LanguageName(language));
    // It stands in place of the tab's own buttons, never half over one.
    const QRect stripRect = CWaitStrip::Of(&router)->geometry();
    for (const QPushButton* button : router.findChildren<QPushButton*>()) {
      if (!button->isVisible()) continue;
      const QRect r(button->mapTo(&router, QPoint(0, 0)), button->size());
      EXPECT_TRUE(!stripRect.intersects(r) || stripRect.contains(r)) << button->text().toStdString();
    }
    // A narrow dialog: the strip lies over its buttons, the bar above the text.
    CDlgIpInfo dialog;
    dialog.show();
    LongWait renew(&dialog, kIdWaitPcAddress);
    ASSERT_TRUE(WaitUntil(10000, [&] { return CWaitStrip::Of(&dialog) != nullptr && CWaitStrip::Of(&dialog)->isVisible(); }));
    const QRect dialogStrip = CWaitStrip::Of(&dialog)->geometry();
    EXPECT_TRUE(dialog.rect().contains(dialogStrip));
    SaveScreenshot(&dialog, QStringLiteral("wait-dialog-") + LanguageName(language));
    // Nor half over one of the dialog's fields or labels.
    for (const QWidget* control : dialog.findChildren<QWidget*>()) {
      if (!control->isVisible() || control->isWindow() || qobject_cast<const QGroupBox*>(control) ||
          CWaitStrip::Of(&dialog)->isAncestorOf(control) || control == CWaitStrip::Of(&dialog) ||
          !control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty())
        continue;
      const QRect r(control->mapTo(&dialog, QPoint(0, 0)), control->size());
      EXPECT_TRUE(!dialogStrip.intersects(r) || dialogStrip.contains(r)) << control->metaObject()->className();
    }
  }
}

TEST_F(PageKitTest, NarratorWritesTheAreaAndOutlivesItsPage) {
  QString why;
  if (!LoadLanguage(kEnglish, &why)) GTEST_SKIP() << why.toStdString();
  auto area = std::make_unique<CStaticText>();
  QtNarrator narrator(area.get());
  narrator.Say(kIdDone);
  EXPECT_EQ(area->text(), UiText(kIdDone));
  narrator.AppendText(" +");
  EXPECT_EQ(area->text(), UiText(kIdDone) + QStringLiteral(" +"));
  narrator.Countdown(kIdDone, 7);
  EXPECT_EQ(area->text(), UiText(kIdDone) + QStringLiteral(".....7"));
  // A determinate bar fills as the seconds pass, in the window's wait strip,
  // and goes with the next plain narration.
  ASSERT_NE(narrator.CountdownBar(), nullptr);
  EXPECT_EQ(narrator.CountdownBar()->maximum(), 7);
  EXPECT_EQ(narrator.CountdownBar()->value(), 1);
  narrator.Countdown(kIdDone, 1);
  EXPECT_EQ(narrator.CountdownBar()->value(), 7);
  EXPECT_TRUE(area->rect().contains(CWaitStrip::Of(area.get())->geometry()));
  narrator.Say(kIdDone);
  EXPECT_EQ(narrator.CountdownBar(), nullptr);
  EXPECT_EQ(CWaitStrip::Of(area.get()), nullptr);
  // The page goes away during a pause (the user closed the window).
  QTimer::singleShot(10, [&] { area.reset(); });
  narrator.Pause(400);
  EXPECT_FALSE(narrator.Alive());
  narrator.Say(kIdError);  // nothing left to write: no crash
  narrator.Append(kIdError, NarrationColour::kBad);
}

QString gTyped;
bool gPressOk = true;
void AnswerPrompt(CDlgPrompt* prompt) {
  prompt->Entry()->setText(gTyped);
  if (gPressOk) {
    QTest::keyClick(prompt->Entry(), Qt::Key_Return);
  } else {
    prompt->reject();
  }
}

TEST_F(PageKitTest, LoginPromptAnswersThroughItsHook) {
  QString why;
  if (!LoadLanguage(kEnglish, &why)) GTEST_SKIP() << why.toStdString();
  SetPromptHook(&AnswerPrompt);
  std::string word;
  gTyped = QStringLiteral("s3cret word");
  gPressOk = true;
  ASSERT_TRUE(PromptLoginWord(false, word));
  EXPECT_EQ(word, "s3cret word");
  EXPECT_EQ(gBoxesShown, 0);  // the prompt went to its own hook
  gPressOk = false;
  word = "unchanged";
  EXPECT_FALSE(PromptLoginWord(false, word));
  EXPECT_EQ(word, "unchanged");
}

TEST_F(PageKitTest, RouterSheetHasItsTabsHelpOnTheLeftAndBackThatCloses) {
  QString why;
  if (!LoadLanguage(kEnglish, &why)) GTEST_SKIP() << why.toStdString();
  WizardState& state = WizardState::Instance();
  for (bool wireless : {true, false}) {
    state.wirelessPresent = wireless;
    CPshRouter sheet;
    QStringList captions;
    for (int i = 0; i < sheet.Tabs()->count(); ++i) captions << sheet.Tabs()->tabText(i);
    QStringList expected{UiText(kIdTabLan), UiText(kIdTabWireless), UiText(kIdTabWan), UiText(kIdTabSystem)};
    if (!wireless) expected.removeAt(1);
    EXPECT_EQ(captions, expected) << wireless;
    EXPECT_EQ(sheet.windowTitle(), UiText(kIdRouterManagementTitle));
    const QString back = sheet.Button(CPshRouter::kButtonCancel)->text();
    EXPECT_EQ(QString(back).remove(QLatin1Char('&')), UiText(kIdBack));
    EXPECT_TRUE(back.contains(QLatin1Char('&'))) << "an access key";
    EXPECT_LT(sheet.Button(CPshRouter::kButtonHelp)->x(), sheet.Button(CPshRouter::kButtonCancel)->x());
    sheet.show();
    Spin(20);
    EXPECT_FALSE(sheet.Button(CPshRouter::kButtonOk)->isVisible());
    EXPECT_EQ(state.currentPageCode, 70u);  // the LAN page is active first

    // A page at work keeps the sheet open; an idle one lets Back close it.
    {
      BusyScope busy(sheet.Page(0));
      sheet.Button(CPshRouter::kButtonCancel)->click();
      sheet.reject();
      EXPECT_TRUE(sheet.isVisible());
    }
    // The notice that said so goes with the step, and its watch with it: an
    // idle sheet keeps no timer ticking.
    ASSERT_NE(sheet.BusyNotice(), nullptr);
    EXPECT_TRUE(WaitUntil(10000, [&] { return !sheet.BusyNotice()->isVisible(); }));
    for (const QTimer* timer : sheet.BusyNotice()->findChildren<QTimer*>()) EXPECT_FALSE(timer->isActive());
    sheet.Button(CPshRouter::kButtonCancel)->click();
    EXPECT_FALSE(sheet.isVisible());
  }
  state.wirelessPresent = true;
}

}  // namespace
}  // namespace kelvane
