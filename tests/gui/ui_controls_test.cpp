// The custom controls: picture button options, states and layout; the
// self-drawn label; the log view's trimming and links; the auto-width list.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QUrl>

#include "GuiTestSupport.h"
#include "wizard/CAutoWidthComboBox.h"
#include "wizard/CHTRichEditCtrl.h"
#include "wizard/CImageButton.h"
#include "wizard/CStaticText.h"
#include "wizard/DialogTemplate.h"
#include "wizard/OpenUrl.h"
#include "wizard/Resources.h"

namespace kelvane {

// Receives the URLs the desktop would open.
class UrlSink : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void Open(const QUrl& url) { opened << url; }
};

namespace {

QIcon SolidIcon(QColor colour) {
  QPixmap pm(32, 32);
  pm.fill(colour);
  return QIcon(pm);
}

TEST(ImageButton, RefusedValuesLeaveTheButtonUnchanged) {
  CImageButton b;
  ASSERT_EQ(b.SetColor(CImageButton::kColorFgIn, QColor(0, 0, 255)), 0);
  EXPECT_EQ(b.SetColor(6, QColor(1, 2, 3)), 3);
  EXPECT_EQ(b.SetColor(-1, QColor(1, 2, 3)), 3);
  EXPECT_FALSE(b.GetColor(6).isValid());
  EXPECT_EQ(b.GetColor(1), QColor(0, 0, 255));
  ASSERT_EQ(b.SetAlign(1), 0);
  EXPECT_EQ(b.SetAlign(5), 4);
  EXPECT_EQ(b.SetAlign(-1), 4);
  EXPECT_EQ(b.Align(), 1);
  struct Style {
    int value, result;
    QPoint offset;
  };
  const Style styles[] = {{0, 0, {1, 1}}, {1, 0, {0, 2}}, {9, 0, {0, 0}}};
  for (const Style& s : styles) {
    EXPECT_EQ(b.SetPressedStyle(s.value), s.result);
    EXPECT_EQ(b.PressedOffset(), s.offset) << s.value;
  }
  for (int bad : {2, 3, 8, 10, -1}) {
    EXPECT_EQ(b.SetPressedStyle(bad), 6) << bad;
    EXPECT_EQ(b.PressedStyle(), 9);
  }
  EXPECT_EQ(b.SetBitmaps(99999, Qt::white), CImageButton::kInvalidResource);
}

TEST(ImageButton, DefaultsAreFlatWithBorderAndCentredText) {
  CImageButton b;
  EXPECT_TRUE(b.IsFlat());
  EXPECT_FALSE(b.IsInert());
  EXPECT_FALSE(b.IsCheckBox());
  EXPECT_EQ(b.Align(), 0);
  EXPECT_EQ(b.PressedStyle(), 0);
  const QPalette pal = QApplication::palette(&b);
  EXPECT_EQ(b.GetColor(0), pal.color(QPalette::Button));
  EXPECT_EQ(b.GetColor(3), pal.color(QPalette::ButtonText));
  EXPECT_EQ(b.CaptionFont(0).pixelSize(), 12);
  EXPECT_EQ(b.CaptionFont(1).pixelSize(), 16);
  EXPECT_TRUE(b.CaptionFont(1).bold());
}

class ShownButton : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 120);
    button = new CImageButton(&window);
    button->setGeometry(10, 10, 100, 80);
    button->setText(QStringLiteral("Router"));
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  void Hover() { QTest::mouseMove(button, QPoint(50, 40)); test::Spin(5); }
  void Leave() {
    QTest::mouseMove(&window, QPoint(190, 110));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
  }
  QWidget window;
  CImageButton* button = nullptr;
};

TEST_F(ShownButton, FlatButtonTracksHoverAndDropsItOnLeaveAndDisable) {
  Hover();
  EXPECT_TRUE(button->IsHovered());
  Leave();
  EXPECT_FALSE(button->IsHovered());
  Hover();
  button->setEnabled(false);
  EXPECT_FALSE(button->IsHovered());
  button->setEnabled(true);
  button->SetFlat(false);
  Hover();
  EXPECT_FALSE(button->IsHovered());  // hover tracking is for flat buttons only
}

TEST_F(ShownButton, InertButtonIgnoresHoverAndClicksAndIsDrawnNormally) {
  Leave();
  ASSERT_FALSE(button->IsHovered());
  button->clearFocus();  // an inert button takes no focus: compare with the look without it
  const QImage normal = button->grab().toImage();
  button->SetInert(true);
  int clicks = 0;
  QObject::connect(button, &QAbstractButton::clicked, [&] { ++clicks; });
  Hover();
  EXPECT_FALSE(button->IsHovered());
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(50, 40));
  QTest::keyClick(button, Qt::Key_Space);
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(button->hasFocus());
  const QImage inert = button->grab().toImage();
  EXPECT_EQ(inert, normal);
  button->SetInert(false);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(50, 40));
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(button->hasFocus());
}

TEST_F(ShownButton, OneIconShowsInEveryStateTwoIconsSwitch) {
  button->SetIcon(SolidIcon(Qt::red), QIcon(), QSize(32, 32));
  EXPECT_EQ(button->ShownPicture(), 0);
  Hover();
  EXPECT_EQ(button->ShownPicture(), 0);
  button->setDown(true);
  EXPECT_EQ(button->ShownPicture(), 0);
  button->setDown(false);
  Leave();

  button->SetIcon(SolidIcon(Qt::red), SolidIcon(Qt::blue), QSize(32, 32));
  EXPECT_EQ(button->ShownPicture(), 1);  // neither hovered nor pressed
  Hover();
  EXPECT_EQ(button->ShownPicture(), 0);
  Leave();
  button->setDown(true);
  EXPECT_EQ(button->ShownPicture(), 0);
  button->setDown(false);
  // The painted picture follows: blue in the middle when idle.
  const QImage idle = button->grab().toImage();
  QRect image, text;
  button->ComputeLayout(image, text);
  EXPECT_EQ(idle.pixelColor(image.center()), QColor(Qt::blue));

  button->SetCheckBox(true);
  EXPECT_EQ(button->ShownPicture(), 1);
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(50, 40));
  EXPECT_EQ(button->GetCheck(), 1);
  EXPECT_EQ(button->ShownPicture(), 0);
  EXPECT_TRUE(button->IsPressedForDrawing());
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(50, 40));
  EXPECT_EQ(button->GetCheck(), 0);
  button->SetCheck(2);  // indeterminate counts as checked
  EXPECT_TRUE(button->IsPressedForDrawing());
  EXPECT_EQ(button->ShownPicture(), 0);
}

// The states side by side, for a person to look at.
TEST_F(ShownButton, ScreenshotOfTheStates) {
  if (test::ScreenshotDir().isEmpty()) GTEST_SKIP() << "KELVANE_SCREENSHOT_DIR is not set";
  window.resize(720, 110);
  button->hide();
  const char* names[] = {"normal", "hovered", "pressed", "3-D focused", "disabled", "checked"};
  QList<CImageButton*> buttons;
  for (int i = 0; i < 6; ++i) {
    auto* b = new CImageButton(&window);
    b->setGeometry(8 + i * 118, 8, 110, 90);
    b->setText(QString::fromLatin1(names[i]));
    b->SetIcon(kIconEasyMode, 0, QSize(32, 32));
    b->SetAlign(CImageButton::kAlignVert);
    b->SetColor(CImageButton::kColorFgIn, QColor(0, 0, 255));
    b->show();
    buttons << b;
  }
  QTest::mouseMove(buttons[1], QPoint(50, 40));
  test::Spin(5);
  buttons[2]->setDown(true);
  buttons[3]->SetFlat(false);
  buttons[3]->setFocus();
  buttons[4]->setEnabled(false);
  buttons[5]->SetCheckBox(true);
  buttons[5]->SetCheck(1);
  EXPECT_TRUE(buttons[1]->IsHovered());
  EXPECT_TRUE(test::SaveScreenshot(&window, QStringLiteral("imagebutton_states")));
}

TEST(ImageButton, ImageAndTextPlacementByAlignment) {
  struct Case {
    int align;
    bool withText;
    QRect image;
    QRect text;
  };
  // Button 100 × 80, picture 32 × 32.
  const Case cases[] = {
      {0, true, {3, 24, 32, 32}, {35, 0, 65, 80}},
      {0, false, {34, 24, 32, 32}, {0, 0, 100, 80}},
      {1, true, {34, 6, 32, 32}, {0, 32, 100, 48}},
      {1, false, {34, 24, 32, 32}, {0, 0, 100, 80}},
      {2, true, {65, 24, 32, 32}, {3, 0, 62, 80}},
      {3, true, {34, 24, 32, 32}, {0, 0, 100, 80}},
      {4, true, {34, 24, 32, 32}, {0, 49, 100, 31}},
  };
  for (const Case& c : cases) {
    CImageButton b;
    b.resize(100, 80);
    b.SetIcon(SolidIcon(Qt::red), QIcon(), QSize(32, 32));
    b.SetAlign(c.align);
    if (c.withText) b.setText(QStringLiteral("Text"));
    QRect image, text;
    b.ComputeLayout(image, text);
    EXPECT_EQ(image, c.image) << c.align << c.withText;
    EXPECT_EQ(text, c.text) << c.align << c.withText;
  }
  // Pressed moves the image by the pressed offset, except in check-box mode.
  CImageButton b;
  b.resize(100, 80);
  b.SetIcon(SolidIcon(Qt::red), QIcon(), QSize(32, 32));
  b.SetPressedStyle(1);
  b.setDown(true);
  QRect image, text;
  b.ComputeLayout(image, text);
  EXPECT_EQ(image.topLeft(), QPoint(34, 26));
  b.SetCheckBox(true);
  b.ComputeLayout(image, text);
  EXPECT_EQ(image.topLeft(), QPoint(34, 24));
}

TEST(ImageButton, TooltipIsPlainTextAndCursorComesFromTheResource) {
  CImageButton b;
  b.SetTooltipText(QStringLiteral("<b>PC</b> & router"));
  EXPECT_EQ(b.TooltipText(), QStringLiteral("<b>PC</b> & router"));
  EXPECT_TRUE(b.toolTip().contains(QStringLiteral("&lt;b&gt;")));
  EXPECT_FALSE(b.toolTip().contains(QStringLiteral("<b>")));
  EXPECT_EQ(b.accessibleDescription(), QStringLiteral("<b>PC</b> & router"));
  b.SetBtnCursor(kCursorHand);
  EXPECT_TRUE(b.testAttribute(Qt::WA_SetCursor));
  EXPECT_EQ(b.HoverCursorId(), kCursorHand);
  EXPECT_FALSE(b.cursor().pixmap().isNull());
  b.SetBtnCursor(0);
  EXPECT_EQ(b.cursor().shape(), Qt::ArrowCursor);
  b.SetTooltipText(QString());
  EXPECT_TRUE(b.toolTip().isEmpty());
  // A picture without caption is named by its tooltip; a captioned one keeps
  // its caption as its name.
  CImageButton captioned;
  captioned.setText(QStringLiteral("&Router"));
  captioned.SetTooltipText(QStringLiteral("Works normally"));
  EXPECT_TRUE(captioned.accessibleName().isEmpty());
  CImageButton bare;
  bare.SetTooltipText(QStringLiteral("Internet service works"));
  EXPECT_EQ(bare.accessibleName(), QStringLiteral("Internet service works"));
}

TEST(ImageButton, BitmapTransparentColourIsKnockedOut) {
  QPixmap pm(10, 10);
  pm.fill(Qt::white);
  {
    QPainter p(&pm);
    p.fillRect(3, 3, 4, 4, Qt::green);
  }
  QWidget parent;
  parent.setAutoFillBackground(true);
  QPalette pal = parent.palette();
  pal.setColor(QPalette::Window, Qt::magenta);
  parent.setPalette(pal);
  auto* b = new CImageButton(&parent);
  b->SetTransparent(true);
  b->SetBitmaps(pm, Qt::white);
  b->setGeometry(0, 0, 30, 30);
  parent.resize(30, 30);
  const QImage shot = parent.grab().toImage();
  EXPECT_EQ(shot.pixelColor(15, 15), QColor(Qt::green));
  EXPECT_EQ(shot.pixelColor(11, 11), QColor(Qt::magenta));  // white became see-through
}

TEST(StaticText, NonBoldOwnFontStillDrawsWithTheDialogFont) {
  CStaticText t;
  t.setFont(DialogFont());
  t.SetFont(16, false);
  EXPECT_FALSE(t.UsesOwnFont());
  EXPECT_EQ(t.OwnFont().pixelSize(), 16);
  EXPECT_EQ(t.OwnFont().weight(), QFont::Normal);
  EXPECT_EQ(t.DrawingFont(), t.font());
  t.SetFont(16, true);
  EXPECT_TRUE(t.UsesOwnFont());
  EXPECT_EQ(t.DrawingFont().pixelSize(), 16);
  EXPECT_TRUE(t.DrawingFont().bold());
  EXPECT_EQ(t.textFormat(), Qt::PlainText);
  EXPECT_TRUE(t.DrawFormat() & Qt::TextWordWrap);
  t.SetTextColor(QColor(0, 200, 0));
  EXPECT_EQ(t.TextColor(), QColor(0, 200, 0));
}

TEST(RichEdit, OldLinesGoWholeWhenTheMaximumIsReached) {
  CHTRichEditCtrl log;
  log.SetMaxLength(40);
  for (int i = 0; i < 10; ++i) log.AppendText(QStringLiteral("line %1...\n").arg(i));  // 11 characters each
  EXPECT_LE(log.TextLength(), 40);
  const QString text = log.toPlainText();
  EXPECT_TRUE(text.startsWith(QStringLiteral("line "))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("line 9...")));
  EXPECT_FALSE(text.contains(QStringLiteral("line 5...")));
  // A text longer than the maximum keeps its end.
  log.AppendText(QString(100, QChar('z')));
  EXPECT_LE(log.TextLength(), 40);
}

TEST(RichEdit, ColourBoldAndPlainText) {
  CHTRichEditCtrl log;
  log.AppendText(QStringLiteral("<b>red</b>"), -1, true, QColor(255, 0, 0));
  log.AppendText(QStringLiteral(" plain"), 3);
  EXPECT_EQ(log.toPlainText(), QStringLiteral("<b>red</b> pl"));
  QTextCursor c(log.document());
  c.setPosition(2);
  EXPECT_EQ(c.charFormat().foreground().color(), QColor(255, 0, 0));
  EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
  c.setPosition(log.document()->characterCount() - 1);
  EXPECT_NE(c.charFormat().foreground().color(), QColor(255, 0, 0));
  EXPECT_NE(c.charFormat().fontWeight(), QFont::Bold);
}

TEST(RichEdit, LinkPrefixes) {
  struct Case {
    const char* link;
    bool opens;
  };
  const Case cases[] = {
      {"ed2k://|file|x|", true}, {"http://192.168.123.254/", true}, {"https://example.org", true},
      {"ftp://example.org/a", true}, {"www.example.org", true}, {"ftp.example.org", true},
      {"mailto:support@example.org", true}, {"HTTP://EXAMPLE.ORG", true},
      {"file:///etc/passwd", false}, {"news:comp.lang", false}, {"javascript:alert(1)", false},
      {"mailto", false}, {"http:/", false}, {"", false}, {"w", false},
  };
  for (const Case& c : cases) EXPECT_EQ(CHTRichEditCtrl::IsOpenableLink(QString::fromUtf8(c.link)), c.opens) << c.link;
}

TEST(RichEdit, ClickedLinksOpenOnlyWithAnAcceptedPrefix) {
  UrlSink sink;
  for (const char* scheme : {"http", "https", "ftp", "mailto", "ed2k", "file", "news"})
    QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &sink, "Open");
  CHTRichEditCtrl log;
  EXPECT_TRUE(log.ActivateLink(QStringLiteral("www.example.org")));
  EXPECT_FALSE(log.ActivateLink(QStringLiteral("file:///etc/passwd")));
  ASSERT_EQ(sink.opened.size(), 1);
  EXPECT_EQ(sink.opened[0], QUrl(QStringLiteral("http://www.example.org")));

  // A real click on a link in the text.
  log.resize(400, 200);
  log.AppendText(QStringLiteral("open http://example.org/page now\nor file:///tmp/x here"));
  log.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&log));
  auto clickAt = [&](int position) {
    QTextCursor c(log.document());
    c.setPosition(position);
    const QPoint p = log.cursorRect(c).center() + QPoint(2, 0);
    QTest::mouseClick(log.viewport(), Qt::LeftButton, {}, p);
  };
  clickAt(8);
  ASSERT_EQ(sink.opened.size(), 2);
  EXPECT_EQ(sink.opened[1], QUrl(QStringLiteral("http://example.org/page")));
  const int filePos = log.toPlainText().indexOf(QStringLiteral("file:")) + 3;
  clickAt(filePos);
  EXPECT_EQ(sink.opened.size(), 2);  // file links do nothing
  for (const char* scheme : {"http", "https", "ftp", "mailto", "ed2k", "file", "news"})
    QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

// What OpenUrl answers when xdg-open is there (a stand-in first on PATH):
// its failure to find a program is the wizard's "could not open", and a
// browser that keeps running is no wait without end.
TEST(OpenUrl, AnswersWhatXdgOpenFound) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString script = folder.filePath(QStringLiteral("xdg-open"));
  {
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n"
               "d=$(dirname \"$0\")\n"
               "printf '%s' \"$1\" >\"$d/url\"\n"
               "mode=$(cat \"$d/mode\")\n"
               "if [ \"$mode\" = runs ]; then\n"
               "  : >\"$d/running\"\n"
               "  while [ -d \"$d\" ] && [ ! -e \"$d/close\" ]; do sleep 0.05; done\n"
               "  rm -f \"$d/running\"\n"
               "  exit 0\n"
               "fi\n"
               "echo \"xdg-open: no method available\" >&2\n"
               "exit \"$mode\"\n");
    file.close();
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  }
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QFile::encodeName(folder.path()) + ":" + path);
  struct Row {
    const char* mode;
    bool opened;
  };
  const Row rows[] = {{"0", true}, {"3", false}, {"4", false}, {"runs", true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mode);
    QFile::remove(folder.filePath(QStringLiteral("url")));
    QFile mode(folder.filePath(QStringLiteral("mode")));
    ASSERT_TRUE(mode.open(QIODevice::WriteOnly | QIODevice::Truncate));
    mode.write(row.mode);
    mode.close();
    EXPECT_EQ(OpenUrl(QStringLiteral("http://192.168.123.254")), row.opened);
    QFile url(folder.filePath(QStringLiteral("url")));
    ASSERT_TRUE(url.open(QIODevice::ReadOnly));
    EXPECT_EQ(url.readAll(), QByteArray("http://192.168.123.254"));
  }
  qputenv("PATH", path);
  // The stand-in "browser" closes.
  QFile close(folder.filePath(QStringLiteral("close")));
  ASSERT_TRUE(close.open(QIODevice::WriteOnly));
  close.close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(folder.filePath(QStringLiteral("running"))); }, 30000));
}

TEST(RichEdit, StaysAtTheEndOnlyWhenItWasThere) {
  CHTRichEditCtrl log;
  log.resize(200, 80);
  log.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&log));
  for (int i = 0; i < 50; ++i) log.AppendText(QStringLiteral("line %1\n").arg(i));
  QScrollBar* bar = log.verticalScrollBar();
  EXPECT_EQ(bar->value(), bar->maximum());
  bar->setValue(0);
  log.AppendText(QStringLiteral("more\n"));
  EXPECT_EQ(bar->value(), 0);
}

TEST(AutoWidthCombo, DroppedWidthFitsTheLongestItem) {
  CAutoWidthComboBox combo;
  const QFontMetrics fm(combo.font());
  const int scrollBar = combo.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &combo);
  combo.addItems({QString(), QString(), QString()});
  EXPECT_EQ(combo.ComputeDroppedWidth(), scrollBar + fm.horizontalAdvance(QStringLiteral("0")));
  combo.clear();
  const QString longest = QStringLiteral("Traditional Chinese (a rather long entry)");
  combo.addItems({QStringLiteral("English"), longest, QStringLiteral("Dansk")});
  const int expected = fm.horizontalAdvance(longest) + scrollBar + fm.horizontalAdvance(QStringLiteral("0"));
  EXPECT_EQ(combo.ComputeDroppedWidth(), expected);
  combo.resize(80, combo.sizeHint().height());
  combo.show();
  combo.showPopup();
  EXPECT_EQ(combo.DroppedWidth(), expected);
  EXPECT_GE(combo.view()->width(), expected);
  combo.hidePopup();
}

}  // namespace
}  // namespace kelvane

#include "ui_controls_test.moc"
