// The connectivity check page (page code 20): the PC's address, the router
// search, the login (asking for the login word when the default fails) and
// the offer to switch a PC outside the router's network to DHCP. The check
// itself is ConnectivityStep; this page turns its outcomes into widgets.
#pragma once

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspConnectivity : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4006;
  static constexpr std::uint32_t kPageCode = 20;
  static constexpr int kMessageId = 6006;
  static constexpr int kPictureButtonId = 6126;
  static constexpr int kLoginLabelId = 6049;
  static constexpr int kLoginEditId = 6050;
  static constexpr int kSubmitId = 6051;
  static constexpr int kPictureId = 6005;

  explicit CPspConnectivity(QWidget* parent = nullptr);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardNext() override;

  bool LoginPrompted() const { return loginPrompted_; }
  bool DhcpSwitchPending() const { return dhcpSwitchPending_; }

 private:
  // The whole check; true when the wizard may move on.
  bool RunConnectivityCheck();
  void ShowLoginPrompt();
  void HideLoginPrompt();

  bool loginPrompted_ = false;
  bool dhcpSwitchPending_ = false;
};

}  // namespace kelvane
