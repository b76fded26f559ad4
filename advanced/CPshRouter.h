// The router sheet of the advanced mode: a tabbed sheet with the LAN,
// wireless (only when the router has a wireless part), WAN and system pages.
// It runs modally while the main wizard window is hidden; Help sits on the
// left, OK is hidden, and Cancel reads "Back" and closes the sheet. The pages
// share the login and result handling of CPspRouterTab.
#pragma once

#include <memory>
#include <vector>

#include "advanced/CPspRouterTab.h"
#include "wizard/CSheetBase.h"

class QFont;
class QPushButton;
class QTabWidget;

namespace kelvane {

class CPspEx;

class CPshRouter : public CSheetBase {
  Q_OBJECT

 public:
  static constexpr int kButtonOk = 1;
  static constexpr int kButtonCancel = 2;  // reads "Back", closes the sheet
  static constexpr int kButtonHelp = 9;

  explicit CPshRouter(QWidget* parent = nullptr);
  ~CPshRouter() override;

  int DoModal() { return exec(); }

  int PageCount() const { return static_cast<int>(pages_.size()); }
  CPspRouterTab* Page(int index) const;
  CPspEx* ActivePage() const override;
  QTabWidget* Tabs() const { return tabs_; }
  QPushButton* Button(int id) const;
  // The sheet's page of class P, or null when the sheet does not hold one.
  template <class P>
  P* PageOf() const {
    for (QObject* page : pages_) {
      if (auto* p = qobject_cast<P*>(page)) return p;
    }
    return nullptr;
  }

  // ---- SheetOps ----
  void ShowWizardButtons(bool back, bool next, bool cancel, bool finish) override;
  void EnableWizardButtons(bool back, bool next, bool cancel, bool finish) override;
  void ShowHelpButton(bool show) override;
  void EnableHelpButton(bool enable) override;
  void ShowAndEnableHelpButton(bool show, bool enable) override;
  void ShiftBackButton(int, int) override {}
  bool SetActivePage(CPspEx* page) override;
  bool ConfirmCancel() override { return true; }
  CPspEx* FindPageByTemplate(int templateId) const override;
  void EnterBusy(CPspEx* page) override;
  void LeaveBusy(CPspEx* page) override;

 public slots:
  // Back, Escape and the close box: the active page may refuse while busy.
  void reject() override;

 protected:
  QPushButton* HelpButton() const override { return helpButton_; }
  // None: OK is hidden, and a tab's Save stores on the router, which Enter in
  // a field should not do behind the user's back.
  QPushButton* DefaultButton() const override { return nullptr; }
  void showEvent(QShowEvent* event) override;

 private:
  void AddPage(CPspRouterTab* page);
  void OnTabChanged(int index);

  std::vector<CPspRouterTab*> pages_;  // in tab order
  std::vector<CPspRouterTab*> owned_;  // every page built, also one not shown
  QTabWidget* tabs_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* helpButton_ = nullptr;
  std::unique_ptr<QFont> greekFont_;
  int activeIndex_ = -1;
};

}  // namespace kelvane
