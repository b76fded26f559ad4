// "Save report…": gathers the diagnostic report (the PC, the router's reads,
// the last test, the session's request log) and writes it where the user
// chooses. Used by the WAN test page, the connection-test dialog and the
// advanced menu.
#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace kelvane {

// The report as HTML, read now (the router is asked; waits pump events).
QString GatherDiagnosticReport();

// Asks for a file name and writes the report; false when cancelled or when
// the file could not be written (the user is told).
bool SaveDiagnosticReport(QWidget* parent);

// A "Save report…" push button on `parent` that runs SaveDiagnosticReport.
QPushButton* MakeSaveReportButton(QWidget* parent);

}  // namespace kelvane
