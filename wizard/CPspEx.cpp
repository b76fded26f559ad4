#include "wizard/CPspEx.h"

#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QWindow>

#include <cmath>

#include "state/WizardState.h"
#include "wizard/CStaticText.h"
#include "wizard/ReadableColour.h"
#include "wizard/SheetOps.h"

namespace kelvane {

namespace {

// Float to pixels: toward zero, as every helper of the page does.
int Truncate(double v) { return static_cast<int>(std::trunc(v)); }

// Page client coordinates of a control: relative to the page, whatever
// widget the control sits in.
QRect RectInPage(const QWidget* control, const QWidget* page) {
  if (control->parentWidget() == page || page == nullptr) return control->geometry();
  return QRect(control->mapTo(page, QPoint(0, 0)), control->size());
}

void SetRectInPage(QWidget* control, const QWidget* page, const QRect& r) {
  if (control->parentWidget() == page || page == nullptr || control->parentWidget() == nullptr) {
    control->setGeometry(r);
    return;
  }
  control->setGeometry(QRect(control->parentWidget()->mapFrom(page, r.topLeft()), r.size()));
}

}  // namespace

CPspEx::CPspEx(int templateId, QWidget* parent) : QWidget(parent), templateId_(templateId) {
  setAttribute(Qt::WA_StyledBackground, false);
  baseUnits_ = DialogBaseUnits(DialogFont());
  templateSizePx_ = DialogUnitsToPixels(QSize(317, 143), baseUnits_);
}

CPspEx::~CPspEx() = default;

bool CPspEx::Create() {
  if (created_) return true;
  created_ = true;
  if (templateId_ != 0) {
    DialogTemplate tpl;
    if (LoadDialogTemplate(templateId_, tpl)) {
      baseUnits_ = BuildTemplateControls(this, tpl);
      templateSizePx_ = DialogUnitsToPixels(tpl.sizeDu, baseUnits_);
      if (!tpl.caption.isEmpty() && !hasCaption_) caption_ = tpl.caption;
    }
  } else {
    setFont(DialogFont());
    resize(templateSizePx_);
  }
  return OnInitDialog();
}

QSize CPspEx::PlannedSizePx() const {
  DialogTemplate tpl;
  if (templateId_ != 0 && LoadDialogTemplate(templateId_, tpl)) {
    return DialogUnitsToPixels(tpl.sizeDu, DialogBaseUnits(DialogFont(tpl)));
  }
  return templateSizePx_;
}

QWidget* CPspEx::Control(int id) const { return FindControl(this, id); }

SheetOps* CPspEx::Sheet() const { return sheet_; }

SheetOps* CPspEx::FindSheet() {
  for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
    if (auto* ops = dynamic_cast<SheetOps*>(w)) {
      sheet_ = ops;
      break;
    }
  }
  return sheet_;
}

bool CPspEx::OnInitDialog() {
  scaleX_ = 1.0f;
  scaleY_ = 1.0f;
  return true;
}

QRect CPspEx::PagePlacement() const {
  const QRect client(QPoint(0, 0), templateSizePx_);
  return QRect(client.left(), client.top() + 1, client.width() + 2, client.height() + 29);
}

QSize CPspEx::sizeHint() const { return templateSizePx_; }

bool CPspEx::OnQueryCancel() {
  switch (cancelPolicy_) {
    case CancelPolicy::kAlwaysAllow:
      return true;
    case CancelPolicy::kAllowUnlessBusy:
      return !busy_;
    case CancelPolicy::kAskUnlessBusy: {
      if (busy_) return false;
      SheetOps* sheet = Sheet();
      return sheet != nullptr && sheet->ConfirmCancel();
    }
  }
  return true;
}

void CPspEx::ApplyChrome(const ButtonChrome& chrome) {
  chrome_ = chrome;
  SheetOps* sheet = Sheet();
  if (sheet == nullptr) return;
  sheet->EnableWizardButtons(chrome.enabled & kBtnBack, chrome.enabled & kBtnNext, chrome.enabled & kBtnCancel,
                             chrome.enabled & kBtnFinish);
  sheet->ShowWizardButtons(chrome.shown & kBtnBack, chrome.shown & kBtnNext, chrome.shown & kBtnCancel,
                           chrome.shown & kBtnFinish);
  if (chrome.help) {
    sheet->ShowAndEnableHelpButton(true, true);
  } else {
    sheet->ShowHelpButton(false);
  }
}

void CPspEx::BeginActivation(const ButtonChrome& chrome, std::uint32_t pageCode) {
  SheetOps* sheet = FindSheet();
  if (sheet != nullptr) sheet->HideHelpWindow();
  ApplyChrome(chrome);
  WizardState::Instance().currentPageCode = pageCode;
}

int CPspEx::GoTo(int templateId) {
  SheetOps* sheet = Sheet() != nullptr ? Sheet() : FindSheet();
  if (sheet != nullptr) {
    if (CPspEx* page = sheet->FindPageByTemplate(templateId)) sheet->SetActivePage(page);
  }
  return -1;
}

bool CPspEx::OnSetActive() {
  // A page inside a layout (the sheets' page stack) is placed by it; a free
  // standing page gets the wizard frame's placement.
  const QWidget* parent = parentWidget();
  const bool managed = parent != nullptr && parent->layout() != nullptr;
  if (!managed) setGeometry(PagePlacement());
  update();
  return true;
}

void CPspEx::MarkField(QWidget* label, bool ok) {
  if (label == nullptr) return;
  // A wrong field is red and underlined, so it reads in grey scale too.
  QFont font = label->font();
  font.setUnderline(!ok);
  label->setFont(font);
  const QColor colour = ok ? QColor(0, 0, 0) : QColor(255, 0, 0);
  if (auto* text = qobject_cast<CStaticText*>(label)) {
    text->SetTextColor(colour);
    return;
  }
  if (ok) {
    label->setPalette(QPalette());  // back to the inherited palette
  } else {
    QPalette pal = label->palette();
    const QColor readable = ReadableOnWindow(colour, pal);
    pal.setColor(QPalette::WindowText, readable);
    pal.setColor(QPalette::Text, readable);
    pal.setColor(QPalette::ButtonText, readable);
    label->setPalette(pal);
  }
  label->repaint();
}

void CPspEx::SetPasswordMask(QWidget* edit, bool on) {
  auto* line = qobject_cast<QLineEdit*>(edit);
  if (line == nullptr) return;
  if (on) {
    line->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    line->setEchoMode(QLineEdit::Password);
  } else {
    line->setEchoMode(QLineEdit::Normal);
  }
  line->repaint();
}

QSizeF CPspEx::LogicalDpi() const { return QSizeF(logicalDpiX(), logicalDpiY()); }

float CPspEx::ComputeDpiScale() {
  const QSizeF dpi = LogicalDpi();
  scaleX_ = static_cast<float>(dpi.width() / 96.0);
  scaleY_ = static_cast<float>(dpi.height() / 96.0);
  return scaleX_;
}

QPoint CPspEx::GetControlPos(const QWidget* control) {
  if (control == nullptr) return QPoint();
  const QWidget* page = control->parentWidget();
  while (page != nullptr && qobject_cast<const CPspEx*>(page) == nullptr) page = page->parentWidget();
  return RectInPage(control, page).topLeft();
}

int CPspEx::GetControlWidth(const QWidget* control) { return control ? control->frameGeometry().width() : 0; }
int CPspEx::GetControlHeight(const QWidget* control) { return control ? control->frameGeometry().height() : 0; }

void CPspEx::SetControlWidth(QWidget* control, int width) {
  if (control == nullptr) return;
  QRect r = RectInPage(control, this);
  r.setWidth(Truncate(width * static_cast<double>(scaleX_)));
  SetRectInPage(control, this, r);
}

void CPspEx::SetControlHeight(QWidget* control, int height) {
  if (control == nullptr) return;
  QRect r = RectInPage(control, this);
  // The horizontal factor, for heights too: that is what the layouts were
  // tuned against.
  r.setHeight(Truncate(height * static_cast<double>(scaleX_)));
  SetRectInPage(control, this, r);
}

void CPspEx::MoveControlScaled(QWidget* control, int top, int left) {
  if (control == nullptr) return;
  const QRect r = RectInPage(control, this);
  const double sx = scaleX_;
  const double sy = scaleY_;
  SetRectInPage(control, this,
                QRect(Truncate(left * sx), Truncate(top * sy), Truncate(r.width() * sx), Truncate(r.height() * sy)));
}

void CPspEx::ScaleControlRect(QWidget* control) {
  ComputeDpiScale();
  if (control == nullptr) return;
  const QRect r = RectInPage(control, this);
  const double s = scaleX_;
  const int left = Truncate(r.left() * s);
  const int top = Truncate(r.top() * s);
  const int right = Truncate((r.left() + r.width()) * s);
  const int bottom = Truncate((r.top() + r.height()) * s);
  SetRectInPage(control, this, QRect(left, top, right - left, bottom - top));
}

void CPspEx::SetPageCaption(const QString& text) {
  if (text.isNull()) return;
  caption_ = text;
  hasCaption_ = true;
  setWindowTitle(text);
  if (sheet_) sheet_->PageTextsChanged(this);
}

void CPspEx::SetHeaderTitle(const QString& text) {
  if (text.isNull()) return;
  headerTitle_ = text;
  if (sheet_) sheet_->PageTextsChanged(this);
}

void CPspEx::SetHeaderSubTitle(const QString& text) {
  if (text.isNull()) return;
  headerSubTitle_ = text;
  if (sheet_) sheet_->PageTextsChanged(this);
}

}  // namespace kelvane
