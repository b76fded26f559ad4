// The main sheet's keyboard: Enter, the access keys and the Tab order on its
// pages. Part of sheet_main_test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <optional>
#include <vector>

#include "app/CPshMain.h"
#include "pages/CPspSetupType.h"
#include "pages/CPspWelcome.h"
#include "wizard/CImageButton.h"
#include "wizard/CLineEdit.h"
#include "wizard/CPspEx.h"
#include "wizard/PageKit.h"

#include "SheetFixture.h"

namespace kelvane {
namespace {

using namespace test;

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
