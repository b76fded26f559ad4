#include "advanced/WirelessCodeOffer.h"

#include <QPushButton>

#include "language/StringIds.h"
#include "wizard/CDlgWifiCode.h"
#include "wizard/PageKit.h"
#include "wizard/UiText.h"

namespace kelvane {

WirelessCodeOffer::WirelessCodeOffer(QWidget* page, QWidget* ssidEdit) : QObject(page) {
  button_ = new QPushButton(UiText(kIdWifiCodeButton), page);
  button_->setObjectName(QStringLiteral("wifiCode"));
  if (auto greek = MakeGreekFont(button_->font())) button_->setFont(*greek);  // as the tab's other buttons
  const QRect edit = ssidEdit->geometry();
  const int left = edit.right() + 8;
  const int width = std::max(button_->sizeHint().width(), page->width() - 6 - left);
  button_->setGeometry(left, edit.y() - 2, width, std::max(edit.height() + 4, button_->sizeHint().height()));
  button_->hide();
  connect(button_, &QPushButton::clicked, this, &WirelessCodeOffer::Open);
}

void WirelessCodeOffer::Offer(const JoinableNetwork& network) {
  network_ = network;
  button_->setVisible(network_.known);
}

void WirelessCodeOffer::Open() {
  if (!network_.known) return;
  CDlgWifiCode dialog(network_.ssid, network_.mode, network_.key, button_->window());
  dialog.exec();
}

}  // namespace kelvane
