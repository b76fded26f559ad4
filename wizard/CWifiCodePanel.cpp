#include "wizard/CWifiCodePanel.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>

#include <algorithm>

#include "language/StringIds.h"
#include "state/WizardState.h"
#include "steps/kit/WifiJoinText.h"
#include "wizard/CQrCodeView.h"
#include "wizard/MessageBox.h"
#include "wizard/SaveFileName.h"
#include "wizard/UiText.h"

namespace kelvane {

QString SecurityModeName(std::int32_t securityMode) {
  switch (securityMode) {
    case kSecurityWep: return UiText(kIdWirelessSecurityWep);
    case kSecurityWpaPsk: return UiText(kIdWirelessWpaPsk);
    case kSecurityWpa2Psk: return UiText(kIdAdvWirelessWpa2Psk);
    case kSecurityWpaMixed:
    case kSecurityWpaMixedAlt: return UiText(kIdAdvWirelessWpaWpa2Psk);
    default: return UiText(kIdWirelessSecurityNone);
  }
}

CWifiCodePanel::CWifiCodePanel(QWidget* parent) : QWidget(parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* nameLabel = new QLabel(UiText(kIdWirelessSsidLabel) + QStringLiteral(":"), this);
  name_ = new QLabel(this);
  name_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* modeLabel = new QLabel(UiText(kIdWirelessSecurityLabel) + QStringLiteral(":"), this);
  mode_ = new QLabel(this);
  keyLabel_ = new QLabel(UiText(kIdWirelessKeyLabel) + QStringLiteral(":"), this);
  key_ = new QLineEdit(this);
  key_->setReadOnly(true);
  key_->setEchoMode(QLineEdit::Password);
  key_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // "*", as the pages' fields
  keyLabel_->setBuddy(key_);
  show_ = new QCheckBox(UiText(kIdShowKey), this);
  connect(show_, &QCheckBox::toggled, this,
          [this](bool on) { key_->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password); });
  hint_ = new QLabel(UiText(kIdWifiCodeHint), this);
  hint_->setWordWrap(true);
  save_ = new QPushButton(UiText(kIdSaveCard), this);
  connect(save_, &QPushButton::clicked, this, &CWifiCodePanel::OnSave);
  code_ = new CQrCodeView(this);
  code_->setAccessibleName(UiText(kIdWifiCodeHint));

  grid->addWidget(nameLabel, 0, 0);
  grid->addWidget(name_, 0, 1, 1, 2);
  grid->addWidget(modeLabel, 1, 0);
  grid->addWidget(mode_, 1, 1, 1, 2);
  grid->addWidget(keyLabel_, 2, 0);
  grid->addWidget(key_, 2, 1);
  grid->addWidget(show_, 2, 2);
  grid->addWidget(hint_, 3, 0, 1, 3);
  grid->addWidget(save_, 4, 0, 1, 1, Qt::AlignLeft);
  grid->setRowStretch(5, 1);
  grid->setColumnStretch(1, 1);
  grid->addWidget(code_, 0, 3, 6, 1, Qt::AlignRight | Qt::AlignTop);
}

void CWifiCodePanel::SetHintShown(bool shown) {
  hint_->setVisible(shown);
  code_->setToolTip(shown ? QString() : hint_->text());
}

void CWifiCodePanel::DetachCode(QWidget* owner) {
  layout()->removeWidget(code_);
  code_->setParent(owner);
  code_->show();
}

void CWifiCodePanel::SetNetwork(const std::string& ssid, std::int32_t securityMode, const std::string& key,
                                bool hidden) {
  ssid_ = ssid;
  key8_ = securityMode == kSecurityNone ? std::string() : key;
  mode8_ = securityMode;
  joinText_ = WifiJoinText(ssid, securityMode, key8_, hidden);
  name_->setText(QString::fromUtf8(ssid.data(), static_cast<qsizetype>(ssid.size())));
  mode_->setText(SecurityModeName(securityMode));
  key_->setText(QString::fromUtf8(key8_.data(), static_cast<qsizetype>(key8_.size())));
  // The field is as wide as the key, masked or shown, within reason (the
  // longest keys scroll).
  const QFontMetrics metrics(key_->font());
  const int keyWidth = std::max(metrics.horizontalAdvance(key_->text()),
                                metrics.horizontalAdvance(QString(key_->text().size(), QLatin1Char('*'))));
  key_->setMinimumWidth(std::min(keyWidth + 12, 28 * metrics.averageCharWidth()));
  const bool keyed = securityMode != kSecurityNone;
  keyLabel_->setVisible(keyed);
  key_->setVisible(keyed);
  show_->setVisible(keyed);
  show_->setChecked(false);
  code_->SetData(QByteArray::fromStdString(joinText_));
}

void CWifiCodePanel::PaintCard(QPainter& painter, const QRectF& page) const {
  painter.fillRect(page, Qt::white);
  painter.setPen(Qt::black);
  const double unit = page.width() / 100.0;
  QFont title = painter.font();
  title.setPixelSize(static_cast<int>(unit * 6));
  title.setBold(true);
  QFont body = title;
  body.setPixelSize(static_cast<int>(unit * 4));
  body.setBold(false);
  QFont value = body;
  value.setBold(true);
  double y = page.top() + unit * 8;
  painter.setFont(title);
  painter.drawText(QRectF(page.left(), y, page.width(), unit * 10), Qt::AlignHCenter | Qt::AlignTop,
                   UiText(kIdWifiCardTitle));
  y += unit * 14;
  const auto row = [&](const QString& label, const QString& text) {
    painter.setFont(body);
    painter.drawText(QRectF(page.left() + unit * 8, y, unit * 84, unit * 6), Qt::AlignLeft | Qt::AlignTop, label);
    painter.setFont(value);
    painter.drawText(QRectF(page.left() + unit * 8, y + unit * 5, unit * 84, unit * 8),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, text);
    y += unit * 14;
  };
  row(UiText(kIdWirelessSsidLabel), QString::fromUtf8(ssid_.data(), static_cast<qsizetype>(ssid_.size())));
  row(UiText(kIdWirelessSecurityLabel), SecurityModeName(mode8_));
  if (mode8_ != kSecurityNone) {
    row(UiText(kIdWirelessKeyLabel), QString::fromUtf8(key8_.data(), static_cast<qsizetype>(key8_.size())));
  }
  const double side = std::min(page.width() * 0.7, page.bottom() - y - unit * 12);
  code_->Paint(painter, QRectF(page.center().x() - side / 2, y, side, side));
  painter.setFont(body);
  painter.drawText(QRectF(page.left() + unit * 8, y + side + unit * 2, unit * 84, unit * 10),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, UiText(kIdWifiCodeHint));
}

QImage CWifiCodePanel::RenderCard() const {
  QImage image(1240, 1754, QImage::Format_RGB32);  // A5 at 150 dpi
  QPainter painter(&image);
  PaintCard(painter, QRectF(0, 0, image.width(), image.height()));
  return image;
}

bool CWifiCodePanel::SaveCard(const QString& path) const {
  if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A5));
    pdf.setResolution(150);
    pdf.setTitle(UiText(kIdWifiCardTitle));
    QPainter painter;
    if (!painter.begin(&pdf)) return false;
    PaintCard(painter, QRectF(0, 0, pdf.width(), pdf.height()));
    return painter.end();
  }
  return RenderCard().save(path, "PNG");
}

void CWifiCodePanel::OnSave() {
  const QString filters = UiText(kIdPngImage) + QStringLiteral(" (*.png);;") + UiText(kIdPdfDocument) +
                          QStringLiteral(" (*.pdf)");
  QString path = AskSaveFileName(this, QStringLiteral("wifi.png"), filters);
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
  if (!SaveCard(path)) ShowMessage(UiText(kIdProductTitle), UiText(kIdFileNotSaved), kMbIconExclamation, this);
}

}  // namespace kelvane
