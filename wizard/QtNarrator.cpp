#include "wizard/QtNarrator.h"

#include <QLabel>

#include "net/Wait.h"
#include "wizard/CHTRichEditCtrl.h"
#include "wizard/CStaticText.h"
#include "wizard/CWaitStrip.h"
#include "wizard/PumpWait.h"
#include "wizard/ReadableColour.h"
#include "wizard/UiText.h"

namespace kelvane {

QtNarrator::QtNarrator(QWidget* area) : area_(area) {}

// A countdown that ran out without a last word still takes its bar along.
QtNarrator::~QtNarrator() { DropCountdownBar(); }

QColor QtNarrator::Colour(NarrationColour colour) {
  switch (colour) {
    case NarrationColour::kBusy: return QColor(0, 50, 50);
    case NarrationColour::kGood: return QColor(0, 200, 0);
    case NarrationColour::kBad: return QColor(255, 0, 0);
    case NarrationColour::kHeading: return QColor(0, 0, 255);
    case NarrationColour::kDefault: break;
  }
  return QColor(0, 0, 0);
}

void QtNarrator::DropCountdownBar() {
  if (countdownTotal_ == 0) return;
  countdownTotal_ = 0;
  if (!area_.isNull()) CWaitStrip::EndKnown(area_);
}

QProgressBar* QtNarrator::CountdownBar() const {
  const CWaitStrip* strip = countdownTotal_ != 0 ? CWaitStrip::Of(area_) : nullptr;
  return strip != nullptr && strip->Known() ? strip->Bar() : nullptr;
}

void QtNarrator::Show(const QString& text) {
  if (area_.isNull()) return;
  if (auto* log = qobject_cast<CHTRichEditCtrl*>(area_.data())) {
    log->Clear();
    log->AppendText(text);
  } else if (auto* label = qobject_cast<QLabel*>(area_.data())) {
    label->setText(text);
  }
  area_->repaint();
}

void QtNarrator::Add(const QString& text, NarrationColour colour) {
  if (area_.isNull()) return;
  if (auto* log = qobject_cast<CHTRichEditCtrl*>(area_.data())) {
    log->AppendText(text, -1, false, ReadableOnBase(Colour(colour), log->palette()));
  } else if (auto* label = qobject_cast<QLabel*>(area_.data())) {
    // A plain text area has one colour: what is appended is added as text.
    label->setText(label->text() + text);
  }
  area_->repaint();
}

void QtNarrator::Say(StringId id) {
  DropCountdownBar();
  Show(UiText(id));
}
void QtNarrator::SayText(const std::string& utf8) {
  DropCountdownBar();
  Show(QString::fromStdString(utf8));
}
void QtNarrator::Append(StringId id, NarrationColour colour) { Add(id == 0 ? QString() : UiText(id), colour); }
void QtNarrator::AppendText(const std::string& utf8, NarrationColour colour) {
  Add(QString::fromStdString(utf8), colour);
}

void QtNarrator::Countdown(StringId id, int secondsLeft) {
  Show(QStringLiteral("%1.....%2").arg(UiText(id)).arg(secondsLeft));
  if (area_.isNull()) return;
  // The time is known, so the bar is determinate: its range is the first
  // count seen, and it fills one step a second. The one countdown the
  // program runs is the router's restart.
  if (countdownTotal_ == 0) countdownTotal_ = secondsLeft;
  CWaitStrip::ShowKnown(area_, kIdWaitRouterRestartKnown, countdownTotal_, countdownTotal_ - secondsLeft + 1);
}

void QtNarrator::Pause(int ms) { PumpWait(ms); }

std::uint64_t QtNarrator::NowMs() { return ScaledMs(); }

}  // namespace kelvane
