#include "pages/CPspFinish.h"

#include "wizard/UiText.h"

namespace kelvane {

CPspFinish::CPspFinish(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspFinish::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  return CPspEx::OnSetActive();
}

}  // namespace kelvane
