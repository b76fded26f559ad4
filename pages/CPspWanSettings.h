// The seven WAN settings pages (page codes 30 to 36) are one class driven by
// the WAN form table (steps/kit/WanForms.h); each type keeps its own thin
// class, so the sheet holds seven distinct pages with their own templates.
// On every activation a page reloads its fields from the settings record and
// reads the router's connection-control choice; Next stores and checks every
// field and marks every wrong label at once.
#pragma once

#include <cstdint>
#include <memory>

#include <QFont>

#include "steps/kit/WanForms.h"
#include "wizard/CPspEx.h"

namespace kelvane {

class CPspWanSettings : public CPspEx {
  Q_OBJECT

 public:
  CPspWanSettings(int templateId, std::int32_t wanType, std::uint32_t pageCode, QWidget* parent = nullptr);

  std::int32_t WanType() const { return wanType_; }
  const WanForm& Form() const { return *form_; }

  bool OnInitDialog() override;
  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardNext() override;

 private:
  void OnAddressModeChanged(int index);

  std::int32_t wanType_;
  std::uint32_t pageCode_;
  const WanForm* form_;
  std::unique_ptr<QFont> greekFont_;
};

class CPspDynamicWan : public CPspWanSettings {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4009;
  static constexpr std::uint32_t kPageCode = 30;
  static constexpr std::int32_t kWanType = 1;
  explicit CPspDynamicWan(QWidget* parent = nullptr) : CPspWanSettings(kTemplateId, kWanType, kPageCode, parent) {}
};

class CPspStaticWan : public CPspWanSettings {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4010;
  static constexpr std::uint32_t kPageCode = 31;
  static constexpr std::int32_t kWanType = 2;
  explicit CPspStaticWan(QWidget* parent = nullptr) : CPspWanSettings(kTemplateId, kWanType, kPageCode, parent) {}
};

class CPspPPPoEWan : public CPspWanSettings {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4011;
  static constexpr std::uint32_t kPageCode = 32;
  static constexpr std::int32_t kWanType = 3;
  explicit CPspPPPoEWan(QWidget* parent = nullptr) : CPspWanSettings(kTemplateId, kWanType, kPageCode, parent) {}
};

class CPspPPTPWan : public CPspWanSettings {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4012;
  static constexpr std::uint32_t kPageCode = 33;
  static constexpr std::int32_t kWanType = 4;
  explicit CPspPPTPWan(QWidget* parent = nullptr) : CPspWanSettings(kTemplateId, kWanType, kPageCode, parent) {}
};

class CPspL2TPWan : public CPspWanSettings {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4014;
  static constexpr std::uint32_t kPageCode = 34;
  static constexpr std::int32_t kWanType = 5;
  explicit CPspL2TPWan(QWidget* parent = nullptr) : CPspWanSettings(kTemplateId, kWanType, kPageCode, parent) {}
};

class CPspBigPondWan : public CPspWanSettings {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4046;
  static constexpr std::uint32_t kPageCode = 35;
  static constexpr std::int32_t kWanType = 6;
  explicit CPspBigPondWan(QWidget* parent = nullptr) : CPspWanSettings(kTemplateId, kWanType, kPageCode, parent) {}
};

class CPspTeliaWan : public CPspWanSettings {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4047;
  static constexpr std::uint32_t kPageCode = 36;
  static constexpr std::int32_t kWanType = 7;
  explicit CPspTeliaWan(QWidget* parent = nullptr) : CPspWanSettings(kTemplateId, kWanType, kPageCode, parent) {}
};

}  // namespace kelvane
