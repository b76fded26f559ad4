#include "pages/WLanKeyHelp.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "language/StringIds.h"
#include "steps/kit/WirelessKeyRule.h"
#include "wizard/MessageBox.h"
#include "wizard/UiText.h"

namespace kelvane {

WLanKeyHelp::WLanKeyHelp(QWidget* page, QLineEdit* key) : QObject(page), key_(key) {
  show_ = new QCheckBox(UiText(kIdShowKey), page);
  show_->setObjectName(QStringLiteral("showKey"));
  rule_ = new QLabel(page);
  rule_->setObjectName(QStringLiteral("keyRule"));
  // Beside the key: the box; below it: the rule. The key field gives way
  // when the box's text is wider than the room beside it.
  const QRect k = key_->geometry();
  const int boxWidth = show_->sizeHint().width();
  const int room = page->width() - 4 - (k.right() + 6);
  if (boxWidth > room) key_->resize(std::max(k.width() / 2, k.width() - (boxWidth - room)), k.height());
  show_->setGeometry(key_->geometry().right() + 6, k.y(), boxWidth, k.height());
  rule_->setGeometry(k.x(), k.bottom() + 2, page->width() - 4 - k.x(), rule_->sizeHint().height());
  show_->hide();
  rule_->hide();
  connect(show_, &QCheckBox::toggled, key_,
          [this](bool on) { key_->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password); });
}

void WLanKeyHelp::Update(std::int32_t securityMode, bool keyShown) {
  const StringId rule = KeyRuleText(securityMode);
  show_->setVisible(keyShown);
  rule_->setText(rule != 0 ? UiText(rule) : QString());
  rule_->setVisible(keyShown && rule != 0);
}

void WLanKeyHelp::Reset() {
  show_->setChecked(false);
  key_->setEchoMode(QLineEdit::Password);
  noneConfirmed_ = false;
}

bool WLanKeyHelp::ConfirmNoSecurity(QWidget* parent) {
  if (noneConfirmed_) return true;
  const int answer = ShowMessageEx(UiText(kIdProductTitle), UiText(kIdConfirmNoSecurity),
                                   kMbYesNo | kMbIconExclamation | kMbDefButton2, UiText(kIdYesButton), UiText(kIdNoButton), QString(),
                                   parent);
  noneConfirmed_ = answer == kAnswerYes;
  return noneConfirmed_;
}

QString WirelessProblemText(const std::string& ssid, std::int32_t securityMode, const std::string& key) {
  QString text = UiText(kIdWirelessInputError);
  for (StringId problem : {SsidProblemText(ssid), securityMode != 0 ? KeyProblemText(securityMode, key) : 0u}) {
    if (problem != 0) text += QStringLiteral("\n") + UiText(problem);
  }
  return text;
}

}  // namespace kelvane
