// The WAN type selection page (page code 23): one picture button per WAN
// type, each leading to its settings page. Next stays disabled; the Telia
// button exists but is never shown.
#pragma once

#include <memory>

#include <QFont>

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspSelectWan : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4008;
  static constexpr std::uint32_t kPageCode = 23;
  static constexpr int kMessageId = 6052;
  static constexpr int kDynamicButtonId = 6010;
  static constexpr int kTeliaButtonId = 6016;

  explicit CPspSelectWan(QWidget* parent = nullptr);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardNext() override { return -1; }

 private:
  std::unique_ptr<QFont> greekFont_;
};

}  // namespace kelvane
