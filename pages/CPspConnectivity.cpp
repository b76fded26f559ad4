#include "pages/CPspConnectivity.h"

#include <QLineEdit>
#include <QPointer>

#include "language/StringIds.h"
#include "net/host/HostNetwork.h"
#include "pages/CPspSetupType.h"
#include "steps/easy/ConnectivityStep.h"
#include "state/WizardState.h"
#include "wizard/CImageButton.h"
#include "wizard/CStaticText.h"
#include "wizard/LabelBuddy.h"
#include "wizard/PageKit.h"
#include "wizard/QtNarrator.h"
#include "wizard/Resources.h"
#include "wizard/UiText.h"

namespace kelvane {

CPspConnectivity::CPspConnectivity(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(kIdConnectivityTitle));
  SetHeaderSubTitle(UiText(kIdConnectivitySubtitle));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspConnectivity::OnInitDialog() {
  CPspEx::OnInitDialog();
  if (auto* picture = ControlAs<CImageButton>(kPictureButtonId)) {
    picture->SetBitmaps(kBitmapPcRouter, QColor());
    picture->SetInert(true);
    picture->setAccessibleName(UiText(kIdConnectivityTitle));
  }
  auto* label = qobject_cast<QLabel*>(Control(kLoginLabelId));
  if (label != nullptr) label->setText(UiText(kIdLoginPasswordLabel) + QStringLiteral(":"));
  PairLabel(label, Control(kLoginEditId));
  if (auto* edit = ControlAs<QLineEdit>(kLoginEditId)) {
    edit->setMaxLength(static_cast<int>(CredentialText::kMaxLength));
  }
  return true;
}

bool CPspConnectivity::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  if (auto* message = qobject_cast<QLabel*>(Control(kMessageId))) message->setText(UiText(kIdConnectivityChecklist));
  if (QWidget* picture = Control(kPictureButtonId)) picture->show();
  HideLoginPrompt();
  if (QWidget* submit = Control(kSubmitId)) submit->hide();
  loginPrompted_ = false;
  dhcpSwitchPending_ = false;
  return CPspEx::OnSetActive();
}

int CPspConnectivity::OnWizardBack() {
  // The advanced-mode page lies between the two in the sheet; pass over it.
  return GoTo<CPspSetupType>();
}

void CPspConnectivity::ShowLoginPrompt() {
  if (QWidget* label = Control(kLoginLabelId)) label->show();
  if (auto* edit = ControlAs<QLineEdit>(kLoginEditId)) {
    edit->clear();
    edit->show();
    edit->setFocus();
  }
  update();
}

void CPspConnectivity::HideLoginPrompt() {
  if (QWidget* label = Control(kLoginLabelId)) label->hide();
  if (QWidget* edit = Control(kLoginEditId)) edit->hide();
}

bool CPspConnectivity::RunConnectivityCheck() {
  loginPrompted_ = false;
  dhcpSwitchPending_ = false;
  QPointer<CPspConnectivity> self(this);
  ConnectivityOutcome outcome;
  {
    BusyScope busy(this, kIdWaitRouterConnection);
    QtNarrator narrator(Control(kMessageId));
    auto* edit = ControlAs<QLineEdit>(kLoginEditId);
    const std::string boxWord = edit != nullptr ? ToLocal8(edit->text()) : std::string();
    ConnectivityStep step(WizardState::Instance(), ActiveHostNetwork(), narrator);
    outcome = step.Run(boxWord);
  }
  if (self.isNull()) return false;
  if (outcome == ConnectivityOutcome::kLoginPrompt) {
    loginPrompted_ = true;
    ShowLoginPrompt();
  } else if (outcome == ConnectivityOutcome::kDhcpOffer) {
    dhcpSwitchPending_ = true;
  }
  return outcome == ConnectivityOutcome::kPassed;
}

int CPspConnectivity::OnWizardNext() {
  HideLoginPrompt();
  WizardState& state = WizardState::Instance();
  if (loginPrompted_) {
    if (auto* edit = ControlAs<QLineEdit>(kLoginEditId)) {
      const std::string word = ConnectivityStep::TakeTypedWord(ToLocal8(edit->text()), state);
      edit->setText(FromLocal8(word));
    }
  }
  if (dhcpSwitchPending_) {
    // The switch and the address wait take up to half a minute: the page is
    // busy meanwhile, so that no second Next or Cancel cuts into it.
    QPointer<CPspConnectivity> self(this);
    DhcpSwitchOutcome outcome;
    ConnectivityOutcome login = ConnectivityOutcome::kLoginPrompt;
    {
      BusyScope busy(this, kIdWaitPcAddress);
      QtNarrator narrator(Control(kMessageId));
      ConnectivityStep step(state, ActiveHostNetwork(), narrator);
      outcome = step.SwitchToDhcp();
      // The router was found before, so its search is not repeated; but
      // nothing has logged in to it yet (a form login, a changed word).
      if (outcome == DhcpSwitchOutcome::kSwitched) login = step.Login(std::string());
    }
    if (self.isNull() || outcome != DhcpSwitchOutcome::kSwitched) return -1;
    dhcpSwitchPending_ = false;
    if (login == ConnectivityOutcome::kPassed) return 0;
    // Otherwise the step said why; the next Next runs the whole check.
    if (login == ConnectivityOutcome::kLoginPrompt) {
      loginPrompted_ = true;
      ShowLoginPrompt();
    }
    return -1;
  }
  return RunConnectivityCheck() ? 0 : -1;
}

}  // namespace kelvane
