// The store settings page (page code 40): the summary of the chosen settings,
// then sending them, restarting the router and checking that it answers.
// Afterwards a box offers to skip the WAN test.
#pragma once

#include <QFont>

#include <memory>

#include "steps/easy/StoreStep.h"
#include "wizard/CPspEx.h"

namespace kelvane {

class CHTRichEditCtrl;

class CPspStore : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4016;
  static constexpr std::uint32_t kPageCode = 40;
  static constexpr int kMessageId = 6039;
  static constexpr int kSetAgainId = 6125;
  static constexpr int kSkipTestBoxId = 6053;
  static constexpr int kSummaryId = 10000;

  explicit CPspStore(QWidget* parent = nullptr);
  ~CPspStore() override;

  bool OnInitDialog() override;
  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardNext() override;

  bool SettingsStored() const { return settingsStored_; }
  CHTRichEditCtrl* Summary() const { return summary_; }
  // What the last storing run ended with.
  StoreOutcome LastOutcome() const { return lastOutcome_; }

 private:
  void FillSummary();
  void OnSetAgain();
  bool Store();

  CHTRichEditCtrl* summary_ = nullptr;
  std::unique_ptr<QFont> greekFont_;
  bool settingsStored_ = false;
  StoreOutcome lastOutcome_ = StoreOutcome::kStored;
};

}  // namespace kelvane
