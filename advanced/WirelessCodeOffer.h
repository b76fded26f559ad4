// The wireless tab's "Code for phones…" button: offered after a read or a
// store that succeeded, it opens the code of the network the router holds
// (kept here as the router told it, never what the page's fields hold).
#pragma once

#include <QObject>

#include "steps/advanced/AdvancedWirelessStep.h"

class QLineEdit;
class QPushButton;
class QWidget;

namespace kelvane {

class WirelessCodeOffer : public QObject {
  Q_OBJECT

 public:
  // The button goes right of the name field `ssidEdit`.
  WirelessCodeOffer(QWidget* page, QWidget* ssidEdit);

  // Shows the button for `network` when it is known, hides it otherwise.
  void Offer(const JoinableNetwork& network);
  QPushButton* Button() const { return button_; }

 private:
  void Open();

  QPushButton* button_;
  JoinableNetwork network_;
};

}  // namespace kelvane
