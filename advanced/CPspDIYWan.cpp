#include "advanced/CPspDIYWan.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <array>

#include "steps/advanced/AdvancedWanStep.h"
#include "steps/kit/WanForms.h"
#include "router/WanSettingsReader.h"
#include "router/WirelessLanCommands.h"
#include "state/WizardState.h"
#include "wizard/PageKit.h"
#include "wizard/SheetOps.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {



}  // namespace

CPspDIYWan::CPspDIYWan(QWidget* parent) : CPspRouterTab(kTemplateId, kPageCode, kIdTabWan, kResultLine, parent) {}

CPspDIYWan::~CPspDIYWan() = default;

QList<int> CPspDIYWan::FieldLabelIds() const {
  QList<int> ids{kMacLabel, kAddressModeLabel, kConnectionLabel};
  for (int row = 1; row <= kWanMaxFields; ++row) ids << kWanRowLabelId(row);
  return ids;
}

bool CPspDIYWan::OnInitDialog() {
  CPspEx::OnInitDialog();
  greekFont_ = MakeGreekFont(font());
  if (auto* label = ControlAs<QLabel>(kTypeLabel)) {
    label->setText(UiText(kIdAdvWanServiceLabel) + QStringLiteral(":"));
    label->setBuddy(Control(kTypeList));
  }
  SetUpActionButton(kRefreshButton, kIdAdvWanRead, &CPspDIYWan::Refresh);
  SetUpActionButton(kStoreButton, kIdAdvWanSave, &CPspDIYWan::OnStore);
  SetUpActionButton(kRebootButton, kIdAdvWanRestart, &CPspDIYWan::OnReboot);
  SetUpActionButton(kCloneButton, kIdAdvWanCloneMac, &CPspDIYWan::OnCloneMac);
  if (auto* label = ControlAs<QLabel>(kAddressModeLabel)) {
    label->setText(UiText(kIdIpModeLabel) + QStringLiteral(":"));
    label->setBuddy(Control(kAddressModeList));
    MarkField(label, true);
  }
  if (auto* mode = ControlAs<QComboBox>(kAddressModeList)) {
    for (StringId text : kAddressModeTexts) mode->addItem(UiText(text));
    connect(mode, &QComboBox::currentIndexChanged, this, &CPspDIYWan::OnAddressModeChanged);
  }
  if (auto* label = ControlAs<QLabel>(kConnectionLabel)) {
    label->setText(UiText(kIdConnectionControlLabel) + QStringLiteral(":"));
    label->setBuddy(Control(kConnectionList));
  }
  if (auto* label = ControlAs<QLabel>(kMacLabel)) {
    label->setText(UiText(kIdAdvWanMacLabel) + QStringLiteral(":"));
    label->setBuddy(Control(kMacEdit));
  }
  if (auto* mac = ControlAs<QLineEdit>(kMacEdit)) mac->setMaxLength(static_cast<int>(FixedText<18>::kMaxLength) + 4);
  for (int row = 1; row <= kWanMaxFields; ++row) {
    if (auto* label = ControlAs<QLabel>(kWanRowLabelId(row))) label->setBuddy(Control(kWanRowEditId(row)));
  }
  if (greekFont_) {
    QList<int> ids{kTypeLabel, kAddressModeLabel, kConnectionLabel};
    for (int row = 1; row <= kWanMaxFields; ++row) ids << kWanRowLabelId(row);
    for (int id : ids) {
      if (QWidget* w = Control(id)) w->setFont(*greekFont_);
    }
  }
  if (auto* types = ControlAs<QComboBox>(kTypeList)) {
    for (int i = 0; i < kAdvancedWanTypeCount; ++i) {
      types->addItem(kAdvancedWanTypeTexts[static_cast<std::size_t>(i)] != 0
                         ? UiText(kAdvancedWanTypeTexts[static_cast<std::size_t>(i)])
                         : QString::fromLatin1(kAdvancedWanTypeNames[static_cast<std::size_t>(i)]));
    }
    types->setCurrentIndex(-1);
    connect(types, &QComboBox::currentIndexChanged, this, [this](int) { LayoutByType(); });
  }
  // Everything that depends on the type waits for one.
  for (int row = 1; row <= kWanMaxFields; ++row) {
    Control(kWanRowLabelId(row))->hide();
    Control(kWanRowEditId(row))->hide();
  }
  for (int id : {kAddressModeLabel, kAddressModeList, kMacLabel, kMacEdit, kCloneButton, kConnectionLabel,
                 kConnectionList}) {
    Control(id)->hide();
  }
  connectionLabelPos_ = GetControlPos(Control(kConnectionLabel));
  connectionListPos_ = GetControlPos(Control(kConnectionList));
  AdjustForLanguage({kRefreshButton, kStoreButton, kRebootButton});
  return true;
}

bool CPspDIYWan::OnSetActive() {
  if (auto* text = ControlAs<QLabel>(kDescription)) text->setText(UiText(kIdAdvWanIntro));
  if (auto* mode = ControlAs<QComboBox>(kAddressModeList)) {
    const QSignalBlocker quiet(mode);
    mode->setCurrentIndex(kAddressModeStatic);
  }
  return CPspRouterTab::OnSetActive();
}

std::int32_t CPspDIYWan::ChosenType() const {
  const auto* types = ControlAs<QComboBox>(kTypeList);
  return types == nullptr || types->currentIndex() < 0 ? 0 : types->currentIndex() + 1;
}

void CPspDIYWan::LayoutByType() {
  ClearResult();
  const std::int32_t type = ChosenType();
  const WanForm* form = WanFormFor(type);
  if (form == nullptr) return;
  WizardState& state = WizardState::Instance();
  const bool routersType = type == routerWanType_;
  for (int row = 1; row <= kWanMaxFields; ++row) {
    auto* label = ControlAs<QLabel>(kWanRowLabelId(row));
    auto* edit = ControlAs<QLineEdit>(kWanRowEditId(row));
    MarkField(label, true);
    // Back on the router's own type the rows keep what they hold; another
    // type starts empty. Either way a row masked for the previous type is
    // unmasked, or a user name would show as stars.
    SetPasswordMask(edit, false);
    if (!routersType) edit->clear();
    edit->setEnabled(true);
    const std::size_t index = static_cast<std::size_t>(row - 1);
    const bool used = index < form->fields.size();
    label->setVisible(used);
    edit->setVisible(used);
    if (!used) continue;
    const WanField& field = form->fields[index];
    label->setText(UiText(field.label) + QStringLiteral(":"));
    edit->setMaxLength(static_cast<int>(field.access.capacity) - 1);
    if (field.password) SetPasswordMask(edit, true);
  }
  Control(kAddressModeLabel)->setVisible(form->addressMode);
  Control(kAddressModeList)->setVisible(form->addressMode);
  const bool mac = type == kWanDynamicIp && routerWanType_ == kWanDynamicIp;
  Control(kMacLabel)->setVisible(mac);
  Control(kMacEdit)->setVisible(mac);
  Control(kCloneButton)->setVisible(mac);
  Control(kCloneButton)->setEnabled(mac);
  auto* connection = ControlAs<QComboBox>(kConnectionList);
  QWidget* connectionLabel = Control(kConnectionLabel);
  connection->clear();
  const bool hasControl = form->optionCount > 0;
  connection->setVisible(hasControl);
  connectionLabel->setVisible(hasControl);
  if (hasControl) {
    for (int i = 0; i < form->optionCount; ++i) connection->addItem(UiText(kConnectionControlTexts[static_cast<std::size_t>(i)]));
    connection->setCurrentIndex(std::clamp(StoredOptionIndex(*form, state), 0, form->optionCount - 1));
    if (form->advancedControlRow > 0) {
      // The connection control takes the place of a row the type leaves free.
      const QPoint labelAt = GetControlPos(Control(kWanRowLabelId(form->advancedControlRow)));
      const QPoint listAt = GetControlPos(Control(kWanRowEditId(form->advancedControlRow)));
      connectionLabel->move(labelAt);
      connection->move(listAt);
    } else {
      connectionLabel->move(connectionLabelPos_);
      connection->move(connectionListPos_);
    }
  }
  repaint();
}

void CPspDIYWan::OnAddressModeChanged(int position) {
  const WanForm* form = WanFormFor(ChosenType());
  if (form == nullptr || !form->addressMode) return;
  for (std::size_t i = 0; i < form->fields.size(); ++i) {
    if (!form->fields[i].addressRow) continue;
    auto* edit = ControlAs<QLineEdit>(form->fields[i].editId);
    if (position == kAddressModeDynamic) {
      edit->setText(QString::fromLatin1(kDynamicAddressText.data(), static_cast<qsizetype>(kDynamicAddressText.size())));
      edit->setEnabled(false);
    } else {
      edit->setEnabled(true);
    }
  }
}

void CPspDIYWan::Refresh() {
  RunWithLogin(kIdReadingRouterData, [this] {
    WizardState& state = WizardState::Instance();
    for (int row = 1; row <= kWanMaxFields; ++row) ControlAs<QLineEdit>(kWanRowEditId(row))->clear();
    WanSettingsReading reading;
    const bool ok = ReadWanSettings(state, reading);
    const WanForm* form = WanFormFor(reading.type);
    if (form != nullptr) {
      for (std::size_t i = 0; i < form->fields.size(); ++i) {
        // Passwords are never read back: their rows stay empty.
        // The row takes the type's length first: an edit cuts a text longer
        // than the limit of the layout it still has, and a store would send
        // the cut value.
        const WanField& field = form->fields[i];
        auto* edit = ControlAs<QLineEdit>(field.editId);
        edit->setMaxLength(static_cast<int>(field.access.capacity) - 1);
        edit->setText(field.password ? QString() : FromLocal8(field.access.read(state)));
      }
    }
    if (reading.type == kWanDynamicIp) {
      ControlAs<QLineEdit>(kMacEdit)->setText(FromLocal8(state.DynamicIpSettings.macAddress.view()));
      MarkField(Control(kMacLabel), reading.macFound);
    }
    if (form != nullptr && form->addressMode) {
      auto* mode = ControlAs<QComboBox>(kAddressModeList);
      const QSignalBlocker quiet(mode);  // the rows keep their enabled state
      mode->setCurrentIndex(reading.staticAddress ? kAddressModeStatic : kAddressModeDynamic);
    }
    routerWanType_ = state.wanType;
    auto* types = ControlAs<QComboBox>(kTypeList);
    if (reading.type >= 1 && reading.type <= kAdvancedWanTypeCount) {
      const QSignalBlocker quiet(types);
      types->setCurrentIndex(reading.type - 1);
    } else if (reading.type == kWanTelia) {
      // Recognised, not offered: no entry, no layout; the rows keep their state.
      const QSignalBlocker quiet(types);
      types->setCurrentIndex(-1);
    }
    if (ChosenType() != 0 && reading.type != kWanTelia) LayoutByType();
    if (reading.type == kWanDynamicIp) MarkField(Control(kMacLabel), reading.macFound);
    types->setEnabled(ok);
    if (ok) {
      ShowResult(true);
    } else {
      ShowReadFailure();
    }
    return ok;
  });
}

void CPspDIYWan::OnStore() {
  RunWithLogin(kIdSavingRouterData, [this] {
    const std::int32_t type = ChosenType();
    std::array<std::string, kWanMaxFields> rows;
    for (int row = 1; row <= kWanMaxFields; ++row) {
      rows[static_cast<std::size_t>(row - 1)] = ToLocal8(ControlAs<QLineEdit>(kWanRowEditId(row))->text());
    }
    auto* macEdit = ControlAs<QLineEdit>(kMacEdit);
    const int option = ControlAs<QComboBox>(kConnectionList)->currentIndex();
    const AdvancedWanStoreResult r =
        StoreAdvancedWan(type, rows, ToLocal8(macEdit->text()), option, routerWanType_, WizardState::Instance());
    if (const WanForm* form = WanFormFor(type); form != nullptr && r.outcome != AdvancedWanStoreOutcome::kNoType) {
      for (std::size_t i = 0; i < form->fields.size(); ++i) {
        const WanField& field = form->fields[i];
        if (field.strip) ControlAs<QLineEdit>(field.editId)->setText(FromLocal8(r.rows[i]));
        MarkField(Control(field.labelId), r.rowOk[i]);
      }
      if (type == kWanDynamicIp && routerWanType_ == kWanDynamicIp) {
        macEdit->setText(FromLocal8(r.mac));
        MarkField(Control(kMacLabel), r.macOk);
      }
    }
    if (type == kWanDynamicIp && r.outcome != AdvancedWanStoreOutcome::kInvalidInput) {
      Control(kCloneButton)->setEnabled(true);
    }
    const bool stored = r.outcome == AdvancedWanStoreOutcome::kStored;
    if (stored) {
      ShowResultText(kIdAdvWanSaved, QColor(0, 0, 255));
    } else if (r.outcome == AdvancedWanStoreOutcome::kApplyRefused || r.outcome == AdvancedWanStoreOutcome::kMacRefused) {
      ShowResultText(kIdStoreSavingFailed, QColor(255, 0, 0));  // the input passed; the router did not take it
    } else {
      ShowResult(false);
    }
    return stored;
  });
}

void CPspDIYWan::OnReboot() {
  RestartAfterAsking(kIdRestartingRouter, kIdDone, kIdStoreRestartFailed, 0);
}

void CPspDIYWan::OnCloneMac() {
  // The clone asks the router to copy the address of the PC it talks to; it
  // needs no search or login of its own.
  BusyScope busy(this, kIdWaitStoreRouter);
  ShowResultText(kIdSavingRouterData, QColor(0, 0, 0));
  MarkField(Control(kMacLabel), true);
  std::string mac;
  const bool ok = CloneAndReadMac(WizardState::Instance(), mac);
  ControlAs<QLineEdit>(kMacEdit)->setText(FromLocal8(mac));
  if (!ok) MarkField(Control(kMacLabel), false);
  if (ok) {
    ShowResultText(kIdAdvWanSaved, QColor(0, 0, 255));
  } else {
    ShowResult(false);
  }
}

}  // namespace kelvane
