#include "wizard/CDlgHelp.h"

#include <QApplication>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSizeGrip>
#include <QStyle>

#include <algorithm>

#include "wizard/CHTRichEditCtrl.h"
#include "wizard/DialogTemplate.h"
#include "wizard/Resources.h"
#include "state/WizardState.h"

namespace kelvane {

namespace {
constexpr int kHelpTemplate = 4022;
constexpr int kBodyId = 10000;
constexpr int kOkId = 6063;
constexpr int kOkMargin = 6;
}  // namespace

CDlgHelp::CDlgHelp(QWidget* parent) : QDialog(parent) {
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::WindowMinMaxButtonsHint);
  setModal(false);
  setSizeGripEnabled(true);
  setWindowIcon(LoadIconResource(kIconApplication));
  DialogTemplate tpl;
  if (LoadDialogTemplate(kHelpTemplate, tpl)) {
    BuildTemplateControls(this, tpl);
    setWindowTitle(tpl.caption);
  }

  body_ = new CHTRichEditCtrl(this);
  body_->setObjectName(ControlObjectName(kBodyId));
  body_->setProperty("controlId", kBodyId);
  body_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  body_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  body_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  body_->setLineWrapMode(QTextEdit::WidgetWidth);
  body_->document()->setDocumentMargin(3);
  body_->SetDefaultFont(DialogFont());
  body_->SetAutoScroll(false);

  // The body's first size, at 96 pixels per inch; Qt scales logical pixels
  // on denser screens itself.
  const int osCode = WizardState::Instance().osVersionCode;
  const int bodyHeight = (osCode == 502 || osCode == 6006) ? 225 : 206;
  body_->setGeometry(1, 1, 372 - 1, bodyHeight - 1);

  // OK sits below the body, at the bottom right, and closes the window; it is
  // the default button, so Enter closes too. Escape and the close box hide
  // the window as well (QDialog's reject).
  if (auto* ok = qobject_cast<QPushButton*>(Control(kOkId))) {
    connect(ok, &QPushButton::clicked, this, &CDlgHelp::HideHelp);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    ok->show();
  }
  resize(body_->geometry().right() + 2, bodyHeight + 1 + OkBandHeight());
  // Centred on the screen the first time it shows.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
}

CDlgHelp::~CDlgHelp() = default;

QWidget* CDlgHelp::Control(int id) const { return FindControl(this, id); }

void CDlgHelp::SetTitle(const QString& title) { setWindowTitle(title); }

void CDlgHelp::SetBody(const QString& text) {
  body_->Clear();
  body_->AppendText(text);
  body_->moveCursor(QTextCursor::Start);
  body_->ensureCursorVisible();
}

void CDlgHelp::SetButtonText(const QString& text) {
  if (auto* ok = qobject_cast<QPushButton*>(Control(kOkId))) ok->setText(text);
}

void CDlgHelp::ShowHelp() {
  show();
  raise();
  activateWindow();
  // The keys (arrows, Page Down, Ctrl+A, Ctrl+C) go to the text first.
  body_->setFocus(Qt::ActiveWindowFocusReason);
}

int CDlgHelp::OkBandHeight() const {
  const QWidget* ok = Control(kOkId);
  return ok == nullptr ? 0 : ok->sizeHint().height() + 2 * kOkMargin;
}

void CDlgHelp::HideHelp() { hide(); }

void CDlgHelp::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  const int band = OkBandHeight();
  if (body_) body_->setGeometry(1, 1, width() - 1 - 1, height() - 1 - 1 - band);
  if (QWidget* ok = Control(kOkId)) {
    const QSize hint = ok->sizeHint().expandedTo(QSize(75, 0));
    // OK stays clear of the size grip in the corner.
    const auto* grip = findChild<QSizeGrip*>();
    const int right = std::max(kOkMargin, grip != nullptr ? grip->sizeHint().width() + 2 : 0);
    ok->setGeometry(width() - right - hint.width(), height() - band + kOkMargin, hint.width(), hint.height());
  }
}

}  // namespace kelvane
