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
// the file could not be written (the user is told). While the router is read
// the window shows the wait text of reading the router: a page's step runs
// under its busy scope (the sheet refuses Next, Back, Cancel and closing), a
// dialog is disabled and refuses to close. Refused (false, nothing asked)
// while another step of the page, or another report, runs.
bool SaveDiagnosticReport(QWidget* parent);

// A "Save report…" push button on `parent` that runs SaveDiagnosticReport.
// Placed right under another button, right edges together, it keeps the two
// one column: the narrower upper button takes its width.
QPushButton* MakeSaveReportButton(QWidget* parent);

}  // namespace kelvane
