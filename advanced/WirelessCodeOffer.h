// The wireless tab's "Code for phones…" button: offered after a read or a
// store that succeeded, it opens the code of the network the router holds.
#pragma once

#include <QObject>

class QLineEdit;
class QPushButton;
class QWidget;

namespace kelvane {

class WirelessCodeOffer : public QObject {
  Q_OBJECT

 public:
  // The button goes right of the name field `ssidEdit`.
  WirelessCodeOffer(QWidget* page, QWidget* ssidEdit);

  // Shows the button after a successful read or store, hides it otherwise.
  void Offer(bool ok);
  QPushButton* Button() const { return button_; }

 private:
  void Open();

  QPushButton* button_;
};

}  // namespace kelvane
