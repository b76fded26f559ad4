#include "wizard/CWaitStrip.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QBasicTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <QTabWidget>
#include <QTimerEvent>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "net/Wait.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {

constexpr int kMarginPx = 8;
constexpr int kBarWidthPx = 120;
constexpr int kNarrowPx = 400;  // narrower strips put the bar above the text

QWidget* WindowOf(const QWidget* w) { return w == nullptr ? nullptr : w->window(); }

// A busy bar that moves at a pace of our own: a quarter of the bar slides
// to and fro, 20 frames a second, only while it is on screen. (The style's own
// busy animation wakes the window about a hundred times a second.)
class WaitBar : public QProgressBar {
 public:
  using QProgressBar::QProgressBar;

  void SetBusy(bool busy) {
    busy_ = busy;
    if (busy) setRange(0, 0);  // what a screen reader hears: busy, no end known
    if (busy && isVisible()) {
      frames_.start(kFrameMs, this);
    } else {
      frames_.stop();
    }
    update();
  }

 protected:
  void showEvent(QShowEvent* event) override {
    QProgressBar::showEvent(event);
    if (busy_) frames_.start(kFrameMs, this);
  }
  void hideEvent(QHideEvent* event) override {
    frames_.stop();
    QProgressBar::hideEvent(event);
  }
  void timerEvent(QTimerEvent* event) override {
    if (event->timerId() != frames_.timerId()) {
      QProgressBar::timerEvent(event);
      return;
    }
    frame_ = (frame_ + 1) % kFrames;
    update();
  }
  void paintEvent(QPaintEvent* event) override {
    if (!busy_) {
      QProgressBar::paintEvent(event);
      return;
    }
    QStylePainter painter(this);
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    // Drawn as a determinate bar, so the style starts no animation of its own.
    option.minimum = 0;
    option.maximum = 1;
    option.progress = 0;
    painter.drawControl(QStyle::CE_ProgressBarGroove, option);
    const int chunk = std::max(8, width() / 4);
    const int half = kFrames / 2;
    const int step = frame_ <= half ? frame_ : kFrames - frame_;
    const int x = (width() - chunk) * step / half;
    option.progress = 1;
    option.rect = QRect(x, 0, chunk, height()).intersected(rect());
    if (!option.rect.isEmpty()) painter.drawControl(QStyle::CE_ProgressBarContents, option);
  }

 private:
  static constexpr int kFrameMs = 50;
  static constexpr int kFrames = 40;  // there and back in two seconds
  QBasicTimer frames_;
  int frame_ = 0;
  bool busy_ = false;
};

// What a screen reader sees of the strip: a notification named by its text,
// so that it is read out when it appears (the bridge reports it showing)
// without taking the focus from where the user is.
class WaitStripAccessible : public QAccessibleWidget {
 public:
  explicit WaitStripAccessible(CWaitStrip* strip) : QAccessibleWidget(strip, QAccessible::Notification) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<const CWaitStrip*>(widget())->Text()->text();
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* WaitStripInterface(const QString& /*className*/, QObject* object) {
  auto* strip = qobject_cast<CWaitStrip*>(object);
  return strip != nullptr ? new WaitStripAccessible(strip) : nullptr;
}

}  // namespace

CWaitStrip::CWaitStrip(QWidget* window) : QFrame(window) {
  static const bool accessible = (QAccessible::installFactory(&WaitStripInterface), true);
  (void)accessible;
  setObjectName(QStringLiteral("waitStrip"));
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  // The sheets and dialogs disable themselves while they work, which is when
  // the strip shows: it keeps the colours of an enabled window, to be read.
  QPalette pal = palette();
  for (int role = 0; role < QPalette::NColorRoles; ++role) {
    const auto r = static_cast<QPalette::ColorRole>(role);
    pal.setColor(QPalette::Disabled, r, pal.color(QPalette::Active, r));
  }
  setPalette(pal);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(6, 4, 6, 4);
  row->setSpacing(8);
  bar_ = new WaitBar(this);
  bar_->setObjectName(QStringLiteral("waitBar"));
  bar_->setTextVisible(false);
  bar_->setFixedWidth(kBarWidthPx);
  text_ = new QLabel(this);
  text_->setObjectName(QStringLiteral("waitText"));
  text_->setTextFormat(Qt::PlainText);
  text_->setWordWrap(true);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  row->addWidget(bar_, 0, Qt::AlignVCenter);
  row->addWidget(text_, 1);
  showTimer_ = new QTimer(this);
  showTimer_->setSingleShot(true);
  connect(showTimer_, &QTimer::timeout, this, &CWaitStrip::Reveal);
  hide();
}

CWaitStrip* CWaitStrip::Of(const QWidget* w) {
  QWidget* window = WindowOf(w);
  if (window == nullptr) return nullptr;
  return window->findChild<CWaitStrip*>(QStringLiteral("waitStrip"), Qt::FindDirectChildrenOnly);
}

CWaitStrip* CWaitStrip::Make(QWidget* w) {
  if (CWaitStrip* strip = Of(w)) return strip;
  QWidget* window = WindowOf(w);
  return window == nullptr ? nullptr : new CWaitStrip(window);
}

void CWaitStrip::Begin(QWidget* w, std::uint32_t textId) {
  CWaitStrip* strip = Make(w);
  if (strip == nullptr) return;
  ++strip->steps_;
  strip->stepText_ = textId;
  if (strip->known_) return;  // a countdown keeps its own text until it ends
  strip->SetText(textId);
  static_cast<WaitBar*>(strip->bar_)->SetBusy(true);
  if (strip->isVisible()) return;
  // One shot, on the scaled clock like every pause: a step that is over by
  // then shows nothing, and nothing ticks while the strip waits to show.
  strip->showTimer_->start(static_cast<int>(std::lround(kShowAfterMs * TimeScale())));
}

void CWaitStrip::End(QWidget* w) {
  CWaitStrip* strip = Of(w);
  // A step inside another leaves the strip to the outer one.
  if (strip != nullptr && --strip->steps_ <= 0) delete strip;
}

void CWaitStrip::ShowKnown(QWidget* w, std::uint32_t textId, int total, int done) {
  CWaitStrip* strip = Make(w);
  if (strip == nullptr) return;
  strip->showTimer_->stop();
  if (!strip->known_) {
    strip->known_ = true;
    strip->SetText(textId);
  }
  static_cast<WaitBar*>(strip->bar_)->SetBusy(false);
  strip->bar_->setRange(0, std::max(1, total));
  strip->bar_->setValue(std::clamp(done, 0, std::max(1, total)));
  strip->Reveal();
}

void CWaitStrip::EndKnown(QWidget* w) {
  CWaitStrip* strip = Of(w);
  if (strip == nullptr || !strip->known_) return;
  strip->known_ = false;
  if (strip->stepText_ == 0) {
    delete strip;
    return;
  }
  // The step waits on: its busy bar again, visible already.
  strip->SetText(strip->stepText_);
  strip->bar_->reset();
  static_cast<WaitBar*>(strip->bar_)->SetBusy(true);
}

void CWaitStrip::SetText(std::uint32_t textId) {
  const QString text = UiText(textId);
  if (text_->text() == text) return;
  text_->setText(text);
  bar_->setAccessibleName(text);
  if (!isVisible()) return;
  Place();
  Announce();
}

// A new text on a strip already on screen is read out as its showing was:
// the name changes, and the notification shows anew.
void CWaitStrip::Announce() {
  QAccessibleEvent named(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&named);
  QAccessibleEvent shown(this, QAccessible::ObjectShow);
  QAccessible::updateAccessibility(&shown);
}

void CWaitStrip::Place() {
  QWidget* window = parentWidget();
  if (window == nullptr) return;
  // Just above the row of the window's own buttons, across the window. A
  // narrow window (a small dialog) has no room for a line above its
  // buttons: the strip lies over them (they wait too) and the bar goes
  // above the text.
  int buttonsTop = window->height();
  int buttonsBottom = 0;
  for (const QPushButton* button : window->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
    if (!button->isVisible()) continue;
    buttonsTop = std::min(buttonsTop, button->y());
    buttonsBottom = std::max(buttonsBottom, button->geometry().bottom() + 1);
  }
  if (buttonsBottom == 0) buttonsBottom = window->height() - kMarginPx;
  const int width = window->width() - 2 * kMarginPx;
  const bool narrow = width < kNarrowPx;
  auto* row = static_cast<QBoxLayout*>(layout());
  row->setDirection(narrow ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
  const QMargins margins = row->contentsMargins();
  const int inner = width - margins.left() - margins.right() - 2 * frameWidth();
  bar_->setFixedWidth(narrow ? inner : kBarWidthPx);
  const int textWidth = narrow ? inner : inner - kBarWidthPx - row->spacing();
  const int barHeight = bar_->sizeHint().height();
  const int textHeight = text_->heightForWidth(textWidth);
  const int content = narrow ? barHeight + row->spacing() + textHeight : std::max(barHeight, textHeight);
  const int height = content + margins.top() + margins.bottom() + 2 * frameWidth();
  const int bottom = narrow ? buttonsBottom : buttonsTop - kMarginPx;
  if (const QRect row = TabButtonRow(window); !narrow && row.isValid() && row.bottom() < bottom) {
    // A tabbed window: its current tab's own buttons lie along the tab's
    // foot, right above the window's. The strip stands in their place for
    // the wait (they wait too) rather than half over them.
    const int tall = std::max(height, row.height());
    setGeometry(row.left(), std::max(0, row.center().y() - tall / 2), row.width(), tall);
    return;
  }
  QRect strip(kMarginPx, std::max(0, bottom - height), width, height);
  if (narrow) strip = CoverWholeControls(window, strip);
  setGeometry(strip);
}

QRect CWaitStrip::CoverWholeControls(const QWidget* window, QRect strip) const {
  // Lying over a small dialog's foot, the strip reaches up to the top of any
  // control it would cut (a half field reads as a broken window), till none.
  // A group box is a frame around rows, not a row, and a widget holding
  // others is judged by what it holds: their feet may hide.
  auto holdsOthers = [](const QWidget* w) {
    for (const QWidget* child : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (!child->isWindow() && child->isVisible()) return true;
    return false;
  };
  for (bool grown = true; grown;) {
    grown = false;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
      if (w == this || isAncestorOf(w) || w->isWindow() || !w->isVisible() || qobject_cast<const QGroupBox*>(w) ||
          holdsOthers(w))
        continue;
      const QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
      if (!strip.intersects(r) || strip.contains(r) || r.top() >= strip.top()) continue;
      const int top = std::max(0, r.top() - 2);
      if (top < strip.top()) {
        strip.setTop(top);
        grown = true;
      }
    }
  }
  return strip;
}

QRect CWaitStrip::TabButtonRow(const QWidget* window) {
  const auto* tabs = window->findChild<QTabWidget*>();
  if (tabs == nullptr || !tabs->isVisible() || tabs->currentWidget() == nullptr) return {};
  const QWidget* tab = tabs->currentWidget();
  QRect row;
  for (const QPushButton* button : tab->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
    if (!button->isVisible()) continue;
    const QRect r(button->mapTo(window, QPoint(0, 0)), button->size());
    // Only the row along the tab's foot (a button mid-tab is a field's).
    if (r.top() > tab->mapTo(window, QPoint(0, 0)).y() + tab->height() * 2 / 3) row = row.united(r);
  }
  if (!row.isValid()) return {};
  const QPoint tabTopLeft = tab->mapTo(window, QPoint(0, 0));
  return {tabTopLeft.x() + kMarginPx, row.top() - 2, tab->width() - 2 * kMarginPx, row.height() + 4};
}

void CWaitStrip::Hold() {
  if (holds_++ == 0 && isVisible()) {
    revealDue_ = true;
    hide();
  }
}

void CWaitStrip::Release() {
  if (holds_ == 0 || --holds_ > 0) return;
  if (revealDue_) Reveal();
}

void CWaitStrip::Reveal() {
  if (holds_ > 0) {
    revealDue_ = true;
    return;
  }
  revealDue_ = false;
  Place();
  show();
  raise();
  repaint();
}

WaitStripHold::WaitStripHold(const QWidget* w) : strip_(CWaitStrip::Of(w)) {
  if (!strip_.isNull()) strip_->Hold();
}

WaitStripHold::~WaitStripHold() {
  if (!strip_.isNull()) strip_->Release();
}

LongWait::LongWait(QWidget* w, std::uint32_t textId) : window_(WindowOf(w)) { CWaitStrip::Begin(window_, textId); }

LongWait::~LongWait() {
  if (!window_.isNull()) CWaitStrip::End(window_);
}

}  // namespace kelvane
