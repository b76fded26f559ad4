// What the advanced menu adds to its status picture: "Save report…" under
// Refresh, and on the Internet line the note about a WAN address that the
// provider translates further.
#pragma once

#include <QString>

#include <string>

class QPushButton;
class QWidget;

namespace kelvane {

class CStaticText;

void PlaceSaveReportButton(QWidget* page, QPushButton* refresh);

// Keeps the WAN address a passed check read in the session record (and
// forgets it after a check that did not pass).
void KeepWanAddressForNote(bool passed, const std::string& wanAddress);

// The summary line's text; after a passed check with a translated WAN
// address the line grows to the page bottom and adds the note.
void ShowInternetLine(CStaticText* summary, const QString& text, bool passed);

}  // namespace kelvane
