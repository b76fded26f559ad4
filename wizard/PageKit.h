// The moves every page makes, written once: the busy scope around a step, the
// Greek font, and the login-word prompt. (Activation, the cancel policy and
// navigation by template are members of CPspEx; the narrator is QtNarrator.)
#pragma once

#include <QFont>
#include <QPointer>
#include <QPushButton>

#include <memory>
#include <string>

#include "language/LanguageTable.h"  // kLanguageGreek
#include "wizard/CPspEx.h"

class QCheckBox;

namespace kelvane {

// Around every step a page runs: sets the page's busy flag and lets the sheet
// disable its buttons and Help (the router sheet disables itself); on every
// path out clears the flag and gives the sheet's buttons `after`. A page
// destroyed during the step is not touched again.
//
// A step that may wait long names the text of its wait (`waitTextId`: what
// happens, what the user may do); should it run longer than about a second,
// the window's wait strip shows that text beside a busy bar (CWaitStrip),
// until the scope ends.
class BusyScope {
 public:
  explicit BusyScope(CPspEx* page, const ButtonChrome& after = kStandardChrome);
  BusyScope(CPspEx* page, std::uint32_t waitTextId, const ButtonChrome& after = kStandardChrome);
  ~BusyScope();
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

  // Changes what the buttons become at the end (e.g. a step that moves on).
  void SetAfter(const ButtonChrome& after) { after_ = after; }

 private:
  QPointer<CPspEx> page_;
  QPointer<QWidget> window_;  // where the wait strip shows, when one was named
  ButtonChrome after_;
};

inline constexpr std::uint32_t kLanguageDutch = 1043;

// Whether the user interface is in Greek, whose long texts get a smaller font.
bool IsGreekUi();
// The Greek font of the pages and sheets: `base` at 10 pixels, normal weight.
// Null in every other language, so a caller writes `if (font) w->setFont(*font)`.
std::unique_ptr<QFont> MakeGreekFont(const QFont& base);

// Sets the text of a multi-line button: a text too wide for the button is
// broken at the blank that gives the narrowest two lines ("&" mnemonics
// ignored in the measure). The full text is kept for a later re-wrap.
void SetButtonText(QPushButton* button, const QString& text);
// Wraps the button's full text again (after its width or font changed).
void WrapButtonText(QPushButton* button);

// Sets the text of a check box the template marks multi-line: broken at
// blanks into as many lines as its width needs (its height holds them); the
// accessible name keeps the text in one line.
void SetCheckBoxText(QCheckBox* box, const QString& text);
// Breaks the box's full text again (after its width changed).
void WrapCheckBoxText(QCheckBox* box);

// Widens `button` (keeping its left edge) when its text does not fit, as
// translated texts in our fonts may not; never makes it narrower.
void FitButtonToText(QPushButton* button);

// Asks for the router's login word in the masked login prompt (caption
// "log in to the router", OK and Cancel). For Greek, and for Dutch when
// `widenForDutch`, the first button moves 15 pixels left and grows by 15.
// True with the typed text (8-bit, as the router receives it) on OK.
bool PromptLoginWord(bool widenForDutch, std::string& word, QWidget* parent = nullptr);

}  // namespace kelvane
