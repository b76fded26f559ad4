// What the two sheets (the main wizard sheet and the router sheet) share: the
// help window and its topics, the keys (Enter presses the default button,
// Escape is Cancel, F1 is Help), the busy guard of close, and how their
// buttons are made.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPointer>

#include <cstdint>
#include <memory>

#include "wizard/SheetOps.h"

class QKeyEvent;
class QPushButton;

namespace kelvane {

class CDlgHelp;
class CPspEx;

class CSheetBase : public QDialog, public SheetOps {
  Q_OBJECT

 public:
  explicit CSheetBase(QWidget* parent = nullptr);
  ~CSheetBase() override;

  // The help window, null until Help was first asked for.
  CDlgHelp* HelpWindow() const { return help_.get(); }
  void HideHelpWindow() override;
  // The string IDs of the help title and text for a page code; false (and both
  // 0) for codes without help.
  static bool HelpTopic(std::uint32_t pageCode, std::uint32_t& titleId, std::uint32_t& textId);

  virtual CPspEx* ActivePage() const = 0;
  // Whether the active page runs a step: the sheet then refuses to close, to
  // move and to open Help.
  bool ActiveBusy() const;

 public slots:
  virtual void OnHelp();

 protected:
  virtual QPushButton* HelpButton() const = 0;
  // The button Enter presses when the focus is on none: the main sheet's Next
  // or Finish, whichever is shown and enabled; null when there is none.
  virtual QPushButton* DefaultButton() const = 0;
  // A push button with the control ID `id`. It is not Qt's auto-default
  // button: the sheet decides what Enter presses (keyPressEvent).
  QPushButton* MakeButton(int id);
  // Shows the help of `pageCode` (title and body from the help table).
  void ShowHelpTopic(std::uint32_t pageCode);
  // Closes the help window for good (a sheet's destructor, before its pages go).
  void DropHelpWindow();
  // Whether the sheet may close now: no step runs and the active page agrees.
  // While a step runs, the status line above the buttons says why not.
  bool PageAllowsClose() const;
  void keyPressEvent(QKeyEvent* event) override;

 public:
  // The status line that says a step cannot be interrupted; null until first
  // needed, hidden once the step is over.
  QLabel* BusyNotice() const { return busyNotice_.data(); }

 private:
  void ShowBusyNotice() const;

  std::unique_ptr<CDlgHelp> help_;
  mutable QPointer<QLabel> busyNotice_;
};

}  // namespace kelvane
