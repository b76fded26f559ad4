// The advanced menu page (page code 11): the live picture of PC, router and
// Internet with a verdict per stage, and the doors to the diagnostic dialogs
// and the router sheet.
//
// About 300 ms after the page becomes active, and on every Refresh, the
// status check (AdvancedStatusStep) runs: both lines turn to the busy colour,
// then each turns green or red, each picture's tooltip tells its stage's
// verdict and the summary line the overall one. The PC picture always opens
// the PC's settings; the router picture opens the router sheet only after a
// login, and the Internet picture the connection test only when the Internet
// service works.
#pragma once

#include <QBasicTimer>
#include <QFont>

#include <memory>

#include "steps/advanced/AdvancedStatusStep.h"
#include "wizard/CPspEx.h"

namespace kelvane {

class BusyScope;
class CImageButton;

class CPspAdvanced : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4021;
  static constexpr std::uint32_t kPageCode = 11;
  static constexpr int kInstruction = 6057;
  static constexpr int kPcPicture = 6058;
  static constexpr int kRouterPicture = 6059;
  static constexpr int kInternetPicture = 6060;
  static constexpr int kRefresh = 6061;
  static constexpr int kSummary = 6062;
  static constexpr int kFirstCheckDelayMs = 300;

  // Colours of the two status lines and the summary.
  static QColor BusyLineColour() { return QColor(0, 50, 50); }
  static QColor GoodLineColour() { return QColor(0, 200, 0); }
  static QColor BadLineColour() { return QColor(255, 0, 0); }
  static QColor GoodSummaryColour() { return QColor(0, 200, 0); }
  static QColor BadSummaryColour() { return QColor(230, 0, 0); }

  explicit CPspAdvanced(QWidget* parent = nullptr);
  ~CPspAdvanced() override;

  bool OnInitDialog() override;
  bool OnSetActive() override;
  // Next never leaves the menu.
  int OnWizardNext() override { return -1; }

  // The status check (Refresh, and the first check after activation).
  void RefreshStatus();
  void OnPcPicture();
  void OnRouterPicture();
  void OnInternetPicture();

  // What the last check found, for the pictures and for tests.
  bool PcOk() const { return pcOk_; }
  bool RouterOk() const { return routerOk_; }
  bool InternetOk() const { return internetOk_; }
  // Checks completed since the page was built.
  int CheckCount() const { return checks_; }
  // The colours the two lines are painted in now.
  QColor LineColour(int line) const;
  const AdvancedStatusStep& Step() const { return step_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  CImageButton* Picture(int index) const;
  void ShowSummary(const AdvancedStatusResult& result);
  void ResetVerdicts();

  AdvancedStatusStep step_;
  bool pcOk_ = false;
  bool routerOk_ = false;
  bool internetOk_ = false;
  int checks_ = 0;
  QBasicTimer firstCheck_;
  // Held from activation until the end of the first check: the page counts
  // as busy while it waits for it.
  std::unique_ptr<BusyScope> activationBusy_;
  std::unique_ptr<QFont> greekFont_;
};

}  // namespace kelvane
