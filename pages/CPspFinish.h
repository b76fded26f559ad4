// The finish page (page code 60): the verdict, and the offer to open the
// router's own pages in the browser.
#pragma once

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspFinish : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 8007;
  static constexpr std::uint32_t kPageCode = 60;

  explicit CPspFinish(QWidget* parent = nullptr);

  bool OnSetActive() override;
};

}  // namespace kelvane
