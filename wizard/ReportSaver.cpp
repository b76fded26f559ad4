#include "wizard/ReportSaver.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>

#include "language/LanguageTable.h"
#include "language/ReportLabels.h"
#include "net/TrafficLog.h"
#include "net/host/HostNetwork.h"
#include "router/DiagnosticReport.h"
#include "state/WizardState.h"
#include "wizard/MessageBox.h"
#include "wizard/SaveFileName.h"
#include "wizard/UiText.h"

namespace kelvane {

namespace {

std::string Text8(StringId id) { return UiText(id).toStdString(); }

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
  QPointer<QWidget> guard(parent);
  QString path = AskSaveFileName(parent, QStringLiteral("kelvane-report.html"),
                                 UiText(kIdHtmlFile) + QStringLiteral(" (*.html)"));
  if (path.isEmpty()) return false;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".html");
  if (parent != nullptr) parent->setEnabled(false);
  const QString html = GatherDiagnosticReport();
  if (!guard.isNull() && parent != nullptr) parent->setEnabled(true);
  QFile file(path);
  const QByteArray bytes = html.toUtf8();
  const bool saved = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
  file.close();
  if (!saved) ShowMessage(UiText(kIdProductTitle), UiText(kIdFileNotSaved), kMbIconExclamation, guard.data());
  return saved;
}

QPushButton* MakeSaveReportButton(QWidget* parent) {
  auto* button = new QPushButton(UiText(kIdSaveReport), parent);
  button->setObjectName(QStringLiteral("saveReport"));
  QObject::connect(button, &QPushButton::clicked, parent, [parent] { SaveDiagnosticReport(parent); });
  return button;
}

}  // namespace kelvane
