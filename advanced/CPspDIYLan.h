// The router sheet's LAN page (page code 70): the router's LAN address and
// domain name, stored and put into effect by a restart that moves the PC along.
#pragma once

#include "advanced/CPspRouterTab.h"

namespace kelvane {

class CPspDIYLan : public CPspRouterTab {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4025;
  static constexpr std::uint32_t kPageCode = 70;
  static constexpr int kResultLine = 6103;

  explicit CPspDIYLan(QWidget* parent = nullptr);
};

}  // namespace kelvane
