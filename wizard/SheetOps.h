// What a page may ask of the sheet that holds it. Both sheets (the main wizard
// sheet and the router-management sheet) implement it; a page finds its sheet
// by walking up its parent chain (CPspEx::Sheet()).
#pragma once

namespace kelvane {

class CPspEx;

class SheetOps {
 public:
  virtual ~SheetOps() = default;

  // Show or hide / enable or disable Back, Next, Cancel and Finish. A button the
  // sheet does not have is left alone.
  virtual void ShowWizardButtons(bool back, bool next, bool cancel, bool finish) = 0;
  virtual void EnableWizardButtons(bool back, bool next, bool cancel, bool finish) = 0;
  virtual void ShowHelpButton(bool show) = 0;
  virtual void EnableHelpButton(bool enable) = 0;
  virtual void ShowAndEnableHelpButton(bool show, bool enable) = 0;
  // Moves Back right by dx and widens it by dw pixels.
  virtual void ShiftBackButton(int dx, int dw) = 0;
  virtual void HideHelpWindow() = 0;
  // Makes `page` (a member page of this sheet) the active one; false when the
  // page does not belong to the sheet.
  virtual bool SetActivePage(CPspEx* page) = 0;
  // The cancel prompt; true when the user answered Yes.
  virtual bool ConfirmCancel() = 0;
  // The member page built from dialog template `templateId`, or null.
  virtual CPspEx* FindPageByTemplate(int templateId) const = 0;
  // A step of `page` starts / ends (BusyScope). The main sheet disables its
  // buttons and Help while it runs and gives the page `after` at the end; the
  // router sheet disables itself. The sheets also refuse to close or move
  // while the active page is busy.
  virtual void EnterBusy(CPspEx* page) = 0;
  virtual void LeaveBusy(CPspEx* page) = 0;
  // A page changed its caption or header texts; the sheet redraws its header
  // when that page is the active one. Optional.
  virtual void PageTextsChanged(CPspEx* /*page*/) {}
  // Ends the sheet's modal run with `result` without asking the active page
  // (the welcome page's language change). Optional.
  virtual void EndSheet(int /*result*/) {}
};

}  // namespace kelvane
