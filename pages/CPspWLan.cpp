#include "pages/CPspWLan.h"

#include "wizard/UiText.h"

namespace kelvane {

CPspWLan::CPspWLan(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(30081));
  SetHeaderSubTitle(UiText(30082));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspWLan::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  return CPspEx::OnSetActive();
}

}  // namespace kelvane
