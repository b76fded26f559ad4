// The main wizard sheet: button texts and layout, the Greek button font, the
// title, Help and its topics, the cancel prompt, navigation and the finish and
// cancel rules of its pages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "language/StringIds.h"
#include "pages/CPspSetupType.h"
#include "pages/CPspWelcome.h"
#include "wizard/CDlgHelp.h"
#include "wizard/CDlgMessage.h"
#include "wizard/CHTRichEditCtrl.h"
#include "wizard/CImageButton.h"
#include "wizard/CLineEdit.h"
#include "app/CPshMain.h"
#include "wizard/CPspEx.h"
#include "wizard/PageKit.h"
#include "wizard/SheetOps.h"
#include "wizard/UiText.h"
#include "state/WizardState.h"

namespace kelvane {
namespace {

using namespace test;

// Answers the next message box: clicks button `button` (0-2), or presses
// Escape when it is -1, or closes the box's window when it is -2. Records what the box showed.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(int button) : button_(button) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<CDlgMessage*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isVisible()) return;
      ++shown;
      caption = box->windowTitle();
      if (auto* text = qobject_cast<QLabel*>(box->Control(805))) message = text->text();
      for (int i = 0; i < 3; ++i) {
        auto* b = qobject_cast<QPushButton*>(box->Control(802 + i));
        buttons[i] = b != nullptr && b->isVisibleTo(box) ? b->text() : QString();
      }
      iconId = box->Style().iconId;
      if (button_ == -2) {
        box->close();
      } else if (button_ < 0) {
        QTest::keyClick(box, Qt::Key_Escape);
      } else if (auto* b = qobject_cast<QPushButton*>(box->Control(802 + button_))) {
        b->click();
      }
    });
    timer_.start();
  }
  int shown = 0;
  QString caption, message;
  QString buttons[3];
  int iconId = 0;

 private:
  int button_;
  QTimer timer_;
};

// A page of a later stage, standing in for the real one: it says which
// buttons it shows and how it answers Next, Back, Cancel and Finish.
class StandInPage : public CPspEx {
 public:
  explicit StandInPage(int templateId = 0) : CPspEx(templateId) {}
  bool OnSetActive() override {
    SheetOps* sheet = FindSheet();
    sheet->HideHelpWindow();
    sheet->EnableWizardButtons(true, true, !busy, finishPage);
    sheet->ShowWizardButtons(!finishPage, !finishPage, !finishPage, finishPage);
    sheet->ShowAndEnableHelpButton(true, true);
    WizardState::Instance().currentPageCode = pageCode;
    return CPspEx::OnSetActive();
  }
  bool OnQueryCancel() override {
    ++cancelQueries;
    if (finishPage) return true;
    if (busy) return false;
    return Sheet()->ConfirmCancel();
  }
  int OnWizardNext() override { return nextAnswer; }
  int OnWizardBack() override { return backAnswer; }
  bool OnWizardFinish() override {
    ++finishCalls;
    return allowFinish;
  }
  std::uint32_t pageCode = 50;
  bool busy = false;
  bool finishPage = false;
  bool allowFinish = true;
  int nextAnswer = 0;
  int backAnswer = 0;
  int cancelQueries = 0;
  int finishCalls = 0;
};

// The text as the user reads it: one line, without the access key's mark
// (nor the "(&N)" added to a text without a typeable letter).
QString Plain(const QPushButton* button) {
  QString text = button->text().replace(QLatin1Char('\n'), QLatin1Char(' '));
  text.remove(QRegularExpression(QStringLiteral("\\(&.\\)$")));
  return text.remove(QLatin1Char('&'));
}

class SheetTest : public ::testing::Test {
 protected:
  bool Build(std::uint32_t languageId) {
    sheet_.reset();
    WizardState::Instance().osVersionCode = 0;
    sheet_ = test::ShowSheet(languageId, &why_);
    return sheet_ != nullptr;
  }
  void TearDown() override {
    sheet_.reset();
    test::UnloadLanguage();
  }
  QPushButton* Button(int id) const { return sheet_->Button(id); }

  std::unique_ptr<CPshMain> sheet_;
  QString why_;
};

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

// The keyboard on the pages: Enter presses the focused button, or else the
// default one (Next, or Finish where Next is not shown), from an edit, a list
// or the language list alike, unless the field takes Enter itself; Alt with a
// letter is a button's access key and never a search in the language list.
// The first focus of a page is never one of its push buttons; a picture
// button with the focus is pressed by Enter.
TEST_F(SheetTest, KeyboardTable) {
  enum Focus { kFirstFocus, kLanguageList, kEdit, kList, kMultiLine, kNextButton, kCancelButton, kBackButton };
  enum Key { kReturn, kKeypadEnter, kAltN, kAltNextKey };
  // kStore: a page holding only a push button of its own, as the store page's
  // "Set again"; kPictures: a page of picture buttons, as the setup type page.
  // kWelcomeFirstShown: the welcome page of a sheet just made, not activated again.
  enum Page { kWelcome, kWelcomeFirstShown, kSetupType, kStandIn, kStandInBusy, kStandInFinish, kStore, kPictures };
  enum Outcome { kStays, kMovesOn, kMovesBack, kFinishes, kAsksToCancel, kPressesPicture };
  struct Row {
    std::uint32_t language;
    Page page;
    Focus focus;
    Key key;
    Outcome outcome;
  };
  const Row rows[] = {
      {kEnglish, kWelcome, kLanguageList, kReturn, kMovesOn},
      {kEnglish, kWelcome, kLanguageList, kKeypadEnter, kMovesOn},
      {kEnglish, kWelcome, kLanguageList, kAltN, kMovesOn},
      {kEnglish, kWelcome, kNextButton, kReturn, kMovesOn},
      {kEnglish, kWelcome, kCancelButton, kReturn, kAsksToCancel},  // the focused button, not Next
      {kEnglish, kSetupType, kBackButton, kReturn, kMovesBack},
      {kEnglish, kSetupType, kCancelButton, kKeypadEnter, kAsksToCancel},
      {kEnglish, kStandIn, kEdit, kReturn, kMovesOn},
      {kEnglish, kStandIn, kList, kReturn, kMovesOn},
      {kEnglish, kStandIn, kMultiLine, kReturn, kStays},  // a new line in the field
      {kEnglish, kStandInBusy, kEdit, kReturn, kStays},
      {kEnglish, kStandInFinish, kEdit, kReturn, kFinishes},
      // German "Weiter": Alt+N is nobody's key and must not pick "Nederlands".
      {kGerman, kWelcome, kLanguageList, kAltN, kStays},
      {kGerman, kWelcome, kLanguageList, kAltNextKey, kMovesOn},
      {kGerman, kWelcome, kLanguageList, kReturn, kMovesOn},
      {kGerman, kWelcomeFirstShown, kLanguageList, kAltNextKey, kMovesOn},
      {kGreek, kWelcomeFirstShown, kLanguageList, kAltNextKey, kMovesOn},
      {kChineseTrad, kWelcomeFirstShown, kLanguageList, kAltNextKey, kMovesOn},
      {kEnglish, kStore, kFirstFocus, kReturn, kMovesOn},  // store page: Enter is Next, not "Set again"
      {kEnglish, kStore, kFirstFocus, kKeypadEnter, kMovesOn},
      {kEnglish, kPictures, kFirstFocus, kReturn, kPressesPicture},
      {kEnglish, kPictures, kFirstFocus, kKeypadEnter, kPressesPicture},
  };
  std::uint32_t built = 0;
  StandInPage* standIn = nullptr;
  StandInPage* after = nullptr;
  StandInPage* store = nullptr;
  StandInPage* pictures = nullptr;
  int pageButtonClicks = 0;
  int pictureClicks = 0;
  for (const Row& row : rows) {
    if (row.language != built || !sheet_->isVisible() || row.page == kWelcomeFirstShown) {
      if (!Build(row.language)) GTEST_SKIP() << why_.toStdString();
      built = row.language;
      standIn = new StandInPage(9006);
      after = new StandInPage(9007);
      sheet_->AddPage(standIn);
      sheet_->AddPage(after);
      // The fields a page may hold, made before activation so the sheet's
      // access keys know them.
      new CLineEdit(standIn);
      new QListWidget(standIn);
      new QPlainTextEdit(standIn);
      standIn->findChild<QListWidget*>()->addItem(QStringLiteral("one"));
      // Each before a page of its own to move on to.
      store = new StandInPage(9004);
      pictures = new StandInPage(9005);
      sheet_->AddPage(store);
      sheet_->AddPage(pictures);
      sheet_->AddPage(new StandInPage(9003));
      QObject::connect(new QPushButton(QStringLiteral("Set again"), store), &QPushButton::clicked,
                       [&] { ++pageButtonClicks; });
      auto* picture = new CImageButton(pictures);
      picture->setText(QStringLiteral("Easy"));
      QObject::connect(picture, &QPushButton::clicked, [&] { ++pictureClicks; });
    }
    pageButtonClicks = 0;
    pictureClicks = 0;
    // Access keys reach the active window only (a message box took it).
    sheet_->activateWindow();
    QApplication::setActiveWindow(sheet_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet_.get()));
    const int rowIndex = static_cast<int>(&row - rows);
    SCOPED_TRACE(rowIndex);
    standIn->finishPage = row.page == kStandInFinish;
    standIn->finishCalls = 0;
    CPspEx* page = row.page == kWelcome || row.page == kWelcomeFirstShown ? static_cast<CPspEx*>(sheet_->Welcome())
                   : row.page == kSetupType ? static_cast<CPspEx*>(sheet_->SetupType())
                   : row.page == kStore     ? store
                   : row.page == kPictures  ? pictures
                                            : standIn;
    if (row.page != kWelcomeFirstShown) {
      ASSERT_TRUE(sheet_->SetActivePage(page));
    }
    std::optional<BusyScope> busy;
    if (row.page == kStandInBusy) busy.emplace(standIn);
    const int language = sheet_->Welcome()->Selector()->currentIndex();
    QWidget* target = nullptr;
    switch (row.focus) {
      case kFirstFocus: target = QApplication::focusWidget(); break;
      case kLanguageList: target = sheet_->Welcome()->Selector(); break;
      case kEdit: target = standIn->findChild<CLineEdit*>(); break;
      case kList: target = standIn->findChild<QListWidget*>(); break;
      case kMultiLine: target = standIn->findChild<QPlainTextEdit*>(); break;
      case kNextButton: target = Button(CPshMain::kButtonNext); break;
      case kCancelButton: target = Button(CPshMain::kButtonCancel); break;
      case kBackButton: target = Button(CPshMain::kButtonBack); break;
    }
    ASSERT_NE(target, nullptr);
    target->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(target->hasFocus());
    BoxAnswerer no(1);
    switch (row.key) {
      case kReturn: QTest::keyClick(target, Qt::Key_Return); break;
      case kKeypadEnter: QTest::keyClick(target, Qt::Key_Enter, Qt::KeypadModifier); break;
      case kAltN: QTest::keyClick(target, Qt::Key_N, Qt::AltModifier); break;
      case kAltNextKey: {
        const QString text = Button(CPshMain::kButtonNext)->text();
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << text.toStdString();
        // A Greek or Cyrillic key too: the key code is the capital letter.
        const QChar key = text.at(amp + 1);
        QTest::sendKeyEvent(QTest::Click, target, static_cast<Qt::Key>(key.toUpper().unicode()), QString(key.toLower()),
                            Qt::AltModifier);
        break;
      }
    }
    // A button pressed by its access key clicks a moment later (animated).
    auto settles = [&](const std::function<bool()>& done) { return QTest::qWaitFor(done, 5000); };
    switch (row.outcome) {
      case kStays: {
        test::Spin(20);
        for (int id : {CPshMain::kButtonBack, CPshMain::kButtonNext, CPshMain::kButtonFinish, CPshMain::kButtonCancel}) {
          EXPECT_FALSE(Button(id)->isDown()) << id;  // no click on its way
        }
        EXPECT_EQ(sheet_->ActivePage(), page);
        EXPECT_TRUE(sheet_->isVisible());
        EXPECT_EQ(no.shown, 0);
        break;
      }
      case kMovesOn:
        EXPECT_TRUE(settles([&] { return sheet_->PageIndex(sheet_->ActivePage()) == sheet_->PageIndex(page) + 1; }))
            << sheet_->PageIndex(sheet_->ActivePage());
        break;
      case kMovesBack:
        EXPECT_TRUE(settles([&] { return sheet_->ActivePage() == sheet_->Welcome(); }))
            << sheet_->PageIndex(sheet_->ActivePage());
        break;
      case kFinishes:
        EXPECT_TRUE(settles([&] { return !sheet_->isVisible(); }));
        EXPECT_EQ(standIn->finishCalls, 1);
        break;
      case kAsksToCancel:
        EXPECT_TRUE(settles([&] { return no.shown == 1; }));
        EXPECT_EQ(sheet_->ActivePage(), page);
        break;
      case kPressesPicture:
        EXPECT_TRUE(settles([&] { return pictureClicks == 1; }));
        EXPECT_EQ(sheet_->ActivePage(), page);
        break;
    }
    EXPECT_EQ(pageButtonClicks, 0);
    if (sheet_->isVisible()) {
      EXPECT_EQ(sheet_->Welcome()->Selector()->currentIndex(), language);
    }
    if (row.focus == kMultiLine) {
      EXPECT_EQ(standIn->findChild<QPlainTextEdit*>()->toPlainText(), QStringLiteral("\n"));
    }
  }
}

TEST_F(SheetTest, TabVisitsThePageThenTheButtons) {
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  sheet_->activateWindow();
  QApplication::setActiveWindow(sheet_.get());
  test::Spin(20);
  auto visit = [&](int steps) {
    std::vector<QWidget*> seen;
    for (int i = 0; i < steps; ++i) {
      seen.push_back(QApplication::focusWidget());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    seen.push_back(QApplication::focusWidget());
    return seen;
  };
  QWidget* selector = sheet_->Welcome()->Control(CPspWelcome::kLanguageSelector);
  // Welcome: the selector first; Back is disabled, Help and Finish hidden.
  EXPECT_EQ(visit(3), (std::vector<QWidget*>{selector, Button(CPshMain::kButtonNext),
                                             Button(CPshMain::kButtonCancel), selector}));

  sheet_->SetActivePage(sheet_->SetupType());
  QWidget* easy = sheet_->SetupType()->Control(CPspSetupType::kEasyButton);
  QWidget* advanced = sheet_->SetupType()->Control(CPspSetupType::kAdvancedButton);
  // Setup type: the two mode buttons, then Back and Cancel (Next is disabled).
  EXPECT_EQ(visit(4), (std::vector<QWidget*>{easy, advanced, Button(CPshMain::kButtonBack),
                                             Button(CPshMain::kButtonCancel), easy}));
}

}  // namespace
}  // namespace kelvane
