// The WAN test page (page code 50): the Internet service tested hop by hop.
#pragma once

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspTestWan : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4017;
  static constexpr std::uint32_t kPageCode = 50;

  explicit CPspTestWan(QWidget* parent = nullptr);

  bool OnSetActive() override;
};

}  // namespace kelvane
