// The WAN test page (page code 50): the Internet service tested hop by hop,
// from the PC outwards; a box lets the user skip the test.
#pragma once

#include "steps/easy/WanTestStep.h"
#include "wizard/CPspEx.h"

class QPushButton;

namespace kelvane {

class CPspTestWan : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4017;
  static constexpr std::uint32_t kPageCode = 50;
  static constexpr int kMessageId = 6040;
  static constexpr int kSkipBoxId = 6056;
  static constexpr int kPictureButtonId = 6129;
  static constexpr int kIgnoreId = 6044;
  static constexpr int kPictureId = 6041;
  static constexpr int kPictureResource = 4034;

  explicit CPspTestWan(QWidget* parent = nullptr);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardNext() override;

  WanTestOutcome LastOutcome() const { return lastOutcome_; }
  int TestsRun() const { return testsRun_; }

 private:
  bool RunTest();
  void OnIgnore();

  WanTestOutcome lastOutcome_ = WanTestOutcome::kPassed;
  QPushButton* saveReport_ = nullptr;  // shown after a failed test
  int testsRun_ = 0;
};

}  // namespace kelvane
