// The router sheet's wireless code: the network the router holds, with the
// code phones scan to join and "Save…" for the card, in a small dialog.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

namespace kelvane {

class CWifiCodePanel;

class CDlgWifiCode : public QDialog {
  Q_OBJECT

 public:
  CDlgWifiCode(const std::string& ssid, std::int32_t securityMode, const std::string& key, QWidget* parent = nullptr);
  CWifiCodePanel* Panel() const { return panel_; }

 private:
  CWifiCodePanel* panel_;
};

}  // namespace kelvane
