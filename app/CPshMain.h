// The one window of the quick-setup mode: a wizard sheet with a header band
// (bitmap, title, subtitle), a stack of member pages and the Help, Back, Next,
// Finish and Cancel buttons. It owns every page of the easy mode and the
// advanced menu page; the pages move between each other explicitly by asking
// the sheet to activate a member page. The sheet holds no settings: what the
// pages share lives in WizardState, which survives the rebuild of the sheet
// after a language change.
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "wizard/CSheetBase.h"

class QFont;
class QFrame;
class QLabel;
class QPushButton;
class QStackedWidget;
class QWidget;

namespace kelvane {

class CPspEx;
class CPspWelcome;
class CPspSetupType;

class CPshMain : public CSheetBase {
  Q_OBJECT

 public:
  // Control IDs of the sheet's own buttons (the wizard frame's command IDs).
  static constexpr int kButtonBack = 0x3023;
  static constexpr int kButtonNext = 0x3024;
  static constexpr int kButtonFinish = 0x3025;
  static constexpr int kButtonCancel = 2;
  static constexpr int kButtonHelp = 9;
  // The version the title carries, whatever the language.
  static constexpr const char* kVersionSuffix = ", V2.5.0.0";

  // `headerBitmap`: the picture of the header band (bitmap 500 when null).
  explicit CPshMain(const QPixmap& headerBitmap = QPixmap(), QWidget* parent = nullptr);
  ~CPshMain() override;

  // Runs the sheet modally until it is ended (Finish, Cancel, EndSheet);
  // answers the dialog's result. A page that hides the window for a sheet of
  // its own (the router sheet) does not end it.
  int DoModal();
  void done(int result) override;
  // Ends the modal run with `result` without asking the active page (the
  // welcome page uses it for a language change).
  void EndSheet(int result) override;

  // ---- SheetOps ----
  void ShowWizardButtons(bool back, bool next, bool cancel, bool finish) override;
  void EnableWizardButtons(bool back, bool next, bool cancel, bool finish) override;
  void ShowHelpButton(bool show) override;
  void EnableHelpButton(bool enable) override;
  void ShowAndEnableHelpButton(bool show, bool enable) override;
  void ShiftBackButton(int dx, int dw) override;
  bool SetActivePage(CPspEx* page) override;
  bool ConfirmCancel() override;
  void PageTextsChanged(CPspEx* page) override;

  // ---- pages ----
  // Appends a member page (the sheet takes ownership). The constructor adds
  // the pages of the wizard in their order.
  void AddPage(CPspEx* page);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  CPspEx* Page(int index) const;
  int PageIndex(const CPspEx* page) const;  // -1 when not a member
  CPspEx* ActivePage() const override { return active_; }
  int ActiveIndex() const { return PageIndex(active_); }
  // The member page built from dialog template `templateId`, or null when the
  // sheet has no such page (a page of a later setup stage not built yet).
  CPspEx* FindPageByTemplate(int templateId) const override;
  void EnterBusy(CPspEx* page) override;
  void LeaveBusy(CPspEx* page) override;
  CPspWelcome* Welcome() const { return welcome_; }
  CPspSetupType* SetupType() const { return setupType_; }

  QPushButton* Button(int id) const;
  // The button font of Greek; null in every other language.
  const QFont* ButtonFont() const { return buttonFont_.get(); }
  QWidget* HeaderArea() const { return header_; }
  QString HeaderTitleText() const;
  QString HeaderSubTitleText() const;

 public slots:
  void OnBack();
  void OnNext();
  void OnFinish();
  void OnHelp() override;
  // Cancel, Escape and the window's close button: asks the active page.
  void reject() override;

 protected:
  QPushButton* HelpButton() const override { return helpButton_; }
  QPushButton* DefaultButton() const override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void BuildFrame();
  void InitButtons();
  void LayoutButtons();
  void LayoutFrame();
  void PlaceStack();
  void UpdateHeader();
  void SetButtonText(QPushButton* button, const QString& text);
  void RewrapButton(QPushButton* button);
  void FocusFirstControl(CPspEx* page);
  void MarkDefaultButton();
  void AssignButtonAccessKeys();
  void SaveDemoScreenshot();

  std::vector<CPspEx*> pages_;  // member pages in sheet order (children of stack_)
  CPspWelcome* welcome_ = nullptr;
  CPspSetupType* setupType_ = nullptr;
  CPspEx* active_ = nullptr;

  QPixmap headerBitmap_;
  QWidget* header_ = nullptr;
  QLabel* headerPicture_ = nullptr;
  QLabel* headerTitle_ = nullptr;
  QLabel* headerSubTitle_ = nullptr;
  QFrame* headerLine_ = nullptr;
  QFrame* buttonLine_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QPushButton* helpButton_ = nullptr;
  QPushButton* back_ = nullptr;
  QPushButton* next_ = nullptr;
  QPushButton* finish_ = nullptr;
  QPushButton* cancel_ = nullptr;
  std::unique_ptr<QFont> buttonFont_;

  QSize baseUnits_;
  int headerHeight_ = 0;
  int pageAreaHeight_ = 0;
  int pageAreaWidth_ = 0;
  QPoint backShift_;  // the pages' ShiftBackButton moves (x: dx, y: dw)
  bool ending_ = false;
  bool finished_ = false;       // done() ran: the modal run is over
  int hiddenWhileRunning_ = 0;  // hides by a page, each of which ends exec()
  int screenshotCount_ = 0;
};

}  // namespace kelvane
