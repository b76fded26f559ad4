#include "advanced/CPspDIYBRSystem.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

#include "steps/advanced/RouterMove.h"
#include "steps/advanced/SystemSettingsStep.h"
#include "net/host/HostNetwork.h"
#include "router/WirelessLanCommands.h"
#include "state/WizardState.h"
#include "wizard/CDlgMessage.h"
#include "wizard/MessageBox.h"
#include "wizard/OpenUrl.h"
#include "wizard/PageKit.h"
#include "wizard/QtNarrator.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {

const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

// Languages whose button texts need wider buttons, and of those the ones
// whose restore-defaults text needs two lines.
const std::uint32_t kWideLanguages[] = {1036, 1043, 1032, 1049, 3082, 1060, 1046};
const std::uint32_t kTallRestoreLanguages[] = {1049, 1032, 1060};

template <std::size_t N>
bool In(const std::uint32_t (&list)[N], std::uint32_t id) {
  return std::find(std::begin(list), std::end(list), id) != std::end(list);
}


}  // namespace

CPspDIYBRSystem::CPspDIYBRSystem(QWidget* parent)
    : CPspRouterTab(kTemplateId, kPageCode, kIdTabSystem, kResultLine, parent) {
  NoFirstRead();
}

CPspDIYBRSystem::~CPspDIYBRSystem() = default;

bool CPspDIYBRSystem::OnInitDialog() {
  CPspEx::OnInitDialog();
  greekFont_ = MakeGreekFont(font());
  const struct {
    int id;
    StringId text;
    void (CPspDIYBRSystem::*handler)();
  } buttons[] = {{kOpenWebButton, kIdAdvSystemOpenWebPage, &CPspDIYBRSystem::OnOpenWebPage},
                 {kRestartButton, kIdAdvSystemRestart, &CPspDIYBRSystem::OnRestart},
                 {kRestoreButton, kIdAdvSystemRestoreDefaults, &CPspDIYBRSystem::OnRestoreDefaults},
                 {kChangeButton, kIdAdvSystemChangePassword, &CPspDIYBRSystem::OnChangePassword}};
  for (const auto& b : buttons) {
    auto* button = ControlAs<QPushButton>(b.id);
    if (button == nullptr) continue;
    SetButtonText(button, UiText(b.text));
    button->setEnabled(true);
    if (greekFont_) button->setFont(*greekFont_);
    connect(button, &QPushButton::clicked, this, b.handler);
  }
  if (auto* group = ControlAs<QGroupBox>(kPasswordGroup)) {
    group->setTitle(UiText(kIdAdvSystemPasswordGroup));
    if (greekFont_) group->setFont(*greekFont_);
  }
  const struct {
    int label, edit;
    StringId text;
  } rows[] = {{kCurrentLabel, kCurrentEdit, kIdAdvSystemCurrentPasswordLabel},
              {kNewLabel, kNewEdit, kIdAdvSystemNewPasswordLabel},
              {kConfirmLabel, kConfirmEdit, kIdAdvSystemConfirmPasswordLabel}};
  for (const auto& row : rows) {
    if (auto* label = ControlAs<QLabel>(row.label)) {
      label->setText(UiText(row.text) + QStringLiteral(":"));
      label->setBuddy(Control(row.edit));
      if (greekFont_) label->setFont(*greekFont_);
    }
    SetPasswordMask(Control(row.edit), true);
    // One more than the router keeps, so a word that is too long is seen
    // and refused rather than silently cut.
    if (auto* edit = ControlAs<QLineEdit>(row.edit)) edit->setMaxLength(static_cast<int>(kRouterPasswordMax) + 1);
  }
  const std::uint32_t language = WizardState::Instance().languageId;
  if (In(kWideLanguages, language)) {
    for (int id : {kRestartButton, kRestoreButton, kOpenWebButton}) {
      QWidget* button = Control(id);
      SetControlWidth(button, GetControlWidth(button) + 55);
    }
  }
  if (In(kTallRestoreLanguages, language)) {
    QWidget* button = Control(kRestoreButton);
    SetControlHeight(button, GetControlHeight(button) + 10);
  }
  for (const auto& b : buttons) FitButtonToText(ControlAs<QPushButton>(b.id));
  return true;
}

bool CPspDIYBRSystem::OnSetActive() {
  if (auto* text = ControlAs<QLabel>(kDescription)) text->setText(UiText(kIdAdvSystemIntro));
  // The open-web-page button needs an address to open.
  if (QWidget* open = Control(kOpenWebButton)) open->setEnabled(!WizardState::Instance().routerAddress.empty());
  return CPspRouterTab::OnSetActive();
}

void CPspDIYBRSystem::ShowAccessFailure(RouterAccessOutcome) { ShowResultText(kIdAdvSystemFailed, kRed); }

void CPspDIYBRSystem::OnOpenWebPage() {
  ClearResult();
  if (WizardState::Instance().routerAddress.empty()) return;
  const QString url = QStringLiteral("http://") + QString::fromLocal8Bit(WizardState::Instance().routerAddress.c_str());
  // No browser to hand it to: the user is told the address to type into one.
  if (!OpenUrl(url)) {
    ShowMessage(UiText(kIdProductTitle), UiText(kIdBrowserNotOpened).replace(QStringLiteral("%s"), url),
                kMbIconInformation, this);
  }
}

void CPspDIYBRSystem::OnRestart() {
  // After a factory reset (or a new LAN address) the router comes back in
  // another network: the PC follows it, and the line says whether it did.
  RestartAfterAsking(kIdAdvSystemWorking, kIdAdvSystemDone, kIdAdvSystemFailed, kIdAdvSystemFailed);
}

void CPspDIYBRSystem::OnRestoreDefaults() {
  for (int id : FieldLabelIds()) MarkField(Control(id), true);
  ClearResult();
  if (!AskFirst(kIdAdvSystemConfirmRestore)) return;
  // The router only takes the order here; it restarts later, so the wait is
  // one of storing, not of a restart.
  RunWithLogin(
      kIdAdvSystemWorking,
      [&] {
        const bool reset = ResetRouterToDefaults(WizardState::Instance());
        if (reset) {
          PendingMove().FactoryReset();
          NoteRouterChanged();
        }
        ShowResultText(reset ? kIdAdvSystemDoneAfterRestart : kIdAdvSystemFailed, reset ? kBlue : kRed);
        return reset;
      },
      kIdWaitStoreRouter);
}

void CPspDIYBRSystem::OnChangePassword() {
  auto* current = ControlAs<QLineEdit>(kCurrentEdit);
  auto* next = ControlAs<QLineEdit>(kNewEdit);
  auto* confirm = ControlAs<QLineEdit>(kConfirmEdit);
  if (current == nullptr || next == nullptr || confirm == nullptr) return;
  ClearResult();
  const PasswordCheck check = CheckPasswordChange(ToLocal8(current->text()), ToLocal8(next->text()),
                                                  ToLocal8(confirm->text()), WizardState::Instance());
  MarkField(Control(kCurrentLabel), check.currentOk);
  MarkField(Control(kNewLabel), check.newOk);
  MarkField(Control(kConfirmLabel), check.confirmOk);
  if (!check.Passed()) {
    if (check.colonRefused) ShowResultText(kIdLoginWordNoColon, kRed);
    else if (check.showError) ShowResultText(kIdAdvSystemFailed, kRed);
    return;
  }
  if (!AskFirst(kIdAdvSystemConfirmPassword)) return;
  // The change needs no search or login of its own: the router checks the
  // current word itself.
  BusyScope busy(this, kIdWaitStoreRouter);
  ShowResultText(kIdAdvSystemWorking, kBlack);
  const PasswordChangeOutcome outcome =
      ChangePasswordAndLogin(ToLocal8(current->text()), ToLocal8(next->text()), WizardState::Instance());
  switch (outcome) {
    case PasswordChangeOutcome::kChanged:
      current->clear();
      next->clear();
      confirm->clear();
      ShowResultText(kIdAdvSystemDone, kBlack);
      break;
    case PasswordChangeOutcome::kCurrentRefused:
      // The one entry the router judged: say which, and what to type.
      MarkField(Control(kCurrentLabel), false);
      ShowResultText(kIdAdvSystemCurrentPasswordRefused, kRed);
      break;
    case PasswordChangeOutcome::kRouterSilent:
      ShowResultText(kIdRouterDidNotAnswer, kRed);
      break;
    case PasswordChangeOutcome::kRouterError:
      ShowResultText(kIdRouterReportedError, kRed);
      break;
    case PasswordChangeOutcome::kWordUnfit:
      MarkField(Control(kNewLabel), false);
      ShowResultText(kIdLoginWordNoColon, kRed);
      break;
  }
}

}  // namespace kelvane
