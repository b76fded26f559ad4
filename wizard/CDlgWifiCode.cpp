#include "wizard/CDlgWifiCode.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "language/StringIds.h"
#include "wizard/CWifiCodePanel.h"
#include "wizard/Resources.h"
#include "wizard/UiText.h"

namespace kelvane {

CDlgWifiCode::CDlgWifiCode(const std::string& ssid, std::int32_t securityMode, const std::string& key,
                           QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("CDlgWifiCode"));
  setWindowTitle(UiText(kIdWifiCodeCaption));
  setWindowIcon(LoadIconResource(kIconApplication));
  auto* layout = new QVBoxLayout(this);
  panel_ = new CWifiCodePanel(this);
  panel_->SetNetwork(ssid, securityMode, key);
  layout->addWidget(panel_);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close = buttons->addButton(UiText(kIdOk), QDialogButtonBox::AcceptRole);
  close->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kelvane
