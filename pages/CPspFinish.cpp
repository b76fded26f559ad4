#include "pages/CPspFinish.h"

#include <QCheckBox>
#include <QLabel>

#include "language/StringIds.h"
#include "pages/FinishExtras.h"
#include "state/WizardState.h"
#include "steps/easy/WirelessLoadStep.h"
#include "wizard/CImageButton.h"
#include "wizard/MessageBox.h"
#include "wizard/OpenUrl.h"
#include "wizard/PageKit.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {
// Only Finish: no Back, Next or Cancel, and no Help.
constexpr ButtonChrome kFinishChrome{kBtnFinish, kBtnFinish, false};
}  // namespace

CPspFinish::CPspFinish(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(kIdFinishTitle));
  SetHeaderSubTitle(UiText(kIdFinishSubtitle));
  SetCancelPolicy(CancelPolicy::kAlwaysAllow);
}

bool CPspFinish::OnSetActive() {
  BeginActivation(kFinishChrome, kPageCode);
  const WizardState& state = WizardState::Instance();
  if (auto* message = qobject_cast<QLabel*>(Control(kMessageId))) {
    message->setText(FinishMessage(state.wanTestSkipped));
  }
  if (auto* picture = ControlAs<CImageButton>(kPictureButtonId)) {
    picture->SetBitmaps(kPictureResource, QColor(255, 255, 255), 0, QColor(), false);
    picture->SetFlat(true, false);
    picture->SetDrawBorder(false, false);
    picture->SetTransparent(true, false);
    picture->SetPressedStyle(9, false);
    picture->SetInert(true, true);
    picture->setFocusPolicy(Qt::NoFocus);
    picture->show();
  }
  if (auto* box = qobject_cast<QCheckBox*>(Control(kOpenRouterBoxId))) {
    SetCheckBoxText(box, UiText(kIdOpenBrowserOption));
    box->show();
    box->setChecked(true);
  }
  // The code needs the key: none where the router kept a pass phrase its pages do not show.
  const bool knownNetwork =
      state.wirelessPresent && state.configureWireless != 0 && !KeepsRoutersKey(state.WirelessSettings);
  wifi_ = LayOutFinishWireless(this, wifi_, knownNetwork);
  return CPspEx::OnSetActive();
}

bool CPspFinish::OnWizardFinish() {
  const WizardState& state = WizardState::Instance();
  auto* box = qobject_cast<QCheckBox*>(Control(kOpenRouterBoxId));
  if (box != nullptr && box->isChecked() && !state.routerAddress.empty()) {
    // Router texts are in the system's encoding, UTF-8 here.
    const QString url = QStringLiteral("http://%1").arg(
        QString::fromUtf8(state.routerAddress.view().data(), static_cast<qsizetype>(state.routerAddress.view().size())));
    // No browser to hand it to: the user is told the address to type into
    // one, then the wizard ends as it would have.
    if (!OpenUrl(url)) {
      ShowMessage(UiText(kIdProductTitle), UiText(kIdBrowserNotOpened).replace(QStringLiteral("%s"), url),
                  kMbIconInformation, this);
    }
  }
  return true;
}

}  // namespace kelvane
