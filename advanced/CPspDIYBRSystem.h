// The router sheet's system page (page code 73): the router's own web page,
// restart, factory defaults and the login password. It reads nothing from the
// router; every action but the web page asks first.
#pragma once

#include <memory>

#include "advanced/CPspRouterTab.h"

class QFont;

namespace kelvane {

class CPspDIYBRSystem : public CPspRouterTab {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4040;
  static constexpr std::uint32_t kPageCode = 73;
  static constexpr int kResultLine = 6141;
  static constexpr int kDescription = 6140;
  static constexpr int kOpenWebButton = 6149;
  static constexpr int kRestartButton = 6137;
  static constexpr int kRestoreButton = 6138;
  static constexpr int kPasswordGroup = 6142;
  static constexpr int kCurrentLabel = 6143;
  static constexpr int kNewLabel = 6144;
  static constexpr int kConfirmLabel = 6145;
  static constexpr int kCurrentEdit = 6146;
  static constexpr int kNewEdit = 6147;
  static constexpr int kConfirmEdit = 6148;
  static constexpr int kChangeButton = 6139;

  explicit CPspDIYBRSystem(QWidget* parent = nullptr);
  ~CPspDIYBRSystem() override;

  bool OnInitDialog() override;
  bool OnSetActive() override;

  void OnOpenWebPage();
  void OnRestart();
  void OnRestoreDefaults();
  void OnChangePassword();

  // A factory reset was accepted on this visit; the next restart then moves
  // the PC back to the router's factory network.
  // A factory reset (or a new LAN address) waits for the next restart.
  bool ResetPending() const { return PendingMove().pending; }

 protected:
  QList<int> FieldLabelIds() const override { return {kCurrentLabel, kNewLabel, kConfirmLabel}; }
  void ShowAccessFailure(RouterAccessOutcome outcome) override;

 private:
  std::unique_ptr<QFont> greekFont_;
};

}  // namespace kelvane
