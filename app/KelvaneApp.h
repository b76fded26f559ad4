// The start-up routine of the wizard: sockets, system information, the single
// instance and companion-utility locks, the router defaults, the start-up
// language, and the loop that loads a language module, runs the main wizard
// sheet, unloads the module, and starts over when the welcome page asked for
// another language. There is no main window besides the sheet.
#pragma once

#include <QString>

#include <functional>
#include <string>

namespace kelvane {

class CPshMain;

class KelvaneApp {
 public:
  // The start-up messages' English words, used only when no language module
  // can be read; normally they come from the catalogue (%s names the file).
  static const QString kSocketErrorText;
  static const QString kCompanionWarningCaption;
  static const QString kCompanionWarningText;
  static const QString kModuleMissingText;
  static const QString kErrorCaption;

  // The lock file of the companion wireless utility; the wizard refuses to run
  // while another process holds it, and holds it itself while it runs.
  static QString CompanionLockName() { return QStringLiteral("lmq-wireless-utility.lock"); }

  // Exit codes of Run().
  static constexpr int kExitOk = 0;
  static constexpr int kExitFailed = 1;

  // Runs the wizard to its end; the QApplication must exist. Answers the exit
  // code: 0 after the sheet closed or when another wizard was brought forward,
  // 1 when a start-up message ended the program.
  int Run();

  // Called for every sheet after it is built and before it runs (tests drive
  // the sheet from here; the application leaves it empty).
  void SetSheetHook(std::function<void(CPshMain&)> hook) { sheetHook_ = std::move(hook); }
  int SheetsBuilt() const { return sheetsBuilt_; }
  // How often a later start brought the running sheet forward.
  int TimesBroughtForward() const { return broughtForward_; }

  // Makes writes to a closed socket fail with EPIPE instead of ending the
  // process; this is all the socket start-up Linux needs.
  static bool StartSockets();

 private:
  std::function<void(CPshMain&)> sheetHook_;
  int sheetsBuilt_ = 0;
  int broughtForward_ = 0;
};

}  // namespace kelvane
