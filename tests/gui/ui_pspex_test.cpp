// The page base: waiting with the event loop alive, field marking, password
// masking, the DPI-scaled geometry helpers, Enter, template building and the
// sheet link.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

#include "GuiTestSupport.h"
#include "net/SocketWait.h"
#include "net/Wait.h"
#include "support/ThreadWakeups.h"
#include "wizard/CImageButton.h"
#include "wizard/CPspEx.h"
#include "wizard/CStaticText.h"
#include "wizard/PumpWait.h"
#include "wizard/QtNarrator.h"
#include "wizard/ReadableColour.h"
#include "wizard/SheetOps.h"

namespace kelvane {
namespace {

// Counts its custom events; each one posts the next, so a pass of the event
// loop that kept going until the queue is empty would never end.
class Chain : public QObject {
 public:
  int seen = 0;
  bool event(QEvent* e) override {
    if (e->type() != QEvent::User) return QObject::event(e);
    ++seen;
    QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    return true;
  }
};

TEST(PumpWait, ZeroMakesOnePassAndReturnsAtOnce) {
  Chain chain;
  QCoreApplication::postEvent(&chain, new QEvent(QEvent::User));
  QElapsedTimer timer;
  timer.start();
  EXPECT_LT(PumpWait(0), 50);
  EXPECT_EQ(chain.seen, 1);
  PumpWait(0);
  EXPECT_EQ(chain.seen, 2);
  EXPECT_LT(timer.elapsed(), 50);
  PumpWait(0);
  EXPECT_EQ(chain.seen, 3);
  // A zero-interval timer keeps the queue busy; PumpWait(0) still returns.
  QTimer busy;
  int ticks = 0;
  QObject::connect(&busy, &QTimer::timeout, [&] { ++ticks; });
  busy.start(0);
  timer.restart();
  PumpWait(0);
  EXPECT_LT(timer.elapsed(), 50);
  EXPECT_LE(ticks, 1);
  busy.stop();
  QCoreApplication::removePostedEvents(&chain);
}

TEST(PumpWait, WaitsTheScaledTimeWhileEventsRun) {
  SetTimeScale(1.0);
  bool fired = false;
  QTimer::singleShot(10, [&] { fired = true; });
  QElapsedTimer timer;
  timer.start();
  const int elapsed = PumpWait(60);
  EXPECT_GE(elapsed, 60);
  EXPECT_GE(timer.elapsed(), 59);
  EXPECT_TRUE(fired);

  // A time scale of 0.1 makes 300 ms of pause take about 30 ms.
  SetTimeScale(0.1);
  timer.restart();
  EXPECT_GE(PumpWait(300), 300);
  EXPECT_LT(timer.elapsed(), 200);
  SetTimeScale(1.0);
}

TEST(PumpWait, GuiWaitHookKeepsEventsFlowingDuringCoreWaits) {
  InstallGuiWaitHook();
  bool fired = false;
  QTimer::singleShot(0, [&] { fired = true; });
  WaitRealMs(80);
  EXPECT_TRUE(fired);
  SetWaitHook({});
}


// A socket wait of the core sleeps in the event loop with the socket watched:
// events run meanwhile, the wait ends when the socket reports, and a quiet
// wait does not wake once a slice.
TEST(PumpWait, SocketWaitsSleepInTheEventLoopUntilTheSocketReports) {
  InstallGuiWaitHook();
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
  bool fired = false;
  QTimer::singleShot(0, [&] { fired = true; });
  QTimer::singleShot(300, [&] { ASSERT_EQ(::write(pair[1], "x", 1), 1); });
  QElapsedTimer clock;
  clock.start();
  const long sleepsBefore = test::ThreadWakeups();
  EXPECT_EQ(WaitForSocket(pair[0], POLLIN, DeadlineAfterMs(20000)) & POLLIN, POLLIN);
  const long sleeps = test::ThreadWakeups() - sleepsBefore;
  EXPECT_TRUE(fired);
  EXPECT_GE(clock.elapsed(), 299);
  EXPECT_LT(clock.elapsed(), 10000);
  // In slices this would be about 300 / kWaitSliceMs.
  EXPECT_LT(sleeps, 300 / kWaitSliceMs / 3) << sleeps;
  // Nothing to read: the wait ends at its deadline.
  char byte = 0;
  ASSERT_EQ(::read(pair[0], &byte, 1), 1);
  clock.restart();
  EXPECT_EQ(WaitForSocket(pair[0], POLLIN, DeadlineAfterMs(50)), 0);
  EXPECT_GE(clock.elapsed(), 49);
  ::close(pair[0]);
  ::close(pair[1]);
  SetWaitHook({});
  SetIdleWait({});
  SetReadyWait({});
}

class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST(MarkField, RedThenBlackAndRepaintedAtOnce) {
  QWidget page;
  auto* label = new CStaticText(&page);
  label->setText(QStringLiteral("IP address"));
  label->setGeometry(5, 5, 150, 20);
  page.resize(200, 40);
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  PaintCounter counter;
  label->installEventFilter(&counter);

  CPspEx::MarkField(label, false);
  EXPECT_EQ(label->TextColor(), QColor(255, 0, 0));
  EXPECT_GE(counter.paints, 1);  // painted before any event was processed
  const QImage red = label->grab().toImage();
  const QColor drawn = ReadableOnWindow(QColor(255, 0, 0), label->palette());
  bool sawRed = false;
  for (int y = 0; y < red.height() && !sawRed; ++y)
    for (int x = 0; x < red.width() && !sawRed; ++x) sawRed = red.pixelColor(x, y) == drawn;
  EXPECT_TRUE(sawRed);

  const int before = counter.paints;
  CPspEx::MarkField(label, true);
  EXPECT_EQ(label->TextColor(), QColor(0, 0, 0));
  EXPECT_GT(counter.paints, before);

  // A plain label is marked through its palette.
  auto* plain = new QLabel(QStringLiteral("x"), &page);
  CPspEx::MarkField(plain, false);
  EXPECT_EQ(plain->palette().color(QPalette::WindowText), ReadableOnWindow(QColor(255, 0, 0), page.palette()));
  CPspEx::MarkField(plain, true);
  EXPECT_EQ(plain->palette().color(QPalette::WindowText), page.palette().color(QPalette::WindowText));
  CPspEx::MarkField(nullptr, false);  // nothing to mark, nothing happens
}

// Every meaning colour reads (4.5:1) on light and dark themes, plain text is
// the theme's own, and a wrong field is marked by more than its colour.
TEST(MarkField, ReadableOnEveryPaletteAndNotByColourAlone) {
  struct Theme {
    const char* name;
    QColor window, windowText, base, text;
  };
  const Theme themes[] = {
      {"light grey", QColor(239, 239, 239), QColor(0, 0, 0), QColor(255, 255, 255), QColor(0, 0, 0)},
      {"white", QColor(255, 255, 255), QColor(30, 30, 30), QColor(255, 255, 255), QColor(30, 30, 30)},
      {"dark", QColor(45, 45, 45), QColor(230, 230, 230), QColor(30, 30, 30), QColor(240, 240, 240)},
      {"black", QColor(0, 0, 0), QColor(255, 255, 255), QColor(0, 0, 0), QColor(255, 255, 255)},
      {"dark blue-grey", QColor(60, 63, 65), QColor(187, 187, 187), QColor(43, 43, 43), QColor(169, 183, 198)},
  };
  // The darkest (light theme) or lightest (dark theme) pixel is the text's core.
  auto textPixel = [](QWidget* w, const QColor& background) {
    const QImage image = w->grab().toImage();
    QColor best = background;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (ContrastRatio(image.pixelColor(x, y), background) > ContrastRatio(best, background))
          best = image.pixelColor(x, y);
    return best;
  };
  for (const Theme& t : themes) {
    QPalette pal;
    pal.setColor(QPalette::Window, t.window);
    pal.setColor(QPalette::WindowText, t.windowText);
    pal.setColor(QPalette::Base, t.base);
    pal.setColor(QPalette::Text, t.text);
    pal.setColor(QPalette::Button, t.base);  // a face apart from the window
    pal.setColor(QPalette::ButtonText, t.text);
    QWidget page;
    page.setPalette(pal);
    page.setAutoFillBackground(true);
    auto* label = new CStaticText(&page);
    label->setText(QStringLiteral("MMMM IP address"));
    label->setGeometry(5, 5, 150, 20);
    // A picture button's face follows the theme, and its caption in a page's
    // own colour (the WAN choices' blue) reads on it.
    auto* button = new CImageButton(&page);
    button->setText(QStringLiteral("MMMM PPPoE"));
    button->setGeometry(5, 30, 150, 24);
    button->SetColor(CImageButton::kColorFgOut, QColor(0, 0, 255));
    auto* picture = new CImageButton(&page);  // an inert picture has no face
    picture->SetInert(true);
    picture->setGeometry(160, 30, 30, 24);
    page.resize(200, 60);
    page.setFocusPolicy(Qt::StrongFocus);  // holds the focus until the button is tabbed to
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page)) << t.name;
    page.setFocus();

    EXPECT_EQ(textPixel(label, t.window), t.windowText) << t.name << ": plain text in the theme's colour";
    CPspEx::MarkField(label, false);
    const QColor wrong = textPixel(label, t.window);
    EXPECT_GE(ContrastRatio(wrong, t.window), kMinTextContrast) << t.name;
    EXPECT_GT(wrong.red(), wrong.green() + 40) << t.name << ": still red";
    EXPECT_TRUE(label->DrawingFont().underline()) << t.name << ": marked in grey scale too";
    CPspEx::MarkField(label, true);
    EXPECT_FALSE(label->DrawingFont().underline()) << t.name;
    EXPECT_EQ(textPixel(label, t.window), t.windowText) << t.name;

    EXPECT_EQ(button->grab().toImage().pixelColor(3, 12), t.base) << t.name << ": the button's face";
    EXPECT_EQ(picture->grab().toImage().pixelColor(3, 12), t.window) << t.name << ": the picture's ground";
    const QColor caption = textPixel(button, t.base);
    EXPECT_GE(ContrastRatio(caption, t.base), kMinTextContrast) << t.name << ": the button's caption";
    EXPECT_NEAR(caption.hslHue(), 240, 3) << t.name << ": still blue";
    // Tabbed to, the flat button shows a focus frame that stands out from its face.
    button->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(button->hasFocus()) << t.name;
    const QImage focused = button->grab().toImage();
    for (const QPoint& edge : {QPoint(2, 12), QPoint(75, 2), QPoint(147, 12), QPoint(75, 21)}) {
      EXPECT_GE(ContrastRatio(focused.pixelColor(edge), t.base), 3.0)
          << t.name << ": focus frame at " << edge.x() << "," << edge.y();
    }
    button->clearFocus();

    for (NarrationColour c : {NarrationColour::kBusy, NarrationColour::kGood, NarrationColour::kBad,
                              NarrationColour::kHeading, NarrationColour::kDefault}) {
      EXPECT_GE(ContrastRatio(ReadableOnBase(QtNarrator::Colour(c), pal), t.base), kMinTextContrast)
          << t.name << " narration colour " << static_cast<int>(c);
    }
    for (const QColor& meaning : {QColor(0, 200, 0), QColor(230, 0, 0), QColor(0, 0, 255), QColor(0, 10, 255)}) {
      const QColor shown = ReadableOnWindow(meaning, pal);
      EXPECT_GE(ContrastRatio(shown, t.window), kMinTextContrast) << t.name << " " << qPrintable(meaning.name());
      EXPECT_NEAR(shown.hslHue(), meaning.hslHue(), 3) << t.name << ": the same meaning, another shade";
    }
  }
}

TEST(SetPasswordMask, TogglesStarsAndIgnoresOtherControls) {
  QLineEdit edit;
  CPspEx::SetPasswordMask(&edit, true);
  EXPECT_EQ(edit.echoMode(), QLineEdit::Password);
  CPspEx::SetPasswordMask(&edit, false);
  EXPECT_EQ(edit.echoMode(), QLineEdit::Normal);
  QLabel label;
  CPspEx::SetPasswordMask(&label, true);
  CPspEx::SetPasswordMask(nullptr, true);
}

// A page on a screen of the density the test asks for.
class DpiPage : public CPspEx {
 public:
  explicit DpiPage(QSizeF dpi, int templateId = 0) : CPspEx(templateId), dpi_(dpi) {}
  int inits = 0;
  bool OnInitDialog() override {
    ++inits;
    return CPspEx::OnInitDialog();
  }

 protected:
  QSizeF LogicalDpi() const override { return dpi_; }

 private:
  QSizeF dpi_;
};

TEST(DpiScale, FactorsAndScaledPlacement) {
  struct Case {
    QSizeF dpi;
    float sx, sy;
    QPoint moved;    // after MoveControlScaled(top 10, left 20)
    QSize movedSize; // of a 40 × 20 control
    int height;      // SetControlHeight(40)
    int width;       // SetControlWidth(33)
  };
  const Case cases[] = {
      {{96, 96}, 1.0f, 1.0f, {20, 10}, {40, 20}, 40, 33},
      {{120, 120}, 1.25f, 1.25f, {25, 12}, {50, 25}, 50, 41},
      {{120, 96}, 1.25f, 1.0f, {25, 10}, {50, 20}, 50, 41},
      {{144, 192}, 1.5f, 2.0f, {30, 20}, {60, 40}, 60, 49},
  };
  for (const Case& c : cases) {
    DpiPage page(c.dpi);
    page.Create();
    EXPECT_FLOAT_EQ(page.ComputeDpiScale(), c.sx);
    EXPECT_FLOAT_EQ(page.ScaleX(), c.sx);
    EXPECT_FLOAT_EQ(page.ScaleY(), c.sy);
    auto* control = new QWidget(&page);
    control->setGeometry(0, 0, 40, 20);
    page.MoveControlScaled(control, 10, 20);
    EXPECT_EQ(control->pos(), c.moved) << c.dpi.width();
    EXPECT_EQ(control->size(), c.movedSize) << c.dpi.width();
    EXPECT_EQ(CPspEx::GetControlPos(control), c.moved);
    page.SetControlHeight(control, 40);
    EXPECT_EQ(CPspEx::GetControlHeight(control), c.height) << c.dpi.width();
    page.SetControlWidth(control, 33);
    EXPECT_EQ(CPspEx::GetControlWidth(control), c.width) << c.dpi.width();
    EXPECT_EQ(control->pos(), c.moved);  // left and top kept
  }
}

TEST(DpiScale, FactorsStayOneUntilComputedAndInitResetsThem) {
  DpiPage page(QSizeF(120, 120));
  page.Create();
  auto* control = new QWidget(&page);
  control->setGeometry(0, 0, 40, 20);
  page.MoveControlScaled(control, 10, 20);
  EXPECT_EQ(control->pos(), QPoint(20, 10));
  page.ComputeDpiScale();
  page.OnInitDialog();
  EXPECT_FLOAT_EQ(page.ScaleX(), 1.0f);
  EXPECT_FLOAT_EQ(page.ScaleY(), 1.0f);
}

TEST(DpiScale, ScaleControlRectScalesAllEdgesHorizontally) {
  DpiPage page(QSizeF(144, 96));
  page.Create();
  auto* control = new QWidget(&page);
  control->setGeometry(10, 10, 21, 21);
  page.ScaleControlRect(control);
  // Edges 10..31 × 1.5 = 15..46.5, cut toward zero.
  EXPECT_EQ(control->geometry(), QRect(15, 15, 31, 31));
  EXPECT_FLOAT_EQ(page.ScaleX(), 1.5f);
}

// Enter is not the page's: it goes on to the window, which presses its
// default button (the sheets decide which, see sheet_main_test).
TEST(PageBase, EnterGoesOnToTheWindow) {
  QDialog sheet;
  int defaultClicked = 0;
  auto* layout = new QVBoxLayout(&sheet);
  auto* page = new CPspEx(0);
  auto* edit = new QLineEdit(page);
  layout->addWidget(page);
  auto* next = new QPushButton(QStringLiteral("Next"), &sheet);
  next->setDefault(true);
  layout->addWidget(next);
  QObject::connect(next, &QPushButton::clicked, [&] { ++defaultClicked; });
  page->Create();
  sheet.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Return);
  QTest::keyClick(page, Qt::Key_Enter);
  EXPECT_EQ(defaultClicked, 2);
}

TEST(PageBase, BuildsItsTemplateOnceWithControlIds) {
  DpiPage page(QSizeF(96, 96), 8002);
  EXPECT_EQ(page.Control(2100), nullptr);  // nothing before Create
  EXPECT_TRUE(page.Create());
  EXPECT_TRUE(page.Create());
  EXPECT_EQ(page.inits, 1);
  EXPECT_NE(page.ControlAs<CImageButton>(2100), nullptr);
  EXPECT_NE(page.ControlAs<CImageButton>(2101), nullptr);
  EXPECT_NE(page.ControlAs<CStaticText>(2102), nullptr);
  EXPECT_EQ(page.ControlAs<CImageButton>(2102), nullptr);
  EXPECT_EQ(page.findChildren<CImageButton*>().size(), 2);
  EXPECT_EQ(page.TemplateSizePx(), DialogUnitsToPixels(QSize(320, 155), page.BaseUnits()));
}

TEST(PageBase, PlacementOfAFreeStandingPage) {
  QWidget frame;
  DpiPage page(QSizeF(96, 96), 8002);
  page.setParent(&frame);
  page.Create();
  page.OnSetActive();
  const QSize t = page.TemplateSizePx();
  EXPECT_EQ(page.geometry(), QRect(0, 1, t.width() + 2, t.height() + 29));
  page.OnSetActive();  // a second visit does not grow it again
  EXPECT_EQ(page.geometry(), QRect(0, 1, t.width() + 2, t.height() + 29));
}

class FakeSheet : public QWidget, public SheetOps {
 public:
  int changes = 0;
  void ShowWizardButtons(bool, bool, bool, bool) override {}
  void EnableWizardButtons(bool, bool, bool, bool) override {}
  void ShowHelpButton(bool) override {}
  void EnableHelpButton(bool) override {}
  void ShowAndEnableHelpButton(bool, bool) override {}
  void ShiftBackButton(int, int) override {}
  void HideHelpWindow() override {}
  bool SetActivePage(CPspEx*) override { return true; }
  bool ConfirmCancel() override { return false; }
  CPspEx* FindPageByTemplate(int) const override { return nullptr; }
  void EnterBusy(CPspEx*) override {}
  void LeaveBusy(CPspEx*) override {}
  void PageTextsChanged(CPspEx*) override { ++changes; }
};

TEST(PageBase, FindsItsSheetAndKeepsHeaderTexts) {
  FakeSheet sheet;
  auto* stack = new QWidget(&sheet);
  auto* page = new CPspEx(0, stack);
  EXPECT_EQ(page->Sheet(), nullptr);
  EXPECT_EQ(page->FindSheet(), static_cast<SheetOps*>(&sheet));
  page->SetHeaderTitle(QStringLiteral("Setup mode"));
  page->SetHeaderSubTitle(QStringLiteral("Choose"));
  page->SetPageCaption(QString(""));
  EXPECT_TRUE(page->HasOwnCaption());
  EXPECT_EQ(sheet.changes, 3);
  page->SetHeaderTitle(QString());  // a null text is ignored
  EXPECT_EQ(page->HeaderTitle(), QStringLiteral("Setup mode"));
  EXPECT_EQ(page->HeaderSubTitle(), QStringLiteral("Choose"));
  EXPECT_EQ(sheet.changes, 3);
}

}  // namespace
}  // namespace kelvane
