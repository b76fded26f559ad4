// The main wizard sheet: button texts and layout, the Greek button font, the
// title, Help and its topics, the cancel prompt, navigation and the finish and
// cancel rules of its pages. Its keyboard is in sheet_main_test_keys.cpp.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

#include "app/CPshMain.h"
#include "language/StringIds.h"
#include "wizard/CDlgHelp.h"
#include "pages/CPspSetupType.h"
#include "pages/CPspWelcome.h"
#include "wizard/CHTRichEditCtrl.h"
#include "wizard/CPspEx.h"
#include "wizard/UiText.h"

#include "SheetFixture.h"

namespace kelvane {
namespace {

using namespace test;

TEST_F(SheetTest, ButtonTextsAndTitleInEveryTestedLanguage) {
  for (std::uint32_t language : {kEnglish, kGreek, kChineseTrad, kRussian}) {
    if (!Build(language)) GTEST_SKIP() << why_.toStdString();
    const QString name = test::LanguageName(language);
    EXPECT_EQ(Plain(Button(CPshMain::kButtonBack)), QStringLiteral("< ") + UiText(kIdBack)) << name.toStdString();
    EXPECT_EQ(Plain(Button(CPshMain::kButtonNext)), UiText(kIdNext) + QStringLiteral(" >")) << name.toStdString();
    EXPECT_EQ(Plain(Button(CPshMain::kButtonCancel)), UiText(kIdCancel)) << name.toStdString();
    EXPECT_EQ(Plain(Button(CPshMain::kButtonFinish)), UiText(kIdFinish)) << name.toStdString();
    EXPECT_EQ(Plain(Button(CPshMain::kButtonHelp)), UiText(kIdHelp)) << name.toStdString();
    EXPECT_FALSE(UiText(kIdNext).isEmpty()) << name.toStdString();
    // The first page shown has its keys too, not only a page come back to.
    for (int id : {CPshMain::kButtonBack, CPshMain::kButtonNext, CPshMain::kButtonCancel, CPshMain::kButtonHelp}) {
      const QString text = Button(id)->text();
      const qsizetype amp = text.indexOf(QLatin1Char('&'));
      ASSERT_TRUE(amp >= 0 && amp + 1 < text.size()) << name.toStdString() << " " << id;
      // A key typed with one key press: no accented letter (a dead key first).
      EXPECT_NE(text[amp + 1].decompositionTag(), QChar::Canonical) << name.toStdString() << " " << id;
    }
    EXPECT_EQ(sheet_->windowTitle(), UiText(kIdProductTitle) + QStringLiteral(", V2.5.0.0")) << name.toStdString();
    // The buttons are found by their command IDs, like the page controls.
    EXPECT_EQ(FindControl(sheet_.get(), CPshMain::kButtonNext), Button(CPshMain::kButtonNext));
    EXPECT_FALSE(sheet_->windowIcon().pixmap(32).isNull());
  }
}

TEST_F(SheetTest, ButtonLayoutRules) {
  QRect englishBack;
  for (std::uint32_t language : {kEnglish, kGreek, kChineseTrad, kRussian}) {
    if (!Build(language)) GTEST_SKIP() << why_.toStdString();
    const std::string name = test::LanguageName(language).toStdString();
    const QRect back = Button(CPshMain::kButtonBack)->geometry();
    const QRect next = Button(CPshMain::kButtonNext)->geometry();
    const QRect cancel = Button(CPshMain::kButtonCancel)->geometry();
    const QRect finish = Button(CPshMain::kButtonFinish)->geometry();
    const QRect help = Button(CPshMain::kButtonHelp)->geometry();
    const QRect window = sheet_->rect();

    EXPECT_EQ(help.left(), 15) << name;
    EXPECT_LE(std::abs(finish.center().x() - window.width() / 2), 1) << name;
    for (const QRect& r : {back, next, cancel, finish, help}) {
      EXPECT_TRUE(window.contains(r)) << name;
      EXPECT_EQ(r.top(), back.top()) << name;
      EXPECT_EQ(r.height(), next.height()) << name;
    }
    // Back against Next, then Cancel, from left to right without overlap.
    EXPECT_LT(back.right(), next.left()) << name;
    if (language != kGreek) {
      EXPECT_EQ(back.right() + 1, next.left()) << name;
    }
    EXPECT_GT(cancel.left(), next.right()) << name;
    EXPECT_GT(back.left(), help.right()) << name;
    // Buttons stand below the page area.
    EXPECT_GE(back.top(), sheet_->ActivePage()->geometry().bottom()) << name;

    if (language == kEnglish) englishBack = back;
    if (language == kGreek) {
      // The welcome page moves Greek's Back 15 pixels left and widens it by 8.
      EXPECT_EQ(back.left(), englishBack.left() - 15);
      EXPECT_EQ(back.width(), englishBack.width() + 8);
    }
  }
}

TEST_F(SheetTest, GreekButtonsUseTheTenPixelNormalFont) {
  struct Case {
    std::uint32_t language;
    bool greek;
  };
  for (const Case& c : {Case{kGreek, true}, Case{kEnglish, false}, Case{kRussian, false}}) {
    if (!Build(c.language)) GTEST_SKIP() << why_.toStdString();
    EXPECT_EQ(sheet_->ButtonFont() != nullptr, c.greek);
    for (int id : {CPshMain::kButtonBack, CPshMain::kButtonNext, CPshMain::kButtonCancel, CPshMain::kButtonFinish,
                   CPshMain::kButtonHelp}) {
      const QFont font = Button(id)->font();
      EXPECT_EQ(font.pixelSize() == 10, c.greek) << c.language << " button " << id;
      if (c.greek) {
        EXPECT_EQ(font.weight(), QFont::Normal);
      }
    }
  }
}

TEST_F(SheetTest, LongButtonTextsWrapInsteadOfBeingClipped) {
  for (std::uint32_t language : {kEnglish, kGreek, kChineseTrad, kRussian}) {
    if (!Build(language)) GTEST_SKIP() << why_.toStdString();
    for (int id : {CPshMain::kButtonBack, CPshMain::kButtonNext, CPshMain::kButtonCancel, CPshMain::kButtonFinish,
                   CPshMain::kButtonHelp}) {
      QPushButton* button = Button(id);
      const QFontMetrics metrics(button->font());
      const QStringList lines = button->text().remove(QLatin1Char('&')).split(QLatin1Char('\n'));
      EXPECT_LE(lines.size(), 2);
      for (const QString& line : lines) {
        // One word longer than the button cannot be helped; anything else fits.
        if (!line.contains(QLatin1Char(' ')) && lines.size() == 1) continue;
        EXPECT_LE(metrics.horizontalAdvance(line), button->width() - 6)
            << test::LanguageName(language).toStdString() << " button " << id << ": " << line.toStdString();
      }
    }
  }
}

TEST_F(SheetTest, HelpIsHiddenAndInertOnTheFirstTwoPages) {
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  QPushButton* help = Button(CPshMain::kButtonHelp);
  ASSERT_EQ(sheet_->ActivePage(), sheet_->Welcome());
  EXPECT_FALSE(help->isVisible());
  QTest::keyClick(sheet_.get(), Qt::Key_F1);
  sheet_->OnHelp();
  EXPECT_EQ(sheet_->HelpWindow(), nullptr);

  QTest::mouseClick(Button(CPshMain::kButtonNext), Qt::LeftButton);
  ASSERT_EQ(sheet_->ActivePage(), sheet_->SetupType());
  EXPECT_FALSE(help->isVisible());
  sheet_->OnHelp();
  EXPECT_EQ(sheet_->HelpWindow(), nullptr);
}

TEST_F(SheetTest, HelpShowsThePairOfThePageCode) {
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  struct Case {
    std::uint32_t code, title, text;
  };
  const std::vector<Case> cases = {
      {11, 30526, 30486}, {20, 30527, 30487}, {21, 30528, 30488}, {23, 30530, 30490}, {30, 30579, 30642},
      {34, 30534, 30494}, {35, 30578, 30492}, {36, 30662, 30663}, {40, 30535, 30495}, {50, 30536, 30496},
      {60, 30537, 30497}, {73, 30541, 30501}, {99, 0, 0},
  };
  CDlgHelp* window = nullptr;
  for (const Case& c : cases) {
    WizardState::Instance().currentPageCode = c.code;
    sheet_->OnHelp();
    ASSERT_NE(sheet_->HelpWindow(), nullptr);
    if (window == nullptr) window = sheet_->HelpWindow();
    EXPECT_EQ(sheet_->HelpWindow(), window) << "one help window per sheet";
    const QString title = c.title ? UiText(c.title) : QString();
    const QString text = c.text ? UiText(c.text) : QString();
    EXPECT_EQ(window->windowTitle(), UiText(kIdHelpWindowTitle) + QStringLiteral(" - ") + title) << c.code;
    EXPECT_EQ(window->Body()->toPlainText(), text) << c.code;
    EXPECT_TRUE(window->isVisible()) << c.code;
  }
  // The WAN test page's pair must carry real texts in the English module.
  EXPECT_FALSE(UiText(30536).isEmpty());
  EXPECT_FALSE(UiText(30496).isEmpty());
  // Activating a page hides the help window.
  sheet_->SetActivePage(sheet_->Welcome());
  EXPECT_FALSE(window->isVisible());
}

TEST_F(SheetTest, HelpButtonOnAPageWithHelp) {
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  auto* wanTest = new StandInPage();
  wanTest->pageCode = 50;
  sheet_->AddPage(wanTest);
  ASSERT_TRUE(sheet_->SetActivePage(wanTest));
  QPushButton* help = Button(CPshMain::kButtonHelp);
  ASSERT_TRUE(help->isVisible());
  QTest::mouseClick(help, Qt::LeftButton);
  ASSERT_NE(sheet_->HelpWindow(), nullptr);
  EXPECT_TRUE(sheet_->HelpWindow()->isVisible());
  EXPECT_EQ(sheet_->HelpWindow()->windowTitle(), UiText(kIdHelpWindowTitle) + QStringLiteral(" - ") + UiText(30536));
  // A window of the (modal) sheet, so the sheet's modality does not block it.
  EXPECT_EQ(sheet_->HelpWindow()->parentWidget(), sheet_.get());
  EXPECT_TRUE(sheet_->HelpWindow()->isWindow());
  test::SaveScreenshot(sheet_->HelpWindow(), QStringLiteral("sheet-help-English"));
}

TEST_F(SheetTest, CancelPromptAnswers) {
  struct Case {
    int button;  // -1: Escape, -2: the box's close button
    bool closes;
  };
  for (const Case& c : {Case{0, true}, Case{1, false}, Case{-2, false}, Case{-1, false}}) {
    if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
    BoxAnswerer answer(c.button);
    QTest::mouseClick(Button(CPshMain::kButtonCancel), Qt::LeftButton);
    test::Spin(20);
    ASSERT_EQ(answer.shown, 1) << c.button;
    EXPECT_EQ(answer.caption, UiText(kIdCancelPromptCaption));
    EXPECT_EQ(answer.message, UiText(kIdCancelPromptQuestion));
    EXPECT_EQ(answer.buttons[0], UiText(kIdYesButton));
    EXPECT_EQ(answer.buttons[1], UiText(kIdNoButton));
    EXPECT_TRUE(answer.buttons[2].isEmpty()) << "Yes and No only";
    EXPECT_EQ(answer.iconId, 810);
    EXPECT_EQ(sheet_->isVisible(), !c.closes) << c.button;
    if (c.closes) {
      EXPECT_EQ(sheet_->result(), QDialog::Rejected);
    }
  }
}

TEST_F(SheetTest, EscapeAndCloseAskTheActivePageToo) {
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  {
    BoxAnswerer answer(1);  // No
    QTest::keyClick(sheet_.get(), Qt::Key_Escape);
    test::Spin(20);
    EXPECT_EQ(answer.shown, 1);
    EXPECT_TRUE(sheet_->isVisible());
  }
  {
    BoxAnswerer answer(0);  // Yes
    sheet_->close();
    test::Spin(20);
    EXPECT_EQ(answer.shown, 1);
    EXPECT_FALSE(sheet_->isVisible());
  }
}

TEST_F(SheetTest, BusyPageRefusesCancelWithoutAPrompt) {
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  auto* store = new StandInPage();
  store->pageCode = 40;
  store->busy = true;
  sheet_->AddPage(store);
  ASSERT_TRUE(sheet_->SetActivePage(store));
  BoxAnswerer answer(0);
  sheet_->reject();
  QTest::keyClick(sheet_.get(), Qt::Key_Escape);
  test::Spin(50);
  EXPECT_EQ(store->cancelQueries, 2);
  EXPECT_EQ(answer.shown, 0);
  EXPECT_TRUE(sheet_->isVisible());
}

TEST_F(SheetTest, FinishPageClosesOnCancelAtOnceAndOnFinishWhenItAgrees) {
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  auto* finish = new StandInPage();
  finish->pageCode = 60;
  finish->finishPage = true;
  finish->allowFinish = false;
  sheet_->AddPage(finish);
  ASSERT_TRUE(sheet_->SetActivePage(finish));
  EXPECT_TRUE(Button(CPshMain::kButtonFinish)->isVisible());
  EXPECT_FALSE(Button(CPshMain::kButtonNext)->isVisible());

  // A finish handler that refuses keeps the sheet.
  QTest::mouseClick(Button(CPshMain::kButtonFinish), Qt::LeftButton);
  EXPECT_EQ(finish->finishCalls, 1);
  EXPECT_TRUE(sheet_->isVisible());
  finish->allowFinish = true;
  QTest::mouseClick(Button(CPshMain::kButtonFinish), Qt::LeftButton);
  EXPECT_EQ(finish->finishCalls, 2);
  EXPECT_FALSE(sheet_->isVisible());
  EXPECT_EQ(sheet_->result(), QDialog::Accepted);

  // Cancel (here: Escape) on the finish page closes at once, no prompt.
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  auto* last = new StandInPage();
  last->finishPage = true;
  sheet_->AddPage(last);
  ASSERT_TRUE(sheet_->SetActivePage(last));
  BoxAnswerer answer(1);
  QTest::keyClick(sheet_.get(), Qt::Key_Escape);
  test::Spin(30);
  EXPECT_EQ(answer.shown, 0);
  EXPECT_FALSE(sheet_->isVisible());
}

TEST_F(SheetTest, NextAndBackAnswersOfThePage) {
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  auto* a = new StandInPage(9006);
  auto* b = new StandInPage(9007);
  auto* c = new StandInPage(9008);
  sheet_->AddPage(a);
  sheet_->AddPage(b);
  sheet_->AddPage(c);
  struct Step {
    CPspEx* from;
    bool next;
    int answer;
    CPspEx* expected;
  };
  CPspEx* beforeA = sheet_->Page(sheet_->PageIndex(a) - 1);
  const std::vector<Step> steps = {
      {a, true, 0, b},       // 0: the following page
      {b, true, -1, b},      // -1: stay
      {b, true, 9006, a},    // a template ID: that page
      {a, true, 4999, a},    // no such page: stay
      {c, false, 0, b},      // Back 0: the page before
      {a, false, 0, beforeA},
      {c, false, -1, c},
  };
  for (const Step& s : steps) {
    ASSERT_TRUE(sheet_->SetActivePage(s.from));
    auto* page = static_cast<StandInPage*>(s.from);
    (s.next ? page->nextAnswer : page->backAnswer) = s.answer;
    QTest::mouseClick(Button(s.next ? CPshMain::kButtonNext : CPshMain::kButtonBack), Qt::LeftButton);
    EXPECT_EQ(sheet_->ActivePage(), s.expected) << sheet_->PageIndex(s.from) << (s.next ? " next " : " back ")
                                                << s.answer;
  }
  // A page that is not a member cannot be activated.
  StandInPage stranger;
  EXPECT_FALSE(sheet_->SetActivePage(&stranger));
  EXPECT_FALSE(sheet_->SetActivePage(nullptr));
}

}  // namespace
}  // namespace kelvane
