#include "pages/CPspSelectWan.h"

#include "wizard/UiText.h"

namespace kelvane {

CPspSelectWan::CPspSelectWan(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(30131));
  SetHeaderSubTitle(UiText(30132));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspSelectWan::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  return CPspEx::OnSetActive();
}

}  // namespace kelvane
