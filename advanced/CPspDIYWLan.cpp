#include "advanced/CPspDIYWLan.h"

#include "advanced/WirelessCodeOffer.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

#include "router/WirelessLanCommands.h"
#include "state/WizardState.h"
#include "steps/kit/WirelessKeyRule.h"
#include "wizard/PageKit.h"
#include "wizard/UiText.h"

namespace kelvane {

CPspDIYWLan::CPspDIYWLan(QWidget* parent)
    : CPspRouterTab(kTemplateId, kPageCode, kIdTabWireless, kResultLine, parent) {}

bool CPspDIYWLan::OnInitDialog() {
  CPspEx::OnInitDialog();
  const auto greek = MakeGreekFont(font());
  const struct {
    int label, field;
    StringId text;
  } rows[] = {{kSsidLabel, kSsidEdit, kIdAdvWirelessSsidLabel},
              {kChannelLabel, kChannelList, kIdAdvWirelessChannelLabel},
              {kSecurityLabel, kSecurityList, kIdAdvWirelessSecurityLabel},
              {kKeyLabel, kKeyEdit, kIdAdvWirelessKeyLabel}};
  for (const auto& row : rows) {
    if (auto* label = ControlAs<QLabel>(row.label)) {
      label->setText(UiText(row.text) + QStringLiteral(":"));
      label->setBuddy(Control(row.field));
      if (greek) label->setFont(*greek);
    }
  }
  if (auto* ssid = ControlAs<QLineEdit>(kSsidEdit)) ssid->setMaxLength(static_cast<int>(FixedText<33>::kMaxLength) + 1);
  if (auto* key = ControlAs<QLineEdit>(kKeyEdit)) key->setMaxLength(static_cast<int>(FixedText<129>::kMaxLength));
  if (auto* security = ControlAs<QComboBox>(kSecurityList)) {
    security->clear();
    security->addItems({UiText(kIdWirelessSecurityNone), UiText(kIdWirelessSecurityWep), QStringLiteral("WPAPSK"),
                        QStringLiteral("WPA2PSK"), QStringLiteral("WPA-PSK/WPA2-PSK")});
    security->setCurrentIndex(0);
    connect(security, &QComboBox::currentIndexChanged, this, [this](int) { OnSecurityChanged(); });
  }
  for (int id : {kKeyLabel, kKeyEdit}) {
    if (QWidget* w = Control(id)) w->hide();
  }
  SetPasswordMask(Control(kKeyEdit), true);
  SetUpActionButton(kRefreshButton, kIdAdvWirelessRead, &CPspDIYWLan::Refresh);
  SetUpActionButton(kStoreButton, kIdAdvWirelessSave, &CPspDIYWLan::OnStore);
  SetUpActionButton(kRebootButton, kIdAdvWirelessRestart, &CPspDIYWLan::OnReboot);
  AdjustForLanguage({kRefreshButton, kStoreButton, kRebootButton});
  if (QWidget* ssid = Control(kSsidEdit)) codeOffer_ = new WirelessCodeOffer(this, ssid);
  return true;
}

bool CPspDIYWLan::OnSetActive() {
  if (auto* text = ControlAs<QLabel>(kDescription)) text->setText(UiText(kIdAdvWirelessIntro));
  OnSecurityChanged();
  return CPspRouterTab::OnSetActive();
}

void CPspDIYWLan::OnSecurityChanged() {
  WirelessSettings& w = WizardState::Instance().WirelessSettings;
  auto* security = ControlAs<QComboBox>(kSecurityList);
  auto* key = ControlAs<QLineEdit>(kKeyEdit);
  if (security == nullptr || key == nullptr) return;
  const int position = security->currentIndex();
  if (position >= 0 && position < kAdvancedSecurityCount) w.securityMode = kAdvancedSecurityModes[position];
  for (int id : {kKeyLabel, kKeyEdit}) Control(id)->hide();
  if (QWidget* store = Control(kStoreButton)) store->setEnabled(true);
  // No choice in the list (a code the router reported that the list does
  // not know): no key until the user picks a mode.
  if (position < 0) return;
  const std::int32_t mode = w.securityMode;
  if (mode == kSecurityWep || mode == kSecurityWpaPsk || mode == kSecurityWpa2Psk || mode == kSecurityWpaMixed) {
    MarkField(Control(kKeyLabel), true);
    Control(kKeyLabel)->show();
    key->setText(FromLocal8(w.key.view()));
    key->show();
  }
}

void CPspDIYWLan::ShowUnreadable() {
  WizardState::Instance().WirelessSettings.ssid.Clear();
  auto* ssid = ControlAs<QLineEdit>(kSsidEdit);
  auto* channels = ControlAs<QComboBox>(kChannelList);
  auto* security = ControlAs<QComboBox>(kSecurityList);
  auto* key = ControlAs<QLineEdit>(kKeyEdit);
  ssid->clear();
  ssid->setEnabled(false);
  channels->clear();
  channels->setEnabled(false);
  {
    const QSignalBlocker quiet(security);
    security->setCurrentIndex(0);
  }
  security->setEnabled(false);
  Control(kKeyLabel)->hide();
  key->clear();
  key->hide();
}

void CPspDIYWLan::Refresh() {
  RunWithLogin(kIdReadingRouterData, [this] {
    WizardState& state = WizardState::Instance();
    if (QWidget* store = Control(kStoreButton)) store->setEnabled(true);
    if (auto* key = ControlAs<QLineEdit>(kKeyEdit)) key->clear();
    const AdvancedWirelessReading r = ReadAdvancedWireless(state);
    held_ = r;
    auto* ssid = ControlAs<QLineEdit>(kSsidEdit);
    auto* channels = ControlAs<QComboBox>(kChannelList);
    auto* security = ControlAs<QComboBox>(kSecurityList);
    const AdvancedChannelChoice choice = AdvancedChannels(r);
    channels->clear();
    for (const std::string& item : choice.items) channels->addItem(FromLocal8(item));
    channels->setCurrentIndex(choice.selected);
    if (r.ok) {
      ssid->setText(QString::fromUtf8(r.ssid.data(), static_cast<qsizetype>(r.ssid.size())));
      {
        // A code the list does not offer shows no choice, so Store asks for one.
        const QSignalBlocker quiet(security);
        security->setCurrentIndex(r.securityPosition);
      }
      OnSecurityChanged();
      ssid->setEnabled(true);
      channels->setEnabled(true);
      security->setEnabled(true);
      ShowResult(true);
    } else {
      ShowUnreadable();
      ShowReadFailure();
    }
    OfferCode();
    return r.ok;
  });
}

void CPspDIYWLan::OnStore() {
  auto* ssid = ControlAs<QLineEdit>(kSsidEdit);
  auto* key = ControlAs<QLineEdit>(kKeyEdit);
  auto* channels = ControlAs<QComboBox>(kChannelList);
  if (ssid == nullptr || key == nullptr || channels == nullptr) return;
  RunWithLogin(kIdSavingRouterData, [&] {
    auto* security = ControlAs<QComboBox>(kSecurityList);
    // The router's pages and commands carry the SSID as UTF-8.
    const std::string ssidBytes = ssid->text().toUtf8().toStdString();
    const std::string keyText = ToLocal8(key->text());
    const AdvancedWirelessStore s = StoreAdvancedWireless(
        ssidBytes, keyText, ToLocal8(channels->currentText()),
        security != nullptr ? security->currentIndex() : -1, WizardState::Instance(), &held_);
    MarkField(Control(kSecurityLabel), s.securityOk);
    MarkField(Control(kSsidLabel), s.ssidOk);
    MarkField(Control(kKeyLabel), s.keyOk);
    // Whatever the router holds after a store that failed is not known: no
    // code for phones until a read or store tells it again.
    held_ = s.Ok() ? s.held : AdvancedWirelessReading{};
    if (s.Ok()) {
      ShowResultText(kIdAdvWirelessSaved, QColor(0, 0, 255));
    } else if (!s.ssidOk) {
      ShowResultText(SsidProblemText(ssidBytes), QColor(255, 0, 0));
    } else if (!s.keyOk && s.securityOk) {
      ShowResultText(KeyProblemText(WizardState::Instance().WirelessSettings.securityMode, keyText),
                     QColor(255, 0, 0));
    } else if (s.securityOk && s.ssidOk && s.keyOk) {
      ShowResultText(kIdStoreSavingFailed, QColor(255, 0, 0));  // the input passed; the router did not take it
    } else {
      ShowResult(false);
    }
    OfferCode();
    return s.Ok();
  });
}

void CPspDIYWLan::OfferCode() {
  if (codeOffer_ != nullptr) codeOffer_->Offer(NetworkToJoin(held_));
}

void CPspDIYWLan::OnReboot() {
  RestartAfterAsking(kIdRestartingRouter, kIdDone, kIdStoreRestartFailed, 0);
}

}  // namespace kelvane
