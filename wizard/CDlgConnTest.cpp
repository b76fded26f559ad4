#include "wizard/CDlgConnTest.h"

#include "wizard/ReportSaver.h"

#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QTimerEvent>

#include "language/StringIds.h"
#include "net/host/HostNetwork.h"
#include "state/InternetTargets.h"
#include "state/WizardState.h"
#include "wizard/CHTRichEditCtrl.h"
#include "wizard/DialogTemplate.h"
#include "wizard/CWaitStrip.h"
#include "wizard/PageKit.h"
#include "wizard/QtNarrator.h"
#include "wizard/Resources.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {
// The log's rectangle in pixels at 96 pixels per inch (Qt scales logical
// pixels on denser screens itself); older desktop versions drew the dialog
// taller, and the log grew with it.
constexpr int kLogLeft = 15;
constexpr int kLogTop = 20;
constexpr int kLogRight = 225;
constexpr int kLogBottom = 170;
constexpr int kLogBottomTall = 189;
}  // namespace

CDlgConnTest::CDlgConnTest(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("CDlgConnTest"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowIcon(LoadIconResource(kIconApplication));
  DialogTemplate tpl;
  if (LoadDialogTemplate(kTemplateId, tpl)) BuildTemplateControls(this, tpl);
  setFixedSize(size());
  setWindowTitle(UiText(kIdInternetStatusCaption));
  if (auto* group = qobject_cast<QGroupBox*>(Control(kGroup))) group->setTitle(UiText(kIdConnectionTestGroup));

  log_ = new CHTRichEditCtrl(this);
  log_->setObjectName(ControlObjectName(kLogId));
  log_->setProperty("controlId", kLogId);
  log_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  log_->setLineWrapMode(QTextEdit::WidgetWidth);
  log_->document()->setDocumentMargin(3);
  log_->setAccessibleName(UiText(kIdConnectionTestGroup));
  QFont logFont = DialogFont(tpl.fontPointSize, QStringLiteral("MS Shell Dlg"));
  logFont.setWeight(QFont::Bold);
  log_->SetDefaultFont(logFont);
  const int osCode = WizardState::Instance().osVersionCode;
  const int bottom = (osCode == 502 || osCode == 6006) ? kLogBottomTall : kLogBottom;
  log_->setGeometry(kLogLeft, kLogTop, kLogRight - kLogLeft, bottom - kLogTop);
  // With a dialog font wider than the one the rectangle was drawn for, the
  // group box grows; the log keeps the same margins inside it.
  if (QWidget* group = Control(kGroup)) {
    const int margin = kLogLeft - group->x();
    if (margin > 0 && group->geometry().right() - margin > log_->geometry().right()) {
      log_->setGeometry(kLogLeft, kLogTop, group->geometry().right() - margin - kLogLeft + 1, log_->height());
    }
  }
  // The log sits inside the group box, above Refresh, whatever the font.
  if (QWidget* refresh = Control(kRefresh)) {
    const int limit = refresh->y() - 6;
    if (log_->geometry().bottom() > limit) log_->resize(log_->width(), limit - kLogTop);
  }

  if (auto* refresh = qobject_cast<QPushButton*>(Control(kRefresh))) {
    refresh->setText(UiText(kIdTestAgain));
    refresh->show();
    connect(refresh, &QPushButton::clicked, this, &CDlgConnTest::RunTest);
    // "Save report…" shares the row with Refresh, inside the group box.
    QPushButton* save = MakeSaveReportButton(this);
    const QWidget* group = Control(kGroup);
    const int inset = group != nullptr ? group->x() + 8 : refresh->x();
    const int right = group != nullptr ? group->geometry().right() - 8 : width() - inset;
    const int half = (right - inset - 6) / 2;
    refresh->setGeometry(inset, refresh->y(), half, refresh->height());
    save->setGeometry(inset + half + 6, refresh->y(), right - inset - half - 6, refresh->height());
    // Half a row is narrow for some translations: they take two lines.
    SetButtonText(refresh, refresh->text());
    SetButtonText(save, save->text());
  }
}

CDlgConnTest::~CDlgConnTest() = default;

QWidget* CDlgConnTest::Control(int id) const { return FindControl(this, id); }

void CDlgConnTest::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!firstShow_) return;
  firstShow_ = false;
  firstTest_.start(kFirstTestDelayMs, this);
}

void CDlgConnTest::timerEvent(QTimerEvent* event) {
  if (event->timerId() != firstTest_.timerId()) {
    QDialog::timerEvent(event);
    return;
  }
  // A report being saved holds the dialog: the first test waits for it.
  if (!isEnabled()) return;
  firstTest_.stop();
  RunTest();
}

void CDlgConnTest::reject() {
  if (busy_) return;
  QDialog::reject();
}

void CDlgConnTest::RunTest() {
  if (busy_) return;
  QPointer<CDlgConnTest> self(this);
  QWidget* refresh = Control(kRefresh);
  busy_ = true;
  log_->Clear();
  log_->repaint();
  setEnabled(false);
  if (refresh != nullptr) refresh->setEnabled(false);

  QtNarrator narrator(log_);
  LongWait wait(this, kIdWaitInternetTest);
  const ConnTestReport report =
      RunConnTest(WizardState::Instance(), ActiveHostNetwork(), narrator, InternetTargets::Instance());
  if (self.isNull()) return;
  last_ = report;
  ++tests_;
  if (refresh != nullptr) refresh->setEnabled(true);
  setEnabled(true);
  if (refresh != nullptr) refresh->setFocus();
  busy_ = false;
}

}  // namespace kelvane
