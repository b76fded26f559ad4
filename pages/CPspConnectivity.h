// The connectivity check page (page code 20): the PC's address, the router
// search, the login (asking for the login word when the default fails) and
// the offer to switch a PC outside the router's network to DHCP.
#pragma once

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspConnectivity : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4006;
  static constexpr std::uint32_t kPageCode = 20;

  explicit CPspConnectivity(QWidget* parent = nullptr);

  bool OnSetActive() override;
};

}  // namespace kelvane
