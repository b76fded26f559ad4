#include "pages/CPspStore.h"

#include "wizard/UiText.h"

namespace kelvane {

CPspStore::CPspStore(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(30216));
  SetHeaderSubTitle(UiText(30637));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspStore::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  return CPspEx::OnSetActive();
}

}  // namespace kelvane
