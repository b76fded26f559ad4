#include "pages/CPspWanSettings.h"

namespace kelvane {

CPspWanSettings::CPspWanSettings(int templateId, std::int32_t wanType, std::uint32_t pageCode, QWidget* parent)
    : CPspEx(templateId, parent), wanType_(wanType), pageCode_(pageCode) {
  SetPageCaption(QStringLiteral(""));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspWanSettings::OnSetActive() {
  BeginActivation(kStandardChrome, pageCode_);
  return CPspEx::OnSetActive();
}

}  // namespace kelvane
