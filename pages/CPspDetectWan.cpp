#include "pages/CPspDetectWan.h"

#include "wizard/UiText.h"

namespace kelvane {

CPspDetectWan::CPspDetectWan(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(30106));
  SetHeaderSubTitle(UiText(30107));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspDetectWan::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  return CPspEx::OnSetActive();
}

}  // namespace kelvane
