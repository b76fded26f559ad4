#include "pages/CPspTestWan.h"

#include "wizard/UiText.h"

namespace kelvane {

CPspTestWan::CPspTestWan(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(30236));
  SetHeaderSubTitle(UiText(30639));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspTestWan::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  return CPspEx::OnSetActive();
}

}  // namespace kelvane
