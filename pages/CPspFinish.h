// The finish page (page code 60): the verdict, and the offer to open the
// router's own pages in the browser when the wizard closes.
#pragma once

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspFinish : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 8007;
  static constexpr std::uint32_t kPageCode = 60;
  static constexpr int kMessageId = 2600;
  static constexpr int kOpenRouterBoxId = 6001;
  static constexpr int kPictureButtonId = 6130;
  static constexpr int kPictureId = 6104;
  static constexpr int kPictureResource = 4034;

  explicit CPspFinish(QWidget* parent = nullptr);

  bool OnSetActive() override;
  bool OnWizardFinish() override;

  // The wireless network and its code, when the wireless part was set up.
  class CWifiCodePanel* WifiPanel() const { return wifi_; }

 private:
  class CWifiCodePanel* wifi_ = nullptr;
};

}  // namespace kelvane
