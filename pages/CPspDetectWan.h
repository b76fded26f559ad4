// The WAN detection page (page code 22): proposes a WAN type from what the
// router sees on its WAN port and the PC's dial-up accounts.
#pragma once

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspDetectWan : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4007;
  static constexpr std::uint32_t kPageCode = 22;

  explicit CPspDetectWan(QWidget* parent = nullptr);

  bool OnSetActive() override;
};

}  // namespace kelvane
