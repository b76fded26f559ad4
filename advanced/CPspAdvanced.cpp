#include "advanced/CPspAdvanced.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPointer>
#include <QPushButton>
#include <QTimerEvent>

#include <cstdlib>

#include "advanced/AdvancedMenuExtras.h"
#include "advanced/CPshRouter.h"
#include "state/InternetTargets.h"
#include "state/WizardState.h"
#include "wizard/CDlgConnTest.h"
#include "wizard/CDlgIpInfo.h"
#include "wizard/CImageButton.h"
#include "wizard/CStaticText.h"
#include "wizard/PageKit.h"
#include "wizard/QtNarrator.h"
#include "wizard/Resources.h"
#include "wizard/SheetOps.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {

// Back and Cancel enabled, Next shown but disabled, Finish hidden, Help on.
constexpr ButtonChrome kMenuChrome{kBtnBack | kBtnNext | kBtnCancel, kBtnBack | kBtnCancel, true};

constexpr int kPictureIds[3] = {CPspAdvanced::kPcPicture, CPspAdvanced::kRouterPicture,
                                CPspAdvanced::kInternetPicture};
constexpr int kPictureBitmaps[3] = {kBitmapPc, kBitmapRouter, kBitmapInternet};
constexpr StringId kPictureCaptions[3] = {kIdPictureCaptionPc, kIdPictureCaptionRouter, kIdPictureCaptionInternet};

// The two lines between the pictures, in pixels at 96 pixels per inch.
struct LineSpan {
  int x1, x2, y;
};
constexpr LineSpan kLines[2] = {{80, 205, 90}, {275, 400, 90}};
constexpr int kLineWidth = 2;

QString Text(StringId id) { return id == 0 ? QString() : UiText(id); }

// A multi-line button: a caption wider than the button breaks at the blank
// nearest its middle.
QString WrapToButton(const QPushButton* button, const QString& text) {
  const QFontMetrics metrics(button->font());
  if (metrics.horizontalAdvance(text) <= button->width() - 8) return text;
  int best = -1;
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] == u' ' && (best < 0 || std::abs(i - text.size() / 2) < std::abs(best - text.size() / 2))) best = i;
  }
  if (best < 0) return text;
  QString wrapped = text;
  wrapped[best] = u'\n';
  return wrapped;
}

}  // namespace

CPspAdvanced::CPspAdvanced(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(kIdAdvancedMenuTitle));
  SetHeaderSubTitle(UiText(kIdAdvancedMenuSubtitle));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

CPspAdvanced::~CPspAdvanced() = default;

CImageButton* CPspAdvanced::Picture(int index) const { return ControlAs<CImageButton>(kPictureIds[index]); }

bool CPspAdvanced::OnInitDialog() {
  CPspEx::OnInitDialog();
  greekFont_ = MakeGreekFont(font());
  for (int i = 0; i < 3; ++i) {
    CImageButton* picture = Picture(i);
    if (picture == nullptr) continue;
    picture->SetBitmaps(kPictureBitmaps[i], QColor(255, 255, 255));
    picture->SetAlign(CImageButton::kAlignVert);
    picture->SetFlat(true);
    picture->SetColor(CImageButton::kColorFgIn, QColor(0, 0, 255));
    picture->SetBtnCursor(kCursorHand);
    picture->setText(UiText(kPictureCaptions[i]));
    picture->setAccessibleName(UiText(kPictureCaptions[i]));
    picture->SetTooltipText(QString());
    // A caption wider than the picture (Russian) widens it about its centre;
    // like the picture itself, it covers the ends of the status lines.
    const int needed = picture->fontMetrics().horizontalAdvance(picture->text()) + 8;
    if (needed > picture->width()) {
      const int grow = needed - picture->width();
      picture->setGeometry(picture->x() - grow / 2, picture->y(), needed, picture->height());
    }
  }
  connect(Picture(0), &QPushButton::clicked, this, &CPspAdvanced::OnPcPicture);
  connect(Picture(1), &QPushButton::clicked, this, &CPspAdvanced::OnRouterPicture);
  connect(Picture(2), &QPushButton::clicked, this, &CPspAdvanced::OnInternetPicture);
  if (auto* refresh = ControlAs<QPushButton>(kRefresh)) {
    if (greekFont_) refresh->setFont(*greekFont_);
    refresh->setText(WrapToButton(refresh, UiText(kIdRefreshState)));
    connect(refresh, &QPushButton::clicked, this, &CPspAdvanced::RefreshStatus);
    PlaceSaveReportButton(this, refresh);
  }
  return true;
}

bool CPspAdvanced::OnSetActive() {
  BeginActivation(kMenuChrome, kPageCode);
  if (auto* instruction = ControlAs<QLabel>(kInstruction)) instruction->setText(UiText(kIdAdvancedMenuInstruction));
  if (auto* summary = ControlAs<CStaticText>(kSummary)) summary->clear();
  // A new visit: the login of the last one no longer counts, and the page is
  // busy until its first check has run.
  step_.OnActivation();
  if (!activationBusy_) activationBusy_ = std::make_unique<BusyScope>(this, kIdWaitRouterConnection, kMenuChrome);
  firstCheck_.start(kFirstCheckDelayMs, this);
  setEnabled(false);
  return CPspEx::OnSetActive();
}

void CPspAdvanced::timerEvent(QTimerEvent* event) {
  if (event->timerId() != firstCheck_.timerId()) {
    CPspEx::timerEvent(event);
    return;
  }
  firstCheck_.stop();
  QPointer<CPspAdvanced> self(this);
  RefreshStatus();
  if (!self.isNull()) setEnabled(true);
}

void CPspAdvanced::ResetVerdicts() {
  if (CImageButton* pc = Picture(0)) pc->SetTooltipText(Text(kStatusResetPcTooltip));
  if (CImageButton* router = Picture(1)) router->SetTooltipText(Text(kStatusResetRouterTooltip));
  if (CImageButton* internet = Picture(2)) internet->SetTooltipText(Text(kStatusResetInternetTooltip));
  if (auto* summary = ControlAs<CStaticText>(kSummary)) summary->clear();
}

void CPspAdvanced::RefreshStatus() {
  // The first check takes over the busy state held since activation.
  std::unique_ptr<BusyScope> busy = std::move(activationBusy_);
  if (busy == nullptr) {
    if (IsBusy()) return;
    busy = std::make_unique<BusyScope>(this, kIdWaitRouterConnection, kMenuChrome);
  }
  QPointer<CPspAdvanced> self(this);
  pcOk_ = routerOk_ = internetOk_ = false;
  repaint();  // both lines in the busy colour
  auto* refresh = ControlAs<QPushButton>(kRefresh);
  setEnabled(false);
  if (refresh != nullptr) refresh->setEnabled(false);
  ResetVerdicts();
  repaint();

  QtNarrator narrator(ControlAs<CStaticText>(kSummary));
  const AdvancedStatusStep::AskLoginWord ask = [self](std::string& word) {
    return !self.isNull() && PromptLoginWord(true, word, self->window());
  };
  // The step runs on a copy: the waits inside it pump events, and the login
  // memory is written back only to a page that still exists.
  AdvancedStatusStep step = step_;
  const AdvancedStatusResult result = step.Run(WizardState::Instance(), ActiveHostNetwork(), narrator, ask,
                                               InternetTargets::Instance().publicDns);
  if (self.isNull()) return;
  step_ = step;
  KeepWanAddressForNote(result.outcome == AdvancedStatusOutcome::kPassed, result.wanAddress);

  pcOk_ = result.pcOk;
  routerOk_ = result.routerOk;
  internetOk_ = result.internetOk;
  const AdvancedStatusRow& row = result.Row();
  if (CImageButton* pc = Picture(0)) pc->SetTooltipText(Text(row.pcTooltip));
  if (CImageButton* router = Picture(1)) router->SetTooltipText(Text(row.routerTooltip));
  if (CImageButton* internet = Picture(2)) internet->SetTooltipText(Text(row.internetTooltip));
  // The hover cursor tells whether a picture opens anything: both need only
  // the router (the connection test matters most when the Internet fails).
  for (int i : {1, 2}) {
    CImageButton* picture = Picture(i);
    if (picture == nullptr) continue;
    const bool open = routerOk_;
    picture->SetBtnCursor(open ? kCursorHand : kCursorNoAction);
    if (!open) repaint();
  }
  ShowSummary(result);
  ++checks_;

  busy.reset();
  update();
  repaint();
  if (refresh != nullptr) refresh->setEnabled(true);
  setEnabled(true);
  if (refresh != nullptr) refresh->setFocus();
}

void CPspAdvanced::ShowSummary(const AdvancedStatusResult& result) {
  auto* summary = ControlAs<CStaticText>(kSummary);
  if (summary == nullptr) return;
  const AdvancedStatusRow& row = result.Row();
  const bool passed = result.outcome == AdvancedStatusOutcome::kPassed;
  QString text = Text(row.summary);
  if (row.summaryNamesPc) text = UiText(kIdPictureCaptionPc) + QStringLiteral(": ") + text;
  summary->SetTextColor(passed ? GoodSummaryColour() : BadSummaryColour());
  ShowInternetLine(summary, text, passed);
  summary->repaint();
}

QColor CPspAdvanced::LineColour(int line) const {
  if (IsBusy()) return BusyLineColour();
  const bool ok = line == 0 ? routerOk_ : internetOk_;
  return ok ? GoodLineColour() : BadLineColour();
}

void CPspAdvanced::paintEvent(QPaintEvent* event) {
  CPspEx::paintEvent(event);
  QPainter painter(this);
  // Logical pixels: Qt scales them for denser screens itself.
  for (int i = 0; i < 2; ++i) {
    QPen pen(LineColour(i), kLineWidth, Qt::SolidLine);
    painter.setPen(pen);
    painter.drawLine(kLines[i].x1, kLines[i].y, kLines[i].x2, kLines[i].y);
  }
}

void CPspAdvanced::OnPcPicture() {
  if (IsBusy()) return;
  QPointer<CPspAdvanced> self(this);
  {
    CDlgIpInfo dialog;
    dialog.DoModal();
  }
  if (!self.isNull()) update();
}

void CPspAdvanced::OnRouterPicture() {
  if (IsBusy() || !routerOk_) return;
  QPointer<QWidget> main(window());
  main->hide();
  {
    CPshRouter sheet;
    sheet.DoModal();
  }
  if (!main.isNull()) main->show();
  WizardState::Instance().currentPageCode = kPageCode;
}

void CPspAdvanced::OnInternetPicture() {
  // The hop-by-hop test matters most when the Internet fails: it needs only
  // the router.
  if (IsBusy() || !routerOk_) return;
  QPointer<CPspAdvanced> self(this);
  {
    CDlgConnTest dialog;
    dialog.DoModal();
  }
  if (!self.isNull()) update();
}

}  // namespace kelvane
