#include "advanced/CPspAdvanced.h"

#include "wizard/UiText.h"

namespace kelvane {

CPspAdvanced::CPspAdvanced(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(30276));
  SetHeaderSubTitle(UiText(30277));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspAdvanced::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  return CPspEx::OnSetActive();
}

}  // namespace kelvane
