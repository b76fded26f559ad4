// The wireless LAN page (page code 21): the router's wireless name, channel,
// security and key, read from the router, checked, or skipped.
#pragma once

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspWLan : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4015;
  static constexpr std::uint32_t kPageCode = 21;

  explicit CPspWLan(QWidget* parent = nullptr);

  bool OnSetActive() override;
};

}  // namespace kelvane
