// The advanced menu page (page code 11): the live picture of PC, router and
// Internet with a verdict per stage, and the doors to the diagnostic dialogs
// and the router sheet.
#pragma once

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspAdvanced : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4021;
  static constexpr std::uint32_t kPageCode = 11;

  explicit CPspAdvanced(QWidget* parent = nullptr);

  bool OnSetActive() override;
};

}  // namespace kelvane
