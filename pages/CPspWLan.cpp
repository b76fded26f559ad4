#include "pages/CPspWLan.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

#include "language/StringIds.h"
#include "pages/CPspConnectivity.h"
#include "pages/CPspDetectWan.h"
#include "pages/WLanKeyHelp.h"
#include "steps/easy/WirelessLoadStep.h"
#include "state/WizardState.h"
#include "wizard/CImageButton.h"
#include "wizard/LabelBuddy.h"
#include "wizard/PageKit.h"
#include "wizard/Resources.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {

constexpr StringId kSecurityTexts[] = {kIdWirelessSecurityNone, kIdWirelessSecurityWep, kIdWirelessWpaPsk,
                                       kIdAdvWirelessWpa2Psk, kIdAdvWirelessWpaWpa2Psk};


}  // namespace

CPspWLan::CPspWLan(QWidget* parent) : CPspEx(kTemplateId, parent) {
  SetPageCaption(QStringLiteral(""));
  SetHeaderTitle(UiText(kIdWirelessTitle));
  SetHeaderSubTitle(UiText(kIdWirelessSubtitle));
  SetCancelPolicy(CancelPolicy::kAskUnlessBusy);
}

bool CPspWLan::OnInitDialog() {
  CPspEx::OnInitDialog();
  if (auto* skip = ControlAs<QCheckBox>(kSkipBoxId)) skip->setText(UiText(kIdSkipWirelessSetup));
  if (auto* picture = ControlAs<CImageButton>(kPictureButtonId)) {
    picture->SetBitmaps(kBitmapPcRouter, QColor());
    picture->SetInert(true);
    picture->setAccessibleName(UiText(kIdWirelessTitle));
  }
  const std::pair<int, StringId> labels[] = {{kSsidLabelId, kIdWirelessSsidLabel},
                                             {kChannelLabelId, kIdWirelessChannelLabel},
                                             {kSecurityLabelId, kIdWirelessSecurityLabel},
                                             {kKeyLabelId, kIdWirelessKeyLabel}};
  const int fields[] = {kSsidEditId, kChannelListId, kSecurityListId, kKeyEditId};
  for (std::size_t i = 0; i < std::size(labels); ++i) {
    auto* label = qobject_cast<QLabel*>(Control(labels[i].first));
    if (label != nullptr) label->setText(UiText(labels[i].second) + QStringLiteral(":"));
    PairLabel(label, Control(fields[i]));
  }
  const WirelessSettings& w = WizardState::Instance().WirelessSettings;
  if (auto* ssid = ControlAs<QLineEdit>(kSsidEditId)) ssid->setMaxLength(static_cast<int>(w.ssid.kMaxLength));
  if (auto* key = ControlAs<QLineEdit>(kKeyEditId)) key->setMaxLength(static_cast<int>(w.key.kMaxLength));
  if (auto* security = ControlAs<QComboBox>(kSecurityListId)) {
    for (StringId id : kSecurityTexts) security->addItem(UiText(id));
    security->setCurrentIndex(0);
    connect(security, &QComboBox::currentIndexChanged, this, &CPspWLan::OnSecurityPicked);
    connect(security, &QComboBox::activated, this, [this] { securityChosen_ = true; });
  }
  if (auto* channel = ControlAs<QComboBox>(kChannelListId)) {
    connect(channel, &QComboBox::activated, this, [this] { channelChosen_ = true; });
  }
  if (QWidget* w1 = Control(kKeyLabelId)) w1->hide();
  if (QWidget* w2 = Control(kKeyEditId)) w2->hide();
  if (auto* key = ControlAs<QLineEdit>(kKeyEditId)) keyHelp_ = new WLanKeyHelp(this, key);
  return true;
}

bool CPspWLan::OnSetActive() {
  BeginActivation(kStandardChrome, kPageCode);
  if (auto* message = qobject_cast<QLabel*>(Control(kMessageId))) message->setText(UiText(kIdWirelessIntro));
  if (QWidget* picture = Control(kPictureButtonId)) picture->show();
  // The skip box and what the user typed or chose on an earlier visit stay:
  // the next Next reads the router again for the rest, and shows the form
  // before anything is checked or taken.
  if (QWidget* skip = Control(kSkipBoxId)) skip->show();
  ShowForm(false);
  if (keyHelp_ != nullptr) keyHelp_->Reset();
  for (int id : {kSsidLabelId, kKeyLabelId, kSecurityLabelId}) MarkField(Control(id), true);
  settingsLoaded_ = false;
  keyUnknown_ = false;
  return CPspEx::OnSetActive();
}

void CPspWLan::ShowForm(bool show) {
  for (int id : {kSsidLabelId, kSsidEditId, kChannelLabelId, kChannelListId, kSecurityLabelId, kSecurityListId}) {
    if (QWidget* w = Control(id)) w->setVisible(show);
  }
  if (!show) {
    if (QWidget* w = Control(kKeyLabelId)) w->hide();
    if (QWidget* w = Control(kKeyEditId)) w->hide();
    if (keyHelp_ != nullptr) keyHelp_->Update(kSecurityNone, false);
  }
}

// The user's pick: going without security is asked once; a "No" keeps the
// entry that was chosen before.
void CPspWLan::OnSecurityPicked(int index) {
  auto* security = ControlAs<QComboBox>(kSecurityListId);
  if (index == 0 && keyHelp_ != nullptr && !keyHelp_->ConfirmNoSecurity(this)) {
    if (security != nullptr) {
      const QSignalBlocker block(security);
      security->setCurrentIndex(securityIndex_);
    }
    return;
  }
  securityIndex_ = index;
  OnSecurityChanged(index);
}

void CPspWLan::OnSecurityChanged(int index) {
  if (index < 0 || index >= static_cast<int>(kSecurityListModes.size())) return;
  WirelessSettings& w = WizardState::Instance().WirelessSettings;
  w.securityMode = kSecurityListModes[static_cast<std::size_t>(index)];
  const bool keyed = index != 0;
  if (QWidget* label = Control(kKeyLabelId)) label->setVisible(keyed);
  if (auto* key = ControlAs<QLineEdit>(kKeyEditId)) {
    key->setVisible(keyed);
    if (keyed) {
      key->setText(FromLocal8(w.key.str()));
      key->repaint();
    }
  }
  if (keyHelp_ != nullptr) keyHelp_->Update(w.securityMode, keyed);
  // A refusal of the key was about the mode before: the rule beside the key
  // now speaks for the new one.
  if (settingsLoaded_) {
    MarkField(Control(kKeyLabelId), true);
    if (auto* message = qobject_cast<QLabel*>(Control(kMessageId))) {
      message->setText(keyUnknown_ ? UiText(kIdWirelessInstructions) + QStringLiteral("\n") + UiText(kIdWirelessKeyNotShown)
                                   : UiText(kIdWirelessInstructions));
    }
  }
}

int CPspWLan::OnWizardBack() { return GoTo<CPspConnectivity>(); }

int CPspWLan::OnWizardNext() {
  WizardState& state = WizardState::Instance();
  auto* skip = ControlAs<QCheckBox>(kSkipBoxId);
  if (skip != nullptr && skip->isChecked()) {
    state.configureWireless = 0;
    return GoTo<CPspDetectWan>();
  }
  state.configureWireless = 1;
  if (auto* message = qobject_cast<QLabel*>(Control(kMessageId))) message->setText(UiText(kIdWirelessInstructions));
  if (QWidget* picture = Control(kPictureButtonId)) picture->hide();
  if (!settingsLoaded_) {
    QPointer<CPspWLan> self(this);
    const TypedValues typed = TakeTypedValues();
    const bool loaded = LoadSettings();
    if (self.isNull()) return -1;
    settingsLoaded_ = loaded;
    PutBackTypedValues(typed, loaded);
    if (loaded && keyUnknown_) {
      if (auto* message = qobject_cast<QLabel*>(Control(kMessageId))) {
        message->setText(UiText(kIdWirelessInstructions) + QStringLiteral("\n") + UiText(kIdWirelessKeyNotShown));
      }
    }
    return -1;
  }
  return Validate() ? GoTo<CPspDetectWan>() : -1;
}

bool CPspWLan::LoadSettings() {
  QPointer<CPspWLan> self(this);
  repaint();
  WirelessForm form;
  std::vector<std::string> listTexts;
  auto* security = ControlAs<QComboBox>(kSecurityListId);
  if (security != nullptr) {
    for (int i = 0; i < security->count(); ++i) listTexts.push_back(security->itemText(i).toStdString());
  }
  {
    BusyScope busy(this, kIdWaitReadRouter);
    ShowForm(true);
    if (security != nullptr) OnSecurityChanged(security->currentIndex());
    form = LoadWirelessForm(WizardState::Instance(), listTexts);
  }
  if (self.isNull()) return false;
  channels_ = form.channels;
  keyUnknown_ = form.keyUnknown;
  if (auto* channel = ControlAs<QComboBox>(kChannelListId)) {
    channel->clear();
    channel->addItem(UiText(kIdWirelessChannelAuto));
    for (const std::string& c : form.channels) channel->addItem(QString::fromStdString(c));
    channel->setCurrentIndex(form.channelIndex);
  }
  if (security != nullptr) {
    const QSignalBlocker block(security);
    // A router without security is offered the strongest mode it has.
    const bool propose = form.loaded && form.securityIndex == 0;
    // The proposed mode starts with an empty key: a phrase the router kept
    // from an earlier mode was never the user's choice.
    if (propose) WizardState::Instance().WirelessSettings.key = "";
    security->setCurrentIndex(propose ? WLanKeyHelp::kProposedIndex : form.securityIndex);
    securityIndex_ = security->currentIndex();
  }
  // Applied whether or not the index changed: it shows the key just read.
  if (security != nullptr) OnSecurityChanged(security->currentIndex());
  if (auto* ssid = ControlAs<QLineEdit>(kSsidEditId); ssid != nullptr && form.loaded) {
    ssid->setText(QString::fromStdString(WizardState::Instance().WirelessSettings.ssid.str()));  // UTF-8
  }
  return form.loaded;
}

// ---- what the user typed ----
// Nothing the router did not report is shown, and what the user typed or
// chose on the form stays, on this visit and on a later one: a read fills
// only the rest.

CPspWLan::TypedValues CPspWLan::TakeTypedValues() const {
  TypedValues typed;
  if (auto* ssid = ControlAs<QLineEdit>(kSsidEditId); ssid != nullptr && ssid->isModified()) typed.ssid = ssid->text();
  if (auto* key = ControlAs<QLineEdit>(kKeyEditId); key != nullptr && key->isModified()) typed.key = key->text();
  if (auto* channel = ControlAs<QComboBox>(kChannelListId); channel != nullptr && channelChosen_) {
    typed.channel = channel->currentText();
  }
  auto* security = ControlAs<QComboBox>(kSecurityListId);
  typed.securityIndex = securityChosen_ && security != nullptr ? security->currentIndex() : -1;
  return typed;
}

void CPspWLan::PutBackTypedValues(const TypedValues& typed, bool loaded) {
  auto* channel = ControlAs<QComboBox>(kChannelListId);
  if (channel != nullptr) {
    const int kept = typed.channel ? channel->findText(*typed.channel) : -1;
    if (kept >= 0) channel->setCurrentIndex(kept);
    if (kept < 0 && !loaded) channel->setCurrentIndex(-1);
    channelChosen_ = kept >= 0;
  }
  auto* security = ControlAs<QComboBox>(kSecurityListId);
  if (security != nullptr && (typed.securityIndex >= 0 || !loaded)) {
    {
      const QSignalBlocker block(security);
      security->setCurrentIndex(typed.securityIndex);
    }
    OnSecurityChanged(typed.securityIndex);
    if (typed.securityIndex < 0) {
      if (QWidget* label = Control(kKeyLabelId)) label->hide();
      if (QWidget* key = Control(kKeyEditId)) key->hide();
    }
  }
  auto* ssid = ControlAs<QLineEdit>(kSsidEditId);
  if (ssid != nullptr && (typed.ssid || !loaded)) {
    ssid->setText(typed.ssid.value_or(QString()));
    ssid->setModified(typed.ssid.has_value());
  }
  auto* key = ControlAs<QLineEdit>(kKeyEditId);
  if (key != nullptr && typed.key) {
    key->setText(*typed.key);
    key->setModified(true);
  }
  if (!loaded) {
    if (auto* message = qobject_cast<QLabel*>(Control(kMessageId))) message->setText(UiText(kIdWirelessUnreadable));
  }
}

bool CPspWLan::Validate() {
  auto* ssid = ControlAs<QLineEdit>(kSsidEditId);
  auto* key = ControlAs<QLineEdit>(kKeyEditId);
  auto* channel = ControlAs<QComboBox>(kChannelListId);
  const WirelessVerdict v =
      StoreWirelessForm(WizardState::Instance(), ssid ? ssid->text().toUtf8().toStdString() : std::string(),
                        key ? ToLocal8(key->text()) : std::string(), channel ? channel->currentIndex() : -1, channels_,
                        keyUnknown_);
  MarkField(Control(kSsidLabelId), v.ssidOk);
  MarkField(Control(kKeyLabelId), v.keyOk);
  // A security the router reported that the list does not hold is no
  // choice: none is sent until the user picks one.
  auto* security = ControlAs<QComboBox>(kSecurityListId);
  const bool securityOk = security == nullptr || security->currentIndex() >= 0;
  MarkField(Control(kSecurityLabelId), securityOk);
  if (!v.Ok() || !securityOk) {
    // The refusing check names what is wrong with the name and the key.
    if (auto* message = qobject_cast<QLabel*>(Control(kMessageId))) {
      message->setText(WirelessProblemText(ssid ? ssid->text().toUtf8().toStdString() : std::string(),
                                           WizardState::Instance().WirelessSettings.securityMode,
                                           key ? ToLocal8(key->text()) : std::string()));
    }
  }
  return v.Ok() && securityOk;
}

}  // namespace kelvane
