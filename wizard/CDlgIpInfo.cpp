#include "wizard/CDlgIpInfo.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include "language/StringIds.h"
#include "net/host/HostNetwork.h"
#include "wizard/CStaticText.h"
#include "wizard/CWaitStrip.h"
#include "wizard/DialogTemplate.h"
#include "wizard/PageKit.h"
#include "wizard/PumpWait.h"
#include "wizard/Resources.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {
constexpr int kModeFontPx = 14;
constexpr int kRightInsetPx = 20;  // fields and Renew end this far inside the right edge
constexpr int kButtonGapPx = 6;
constexpr int kLabelGapPx = 4;
constexpr int kModeMinFontPx = 9;
constexpr StringId kLabelTexts[5] = {kIdPcIpAddressLabel, kIdPcSubnetMaskLabel, kIdPcGatewayLabel,
                                     kIdPcPrimaryDnsLabel, kIdPcSecondaryDnsLabel};
}  // namespace

CDlgIpInfo::CDlgIpInfo(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("CDlgIpInfo"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowIcon(LoadIconResource(kIconApplication));
  DialogTemplate tpl;
  if (LoadDialogTemplate(kTemplateId, tpl)) BuildTemplateControls(this, tpl);
  setFixedSize(size());
  setWindowTitle(UiText(kIdPcStatusCaption));

  if (auto* group = qobject_cast<QGroupBox*>(Control(kGroup))) group->setTitle(UiText(kIdIpInfoGroup));
  if (auto* mode = qobject_cast<CStaticText*>(Control(kModeText))) {
    mode->SetFont(kModeFontPx, true);
    mode->clear();
  }
  // Labels longer than their column (German, Russian, Greek) widen the
  // column, and the dialog with it, so that every field keeps its width.
  int labelWidth = 0;
  int grow = 0;
  for (int i = 0; i < 5; ++i) {
    auto* label = qobject_cast<QLabel*>(Control(kLabels[i]));
    if (label == nullptr) continue;
    label->setText(UiText(kLabelTexts[i]) + QStringLiteral(":"));
    labelWidth = std::max(labelWidth, label->fontMetrics().horizontalAdvance(label->text()) + 4);
  }
  if (QWidget* label = Control(kLabels[0]); label != nullptr) {
    if (QWidget* field = Control(kFields[0]); field != nullptr) {
      grow = std::max(0, label->x() + labelWidth + kLabelGapPx - field->x());
    }
  }
  if (grow > 0) {
    setFixedSize(width() + grow, height());
    if (QWidget* group = Control(kGroup)) group->resize(group->width() + grow, group->height());
    if (QWidget* mode = Control(kModeText)) mode->resize(mode->width() + grow, mode->height());
  }
  for (int i = 0; i < 5; ++i) {
    auto* label = qobject_cast<QLabel*>(Control(kLabels[i]));
    QWidget* field = Control(kFields[i]);
    if (label != nullptr) {
      label->resize(std::max(label->width(), labelWidth), label->height());
      label->setBuddy(field);
    }
    if (field != nullptr) {
      // Each field reaches to 20 pixels inside the right edge.
      field->move(field->x() + grow, field->y());
      field->setGeometry(field->x(), field->y(), width() - kRightInsetPx - field->x(), field->height());
      field->setAccessibleName(UiText(kLabelTexts[i]));
    }
  }
  if (grow > 0) {
    if (QWidget* refresh = Control(kRefresh)) refresh->move(refresh->x() + grow / 2, refresh->y());
  }
  for (int id : kHidden) {
    if (QWidget* w = Control(id)) {
      w->hide();
      w->setEnabled(false);
    }
  }
  auto* refresh = qobject_cast<QPushButton*>(Control(kRefresh));
  auto* renew = qobject_cast<QPushButton*>(Control(kRenew));
  if (refresh != nullptr) {
    refresh->setText(UiText(kIdReadAgain));
    FitButtonToText(refresh);
    refresh->show();
    connect(refresh, &QPushButton::clicked, this, &CDlgIpInfo::Fill);
  }
  if (renew != nullptr) {
    renew->setText(UiText(kIdUpdate));
    FitButtonToText(renew);
    renew->hide();
    renew->move(width() - kRightInsetPx - renew->width(), renew->y());
    connect(renew, &QPushButton::clicked, this, &CDlgIpInfo::OnRenew);
    // Refresh keeps its place unless Renew, moved to the right edge, would
    // cover it; then Refresh steps left beside it.
    if (refresh != nullptr && refresh->geometry().right() + kButtonGapPx > renew->x()) {
      refresh->move(renew->x() - kButtonGapPx - refresh->width(), refresh->y());
    }
  }
}

CDlgIpInfo::~CDlgIpInfo() = default;

QWidget* CDlgIpInfo::Control(int id) const { return FindControl(this, id); }

void CDlgIpInfo::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!firstShow_) return;
  firstShow_ = false;
  // The first read starts once the dialog is on screen.
  QTimer::singleShot(0, this, &CDlgIpInfo::Fill);
}

void CDlgIpInfo::reject() {
  if (busy_) return;
  QDialog::reject();
}

// The mode text is drawn 14 pixels high and bold; a translation too long for
// one line at that size gets the largest smaller size that fits.
void CDlgIpInfo::FitModeText() {
  auto* mode = qobject_cast<CStaticText*>(Control(kModeText));
  if (mode == nullptr) return;
  for (int px = kModeFontPx; px >= kModeMinFontPx; --px) {
    mode->SetFont(px, true);
    if (QFontMetrics(mode->OwnFont()).horizontalAdvance(mode->text()) <= mode->width()) break;
  }
  mode->repaint();
}

void CDlgIpInfo::EmptyFields() {
  for (int id : kFields) {
    if (auto* field = qobject_cast<QLineEdit*>(Control(id))) field->clear();
  }
}

void CDlgIpInfo::Fill() {
  if (busy_) return;
  QPointer<CDlgIpInfo> self(this);
  busy_ = true;
  setEnabled(false);
  EmptyFields();
  repaint();
  PumpWait(kFillPauseMs);
  if (self.isNull()) return;
  HostAdapterInfo info;
  if (ActiveHostNetwork().GetHostNetworkInfo(info) && !self.isNull()) {
    const bool dhcp = info.dhcpEnabled != 0;
    if (auto* mode = qobject_cast<QLabel*>(Control(kModeText))) {
      mode->setText(UiText(dhcp ? kIdObtainAddressAutomatically : kIdUseThisAddress));
      FitModeText();
    }
    if (QWidget* renew = Control(kRenew)) {
      renew->setVisible(dhcp);
      renew->setEnabled(dhcp);
    }
    const std::string values[5] = {info.ipAddress.str(), info.subnetMask.str(), info.gateway.str(),
                                   info.dnsServer1.str(), info.dnsServer2.str()};
    for (int i = 0; i < 5; ++i) {
      if (auto* field = qobject_cast<QLineEdit*>(Control(kFields[i]))) {
        field->setText(QString::fromStdString(values[i]));
      }
    }
  }
  if (self.isNull()) return;
  setEnabled(true);
  busy_ = false;
  ++fills_;
}

void CDlgIpInfo::OnRenew() {
  if (busy_) return;
  QPointer<CDlgIpInfo> self(this);
  busy_ = true;
  setEnabled(false);
  EmptyFields();
  repaint();
  {
    LongWait wait(this, kIdWaitPcAddress);
    ActiveHostNetwork().RenewAllAdapters();
  }
  if (self.isNull()) return;
  busy_ = false;
  Fill();
}

}  // namespace kelvane
