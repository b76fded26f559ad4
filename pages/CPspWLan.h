// The wireless LAN page (page code 21): the router's wireless name, channel,
// security and key, read from the router, checked, or skipped. Nothing is
// written to the router here; the store page sends the settings.
#pragma once

#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "wizard/CPspEx.h"

namespace kelvane {

class CPspWLan : public CPspEx {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 4015;
  static constexpr std::uint32_t kPageCode = 21;
  static constexpr int kMessageId = 6042;
  static constexpr int kSkipBoxId = 6054;
  static constexpr int kPictureButtonId = 6128;
  static constexpr int kSsidLabelId = 6030;
  static constexpr int kChannelLabelId = 6031;
  static constexpr int kSecurityLabelId = 6032;
  static constexpr int kKeyLabelId = 6033;
  static constexpr int kSsidEditId = 6034;
  static constexpr int kKeyEditId = 6035;
  static constexpr int kChannelListId = 6036;
  static constexpr int kSecurityListId = 6037;

  explicit CPspWLan(QWidget* parent = nullptr);

  bool OnInitDialog() override;
  bool OnSetActive() override;
  int OnWizardBack() override;
  int OnWizardNext() override;

  bool SettingsLoaded() const { return settingsLoaded_; }

 private:
  void OnSecurityChanged(int index);
  bool LoadSettings();
  bool Validate();
  void ShowForm(bool show);

  void OnSecurityPicked(int index);

  bool settingsLoaded_ = false;
  bool keyUnknown_ = false;  // the router did not show its pass phrase
  class WLanKeyHelp* keyHelp_ = nullptr;
  int securityIndex_ = 0;  // the list's entry before the user's last pick
  std::vector<std::string> channels_;  // the list's numbers after "Auto"

  // What the user typed or chose on the form (null / -1: nothing), kept
  // across a load and across visits so that a read never wipes it.
  struct TypedValues {
    std::optional<QString> ssid;
    std::optional<QString> key;
    std::optional<QString> channel;
    int securityIndex = -1;
  };
  TypedValues TakeTypedValues() const;
  // Puts the typed values back over what the load showed; after a failed
  // load, empties the rest and says that the router could not be read.
  void PutBackTypedValues(const TypedValues& typed, bool loaded);
  bool channelChosen_ = false;
  bool securityChosen_ = false;
};

}  // namespace kelvane
