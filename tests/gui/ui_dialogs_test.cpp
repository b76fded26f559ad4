// The message box, the prompt and the help window: style values, button sets,
// answers, focus, promptResult, and screenshots in several languages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>

#include "GuiTestSupport.h"
#include "language/StringIds.h"
#include "wizard/CDlgHelp.h"
#include "wizard/CDlgPrompt.h"
#include "wizard/CHTRichEditCtrl.h"
#include "wizard/CStaticText.h"
#include "wizard/DialogTemplate.h"
#include "wizard/MessageBox.h"
#include "wizard/Resources.h"
#include "wizard/UiText.h"
#include "state/WizardState.h"

namespace kelvane {
namespace {

// What the hook does once a box is on screen; captured state for the checks.
std::function<void(CDlgMessage*)> gAction;
void RunAction(CDlgMessage* box) {
  if (gAction) gAction(box);
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { SetMessageBoxHook(&RunAction); }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    gAction = nullptr;
  }
};

QPushButton* Button(const CDlgMessage* box, int id) { return qobject_cast<QPushButton*>(box->Control(id)); }

TEST(MessageStyle, DecodesButtonSetsIconsAndDefaults) {
  struct Case {
    unsigned style;
    int count;
    std::array<int, 3> answers;
    int icon;
    int defaultButton;
  };
  const Case cases[] = {
      {0x000, 1, {1, 0, 0}, 810, 0},   {0x001, 2, {1, 2, 0}, 810, 0},   {0x002, 1, {1, 0, 0}, 810, 0},
      {0x003, 3, {6, 7, 2}, 810, 0},   {0x004, 2, {6, 7, 0}, 810, 0},   {0x005, 2, {4, 2, 0}, 810, 0},
      {0x006, 1, {1, 0, 0}, 810, 0},   {0x00F, 1, {1, 0, 0}, 810, 0},   {0x010, 1, {1, 0, 0}, 812, 0},
      {0x020, 1, {1, 0, 0}, 813, 0},   {0x030, 1, {1, 0, 0}, 811, 0},   {0x040, 1, {1, 0, 0}, 810, 0},
      {0x050, 1, {1, 0, 0}, 810, 0},   {0x143, 3, {6, 7, 2}, 810, 1},   {0x041, 2, {1, 2, 0}, 810, 0},
      {0x203, 3, {6, 7, 2}, 810, 2},   {0x301, 2, {1, 2, 0}, 810, 0},   {0x201, 2, {1, 2, 0}, 810, 0},
      {0x100, 1, {1, 0, 0}, 810, 0},
  };
  for (const Case& c : cases) {
    const MessageStyle s = DecodeMessageStyle(c.style);
    EXPECT_EQ(s.buttonCount, c.count) << std::hex << c.style;
    EXPECT_EQ(s.answers, c.answers) << std::hex << c.style;
    EXPECT_EQ(s.iconId, c.icon) << std::hex << c.style;
    EXPECT_EQ(s.defaultButton, c.defaultButton) << std::hex << c.style;
  }
}

TEST_F(DialogTest, YesNoCancelStartsOnNoAndEscapeAnswersCancel) {
  QWidget* focused = nullptr;
  QStringList texts;
  bool visible[3] = {};
  gAction = [&](CDlgMessage* box) {
    focused = box->focusWidget();
    for (int i = 0; i < 3; ++i) {
      visible[i] = Button(box, 802 + i)->isVisible();
      texts << Button(box, 802 + i)->text();
    }
    EXPECT_EQ(box->Style().iconId, kIconInformation);
    QTest::keyClick(box, Qt::Key_Escape);
  };
  CDlgMessage box(QStringLiteral("Caption"), QStringLiteral("Leave?"), 0x143);
  EXPECT_EQ(box.DoModal(), kAnswerCancel);
  EXPECT_EQ(focused, box.Control(803));
  EXPECT_TRUE(visible[0] && visible[1] && visible[2]);
  EXPECT_EQ(texts, QStringList({"&Yes", "&No", "&Cancel"}));
  EXPECT_EQ(box.windowTitle(), QStringLiteral("Caption"));
}

TEST_F(DialogTest, EnterOnTheFocusedButtonAnswersThatButton) {
  gAction = [](CDlgMessage* box) { QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return); };
  EXPECT_EQ(ShowMessage(QStringLiteral("c"), QStringLiteral("m"), 0x143), kAnswerNo);
  EXPECT_EQ(ShowMessage(QStringLiteral("c"), QStringLiteral("m"), 0x203), kAnswerCancel);
  EXPECT_EQ(ShowMessage(QStringLiteral("c"), QStringLiteral("m"), 0x004), kAnswerYes);
}

TEST_F(DialogTest, OkCancelKeepsTheFocusOnOkAndIsCentred) {
  QWidget* focused = nullptr;
  int pairCentre = 0, width = 0;
  bool thirdVisible = true;
  gAction = [&](CDlgMessage* box) {
    focused = box->focusWidget();
    const QRect a = box->Control(802)->geometry();
    const QRect b = box->Control(803)->geometry();
    pairCentre = (a.left() + b.left() + b.width()) / 2;
    width = box->width();
    thirdVisible = box->Control(804)->isVisible();
    QTest::mouseClick(Button(box, 802), Qt::LeftButton);
  };
  CDlgMessage box(QStringLiteral("c"), QStringLiteral("m"), 0x41);
  EXPECT_EQ(box.DoModal(), kAnswerOk);
  EXPECT_EQ(focused, box.Control(802));
  EXPECT_NEAR(pairCentre, width / 2, 2);
  EXPECT_FALSE(thirdVisible);
}

TEST_F(DialogTest, EachButtonOfEachSetAnswersItsCode) {
  struct Case {
    unsigned style;
    int button;
    int answer;
  };
  const Case cases[] = {{0x0, 802, 1}, {0x2, 802, 1}, {0x1, 802, 1}, {0x1, 803, 2}, {0x3, 802, 6},
                        {0x3, 803, 7}, {0x3, 804, 2}, {0x4, 802, 6}, {0x4, 803, 7}, {0x5, 802, 4},
                        {0x5, 803, 2}};
  for (const Case& c : cases) {
    gAction = [&](CDlgMessage* box) { QTest::mouseClick(Button(box, c.button), Qt::LeftButton); };
    EXPECT_EQ(ShowMessageEx(QStringLiteral("c"), QStringLiteral("m"), c.style, "1", "2", "3"), c.answer)
        << std::hex << c.style << " " << std::dec << c.button;
  }
}

TEST_F(DialogTest, OneButtonIsCentredAndAnswersOk) {
  int centre = 0, width = 0, shown = 0;
  gAction = [&](CDlgMessage* box) {
    const QRect r = box->Control(802)->geometry();
    centre = r.left() + r.width() / 2;
    width = box->width();
    for (int id : {802, 803, 804}) shown += box->Control(id)->isVisible() ? 1 : 0;
    QTest::mouseClick(Button(box, 802), Qt::LeftButton);
  };
  EXPECT_EQ(ShowMessage(QStringLiteral("c"), QStringLiteral("m"), 2), kAnswerOk);
  EXPECT_EQ(shown, 1);
  EXPECT_NEAR(centre, width / 2, 1);
}

TEST_F(DialogTest, ClosingTheWindowAnswersCancel) {
  gAction = [](CDlgMessage* box) { box->close(); };
  EXPECT_EQ(ShowMessage(QStringLiteral("c"), QStringLiteral("m"), 0x4), kAnswerCancel);
  // The dialog's own run call answers the same codes.
  gAction = [](CDlgMessage* box) { QTest::mouseClick(Button(box, 803), Qt::LeftButton); };
  CDlgMessage box(QStringLiteral("c"), QStringLiteral("m"), 0x4);
  EXPECT_EQ(box.exec(), kAnswerNo);
}

TEST_F(DialogTest, MessageTextIsPlainAndALongOneGrowsTheBox) {
  const QString markup = QStringLiteral("<b>not bold</b> &amp; ") + QString(600, QChar('x')).replace(QRegularExpression("(x{12})"), "\\1 ");
  int textBottom = 0, buttonTop = 0, needed = 0, have = 0;
  QString shown;
  gAction = [&](CDlgMessage* box) {
    auto* text = qobject_cast<CStaticText*>(box->Control(805));
    shown = text->text();
    textBottom = text->geometry().bottom();
    buttonTop = box->Control(802)->geometry().top();
    const QFontMetrics fm(text->DrawingFont());
    needed = fm.boundingRect(QRect(0, 0, text->width(), 100000), text->DrawFormat(), shown).height();
    have = text->height();
    box->reject();
  };
  ShowMessage(QStringLiteral("c"), markup, 0);
  EXPECT_EQ(shown, markup);
  EXPECT_GE(have, needed);
  EXPECT_LT(textBottom, buttonTop);
}

TEST_F(DialogTest, WideButtonTextsWidenTheButtonsWithoutOverlap) {
  QRect r[3];
  gAction = [&](CDlgMessage* box) {
    for (int i = 0; i < 3; ++i) r[i] = box->Control(802 + i)->geometry();
    box->reject();
  };
  ShowMessageEx("c", "m", 3, "A very long caption one", "Two", "Three");
  EXPECT_GE(r[0].width(), QFontMetrics(DialogFont()).horizontalAdvance("A very long caption one"));
  EXPECT_LT(r[0].right(), r[1].left());
  EXPECT_LT(r[1].right(), r[2].left());
  EXPECT_GE(r[0].left(), 0);
}

TEST_F(DialogTest, CancelledPromptLeavesPromptResultEmpty) {
  promptResult = "left over";
  gAction = [](CDlgMessage* box) {
    auto* prompt = static_cast<CDlgPrompt*>(box);
    QTest::keyClicks(prompt->Entry(), "secret");
    QTest::mouseClick(qobject_cast<QPushButton*>(box->Control(915)), Qt::LeftButton);
  };
  CDlgPrompt prompt("Log in", "Password:", 0x41, "OK", "Cancel", "");
  EXPECT_EQ(prompt.DoModal(), kAnswerCancel);
  EXPECT_TRUE(promptResult.empty());
}

TEST_F(DialogTest, PromptTakesTheEntryOnOkAndOnEnter) {
  gAction = [](CDlgMessage* box) {
    auto* prompt = static_cast<CDlgPrompt*>(box);
    EXPECT_EQ(box->focusWidget(), prompt->Entry());
    prompt->Entry()->insert(QString::fromUtf8("pässwörd"));
    QTest::mouseClick(qobject_cast<QPushButton*>(box->Control(914)), Qt::LeftButton);
  };
  CDlgPrompt prompt("Log in", "Password:", 0x41, "OK", "Cancel", "");
  EXPECT_EQ(prompt.DoModal(), kAnswerOk);
  EXPECT_EQ(QString::fromUtf8(promptResult.c_str()), QString::fromUtf8("pässwörd"));

  gAction = [](CDlgMessage* box) {
    auto* prompt = static_cast<CDlgPrompt*>(box);
    EXPECT_EQ(prompt->Entry()->echoMode(), QLineEdit::Password);
    QTest::keyClicks(prompt->Entry(), "admin");
    QTest::keyClick(prompt->Entry(), Qt::Key_Return);
  };
  CDlgPrompt masked("Log in", "Password:", 0x41, "OK", "Cancel", "");
  masked.SetMasked(true);
  EXPECT_EQ(masked.DoModal(), kAnswerOk);
  EXPECT_EQ(promptResult.str(), "admin");

  // Escape after typing: nothing is taken.
  gAction = [](CDlgMessage* box) {
    QTest::keyClicks(static_cast<CDlgPrompt*>(box)->Entry(), "typed");
    QTest::keyClick(box, Qt::Key_Escape);
  };
  CDlgPrompt escaped("Log in", "Password:", 0x41, "OK", "Cancel", "");
  EXPECT_EQ(escaped.DoModal(), kAnswerCancel);
  EXPECT_TRUE(promptResult.empty());
}

TEST_F(DialogTest, PromptResultIsCutAtACharacterBoundary) {
  gAction = [](CDlgMessage* box) {
    auto* prompt = static_cast<CDlgPrompt*>(box);
    prompt->Entry()->setText(QString(1022, QChar('a')) + QString::fromUtf8("éé"));
    QTest::mouseClick(qobject_cast<QPushButton*>(box->Control(914)), Qt::LeftButton);
  };
  CDlgPrompt prompt("c", "m", 0x41, "OK", "Cancel", "");
  prompt.DoModal();
  // 1022 'a' + 2 bytes of 'é' would be 1024: the 'é' does not fit and goes.
  EXPECT_EQ(promptResult.str().size(), 1022u);
}

TEST_F(DialogTest, FirstPromptButtonCanBeShiftedAndWidened) {
  QRect plain, shifted;
  gAction = [&](CDlgMessage* box) {
    (box->windowTitle() == "plain" ? plain : shifted) = box->Control(914)->geometry();
    box->reject();
  };
  CDlgPrompt a("plain", "m", 0x41, "OK", "Cancel", "");
  a.DoModal();
  CDlgPrompt b("shifted", "m", 0x41, "OK", "Cancel", "");
  b.AdjustFirstButton(-15, 15);
  b.DoModal();
  EXPECT_EQ(shifted.left(), plain.left() - 15);
  EXPECT_EQ(shifted.right(), plain.right());
  EXPECT_EQ(shifted.width(), plain.width() + 15);
}

TEST(HelpWindow, BodyIsPlainTextOkBelowItAndEveryWayCloses) {
  CDlgHelp help;
  help.SetTitle("Help - Test");
  help.SetBody("<b>1.</b> first\n2. second");
  help.SetButtonText("&OK");
  help.ShowHelp();
  test::Spin(20);
  CHTRichEditCtrl* body = help.Body();
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(help.Control(10000), body);
  EXPECT_EQ(body->toPlainText(), QStringLiteral("<b>1.</b> first\n2. second"));
  EXPECT_FALSE(help.Control(6062)->isVisible());
  QWidget* ok = help.Control(6063);
  EXPECT_TRUE(ok->isVisible());
  EXPECT_EQ(help.windowTitle(), QStringLiteral("Help - Test"));
  EXPECT_TRUE(body->hasFocus()) << "the text takes the keys first";
  help.resize(500, 400);
  test::Spin(20);
  EXPECT_EQ(body->geometry().topLeft(), QPoint(1, 1));
  EXPECT_EQ(body->width(), help.width() - 2);
  EXPECT_LT(body->geometry().bottom(), ok->geometry().top()) << "OK lies below the text, not under it";
  EXPECT_TRUE(help.rect().contains(ok->geometry()));
  EXPECT_FALSE(help.isModal());
  // OK, Escape and the close box each hide it.
  const std::function<void()> closers[] = {
      [&] { QTest::mouseClick(ok, Qt::LeftButton); },
      [&] { QTest::keyClick(body, Qt::Key_Escape); },
      [&] { help.close(); },
  };
  for (const auto& closeIt : closers) {
    help.ShowHelp();
    test::Spin(10);
    ASSERT_TRUE(help.isVisible());
    closeIt();
    EXPECT_FALSE(help.isVisible());
  }
}

TEST(HelpWindow, FirstHeightFollowsTheSystemVersion) {
  WizardState& state = WizardState::Instance();
  const auto saved = state.osVersionCode;
  for (std::uint16_t code : {std::uint16_t(0), std::uint16_t(502), std::uint16_t(6006), std::uint16_t(601)}) {
    state.osVersionCode = code;
    CDlgHelp help;
    const int expected = (code == 502 || code == 6006) ? 225 : 206;
    EXPECT_EQ(help.Body()->geometry().bottom() + 1, expected) << code;
    EXPECT_EQ(help.Body()->geometry().right() + 1, 372) << code;
  }
  state.osVersionCode = saved;
}

// Screenshots of the three dialogs in the languages with the widest range of
// scripts and lengths, for a person to look at.
TEST_F(DialogTest, ScreenshotsInSeveralLanguages) {
  if (test::ScreenshotDir().isEmpty()) GTEST_SKIP() << "KELVANE_SCREENSHOT_DIR is not set";
  int saved = 0;
  for (std::uint32_t lang : test::kScreenshotLanguages) {
    QString why;
    if (!test::LoadLanguage(lang, &why)) {
      std::printf("skipping %s: %s\n", qPrintable(test::LanguageName(lang)), qPrintable(why));
      continue;
    }
    const QString name = test::LanguageName(lang);
    gAction = [&](CDlgMessage* box) {
      if (test::SaveScreenshot(box, (qobject_cast<CDlgPrompt*>(box) ? "prompt_" : "message_") + name)) ++saved;
      box->reject();
    };
    ShowMessageEx(UiText(kIdCancelPromptCaption), UiText(kIdCancelPromptQuestion), 0x43, UiText(kIdYesButton),
                  UiText(kIdNoButton), UiText(kIdCancelButton));
    CDlgPrompt prompt(UiText(30311), UiText(30313), 0x41, UiText(kIdHelpWindowOk), UiText(kIdCancelButton), "");
    prompt.SetMasked(true);
    prompt.DoModal();
    CDlgHelp help;
    help.SetTitle(UiText(kIdHelpWindowTitle) + " - " + UiText(30536));
    help.SetBody(UiText(30496));
    help.ShowHelp();
    if (test::SaveScreenshot(&help, "help_" + name)) ++saved;
    test::UnloadLanguage();
  }
  EXPECT_GT(saved, 0);
}

}  // namespace
}  // namespace kelvane
