#include "pages/CPspWanSettings.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include <string>
#include <vector>

#include "pages/CPspSelectWan.h"
#include "pages/CPspStore.h"
#include "router/WanCommands.h"
#include "state/WizardState.h"
#include "wizard/LabelBuddy.h"
#include "wizard/PageKit.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {


QString LabelText(StringId id) { return UiText(id) + QStringLiteral(":"); }

}  // namespace

CPspWanSettings::CPspWanSettings(int templateId, std::int32_t wanType, std::uint32_t pageCode, QWidget* parent)
    : CPspEx(templateId, parent), wanType_(wanType), pageCode_(pageCode), form_(WanFormFor(wanType)) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(form_->title));
  SetHeaderSubTitle(UiText(form_->subtitle));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspWanSettings::OnInitDialog() {
  CPspEx::OnInitDialog();
  greekFont_ = MakeGreekFont(font());
  auto greek = [this](QWidget* w) {
    if (greekFont_ && w != nullptr) w->setFont(*greekFont_);
  };
  for (const WanField& field : form_->fields) {
    auto* label = qobject_cast<QLabel*>(Control(field.labelId));
    auto* edit = ControlAs<QLineEdit>(field.editId);
    if (label != nullptr) label->setText(LabelText(field.label));
    greek(label);
    PairLabel(label, edit);
    if (edit != nullptr) {
      // A stripped field gets no limit of its own: blanks typed or pasted
      // before an address would push its last digits out, and the cut
      // address may still pass the check. The check refuses a text that is
      // too long once stripped.
      if (!field.strip) edit->setMaxLength(static_cast<int>(field.access.capacity - 1));
      SetPasswordMask(edit, field.password);
    }
    if (field.note != 0) {
      if (auto* note = qobject_cast<QLabel*>(Control(field.noteId))) note->setText(UiText(field.note));
    }
  }
  if (form_->addressMode) {
    auto* label = qobject_cast<QLabel*>(Control(kWanAddressModeLabelId));
    auto* mode = ControlAs<QComboBox>(kWanAddressModeComboId);
    if (label != nullptr) label->setText(LabelText(kIdIpModeLabel));
    greek(label);
    PairLabel(label, mode);
    if (mode != nullptr) {
      for (StringId id : kAddressModeTexts) mode->addItem(UiText(id));
      greek(mode);
      connect(mode, &QComboBox::currentIndexChanged, this, &CPspWanSettings::OnAddressModeChanged);
    }
  }
  if (form_->optionCount > 0) {
    auto* label = qobject_cast<QLabel*>(Control(kWanConnectionLabelId));
    if (label != nullptr) label->setText(LabelText(kIdConnectionControlLabel));
    greek(label);
    greek(Control(kWanConnectionComboId));
    PairLabel(label, Control(kWanConnectionComboId));
  }
  // The PPTP page starts in its password field.
  if (wanType_ == kWanPptp && !form_->fields.empty()) {
    if (QWidget* password = Control(form_->fields.back().editId)) password->setFocus();
  }
  return true;
}

bool CPspWanSettings::OnSetActive() {
  BeginActivation(kStandardChrome, pageCode_);
  WizardState& state = WizardState::Instance();
  if (auto* message = qobject_cast<QLabel*>(Control(kWanMessageId))) {
    // The dynamic IP page has no fields and shows the first paragraph of its
    // help text (nothing to type in); the rest is for the help window.
    QString text = UiText(form_->message);
    if (form_->fields.empty()) text = text.section(QStringLiteral("\n\n"), 0, 0);
    message->setText(text);
  }
  if (form_->addressMode) {
    if (auto* mode = ControlAs<QComboBox>(kWanAddressModeComboId)) {
      mode->setCurrentIndex(kAddressModeStatic);
      OnAddressModeChanged(kAddressModeStatic);
    }
  }
  for (const WanField& field : form_->fields) {
    MarkField(Control(field.labelId), true);
    if (auto* edit = ControlAs<QLineEdit>(field.editId)) edit->setText(FromLocal8(field.access.read(state)));
  }
  if (form_->optionCount > 0) {
    auto* combo = ControlAs<QComboBox>(kWanConnectionComboId);
    if (combo != nullptr) {
      combo->clear();
      for (int i = 0; i < form_->optionCount; ++i) combo->addItem(UiText(kConnectionControlTexts[static_cast<std::size_t>(i)]));
    }
    if (QWidget* label = Control(kWanConnectionLabelId)) label->show();
    if (combo != nullptr) combo->show();
    // The router's current choice for this type, so that what is shown
    // matches the router (unchanged when its form cannot be read).
    QPointer<CPspWanSettings> self(this);
    {
      BusyScope busy(this, kIdWaitReadRouter);
      ReadWanOptions(wanType_, state);
    }
    if (self.isNull()) return false;
    if (combo != nullptr) combo->setCurrentIndex(StoredOptionIndex(*form_, state));
  }
  state.wanType = wanType_;
  return CPspEx::OnSetActive();
}

void CPspWanSettings::OnAddressModeChanged(int index) {
  const bool dynamic = index == kAddressModeDynamic;
  for (const WanField& field : form_->fields) {
    if (!field.addressRow) continue;
    auto* edit = ControlAs<QLineEdit>(field.editId);
    if (edit == nullptr) continue;
    // A dynamic address travels to the router as "0.0.0.0" in the three fields.
    if (dynamic) edit->setText(FromLocal8(kDynamicAddressText));
    edit->setEnabled(!dynamic);
  }
}

int CPspWanSettings::OnWizardBack() { return GoTo<CPspSelectWan>(); }

int CPspWanSettings::OnWizardNext() {
  auto* message = qobject_cast<QLabel*>(Control(kWanMessageId));
  if (message != nullptr) {
    message->clear();
    message->repaint();
  }
  std::vector<std::string> texts;
  for (const WanField& field : form_->fields) {
    auto* edit = ControlAs<QLineEdit>(field.editId);
    texts.push_back(edit != nullptr ? ToLocal8(edit->text()) : std::string());
  }
  auto* combo = ControlAs<QComboBox>(kWanConnectionComboId);
  const int option = combo != nullptr ? combo->currentIndex() : 0;
  const WanFormVerdict verdict = StoreWanForm(*form_, WizardState::Instance(), texts, option);
  for (std::size_t i = 0; i < form_->fields.size(); ++i) {
    const WanField& field = form_->fields[i];
    if (field.strip) {
      if (auto* edit = ControlAs<QLineEdit>(field.editId)) edit->setText(FromLocal8(texts[i]));
    }
    MarkField(Control(field.labelId), verdict.fieldOk[i]);
  }
  if (!verdict.allOk) {
    if (message != nullptr) message->setText(UiText(form_->error));
    return -1;
  }
  return GoTo<CPspStore>();
}

}  // namespace kelvane
