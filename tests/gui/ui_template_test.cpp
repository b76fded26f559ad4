// Dialog templates: the text format, the dialog-unit conversion and the
// controls built from a template. Their geometry on every screen is in
// ui_template_test_geometry.cpp, part of this program.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "wizard/CAutoWidthComboBox.h"
#include "wizard/CImageButton.h"
#include "wizard/CStaticText.h"
#include "wizard/DialogTemplate.h"

namespace kelvane {
namespace {

TEST(TemplateFormat, ParsesEveryPartOfAControlLine) {
  const QString text = QStringLiteral(
      "# comment\n"
      "template 4242\n"
      "size 200 100\n"
      "font 9 Some Face\n"
      "caption \"A \\\"quoted\\\" caption\"\n"
      "\n"
      "10 text 1 2 30 40 center,nowrap text=\"Line one\\nline two\"\n"
      "11 picture 0 0 10 10 realsize res=510\n"
      "12 edit 5 6 7 8 -\n");
  DialogTemplate tpl;
  QString error;
  ASSERT_TRUE(ParseDialogTemplate(text, tpl, &error)) << error.toStdString();
  EXPECT_EQ(tpl.id, 4242);
  EXPECT_EQ(tpl.sizeDu, QSize(200, 100));
  EXPECT_EQ(tpl.fontPointSize, 9);
  EXPECT_EQ(tpl.fontFace, QStringLiteral("Some Face"));
  EXPECT_EQ(tpl.caption, QStringLiteral("A \"quoted\" caption"));
  ASSERT_EQ(tpl.controls.size(), 3u);
  const TemplateControl* c = tpl.Find(10);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->kind, QStringLiteral("text"));
  EXPECT_EQ(c->rectDu, QRect(1, 2, 30, 40));
  EXPECT_TRUE(c->HasFlag("center"));
  EXPECT_TRUE(c->HasFlag("nowrap"));
  EXPECT_EQ(c->text, QStringLiteral("Line one\nline two"));
  EXPECT_EQ(tpl.Find(11)->resource, 510);
  EXPECT_TRUE(tpl.Find(12)->flags.isEmpty());
  EXPECT_EQ(tpl.Find(99), nullptr);
}

TEST(TemplateFormat, RefusesBrokenTemplatesWithTheLine) {
  struct Case {
    const char* name;
    const char* text;
    const char* expectInError;
  };
  const Case cases[] = {
      {"no template line", "size 10 10\n", "no template"},
      {"no size", "template 1\n", "no size"},
      {"zero size", "template 1\nsize 0 10\n", "line 2"},
      {"unknown kind", "template 1\nsize 10 10\n5 slider 0 0 1 1\n", "slider"},
      {"unknown flag", "template 1\nsize 10 10\n5 text 0 0 1 1 bogus\n", "bogus"},
      {"short geometry", "template 1\nsize 10 10\n5 text 0 0 1\n", "line 3"},
      {"text geometry", "template 1\nsize 10 10\n5 text a 0 1 1\n", "four numbers"},
      {"negative size", "template 1\nsize 10 10\n5 text 0 0 -1 1\n", "negative"},
      {"duplicate id", "template 1\nsize 10 10\n5 text 0 0 1 1\n5 edit 0 0 1 1\n", "twice"},
      {"open quote", "template 1\nsize 10 10\n5 text 0 0 1 1 text=\"abc\n", "quote"},
      {"unknown keyword", "template 1\nsize 10 10\nstyle 3\n", "style"},
      {"bad resource", "template 1\nsize 10 10\n5 picture 0 0 1 1 res=x\n", "resource"},
  };
  for (const Case& c : cases) {
    DialogTemplate tpl;
    QString error;
    EXPECT_FALSE(ParseDialogTemplate(QString::fromUtf8(c.text), tpl, &error)) << c.name;
    EXPECT_TRUE(error.contains(QLatin1String(c.expectInError))) << c.name << ": " << error.toStdString();
  }
}

TEST(TemplateFormat, EveryEmbeddedTemplateLoadsUnderItsFileName) {
  const QStringList files = QDir(QStringLiteral(":/templates")).entryList({QStringLiteral("*.tpl")});
  ASSERT_FALSE(files.isEmpty());
  for (const QString& file : files) {
    const int id = QFileInfo(file).baseName().toInt();
    DialogTemplate tpl;
    EXPECT_TRUE(LoadDialogTemplate(id, tpl)) << file.toStdString();
    EXPECT_EQ(tpl.id, id) << file.toStdString();
  }
  for (int id : {800, 910, 4022, 8001, 8002}) {
    DialogTemplate tpl;
    EXPECT_TRUE(LoadDialogTemplate(id, tpl)) << id;
  }
  DialogTemplate missing;
  EXPECT_FALSE(LoadDialogTemplate(1, missing));
}

TEST(DialogUnits, BaseUnitsFollowTheFontAndConvertEdges) {
  const QFont font = DialogFont(8);
  const QSize base = DialogBaseUnits(font);
  const QFontMetrics fm(font);
  EXPECT_EQ(base.height(), fm.height());
  const int letters = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  EXPECT_EQ(base.width(), (letters / 26 + 1) / 2);
  // A bigger font gives bigger units.
  EXPECT_GT(DialogBaseUnits(DialogFont(16)).height(), base.height());

  // x = du * baseX / 4, y = du * baseY / 8, per edge.
  const QSize units(7, 13);
  EXPECT_EQ(DialogUnitsToPixels(QRect(4, 8, 40, 16), units), QRect(7, 13, 70, 26));
  EXPECT_EQ(DialogUnitsToPixels(QRect(135, 6, 175, 32), units), QRect(236, 9, 542 - 236, 61 - 9));
  EXPECT_EQ(DialogUnitsToPixels(QSize(320, 205), units), QSize(560, 333));
  // Neighbours stay neighbours whatever the rounding.
  const QRect a = DialogUnitsToPixels(QRect(3, 3, 5, 5), units);
  const QRect b = DialogUnitsToPixels(QRect(8, 8, 5, 5), units);
  EXPECT_EQ(a.x() + a.width(), b.x());
  EXPECT_EQ(a.y() + a.height(), b.y());
}

TEST(TemplateControls, WelcomeAndSetupTypeControlsCarryTheirIds) {
  DialogTemplate tpl;
  ASSERT_TRUE(LoadDialogTemplate(8001, tpl));
  QWidget host;
  const QSize base = BuildTemplateControls(&host, tpl);
  EXPECT_EQ(host.size(), DialogUnitsToPixels(QSize(320, 205), base));
  EXPECT_NE(qobject_cast<QLabel*>(FindControl(&host, 6002)), nullptr);
  EXPECT_NE(qobject_cast<CStaticText*>(FindControl(&host, 2000)), nullptr);
  EXPECT_NE(qobject_cast<CStaticText*>(FindControl(&host, 2002)), nullptr);
  EXPECT_NE(qobject_cast<CStaticText*>(FindControl(&host, 6037)), nullptr);
  auto* combo = qobject_cast<CAutoWidthComboBox*>(FindControl(&host, 6038));
  ASSERT_NE(combo, nullptr);
  EXPECT_FALSE(combo->isEditable());
  EXPECT_EQ(FindControl(&host, 2000)->geometry(), DialogUnitsToPixels(QRect(135, 6, 175, 32), base));
  EXPECT_EQ(FindControl(&host, 2000)->property("controlId").toInt(), 2000);
  // The real-size picture keeps the bitmap's own size.
  EXPECT_EQ(FindControl(&host, 6002)->size(), QSize(499, 314));

  DialogTemplate setup;
  ASSERT_TRUE(LoadDialogTemplate(8002, setup));
  QWidget host2;
  const QSize base2 = BuildTemplateControls(&host2, setup);
  for (int id : {2100, 2101}) {
    auto* button = qobject_cast<CImageButton*>(FindControl(&host2, id));
    ASSERT_NE(button, nullptr) << id;
    EXPECT_EQ(button->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
  }
  EXPECT_EQ(FindControl(&host2, 2101)->geometry(), DialogUnitsToPixels(QRect(5, 84, 57, 41), base2));
  EXPECT_EQ(FindControl(&host2, 9999), nullptr);
}

TEST(TemplateControls, FlagsTakeEffect) {
  DialogTemplate tpl;
  ASSERT_TRUE(ParseDialogTemplate(QStringLiteral("template 7\nsize 100 50\n"
                                                 "1 edit 0 0 10 10 password\n"
                                                 "2 button 0 12 10 10 hidden,disabled text=\"&Go\"\n"
                                                 "3 check 0 24 10 10 notab text=\"Check\"\n"
                                                 "4 combo 0 36 50 80 dropdown\n"
                                                 "5 edit 0 50 10 10 number\n"),
                                  tpl));
  QWidget host;
  BuildTemplateControls(&host, tpl);
  host.show();
  auto* edit = qobject_cast<QLineEdit*>(FindControl(&host, 1));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
  auto* button = qobject_cast<QPushButton*>(FindControl(&host, 2));
  ASSERT_NE(button, nullptr);
  EXPECT_FALSE(button->isVisible());
  EXPECT_FALSE(button->isEnabled());
  EXPECT_EQ(button->text(), QStringLiteral("&Go"));
  EXPECT_EQ(FindControl(&host, 3)->focusPolicy(), Qt::NoFocus);
  auto* combo = qobject_cast<QComboBox*>(FindControl(&host, 4));
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(combo->isEditable());
  // The closed box has its natural height, not the list height.
  EXPECT_LT(combo->height(), 80);
  auto* number = qobject_cast<QLineEdit*>(FindControl(&host, 5));
  ASSERT_NE(number, nullptr);
  QTest::keyClicks(number, "12a3-4");
  EXPECT_EQ(number->text(), QStringLiteral("1234"));
}

// Every single-line field kind of the kit takes a pasted text without its
// line ends and never cut by its length limit (a cut text may still pass a
// page's check); the page's check refuses what is too long.
TEST(TemplateControls, PastedTextLosesLineEndsAndIsNeverCut) {
  DialogTemplate tpl;
  ASSERT_TRUE(ParseDialogTemplate(QStringLiteral("template 7\nsize 100 60\n"
                                                 "1 edit 0 0 50 10\n"
                                                 "2 edit 0 12 50 10 password\n"
                                                 "3 edit 0 24 50 10 number\n"
                                                 "4 combo 0 36 50 80 dropdown\n"),
                                  tpl));
  QWidget host;
  BuildTemplateControls(&host, tpl);
  host.show();
  QLineEdit* fields[] = {qobject_cast<QLineEdit*>(FindControl(&host, 1)), qobject_cast<QLineEdit*>(FindControl(&host, 2)),
                         qobject_cast<QLineEdit*>(FindControl(&host, 3)),
                         qobject_cast<QComboBox*>(FindControl(&host, 4))->lineEdit()};
  constexpr int kLimit = 16;  // an address field: 16 characters
  struct Case {
    const char* pasted;
    const char* shown;
    bool digits;  // also for the number edit
  };
  const Case cases[] = {
      {"  192.168.100.100", "  192.168.100.100", false},  // blanks around, over the limit: whole
      {"carol@isp.example\r\n", "carol@isp.example", false},
      {"\r\nuser\r\n", "user", false},
      {"\tpass word\t", "\tpass word\t", false},
      {"\r\n1234567890123456\r\n", "1234567890123456", true},  // at the limit, line ends around
      {"12345678901234567", "12345678901234567", true},            // one over: whole, for the check
  };
  for (QLineEdit* field : fields) {
    ASSERT_NE(field, nullptr);
    for (const Case& c : cases) {
      const bool number = field == fields[2];
      if (number && !c.digits) continue;
      SCOPED_TRACE(QStringLiteral("field %1, pasted \"%2\"").arg(field->objectName(), QString::fromLatin1(c.pasted).toHtmlEscaped()).toStdString());
      field->clear();
      field->setMaxLength(kLimit);
      field->setFocus();
      QGuiApplication::clipboard()->setText(QString::fromLatin1(c.pasted));
      QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
      EXPECT_EQ(field->text(), QString::fromLatin1(c.shown));
      // Typing after a text that fits is limited again.
      if (field->text().size() <= kLimit) {
        field->end(false);
        QTest::keyClicks(field, "99999999999999999999");
        EXPECT_EQ(field->text().size(), kLimit);
      }
    }
    // Shift+Insert pastes too; a text set with line ends loses them.
    field->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("42\r\n"));
    QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(field->text(), QStringLiteral("42"));
    field->setText(QStringLiteral("4\r\n2"));
    EXPECT_EQ(field->text(), QStringLiteral("42"));
  }
}

}  // namespace
}  // namespace kelvane
