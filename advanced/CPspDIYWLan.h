// The router sheet's wireless page (page code 71): the router's wireless name,
// channel, security, cipher and key, read, changed and stored.
#pragma once

#include "advanced/CPspRouterTab.h"

namespace kelvane {

class CPspDIYWLan : public CPspRouterTab {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4026;
  static constexpr std::uint32_t kPageCode = 71;
  static constexpr int kResultLine = 6100;

  explicit CPspDIYWLan(QWidget* parent = nullptr);
};

}  // namespace kelvane
