// main() of the GoogleTest GUI programs: one QApplication for all tests, on
// the offscreen platform unless the caller chose another.
//
// Pages run network steps. So that no GUI test can ever reach the machine's
// own network by accident, every program starts with the PC's network
// simulated (nothing answers, no adapter), the LAN probes aimed at a dead
// loopback port, and the Internet targets in the documentation ranges; a
// test that wants a router starts the emulator and points them at it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

#include "net/host/sim/SimHostNetwork.h"
#include "state/InternetTargets.h"
#include "state/ProbeTarget.h"
#include "wizard/PumpWait.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // KELVANE_TEST_PALETTE=dark runs the pages on a dark Fusion theme, to look
  // at (and test) them as a dark desktop shows them.
  if (qgetenv("KELVANE_TEST_PALETTE") == "dark") {
    QApplication::setStyle(QStringLiteral("Fusion"));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
    dark.setColor(QPalette::Text, QColor(235, 235, 235));
    dark.setColor(QPalette::Button, QColor(60, 60, 60));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    dark.setColor(QPalette::ToolTipBase, QColor(60, 60, 60));
    dark.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
    QApplication::setPalette(dark);
  }
  kelvane::InstallGuiWaitHook();

  static kelvane::SimHostNetwork quietPc;
  kelvane::SetActiveHostNetwork(&quietPc);
  kelvane::ProbeTarget& probe = kelvane::ProbeTarget::Instance();
  probe.destination = "127.0.0.1";
  probe.serverPort = 9;  // discard: nothing answers there
  probe.clientPort = 0;
  kelvane::InternetTargets& targets = kelvane::InternetTargets::Instance();
  targets.publicHost = "203.0.113.1";
  targets.publicDns = "198.51.100.53";
  targets.testSite = "www.kelvane.test";

  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
