// The narrator of a page or dialog: writes a step's texts into the message
// area (a CStaticText: each Say replaces the text) or into a log (a
// CHTRichEditCtrl: Append adds coloured text), repaints at once, and pauses
// on the scaled clock while the event loop keeps running. It holds its
// widget through a QPointer: a page destroyed during a pause is never
// touched again, and the step simply runs out without showing anything.
#pragma once

#include <QPointer>
#include <QProgressBar>
#include <QString>
#include <QWidget>

#include "steps/kit/Narrator.h"

namespace kelvane {

class QtNarrator : public Narrator {
 public:
  explicit QtNarrator(QWidget* area);
  ~QtNarrator() override;

  void Say(StringId id) override;
  void SayText(const std::string& utf8) override;
  void Append(StringId id, NarrationColour colour = NarrationColour::kDefault) override;
  void AppendText(const std::string& utf8, NarrationColour colour = NarrationColour::kDefault) override;
  void Countdown(StringId id, int secondsLeft) override;
  void Pause(int ms) override;
  std::uint64_t NowMs() override;

  // The colours the narrations are drawn in.
  static QColor Colour(NarrationColour colour);
  // Whether the widget still exists.
  bool Alive() const { return !area_.isNull(); }
  // The bar of a running countdown (the window's wait strip, filling as the
  // seconds pass); null when no countdown runs.
  QProgressBar* CountdownBar() const;

 private:
  void Show(const QString& text);
  void Add(const QString& text, NarrationColour colour);

  void DropCountdownBar();

  QPointer<QWidget> area_;
  int countdownTotal_ = 0;  // the first count of the running countdown, 0 when none
};

}  // namespace kelvane
