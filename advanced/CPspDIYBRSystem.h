// The router sheet's system page (page code 73): the router's own web page,
// restart, factory defaults and the login password.
#pragma once

#include "advanced/CPspRouterTab.h"

namespace kelvane {

class CPspDIYBRSystem : public CPspRouterTab {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4040;
  static constexpr std::uint32_t kPageCode = 73;
  static constexpr int kResultLine = 6141;

  explicit CPspDIYBRSystem(QWidget* parent = nullptr);
};

}  // namespace kelvane
