#include "pages/CPspDetectWan.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "language/StringIds.h"
#include "net/host/HostNetwork.h"
#include "pages/CPspConnectivity.h"
#include "pages/CPspSelectWan.h"
#include "pages/CPspWLan.h"
#include "steps/easy/WanDetectionStep.h"
#include "steps/kit/WanRouting.h"
#include "state/WizardState.h"
#include "wizard/CImageButton.h"
#include "wizard/PageKit.h"
#include "wizard/QtNarrator.h"
#include "wizard/Resources.h"
#include "wizard/UiText.h"

namespace kelvane {

CPspDetectWan::CPspDetectWan(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(kIdWanDetectTitle));
  SetHeaderSubTitle(UiText(kIdWanDetectSubtitle));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspDetectWan::OnInitDialog() {
  CPspEx::OnInitDialog();
  if (auto* picture = ControlAs<CImageButton>(kPictureButtonId)) {
    picture->SetBitmaps(kBitmapPcRouterInternet, QColor());
    picture->SetInert(true);
    picture->setAccessibleName(UiText(kIdWanDetectTitle));
  }
  // "Select Manually" and "Ignore" lead to the manual choice; "Retry" does
  // nothing. All three stay hidden.
  for (int id : {kSelectManuallyId, kIgnoreId}) {
    if (auto* button = ControlAs<QPushButton>(id)) {
      connect(button, &QPushButton::clicked, this, [this] { GoTo<CPspSelectWan>(); });
    }
  }
  return true;
}

bool CPspDetectWan::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  if (auto* message = qobject_cast<QLabel*>(Control(kMessageId))) message->setText(UiText(kIdWanDetectIntro));
  if (auto* box = ControlAs<QCheckBox>(kChooseBoxId)) {
    box->setText(UiText(kIdChooseWanMyself));
    box->setChecked(false);
    box->show();
  }
  if (QWidget* picture = Control(kPictureButtonId)) picture->show();
  for (int id : {kSelectManuallyId, kIgnoreId, kRetryId}) {
    if (QWidget* w = Control(id)) w->hide();
  }
  detectionDone_ = false;
  return CPspEx::OnSetActive();
}

int CPspDetectWan::OnWizardBack() {
  if (WizardState::Instance().wirelessPresent) return GoTo<CPspWLan>();
  return GoTo<CPspConnectivity>();
}

int CPspDetectWan::OnWizardNext() {
  auto* box = ControlAs<QCheckBox>(kChooseBoxId);
  if (box != nullptr && box->isChecked()) return GoTo<CPspSelectWan>();
  if (!detectionDone_) {
    if (QWidget* picture = Control(kPictureId)) picture->hide();
    if (box != nullptr) box->hide();
    repaint();
    QPointer<CPspDetectWan> self(this);
    WanDetectionOutcome outcome;
    {
      BusyScope busy(this, kIdWaitReadRouter);
      QtNarrator narrator(Control(kMessageId));
      WanDetectionStep step(WizardState::Instance(), ActiveHostNetwork(), narrator);
      outcome = step.Run();
    }
    if (self.isNull()) return -1;
    detectionDone_ = IsProposal(outcome);
    if (box != nullptr) box->show();
    repaint();
    return -1;
  }
  return GoTo(DetectionNextTemplate(WizardState::Instance().wanType));
}

}  // namespace kelvane
