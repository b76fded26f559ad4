// The Internet connection test (dialog 4037), opened from the advanced
// menu's Internet picture: a coloured log of the WAN gateway, DNS server and
// public web site checks (ConnTestStep), run 300 ms after the dialog opens
// and again on every Refresh. Runs modally with no parent.
#pragma once

#include <QBasicTimer>
#include <QDialog>

#include "steps/advanced/ConnTestStep.h"

namespace kelvane {

class CHTRichEditCtrl;

class CDlgConnTest : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4037;
  static constexpr int kGroup = 6131;
  static constexpr int kRefresh = 6135;
  static constexpr int kLogId = 6136;  // the log made at run time
  static constexpr int kFirstTestDelayMs = 300;

  explicit CDlgConnTest(QWidget* parent = nullptr);
  ~CDlgConnTest() override;

  int DoModal() { return exec(); }
  QWidget* Control(int id) const;
  CHTRichEditCtrl* Log() const { return log_; }

  // Runs the test (also Refresh): empties the log, disables the dialog, and
  // writes each verdict as it comes.
  void RunTest();
  bool IsBusy() const { return busy_; }
  // Tests completed since the dialog opened, and the last one's report.
  int TestCount() const { return tests_; }
  const ConnTestReport& LastReport() const { return last_; }

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  CHTRichEditCtrl* log_ = nullptr;
  QBasicTimer firstTest_;
  bool firstShow_ = true;
  bool busy_ = false;
  int tests_ = 0;
  ConnTestReport last_;
};

}  // namespace kelvane
