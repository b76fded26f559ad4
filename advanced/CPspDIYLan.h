// The router sheet's LAN page (page code 70): the router's LAN address and
// domain name, stored and put into effect by a restart; after a restart to a
// new address the PC follows the router into its new network.
#pragma once

#include "advanced/CPspRouterTab.h"

namespace kelvane {

class CPspDIYLan : public CPspRouterTab {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4025;
  static constexpr std::uint32_t kPageCode = 70;
  static constexpr int kResultLine = 6103;
  static constexpr int kDescription = 6101;
  static constexpr int kAddressLabel = 6107;
  static constexpr int kAddressEdit = 6110;
  static constexpr int kMaskLabel = 6108;
  static constexpr int kMaskEdit = 6111;
  static constexpr int kDomainLabel = 6109;
  static constexpr int kDomainEdit = 6112;
  static constexpr int kRefreshButton = 6104;
  static constexpr int kStoreButton = 6102;
  static constexpr int kRebootButton = 6105;

  explicit CPspDIYLan(QWidget* parent = nullptr);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  void Refresh() override;
  void OnStore();
  void OnReboot();

 protected:
  QList<int> FieldLabelIds() const override { return {kAddressLabel, kDomainLabel}; }
};

}  // namespace kelvane
