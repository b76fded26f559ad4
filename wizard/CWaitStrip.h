// The line that shows a long wait: a progress bar beside a text that says what
// is happening and what the user may do. A step that can wait long names its
// text when it begins (BusyScope); the strip appears once the step has run
// about a second, so quick steps show nothing. Its bar is busy (it moves
// without an end) unless the time is known: a countdown fills it.
//
// One strip per window (sheet or dialog), just above the window's own buttons,
// across the window. Screen readers hear it as a notification: read out when
// it appears and when its text changes, the focus staying where it is. It owns no timer that runs while nothing waits: the one
// that shows it fires once, and the strip goes when the step ends.
#pragma once

#include <QFrame>
#include <QPointer>
#include <QRect>

#include <cstdint>

class QLabel;
class QProgressBar;
class QTimer;

namespace kelvane {

class CWaitStrip : public QFrame {
  Q_OBJECT

 public:
  // The strip of the window that holds `w`, null when none is there.
  static CWaitStrip* Of(const QWidget* w);

  // A step that may wait long begins in the window of `w`: after
  // kShowAfterMs on the scaled clock the strip shows text `textId` with a
  // busy bar. Begin again replaces the text.
  static void Begin(QWidget* w, std::uint32_t textId);
  // The step is over: the strip goes (at once, also a known wait's) unless
  // an outer step still waits.
  static void End(QWidget* w);
  // A wait of known length: the bar shows `done` of `total`, with text
  // `textId`, at once.
  static void ShowKnown(QWidget* w, std::uint32_t textId, int total, int done);
  // The known wait is over: back to the step's busy bar, or gone when no
  // step named a text.
  static void EndKnown(QWidget* w);

  static constexpr int kShowAfterMs = 1000;

  // Hides the strip while a question is asked (WaitStripHold); it shows
  // again afterwards if it showed or was due to meanwhile.
  void Hold();
  void Release();

  QProgressBar* Bar() const { return bar_; }
  QLabel* Text() const { return text_; }
  // Whether the bar shows a known wait (determinate).
  bool Known() const { return known_; }

 private:
  explicit CWaitStrip(QWidget* window);
  static CWaitStrip* Make(QWidget* w);

  void SetText(std::uint32_t textId);
  // Tells a screen reader that the text of the strip on screen changed.
  void Announce();
  void Place();
  // The row of buttons along the foot of a tabbed window's current tab, in
  // window coordinates, widened to the tab; invalid when there is none.
  static QRect TabButtonRow(const QWidget* window);
  // `strip` grown upwards until it holds whole every control it covers.
  QRect CoverWholeControls(const QWidget* window, QRect strip) const;
  void Reveal();

  QProgressBar* bar_ = nullptr;
  QLabel* text_ = nullptr;
  QTimer* showTimer_ = nullptr;
  std::uint32_t stepText_ = 0;  // the text of the step's busy wait, 0 when none
  bool known_ = false;
  int steps_ = 0;  // Begins not yet ended
  int holds_ = 0;
  bool revealDue_ = false;  // to show once no question holds it
};

// While a message box or prompt of the window of `w` runs.
class WaitStripHold {
 public:
  explicit WaitStripHold(const QWidget* w);
  ~WaitStripHold();
  WaitStripHold(const WaitStripHold&) = delete;
  WaitStripHold& operator=(const WaitStripHold&) = delete;

 private:
  QPointer<CWaitStrip> strip_;
};

// A long wait outside a page (a dialog's own work): Begin on construction,
// End on every path out.
class LongWait {
 public:
  LongWait(QWidget* w, std::uint32_t textId);
  ~LongWait();
  LongWait(const LongWait&) = delete;
  LongWait& operator=(const LongWait&) = delete;

 private:
  QPointer<QWidget> window_;
};

}  // namespace kelvane
