#include "advanced/CPspRouterTab.h"

#include <QFontMetrics>
#include <QPointer>
#include <QTimerEvent>

#include <algorithm>

#include "net/Wait.h"
#include "state/WizardState.h"
#include "net/host/HostNetwork.h"
#include "wizard/CStaticText.h"
#include "wizard/MessageBox.h"
#include "wizard/QtNarrator.h"
#include "wizard/PageKit.h"
#include "wizard/SheetOps.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {
constexpr int kFirstReadDelayMs = 300;
const QColor kFailureColour(255, 0, 0);

// What the wait strip says while a tab's work runs, by the tab's own line.
StringId WaitTextFor(StringId progressId) {
  switch (progressId) {
    case kIdReadingRouterData: return kIdWaitReadRouter;
    case kIdSavingRouterData: return kIdWaitStoreRouter;
    default: return kIdWaitRouterRestart;  // a restart
  }
}

}  // namespace

int CPspRouterTab::routerChanges_ = 0;

PendingRouterMove& CPspRouterTab::PendingMove() {
  static PendingRouterMove move;
  return move;
}

CPspRouterTab::CPspRouterTab(int templateId, std::uint32_t pageCode, StringId tabCaptionId, int resultLineId,
                             QWidget* parent)
    : CPspEx(templateId, parent), pageCode_(pageCode), resultLineId_(resultLineId) {
  SetPageCaption(UiText(tabCaptionId));
  SetCancelPolicy(CancelPolicy::kAllowUnlessBusy);
}

void CPspRouterTab::SetUpActionButtonLook(QPushButton* button, StringId text) {
  if (auto greek = MakeGreekFont(font())) button->setFont(*greek);
  SetButtonText(button, UiText(text));
  button->setEnabled(true);
}

void CPspRouterTab::AdjustForLanguage(std::initializer_list<int> actionButtons) {
  constexpr std::uint32_t kSlovenian = 1060;
  const std::uint32_t language = WizardState::Instance().languageId;
  if (language == kLanguageGreek || language == kSlovenian) {
    QWidget* line = Control(resultLineId_);
    SetControlHeight(line, GetControlHeight(line) + 10);
  }
  const std::uint32_t tallButtonLanguages[] = {1036, 1043, 1049, 3082};  // French, Dutch, Russian, Spanish
  if (std::find(std::begin(tallButtonLanguages), std::end(tallButtonLanguages), language) !=
      std::end(tallButtonLanguages)) {
    for (int id : actionButtons) {
      QWidget* button = Control(id);
      SetControlHeight(button, GetControlHeight(button) + 10);
      if (auto* push = qobject_cast<QPushButton*>(button)) WrapButtonText(push);
    }
  }
}

bool CPspRouterTab::OnSetActive() {
  SheetOps* sheet = FindSheet();
  if (sheet != nullptr) sheet->HideHelpWindow();
  WizardState::Instance().currentPageCode = pageCode_;
  ClearResult();
  // A restart or a factory reset since this tab last read the router may have
  // changed what it shows (the LAN address after a reset): read it again, or
  // a store would send the old values back.
  if (readsRouter_ && readAtChange_ != routerChanges_) firstReadPending_ = true;
  // The first read waits until the page is on screen, so the user sees the
  // page before the router is asked anything.
  firstReadTimer_.start(kFirstReadDelayMs, this);
  return CPspEx::OnSetActive();
}

void CPspRouterTab::timerEvent(QTimerEvent* event) {
  if (event->timerId() != firstReadTimer_.timerId()) {
    CPspEx::timerEvent(event);
    return;
  }
  firstReadTimer_.stop();
  // A tab the user left again within the 300 ms keeps its first read for
  // when it is shown next: nothing is read for a page nobody sees.
  if (!firstReadPending_ || IsBusy() || !isVisible()) return;
  setEnabled(false);
  firstReadPending_ = false;
  readAtChange_ = routerChanges_;
  inFirstRead_ = true;
  Refresh();
  inFirstRead_ = false;
  setEnabled(true);
}

bool CPspRouterTab::WaitFirstRead(int realMs) {
  return WaitUntil(realMs, [this] { return !firstReadPending_ && !inFirstRead_ && !IsBusy(); });
}

void CPspRouterTab::ShowResultText(StringId id, QColor colour) {
  if (PutResultText(id, colour) || colour != kFailureColour || !boxWhenCut_) return;
  PutResultText(kIdError, colour);
  ShowMessage(UiText(kIdCancelPromptCaption), UiText(id), kMbIconInformation, window());
}

bool CPspRouterTab::PutResultText(StringId id, QColor colour) {
  auto* line = ControlAs<CStaticText>(resultLineId_);
  if (line == nullptr) return true;
  line->SetTextColor(colour);
  line->setText(id == 0 ? QString() : UiText(id));
  const bool whole = FitResultLine();
  line->repaint();
  return whole;
}

bool CPspRouterTab::FitResultLine() {
  auto* line = ControlAs<CStaticText>(resultLineId_);
  if (line == nullptr) return true;
  if (!resultLineHome_.isValid()) resultLineHome_ = line->geometry();
  const QRect home = resultLineHome_;
  const int needed = line->text().isEmpty()
                         ? 0
                         : QFontMetrics(line->DrawingFont())
                               .boundingRect(QRect(0, 0, home.width(), 100000), line->DrawFormat(), line->text())
                               .height();
  if (needed <= home.height()) {
    line->setGeometry(home);
    return true;
  }
  // The room above: up to the lowest shown control over the line's width.
  constexpr int kGapPx = 4;
  int top = 0;
  for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w == line || !w->isVisibleTo(this)) continue;
    const QRect r = w->geometry();
    if (r.right() < home.left() || r.left() > home.right() || r.bottom() >= home.top()) continue;
    top = std::max(top, r.bottom() + 1 + kGapPx);
  }
  const int grownTop = std::max(top, home.bottom() + 1 - needed);
  line->setGeometry(home.left(), grownTop, home.width(), home.bottom() + 1 - grownTop);
  return home.bottom() + 1 - grownTop >= needed;
}

void CPspRouterTab::ClearResult() { ShowResultText(0, QColor(0, 0, 0)); }

void CPspRouterTab::ShowResult(bool ok) {
  if (ok && inFirstRead_) {
    ClearResult();
  } else {
    ShowResultText(ok ? kIdDone : kIdError, ok ? QColor(0, 0, 0) : QColor(255, 0, 0));
  }
}

RouterRestartReport CPspRouterTab::RestartRouterAndFollowIt() {
  WizardState& state = WizardState::Instance();
  QtNarrator narrator(Control(resultLineId_));
  RouterRestartReport report = RestartRouterAndFollow(state, ActiveHostNetwork(), narrator, PendingMove());
  if (report.restarted) NoteRouterChanged();
  QPointer<CPspRouterTab> self(this);
  // The router is in its new network but the PC has no address there: say
  // so, and let the user try again (a cable, a slow router) instead of
  // leaving them cut off behind a "done".
  while (report.moveTried && !report.move.renewed) {
    const int answer = ShowMessageEx(UiText(kIdCancelPromptCaption), UiText(kIdAdvRenewFailedTryAgain),
                                     kMbIconInformation | kMbYesNo, UiText(kIdYesButton), UiText(kIdNoButton),
                                     QString(), window());
    if (self.isNull() || answer != kAnswerYes) break;
    report.move = FollowRouterToNewNetwork(state, ActiveHostNetwork(), narrator, PendingMove().IsFactoryReset());
    if (report.move.Followed()) PendingMove() = {};
  }
  return report;
}

bool CPspRouterTab::AskFirst(StringId question) {
  // Yes or No is the whole question: a Cancel beside No would mean the same.
  const int answer = ShowMessageEx(UiText(kIdCancelPromptCaption), UiText(question),
                                   kMbIconInformation | kMbYesNo | kMbDefButton2, UiText(kIdYesButton),
                                   UiText(kIdNoButton), QString(), window());
  return answer == kAnswerYes;
}

bool CPspRouterTab::RestartAfterAsking(StringId progressId, StringId doneId, StringId refusedId, StringId failedId) {
  for (int id : FieldLabelIds()) MarkField(Control(id), true);
  ClearResult();
  if (!AskFirst(kIdAdvSystemConfirmRestart)) return false;
  bool back = false;
  RunWithLogin(progressId, [&] {
    const RouterRestartReport report = RestartRouterAndFollowIt();
    back = report.Ok();
    if (back) {
      ShowResultText(doneId, QColor(0, 0, 0));
    } else if (report.NotBack()) {
      ShowResultText(kIdRouterNotBackAfterRestart, QColor(255, 0, 0));
    } else if (!report.restarted || report.Ignored()) {
      ShowResultText(refusedId, QColor(255, 0, 0));
    } else {
      ShowResultText(failedId != 0 ? failedId : MoveFailureText(report.move), QColor(255, 0, 0));
    }
    return back;
  });
  return back;
}

bool CPspRouterTab::RunWithLogin(StringId progressId, const std::function<bool()>& action, StringId waitId) {
  BusyScope busy(this, waitId != 0 ? waitId : WaitTextFor(progressId));
  for (int id : FieldLabelIds()) MarkField(Control(id), true);
  ShowResultText(progressId, QColor(0, 0, 0));
  WizardState& state = WizardState::Instance();
  RouterAccessOutcome outcome = ReachRouter(state, ActiveHostNetwork());
  // Only a real refusal asks for the word: a silent or failing router would
  // be blamed on a password that is right.
  if (outcome == RouterAccessOutcome::kLoginRefused) {
    QPointer<CPspRouterTab> self(this);
    std::string word;
    const bool typed = PromptLoginWord(false, word, window());
    if (self.isNull()) return false;
    if (typed) outcome = RetryLoginWithWord(word, state) ? RouterAccessOutcome::kReady : FailedLoginOutcome();
  }
  if (outcome == RouterAccessOutcome::kRouterSilent || outcome == RouterAccessOutcome::kRouterError) {
    ShowRouterNotAnswering(outcome);
    return false;
  }
  if (outcome != RouterAccessOutcome::kReady) {
    ShowAccessFailure(outcome);
    return false;
  }
  return action();
}

void CPspRouterTab::ShowAccessFailure(RouterAccessOutcome outcome) {
  ShowResultText(AccessFailureText(outcome), QColor(255, 0, 0));
}

void CPspRouterTab::ShowReadFailure() {
  ShowResultText(MessageFor<RouterReadFailure>(kReadFailureMessages, LastReadFailure()), QColor(255, 0, 0));
}

void CPspRouterTab::ShowRouterNotAnswering(RouterAccessOutcome outcome) {
  // The message below says it whole: the line asks for no box of its own.
  boxWhenCut_ = false;
  ShowAccessFailure(outcome);
  boxWhenCut_ = true;
  const StringId text =
      outcome == RouterAccessOutcome::kRouterSilent ? kIdRouterDidNotAnswer : kIdRouterReportedError;
  ShowMessage(UiText(kIdCancelPromptCaption), UiText(text), kMbIconInformation, window());
}

}  // namespace kelvane
