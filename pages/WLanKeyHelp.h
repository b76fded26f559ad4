// What the easy wireless page tells a beginner about the key: a "Show" box
// beside the masked key, the rule for the chosen mode in words below it, the
// one-time question before a network goes without security, and the refusing
// check's words for what is wrong.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace kelvane {

class WLanKeyHelp : public QObject {
  Q_OBJECT

 public:
  static constexpr int kProposedIndex = 3;  // WPA2-PSK, the strongest mode the router offers

  WLanKeyHelp(QWidget* page, QLineEdit* key);

  // Shows the box and the rule for `securityMode` when the key is shown.
  void Update(std::int32_t securityMode, bool keyShown);
  // Masks the key again and forgets an earlier answer (page activation).
  void Reset();
  // Asks once whether the network should really go without security.
  bool ConfirmNoSecurity(QWidget* parent);

  QCheckBox* ShowBox() const { return show_; }
  QLabel* Rule() const { return rule_; }

 private:
  QLineEdit* key_;
  QCheckBox* show_;
  QLabel* rule_;
  bool noneConfirmed_ = false;
};

// The input-error text with what exactly is wrong with the name and the key.
QString WirelessProblemText(const std::string& ssid, std::int32_t securityMode, const std::string& key);

}  // namespace kelvane
