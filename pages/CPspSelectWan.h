// The WAN type selection page (page code 23): one picture button per WAN type.
#pragma once

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspSelectWan : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4008;
  static constexpr std::uint32_t kPageCode = 23;

  explicit CPspSelectWan(QWidget* parent = nullptr);

  bool OnSetActive() override;
};

}  // namespace kelvane
