// The PC's own network settings (dialog 4023), opened from the advanced
// menu's PC picture: how the address was set, the address, mask, gateway and
// two DNS servers in read-only fields, Refresh, and Renew for an address
// taken by DHCP. Runs modally with no parent; nothing survives the run.
#pragma once

#include <QDialog>

namespace kelvane {

class CDlgIpInfo : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4023;
  static constexpr int kGroup = 6067;
  static constexpr int kModeText = 6106;
  static constexpr int kRefresh = 6105;
  static constexpr int kRenew = 6082;
  // The five fields, in order: address, mask, gateway, DNS 1, DNS 2.
  static constexpr int kFields[5] = {6075, 6076, 6077, 6078, 6079};
  static constexpr int kLabels[5] = {6068, 6069, 6070, 6071, 6072};
  // Kept hidden: the mode choice and the Set and Release buttons.
  static constexpr int kHidden[4] = {6073, 6074, 6080, 6081};
  static constexpr int kFillPauseMs = 300;

  explicit CDlgIpInfo(QWidget* parent = nullptr);
  ~CDlgIpInfo() override;

  int DoModal() { return exec(); }
  QWidget* Control(int id) const;

  // Reads the PC's settings into the fields (also Refresh): the dialog is
  // disabled and the fields empty while it reads. When nothing can be read
  // the fields stay empty and the mode text keeps what it showed.
  void Fill();
  // Renews the PC's leases, then fills again.
  void OnRenew();
  // A read or renewal is running; closing is refused meanwhile.
  bool IsBusy() const { return busy_; }
  // Fills completed since the dialog opened.
  int FillCount() const { return fills_; }

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void EmptyFields();
  void FitModeText();

  bool busy_ = false;
  bool firstShow_ = true;
  int fills_ = 0;
};

}  // namespace kelvane
