// The second page (page code 10): two picture buttons, easy mode (the guided
// setup, starting at the connectivity check) and advanced mode (the advanced
// menu). Next stays disabled; the user moves on only through the buttons.
#pragma once

#include <QFont>

#include <memory>

#include "wizard/CPspEx.h"

namespace kelvane {

class CImageButton;

class CPspSetupType : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 8002;
  static constexpr std::uint32_t kPageCode = 10;
  static constexpr int kEasyButton = 2100;
  static constexpr int kAdvancedButton = 2101;
  static constexpr int kEasyDescription = 2102;
  static constexpr int kAdvancedDescription = 2103;
  // Templates of the pages the two buttons lead to.
  static constexpr int kConnectivityTemplate = 4006;
  static constexpr int kAdvancedMenuTemplate = 4021;

  explicit CPspSetupType(QWidget* parent = nullptr);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  bool OnQueryCancel() override;

  void OnEasyMode();
  void OnAdvancedMode();

 private:
  void SetUpButton(int id, int iconId, std::uint32_t textId);

  std::unique_ptr<QFont> greekFont_;
};

}  // namespace kelvane
