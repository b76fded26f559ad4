// The welcome and setup-type pages: the language selector and what a choice
// does, the buttons of each page, the picture layout, the two mode buttons,
// and screenshots of both pages in four languages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "language/LanguageTable.h"
#include "language/StringIds.h"
#include "pages/CPspSetupType.h"
#include "pages/CPspWelcome.h"
#include "wizard/CImageButton.h"
#include "app/CPshMain.h"
#include "wizard/CPspEx.h"
#include "wizard/CStaticText.h"
#include "wizard/SheetOps.h"
#include "wizard/UiText.h"
#include "state/WizardState.h"

namespace kelvane {
namespace {

using namespace test;
constexpr std::uint32_t kBrazilPt = 1046;


class PagesTest : public ::testing::Test {
 protected:
  bool Build(std::uint32_t languageId, std::uint16_t osVersionCode = 0) {
    sheet_.reset();
    WizardState& state = WizardState::Instance();
    state.restartWizard = false;
    state.osVersionCode = osVersionCode;
    sheet_ = test::ShowSheet(languageId, &why_);
    return sheet_ != nullptr;
  }
  void TearDown() override {
    sheet_.reset();
    test::UnloadLanguage();
    WizardState::Instance().osVersionCode = 0;
    WizardState::Instance().restartWizard = false;
  }
  QPushButton* Button(int id) const { return sheet_->Button(id); }
  // Visible and enabled state of Back, Next, Cancel, Finish, Help.
  std::vector<std::pair<bool, bool>> ButtonStates() const {
    std::vector<std::pair<bool, bool>> states;
    for (int id : {CPshMain::kButtonBack, CPshMain::kButtonNext, CPshMain::kButtonCancel, CPshMain::kButtonFinish,
                   CPshMain::kButtonHelp}) {
      states.emplace_back(Button(id)->isVisible(), Button(id)->isEnabled());
    }
    return states;
  }

  std::unique_ptr<CPshMain> sheet_;
  QString why_;
};

TEST_F(PagesTest, SelectorListsTheFourteenLanguagesWithTheCurrentOneSelected) {
  struct Case {
    std::uint32_t language;
    int row;
  };
  for (const Case& c : {Case{kEnglish, 3}, Case{kBrazilPt, 9}, Case{kGreek, 6}, Case{kChineseTrad, 0},
                        Case{kRussian, 10}}) {
    if (!Build(c.language)) GTEST_SKIP() << why_.toStdString();
    QComboBox* selector = sheet_->Welcome()->Selector();
    ASSERT_NE(selector, nullptr);
    ASSERT_EQ(selector->count(), 14) << c.language;
    EXPECT_EQ(selector->currentIndex(), c.row) << c.language;
    EXPECT_EQ(selector->itemText(3), QStringLiteral("English"));
    // The other names come from the module and none is missing.
    for (int i = 0; i < 14; ++i) EXPECT_FALSE(selector->itemText(i).isEmpty()) << c.language << " row " << i;
    EXPECT_EQ(selector->itemText(10), UiText(kIdLanguageRussian));
    EXPECT_TRUE(selector->isVisible());
    EXPECT_TRUE(sheet_->Welcome()->Control(CPspWelcome::kLanguageLabel)->isVisible());
  }
}

TEST_F(PagesTest, PickingTheCurrentLanguageDoesNothingAnotherClosesTheSheet) {
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  // The user picks the entry that is already active.
  QComboBox* selector = sheet_->Welcome()->Selector();
  selector->setCurrentIndex(3);
  emit selector->activated(3);
  test::Spin(10);
  EXPECT_TRUE(sheet_->isVisible());
  EXPECT_FALSE(WizardState::Instance().restartWizard);
  EXPECT_EQ(WizardState::Instance().languageId, kEnglish);

  // Another language: the sheet ends with result 0 and asks for a rebuild.
  selector->setCurrentIndex(LanguageIndex(kGreek));
  test::Spin(10);
  EXPECT_FALSE(sheet_->isVisible());
  EXPECT_EQ(sheet_->result(), 0);
  EXPECT_TRUE(WizardState::Instance().restartWizard);
  EXPECT_EQ(WizardState::Instance().languageId, kGreek);
}

TEST_F(PagesTest, KeyboardChoiceOfAnotherLanguageAlsoRebuilds) {
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  QComboBox* selector = sheet_->Welcome()->Selector();
  selector->setFocus();
  QTest::keyClick(selector, Qt::Key_Down);
  test::Spin(10);
  EXPECT_FALSE(sheet_->isVisible());
  EXPECT_EQ(WizardState::Instance().languageId, LanguageAtIndex(4));
}

TEST_F(PagesTest, ButtonsOfTheWelcomeAndSetupTypePages) {
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  using S = std::vector<std::pair<bool, bool>>;
  // Back shown but disabled, Next and Cancel, no Finish, no Help.
  EXPECT_EQ(ButtonStates(), (S{{true, false}, {true, true}, {true, true}, {false, false}, {false, true}}));
  EXPECT_EQ(WizardState::Instance().currentPageCode, 0u);
  EXPECT_FALSE(sheet_->HeaderArea()->isVisible());

  QTest::mouseClick(Button(CPshMain::kButtonNext), Qt::LeftButton);
  ASSERT_EQ(sheet_->ActivePage(), sheet_->SetupType());
  EXPECT_EQ(WizardState::Instance().currentPageCode, 10u);
  // Back, a disabled Next, Cancel; no Finish, no Help.
  EXPECT_EQ(ButtonStates(), (S{{true, true}, {true, false}, {true, true}, {false, false}, {false, true}}));

  // Next is disabled: neither a click nor Enter moves on.
  QTest::mouseClick(Button(CPshMain::kButtonNext), Qt::LeftButton);
  QTest::keyClick(sheet_->SetupType(), Qt::Key_Return);
  sheet_->OnNext();
  EXPECT_EQ(sheet_->ActivePage(), sheet_->SetupType());
  EXPECT_TRUE(sheet_->isVisible());

  QTest::mouseClick(Button(CPshMain::kButtonBack), Qt::LeftButton);
  EXPECT_EQ(sheet_->ActivePage(), sheet_->Welcome());
  EXPECT_EQ(WizardState::Instance().currentPageCode, 0u);
}

TEST_F(PagesTest, PictureLayoutByVersionCode) {
  // The picture control as the template alone makes it.
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  CPspEx bare(CPspWelcome::kTemplateId);
  bare.Create();
  const QSize laidOut = bare.Control(CPspWelcome::kPicture)->size();
  const QSize pageSize = bare.TemplateSizePx();
  ASSERT_FALSE(laidOut.isEmpty());

  struct Case {
    std::uint16_t os;
    QSize expected;
  };
  const float scale = bare.ComputeDpiScale();
  ASSERT_GT(scale, 0.0f);
  const int scaledWidth = static_cast<int>(laidOut.width() * scale);
  const std::vector<Case> cases = {
      // A version 5.2 system: 2 pixels wider than laid out, exactly as high as the page.
      {502, QSize(static_cast<int>((scaledWidth + 2) * scale),
                  static_cast<int>(static_cast<int>(pageSize.height() / scale) * scale))},
      {6006, QSize(static_cast<int>((scaledWidth + 2) * scale),
                   static_cast<int>(static_cast<int>(pageSize.height() / scale) * scale))},
      // Elsewhere: at least as wide and as high as the page.
      {0, QSize(std::max(scaledWidth, static_cast<int>(pageSize.width() * scale)),
                std::max(static_cast<int>(laidOut.height() * scale), static_cast<int>(pageSize.height() * scale)))},
  };
  for (const Case& c : cases) {
    if (!Build(kEnglish, c.os)) GTEST_SKIP() << why_.toStdString();
    QWidget* picture = sheet_->Welcome()->Control(CPspWelcome::kPicture);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), c.expected) << "os " << c.os;
    EXPECT_TRUE(picture->isVisible());
    if (scale == 1.0f && c.os == 502) {
      EXPECT_EQ(picture->width(), laidOut.width() + 2);
      EXPECT_EQ(picture->height(), pageSize.height());
    }
  }
}

TEST_F(PagesTest, ModeButtonsGoToTheConnectivityAndAdvancedPages) {
  if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
  CPspSetupType* setupType = sheet_->SetupType();
  ASSERT_TRUE(sheet_->SetActivePage(setupType));
  auto* easy = setupType->ControlAs<CImageButton>(CPspSetupType::kEasyButton);
  auto* advanced = setupType->ControlAs<CImageButton>(CPspSetupType::kAdvancedButton);
  ASSERT_NE(easy, nullptr);
  ASSERT_NE(advanced, nullptr);
  EXPECT_EQ(easy->text(), UiText(kIdEasyMode));
  EXPECT_EQ(advanced->text(), UiText(kIdAdvancedMode));
  EXPECT_EQ(easy->Align(), CImageButton::kAlignVert);
  EXPECT_EQ(easy->HoverCursorId(), 700);
  EXPECT_EQ(advanced->HoverCursorId(), 700);

  CPspEx* connectivity = sheet_->FindPageByTemplate(CPspSetupType::kConnectivityTemplate);
  CPspEx* menu = sheet_->FindPageByTemplate(CPspSetupType::kAdvancedMenuTemplate);
  ASSERT_NE(connectivity, nullptr);
  ASSERT_NE(menu, nullptr);
  QTest::mouseClick(easy, Qt::LeftButton);
  EXPECT_EQ(sheet_->ActivePage(), connectivity);

  // Back from there returns to this page, its header and texts unchanged.
  ASSERT_TRUE(sheet_->SetActivePage(setupType));
  QTest::mouseClick(advanced, Qt::LeftButton);
  EXPECT_EQ(sheet_->ActivePage(), menu);
  // The menu is busy until its first status check has run; Back waits for it.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !menu->IsBusy(); }, 30000));
  QTest::mouseClick(Button(CPshMain::kButtonBack), Qt::LeftButton);
  EXPECT_EQ(sheet_->ActivePage(), setupType);
  EXPECT_EQ(sheet_->HeaderTitleText(), UiText(kIdSetupTypeTitle));
  EXPECT_EQ(sheet_->HeaderSubTitleText(), UiText(kIdSetupTypeSubtitle));
  EXPECT_EQ(qobject_cast<QLabel*>(setupType->Control(CPspSetupType::kEasyDescription))->text(),
            UiText(kIdEasyModeDescription));
  EXPECT_EQ(qobject_cast<QLabel*>(setupType->Control(CPspSetupType::kAdvancedDescription))->text(),
            UiText(kIdAdvancedModeDescription));
  EXPECT_FALSE(Button(CPshMain::kButtonHelp)->isVisible());
}

TEST_F(PagesTest, GreekModeButtonsUseTheTenPixelFont) {
  for (std::uint32_t language : {kGreek, kEnglish}) {
    if (!Build(language)) GTEST_SKIP() << why_.toStdString();
    sheet_->SetActivePage(sheet_->SetupType());
    for (int id : {CPspSetupType::kEasyButton, CPspSetupType::kAdvancedButton}) {
      QWidget* button = sheet_->SetupType()->Control(id);
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->font().pixelSize() == 10, language == kGreek) << language << " " << id;
    }
  }
}

TEST_F(PagesTest, CancelOnBothPagesAsksFirst) {
  for (int pageIndex : {0, 1}) {
    if (!Build(kEnglish)) GTEST_SKIP() << why_.toStdString();
    sheet_->SetActivePage(sheet_->Page(pageIndex));
    int prompts = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || modal == sheet_.get() || !modal->isVisible()) return;
      ++prompts;
      QTest::keyClick(modal, Qt::Key_Escape);  // answers Cancel: stay
    });
    timer.start();
    EXPECT_FALSE(sheet_->Page(pageIndex)->OnQueryCancel());
    EXPECT_EQ(prompts, 1);
  }
}

TEST_F(PagesTest, Screenshots) {
  for (std::uint32_t language : kScreenshotLanguages) {
    if (!Build(language)) GTEST_SKIP() << why_.toStdString();
    const QString name = test::LanguageName(language);
    // Every text the two pages show is there in this language.
    EXPECT_FALSE(UiText(kIdWelcomeHeading).isEmpty()) << name.toStdString();
    EXPECT_FALSE(UiText(kIdEasyModeDescription).isEmpty()) << name.toStdString();
    test::SaveScreenshot(sheet_.get(), QStringLiteral("welcome-") + name);
    ASSERT_TRUE(sheet_->SetActivePage(sheet_->SetupType()));
    test::Spin(20);
    test::SaveScreenshot(sheet_.get(), QStringLiteral("setuptype-") + name);
  }
}

}  // namespace
}  // namespace kelvane
