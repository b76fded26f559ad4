#include "pages/CPspConnectivity.h"

#include "wizard/UiText.h"

namespace kelvane {

CPspConnectivity::CPspConnectivity(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(30056));
  SetHeaderSubTitle(UiText(30057));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspConnectivity::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  return CPspEx::OnSetActive();
}

}  // namespace kelvane
