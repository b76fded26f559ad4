#include "advanced/CPspDIYLan.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "steps/advanced/LanSettingsStep.h"
#include "steps/advanced/RouterMove.h"
#include "net/host/HostNetwork.h"
#include "router/WanSettingsReader.h"
#include "router/WirelessLanCommands.h"
#include "state/WizardState.h"
#include "wizard/PageKit.h"
#include "wizard/QtNarrator.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {


}  // namespace

CPspDIYLan::CPspDIYLan(QWidget* parent) : CPspRouterTab(kTemplateId, kPageCode, kIdTabLan, kResultLine, parent) {}

bool CPspDIYLan::OnInitDialog() {
  CPspEx::OnInitDialog();
  const WizardState& state = WizardState::Instance();
  const struct {
    int label, edit;
    StringId text;
  } rows[] = {{kAddressLabel, kAddressEdit, kIdAdvLanIpAddressLabel},
              {kMaskLabel, kMaskEdit, kIdAdvLanSubnetMaskLabel},
              {kDomainLabel, kDomainEdit, kIdAdvLanNetworkNameLabel}};
  for (const auto& row : rows) {
    if (auto* label = ControlAs<QLabel>(row.label)) {
      label->setText(UiText(row.text) + QStringLiteral(":"));
      label->setBuddy(Control(row.edit));
    }
  }
  if (auto* edit = ControlAs<QLineEdit>(kAddressEdit)) {
    edit->setText(FromLocal8(state.routerAddress.str()));
    edit->setMaxLength(static_cast<int>(AddressText::kMaxLength));
  }
  if (auto* edit = ControlAs<QLineEdit>(kMaskEdit)) edit->setText(QStringLiteral("255.255.255.0"));
  if (auto* edit = ControlAs<QLineEdit>(kDomainEdit)) {
    edit->clear();
    edit->setMaxLength(static_cast<int>(kLanDomainMax) + 8);  // room for blanks the store strips
  }
  SetUpActionButton(kRefreshButton, kIdAdvLanRead, &CPspDIYLan::Refresh);
  SetUpActionButton(kStoreButton, kIdAdvLanSave, &CPspDIYLan::OnStore);
  SetUpActionButton(kRebootButton, kIdAdvLanRestart, &CPspDIYLan::OnReboot);
  AdjustForLanguage({kRefreshButton, kStoreButton, kRebootButton});
  if (auto greek = MakeGreekFont(font())) {
    for (int id : {kAddressLabel, kMaskLabel, kDomainLabel}) {
      if (QWidget* w = Control(id)) w->setFont(*greek);
    }
  }
  return true;
}

bool CPspDIYLan::OnSetActive() {
  if (auto* text = ControlAs<QLabel>(kDescription)) text->setText(UiText(kIdAdvLanIntro));
  return CPspRouterTab::OnSetActive();
}

void CPspDIYLan::Refresh() {
  auto* address = ControlAs<QLineEdit>(kAddressEdit);
  auto* domain = ControlAs<QLineEdit>(kDomainEdit);
  RunWithLogin(kIdReadingRouterData, [&] {
    WizardState& state = WizardState::Instance();
    // The LAN address is the one the wizard talks to; it is not read back.
    if (address != nullptr) address->setText(FromLocal8(state.routerAddress.str()));
    std::string name;
    const LanDomainRead read = ReadLanDomainName(state, name);
    if (domain != nullptr) {
      domain->setText(read == LanDomainRead::kRead ? FromLocal8(name) : QString());
      domain->setEnabled(read == LanDomainRead::kRead);
    }
    if (read == LanDomainRead::kRead) {
      ShowResult(true);
    } else {
      ShowReadFailure();  // e.g. no answer while it restarts
    }
    return read == LanDomainRead::kRead;
  });
}

void CPspDIYLan::OnStore() {
  auto* address = ControlAs<QLineEdit>(kAddressEdit);
  auto* domain = ControlAs<QLineEdit>(kDomainEdit);
  if (address == nullptr || domain == nullptr) return;
  RunWithLogin(kIdSavingRouterData, [&] {
    // The sheet is disabled while the action runs: the edit's own state
    // tells whether the domain was read and shown.
    const bool domainShown = domain->isEnabledTo(this);
    const LanStoreResult result = StoreLanSettings(ToLocal8(address->text()), ToLocal8(domain->text()), domainShown,
                                                   WizardState::Instance());
    address->setText(FromLocal8(result.address));
    if (domainShown) domain->setText(FromLocal8(result.domain));
    MarkField(Control(kAddressLabel), result.addressOk);
    MarkField(Control(kDomainLabel), result.domainOk);
    if (result.outcome == LanStoreOutcome::kStored) {
      // The router moves with its next restart, from whichever tab.
      PendingMove().LanAddressStored(result.address, WizardState::Instance());
      ShowResultText(LanStoreMessage(result), QColor(0, 0, 255));
    } else {
      ShowResultText(LanStoreMessage(result), QColor(255, 0, 0));
    }
    return result.outcome == LanStoreOutcome::kStored;
  });
}

void CPspDIYLan::OnReboot() {
  QPointer<CPspDIYLan> self(this);
  // A new LAN address stored (here or before) takes effect with this
  // restart: the PC follows the router into its new network.
  if (!RestartAfterAsking(kIdRestartingRouter, kIdDone, kIdStoreRestartFailed, 0) || self.isNull()) return;
  if (auto* address = ControlAs<QLineEdit>(kAddressEdit)) {
    address->setText(FromLocal8(WizardState::Instance().routerAddress.str()));
  }
}

}  // namespace kelvane
