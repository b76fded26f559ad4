#include "wizard/ReportSaver.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>

#include <optional>

#include "language/LanguageTable.h"
#include "language/ReportLabels.h"
#include "net/TrafficLog.h"
#include "net/host/HostNetwork.h"
#include "router/DiagnosticReport.h"
#include "state/WizardState.h"
#include "wizard/CPspEx.h"
#include "wizard/CWaitStrip.h"
#include "wizard/MessageBox.h"
#include "wizard/PageKit.h"
#include "wizard/SaveFileName.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {

std::string Text8(StringId id) { return UiText(id).toStdString(); }

// Refuses to let the window it watches close while the report is gathered.
class CloseRefuser : public QObject {
 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() != QEvent::Close) return false;
    event->ignore();
    return true;
  }
};

// "Save report…" on the advanced menu stands right under Refresh, right
// edges together, and many translations are wider than Refresh: the two make
// one column as wide as the wider of them, Refresh widening to the left, so
// neither sticks out of it. Beside a button, or under a hidden one (the WAN
// test page's Ignore), nothing changes.
class SaveReportButton : public QPushButton {
 public:
  SaveReportButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

 protected:
  void moveEvent(QMoveEvent* event) override {
    QPushButton::moveEvent(event);
    KeepColumn();
  }
  void resizeEvent(QResizeEvent* event) override {
    QPushButton::resizeEvent(event);
    KeepColumn();
  }

 private:
  static constexpr int kColumnGapPx = 12;  // farther apart, they are no column

  void KeepColumn() {
    if (parentWidget() == nullptr) return;
    const QRect own = geometry();
    for (QPushButton* above : parentWidget()->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
      const QRect r = above->geometry();
      const int gap = own.top() - r.bottom();
      if (above == this || above->isHidden() || gap <= 0 || gap > kColumnGapPx || r.right() != own.right()) continue;
      if (r.width() < own.width()) above->setGeometry(own.left(), r.top(), own.width(), r.height());
    }
  }
};

}  // namespace

QString GatherDiagnosticReport() {
  const WizardState& state = WizardState::Instance();
  DiagnosticReportInput input;
  input.version = QCoreApplication::applicationVersion().toStdString();
  input.language = std::string(LanguageModuleName(state.languageId)) + " (" + std::to_string(state.languageId) + ")";
  input.pcRead = ActiveHostNetwork().GetHostNetworkInfo(input.pc);
  input.router = ReadRouterForReport(state);
  input.session = SessionRecord::Instance();
  input.requestLog = SessionLogLines();
  input.text = [](std::uint32_t id) { return Text8(id); };
  return QString::fromStdString(BuildDiagnosticReport(input, MakeReportLabels(&Text8), state));
}

bool SaveDiagnosticReport(QWidget* parent) {
  // One report at a time, and none inside another step of the page.
  static bool gathering = false;
  auto* page = qobject_cast<CPspEx*>(parent);
  if (gathering || (page != nullptr && page->IsBusy())) return false;
  QPointer<QWidget> guard(parent);
  QString path = AskSaveFileName(parent, QStringLiteral("kelvane-report.html"),
                                 UiText(kIdHtmlFile) + QStringLiteral(" (*.html)"));
  if (path.isEmpty() || guard.isNull()) return false;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".html");
  QString html;
  {
    // The router's reads may wait: the window says so, its buttons and its
    // close box refuse meanwhile (a page's sheet by the busy flag, a dialog
    // here), and the events keep running.
    gathering = true;
    std::optional<BusyScope> busy;
    std::optional<LongWait> wait;
    CloseRefuser refuser;
    if (page != nullptr) {
      busy.emplace(page, kIdWaitReadRouter, page->Chrome());
    } else if (parent != nullptr) {
      wait.emplace(parent, kIdWaitReadRouter);
      parent->window()->installEventFilter(&refuser);
    }
    if (parent != nullptr) parent->setEnabled(false);
    html = GatherDiagnosticReport();
    if (!guard.isNull() && parent != nullptr) parent->setEnabled(true);
    gathering = false;
  }
  QFile file(path);
  const QByteArray bytes = html.toUtf8();
  const bool saved = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
  file.close();
  if (!saved) ShowMessage(UiText(kIdProductTitle), UiText(kIdFileNotSaved), kMbIconExclamation, guard.data());
  return saved;
}

QPushButton* MakeSaveReportButton(QWidget* parent) {
  auto* button = new SaveReportButton(UiText(kIdSaveReport), parent);
  button->setObjectName(QStringLiteral("saveReport"));
  QObject::connect(button, &QPushButton::clicked, parent, [parent] { SaveDiagnosticReport(parent); });
  return button;
}

}  // namespace kelvane
