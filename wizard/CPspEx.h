// The base of every wizard page of both sheets. A page is a widget built from
// its dialog template: every control of the template becomes a child carrying
// its numeric control ID (Control(id)). On top of that the base gives the
// activation protocol's virtual steps and the helpers all pages use: marking
// a wrong field, masking a password field, measuring and moving controls in
// DPI-scaled units, page caption and header texts, and waiting while the
// window stays alive. Enter is the sheet's (CSheetBase::keyPressEvent).
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "wizard/DialogTemplate.h"
#include "wizard/PumpWait.h"

namespace kelvane {

class SheetOps;

// The sheet buttons a page shows and enables, as bit masks, and whether it
// shows Help: every page's activation in one value.
enum WizardButton : unsigned { kBtnBack = 1, kBtnNext = 2, kBtnCancel = 4, kBtnFinish = 8 };
struct ButtonChrome {
  unsigned shown = kBtnBack | kBtnNext | kBtnCancel;
  unsigned enabled = kBtnBack | kBtnNext | kBtnCancel;
  bool help = true;  // Help shown and enabled; false: hidden
};
// Back, Next and Cancel shown and enabled, Finish hidden, Help on: the state
// most pages take on activation and return to after every step.
inline constexpr ButtonChrome kStandardChrome{};

// What a page answers when the sheet is about to close (Cancel, Escape, the
// window's close box).
enum class CancelPolicy {
  kAlwaysAllow,            // close without a question
  kAskUnlessBusy,          // refuse while a step runs, else ask the cancel prompt
  kAllowUnlessBusy,        // refuse while a step runs, else close without a question
};

class CPspEx : public QWidget {
  Q_OBJECT

 public:
  // `templateId` names the dialog template the page is built from (0: an empty
  // page of the default size). The controls are created by Create().
  explicit CPspEx(int templateId = 0, QWidget* parent = nullptr);
  ~CPspEx() override;

  int TemplateId() const { return templateId_; }

  // Builds the controls from the template once, then runs OnInitDialog().
  // Sheets call it before a page is shown for the first time; calling it again
  // does nothing. Answers OnInitDialog's result (true when already created).
  bool Create();
  bool IsCreated() const { return created_; }

  // The control with the template's control ID, or null.
  QWidget* Control(int id) const;
  template <class T>
  T* ControlAs(int id) const {
    return qobject_cast<T*>(Control(id));
  }

  // The sheet this page belongs to: the nearest ancestor that implements
  // SheetOps (refreshed by FindSheet(), which OnSetActive implementations call
  // first), or the one set with AttachSheet().
  SheetOps* Sheet() const;
  SheetOps* FindSheet();
  void AttachSheet(SheetOps* sheet) { sheet_ = sheet; }

  // ---- the page family's virtual steps, called by the sheet ----
  // Runs once after the controls exist. Base: both scale factors back to 1.0.
  virtual bool OnInitDialog();
  // Base: page placement, then a repaint. Pages override it with the activation
  // protocol and call the base last.
  virtual bool OnSetActive();
  virtual bool OnKillActive() { return true; }
  // True allows the cancel. Base: the page's cancel policy.
  virtual bool OnQueryCancel();
  // -1 stays (or the page already activated its target), 0 lets the sheet move
  // to the previous / next page in its order.
  virtual int OnWizardBack() { return 0; }
  virtual int OnWizardNext() { return 0; }
  // True lets the sheet close.
  virtual bool OnWizardFinish() { return true; }

  // ---- the page kit: activation, busy flag, navigation ----
  // The common start of every activation: finds the sheet, hides the help
  // window, sets the sheet's buttons and Help as `chrome` says, and writes
  // `pageCode` to currentPageCode.
  void BeginActivation(const ButtonChrome& chrome, std::uint32_t pageCode);
  // Applies `chrome` to the sheet's buttons and Help.
  void ApplyChrome(const ButtonChrome& chrome);
  // What the page last applied (a step the page did not plan for, such as
  // saving a report, gives the buttons back as they were).
  const ButtonChrome& Chrome() const { return chrome_; }
  // True while a step of this page runs (set by BusyScope). The sheets refuse
  // to close, to navigate and to open Help while the active page is busy.
  bool IsBusy() const { return busy_; }
  void SetCancelPolicy(CancelPolicy policy) { cancelPolicy_ = policy; }
  CancelPolicy GetCancelPolicy() const { return cancelPolicy_; }
  // Activates the sheet's member page built from `templateId` and answers -1
  // ("stay" for the sheet's own navigation); the page handlers end with it.
  int GoTo(int templateId);
  template <class Page>
  int GoTo() {
    return GoTo(Page::kTemplateId);
  }

  // ---- helpers ----
  // Label text black when ok, red (255,0,0) when not; repainted at once.
  static void MarkField(QWidget* label, bool ok);
  // "*" for every character when on, clear text when off; a null control or a
  // control that is no line edit is left alone.
  static void SetPasswordMask(QWidget* edit, bool on);

  // Device pixels per logical inch ÷ 96, horizontally and vertically; stores
  // both and answers the horizontal one.
  float ComputeDpiScale();
  float ScaleX() const { return scaleX_; }
  float ScaleY() const { return scaleY_; }

  // Control geometry in page client coordinates and pixels. Every conversion
  // from the scale factors truncates toward zero. A null control gives 0 or is
  // ignored.
  static QPoint GetControlPos(const QWidget* control);  // x = left, y = top
  static int GetControlWidth(const QWidget* control);
  static int GetControlHeight(const QWidget* control);
  void SetControlWidth(QWidget* control, int width);    // width × horizontal scale
  void SetControlHeight(QWidget* control, int height);  // height × horizontal scale
  void MoveControlScaled(QWidget* control, int top, int left);
  // Recomputes the scale, then multiplies all four edges by the horizontal one.
  void ScaleControlRect(QWidget* control);

  // Caption and wizard header texts; a null QString is ignored.
  void SetPageCaption(const QString& text);
  void SetHeaderTitle(const QString& text);
  void SetHeaderSubTitle(const QString& text);
  QString PageCaption() const { return caption_; }
  bool HasOwnCaption() const { return hasCaption_; }
  QString HeaderTitle() const { return headerTitle_; }
  QString HeaderSubTitle() const { return headerSubTitle_; }
  // An exterior page (the welcome page) has no wizard header.
  void SetHeaderHidden(bool hidden) { headerHidden_ = hidden; }
  bool IsHeaderHidden() const { return headerHidden_; }

  // Template geometry: size in pixels and the base units used for it.
  QSize TemplateSizePx() const { return templateSizePx_; }
  // The page's size in pixels from its dialog template, also before the page
  // is created (the sheets size their page area with it); the default page
  // size for a page without a template.
  QSize PlannedSizePx() const;
  QSize BaseUnits() const { return baseUnits_; }
  // Where the base OnSetActive puts the page inside the sheet's page area:
  // (0, 1) and the template size plus (2, 29), as the wizard frame expects.
  QRect PagePlacement() const;
  QSize sizeHint() const override;

 protected:
  // Pixels per logical inch of the device the page is shown on (x, y).
  // Tests override it to stand in for other screens.
  virtual QSizeF LogicalDpi() const;

 private:
  friend class BusyScope;
  bool busy_ = false;
  ButtonChrome chrome_;
  CancelPolicy cancelPolicy_ = CancelPolicy::kAlwaysAllow;
  int templateId_ = 0;
  bool created_ = false;
  float scaleX_ = 1.0f;
  float scaleY_ = 1.0f;
  QSize templateSizePx_;
  QSize baseUnits_;
  SheetOps* sheet_ = nullptr;
  QString caption_;
  bool hasCaption_ = false;
  QString headerTitle_;
  QString headerSubTitle_;
  bool headerHidden_ = false;
};

}  // namespace kelvane
