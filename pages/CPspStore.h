// The store settings page (page code 40): the summary of the chosen settings,
// then sending them, restarting the router and checking that it answers.
#pragma once

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspStore : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4016;
  static constexpr std::uint32_t kPageCode = 40;

  explicit CPspStore(QWidget* parent = nullptr);

  bool OnSetActive() override;
};

}  // namespace kelvane
