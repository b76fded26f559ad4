#include "pages/CPspTestWan.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include "net/host/HostNetwork.h"
#include "pages/CPspDetectWan.h"
#include "pages/CPspFinish.h"
#include "state/InternetTargets.h"
#include "state/WizardState.h"
#include "wizard/CImageButton.h"
#include "wizard/PageKit.h"
#include "wizard/QtNarrator.h"
#include "wizard/ReportSaver.h"
#include "wizard/UiText.h"

namespace kelvane {

CPspTestWan::CPspTestWan(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(kIdWanTestTitle));
  SetHeaderSubTitle(UiText(kIdWanTestSubtitle));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspTestWan::OnInitDialog() {
  CPspEx::OnInitDialog();
  if (auto* ignore = qobject_cast<QPushButton*>(Control(kIgnoreId))) {
    connect(ignore, &QPushButton::clicked, this, &CPspTestWan::OnIgnore);
  }
  if (auto* picture = ControlAs<CImageButton>(kPictureButtonId)) {
    picture->setAccessibleName(UiText(kIdWanTestTitle));
  }
  // After a failure the user can save what the test saw for whoever helps them.
  saveReport_ = MakeSaveReportButton(this);
  if (QWidget* ignore = Control(kIgnoreId)) {
    // Right-aligned with the hidden Ignore button, one row above the skip box.
    const int w = std::max(ignore->width(), saveReport_->sizeHint().width());
    const int h = std::max(ignore->height(), saveReport_->sizeHint().height());
    saveReport_->setGeometry(ignore->geometry().right() + 1 - w, ignore->y() - h - 4, w, h);
  }
  saveReport_->hide();
  return true;
}

bool CPspTestWan::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  if (auto* message = qobject_cast<QLabel*>(Control(kMessageId))) message->setText(UiText(kIdWanTestIntro));
  if (auto* box = qobject_cast<QCheckBox*>(Control(kSkipBoxId))) {
    box->setText(UiText(kIdCancelWanTest));
    box->show();
  }
  if (auto* picture = ControlAs<CImageButton>(kPictureButtonId)) {
    picture->SetBitmaps(kPictureResource, QColor(255, 255, 255), 0, QColor(), false);
    picture->SetFlat(true, false);
    picture->SetDrawBorder(false, false);
    picture->SetInert(true, true);
    picture->show();
  }
  if (QWidget* ignore = Control(kIgnoreId)) ignore->hide();
  if (saveReport_ != nullptr) saveReport_->hide();
  return CPspEx::OnSetActive();
}

int CPspTestWan::OnWizardBack() { return GoTo<CPspDetectWan>(); }

void CPspTestWan::OnIgnore() {
  if (IsBusy()) return;
  WizardState::Instance().wanTestSkipped = true;
  GoTo<CPspFinish>();
}

bool CPspTestWan::RunTest() {
  QPointer<CPspTestWan> self(this);
  BusyScope busy(this, kIdWaitInternetTest);
  QtNarrator narrator(Control(kMessageId));
  WanTestStep step;
  const WanTestOutcome outcome =
      step.Run(WizardState::Instance(), ActiveHostNetwork(), narrator, InternetTargets::Instance());
  if (!self.isNull()) {
    lastOutcome_ = outcome;
    ++testsRun_;
  }
  return outcome == WanTestOutcome::kPassed;
}

int CPspTestWan::OnWizardNext() {
  if (IsBusy()) return -1;
  WizardState& state = WizardState::Instance();
  auto* box = qobject_cast<QCheckBox*>(Control(kSkipBoxId));
  if (box != nullptr && box->isChecked()) {
    state.wanTestSkipped = true;
    return GoTo<CPspFinish>();
  }
  state.wanTestSkipped = false;
  if (box != nullptr) box->hide();
  if (saveReport_ != nullptr) saveReport_->hide();
  QPointer<CPspTestWan> self(this);
  const bool passed = RunTest();
  if (self.isNull()) return -1;
  if (box != nullptr) box->show();
  if (passed) return GoTo<CPspFinish>();
  if (saveReport_ != nullptr) saveReport_->show();
  return -1;
}

}  // namespace kelvane
