// Ties a label to the field it names, for keyboard and screen-reader users:
// the label becomes the field's buddy, and the field's accessible name is the
// label's text (without the closing ":"), so that an edit or a list is
// announced by what it is, not by what it holds.
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

namespace kelvane {

void PairLabel(QLabel* label, QWidget* field);
// The accessible name for a label text: trimmed, a closing ":" dropped.
QString AccessibleNameOf(const QString& labelText);

}  // namespace kelvane
