// The router sheet's wireless page (page code 71): the router's wireless
// name, channel, security and key as the router reports them, changed,
// stored and put into effect by a restart. A security left as the router
// holds it is not sent again, so the router keeps its own cipher.
#pragma once

#include "advanced/CPspRouterTab.h"
#include "steps/advanced/AdvancedWirelessStep.h"

class QComboBox;

namespace kelvane {

class CPspDIYWLan : public CPspRouterTab {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4026;
  static constexpr std::uint32_t kPageCode = 71;
  static constexpr int kResultLine = 6100;
  static constexpr int kDescription = 6090;
  static constexpr int kSsidLabel = 6091;
  static constexpr int kSsidEdit = 6095;
  static constexpr int kChannelLabel = 6092;
  static constexpr int kChannelList = 6096;
  static constexpr int kSecurityLabel = 6093;
  static constexpr int kSecurityList = 6097;
  static constexpr int kKeyLabel = 6094;
  static constexpr int kKeyEdit = 6098;
  static constexpr int kRefreshButton = 6120;
  static constexpr int kStoreButton = 6099;
  static constexpr int kRebootButton = 6121;

  explicit CPspDIYWLan(QWidget* parent = nullptr);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  void Refresh() override;
  void OnStore();
  void OnReboot();
  // The security list's selection changed (also run on activation and after a read).
  void OnSecurityChanged();

 protected:
  QList<int> FieldLabelIds() const override { return {kSsidLabel, kSecurityLabel, kKeyLabel}; }

 private:
  void ShowUnreadable();
  // Shows the code for phones for the network in held_, or hides it.
  void OfferCode();

  class WirelessCodeOffer* codeOffer_ = nullptr;  // "Code for phones…" after a read or store
  // What the router held at the last read or store that succeeded (not ok
  // before one, and after a failed one).
  AdvancedWirelessReading held_;
};

}  // namespace kelvane
