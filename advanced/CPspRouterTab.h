// The base of the router sheet's four pages: the result line, the busy rule
// of the sheet (refuse to close while a step runs, else close without a
// question), the first read 300 ms after a page is first shown, and
// RunWithLogin, which reaches and logs in to the router before every action.
#pragma once

#include <QBasicTimer>
#include <QPushButton>

#include <cstdint>
#include <functional>
#include <initializer_list>

#include "language/StringIds.h"
#include "steps/advanced/RouterAccess.h"
#include "steps/advanced/RouterMove.h"
#include "wizard/CPspEx.h"

namespace kelvane {

class CPspRouterTab : public CPspEx {
  Q_OBJECT

 public:
  // `tabCaptionId`: the tab's caption; `resultLineId`: the page's result line.
  CPspRouterTab(int templateId, std::uint32_t pageCode, StringId tabCaptionId, int resultLineId,
                QWidget* parent = nullptr);

  bool OnSetActive() override;

  // The page's read of the router (Refresh); run by the first read and by the
  // page's Refresh button. Pages override it and call ShowResult at the end.
  virtual void Refresh() {}
  bool FirstReadPending() const { return firstReadPending_; }
  // Waits (pumping events) until the first read of this visit has run; for
  // tests and for callers that need the page filled. False after `realMs`.
  bool WaitFirstRead(int realMs);

  // String 30298 (done) in black or 30299 (error) in red on the result line.
  // During the first read a success empties the line instead. Pages name a
  // failure where they know more (ShowReadFailure).
  void ShowResult(bool ok);
  // Any text on the result line, in a colour (black, red, blue).
  // A text longer than the line's place takes room above the line, up to
  // the lowest control over it (FitResultLine). A failure (red) that still
  // does not fit there leaves "Error!" on the line and is said whole in a
  // message box.
  void ShowResultText(StringId id, QColor colour);
  void ClearResult();

 // What the router will come up on at its next restart, whichever tab
  // restarts it (kept while the program runs, also when the sheet closes).
  static PendingRouterMove& PendingMove();
  // Counts restarts and factory resets: a tab whose last read is older reads
  // the router again when it is shown.
  static int RouterChanges() { return routerChanges_; }
  static void NoteRouterChanged() { ++routerChanges_; }

 protected:
  // Restarts the router through RestartRouterAndFollow (the PC follows a
  // pending move, else the restart waits for the router to answer again),
  // narrating on the result line. A renewal that failed says so and offers
  // to try again. Answers the report; the caller shows it.
  RouterRestartReport RestartRouterAndFollowIt();
  // Every tab's Restart: asks first (the restart cuts the connection), then
  // restarts through RunWithLogin with `progressId` and shows the outcome:
  // `doneId` in black once the router answers again; in red a router that
  // did not come back, a command refused or thrown away (`refusedId`) or a
  // move the PC did not follow (`failedId`; 0: what went wrong,
  // MoveFailureText). True when the router is back.
  bool RestartAfterAsking(StringId progressId, StringId doneId, StringId refusedId, StringId failedId);
  // The question box (Yes and No, No the default, Escape is No); true on Yes.
  bool AskFirst(StringId question);
  // Runs `action` once the PC has an address, the router answers and the
  // login works (asking for the login word when the stored one is refused):
  // disables the sheet, resets the field labels to black, shows `progressId`
  // on the result line, and answers the action's result. When the router
  // cannot be reached the result line says why and the action does not run
  // (false). The wait strip's text follows the progress line unless `waitId`
  // names one (one line may stand for different waits).
  bool RunWithLogin(StringId progressId, const std::function<bool()>& action, StringId waitId = 0);
  // What the result line says when the router cannot be reached; base: why
  // (AccessFailureText). The system page has result texts of its own.
  virtual void ShowAccessFailure(RouterAccessOutcome outcome);
  // A read that failed: the result line says why, by the read's last request
  // (LastReadFailure), in red.
  void ShowReadFailure();
  // A router that did not answer the login, or answered with an error: the
  // result line shows the failure, and a message says what happened and to
  // try again (the text is too long for the result line).
  void ShowRouterNotAnswering(RouterAccessOutcome outcome);
  // The labels RunWithLogin resets to black; pages list their field labels.
  virtual QList<int> FieldLabelIds() const { return {}; }
  // One of the page's action buttons: its text (wrapped when it is a
  // multi-line button), the Greek font, enabled, and its handler.
  template <class Page>
  void SetUpActionButton(int id, StringId text, void (Page::*handler)()) {
    auto* button = ControlAs<QPushButton>(id);
    if (button == nullptr) return;
    SetUpActionButtonLook(button, text);
    connect(button, &QPushButton::clicked, static_cast<Page*>(this), handler);
  }
  // The language rules the LAN, wireless and WAN pages share: Greek and
  // Slovenian get a taller result line, Dutch, French, Russian and Spanish
  // taller action buttons (their texts take two lines).
  void AdjustForLanguage(std::initializer_list<int> actionButtons);
  // A page without a read of its own (the system page) has no first read.
  void NoFirstRead() { firstReadPending_ = readsRouter_ = false; }

  void timerEvent(QTimerEvent* event) override;

 private:
  void SetUpActionButtonLook(QPushButton* button, StringId text);
  // Writes the result line; answers whether the text is whole on it.
  bool PutResultText(StringId id, QColor colour);
  // Gives the result line the height its text needs, growing upwards from
  // its place in the template (its bottom stays beside the action buttons)
  // into the free room above it; back to its place for a short text.
  // Answers whether the text fits.
  bool FitResultLine();

  std::uint32_t pageCode_;
  int resultLineId_;
  bool firstReadPending_ = true;
  bool readsRouter_ = true;
  int readAtChange_ = 0;  // RouterChanges() when the last first read ran
  bool inFirstRead_ = false;
  static int routerChanges_;
  QBasicTimer firstReadTimer_;
  QRect resultLineHome_;  // the result line as laid out, before any text grew it
  bool boxWhenCut_ = true;  // a failure cut on the line is said in a box
};

}  // namespace kelvane
