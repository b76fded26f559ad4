// The WAN detection page (page code 22): proposes a WAN type from what the
// router sees on its WAN port and the PC's dial-up accounts (WanDetectionStep).
// The first Next detects and shows the verdict; the next one follows it.
#pragma once

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspDetectWan : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4007;
  static constexpr std::uint32_t kPageCode = 22;
  static constexpr int kMessageId = 6008;
  static constexpr int kChooseBoxId = 6055;
  static constexpr int kPictureButtonId = 6127;
  static constexpr int kSelectManuallyId = 6009;
  static constexpr int kIgnoreId = 6010;
  static constexpr int kRetryId = 6011;
  static constexpr int kPictureId = 6007;

  explicit CPspDetectWan(QWidget* parent = nullptr);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardNext() override;

  bool DetectionDone() const { return detectionDone_; }

 private:
  bool detectionDone_ = false;
};

}  // namespace kelvane
