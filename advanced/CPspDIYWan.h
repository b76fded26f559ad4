// The router sheet's WAN page (page code 72): the WAN type the router runs with
// every field, changed and stored, and the WAN MAC address.
#pragma once

#include "advanced/CPspRouterTab.h"

namespace kelvane {

class CPspDIYWan : public CPspRouterTab {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4024;
  static constexpr std::uint32_t kPageCode = 72;
  static constexpr int kResultLine = 6119;

  explicit CPspDIYWan(QWidget* parent = nullptr);
};

}  // namespace kelvane
