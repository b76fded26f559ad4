// What the finish page adds to its verdict: the wireless network with the
// code that phones scan (when the wireless part was set up), the note
// about a WAN address that the provider translates further and the note on
// provider hosts that ignore echo.
#pragma once

#include <QString>

class QWidget;

namespace kelvane {

class CWifiCodePanel;

// The verdict, with the provider's translation note when the WAN test
// passed and read a shared or private WAN address, and the WAN test's note
// on provider hosts that passed it although they ignore echo.
QString FinishMessage(bool wanTestSkipped);

// Shows (creating it once) or hides the wireless panel on `page`, and lays
// out the message, the panel, its code and the open-the-router box.
CWifiCodePanel* LayOutFinishWireless(QWidget* page, CWifiCodePanel* panel, bool show);

}  // namespace kelvane
