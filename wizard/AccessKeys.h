// Access keys (Alt+letter) for a sheet's own buttons in any language: each
// button gets a letter of its own text that no control of the page already
// uses; a text without a typeable letter (Chinese, Korean) gets the English
// letter appended in brackets, as desktops do for those scripts.
#pragma once

#include <QChar>
#include <QSet>
#include <QString>

#include <vector>

class QPushButton;
class QWidget;

namespace kelvane {

// The access keys (lower case) that `root`'s buttons, labels and tabs use.
QSet<QChar> UsedAccessKeys(const QWidget* root);

// `text` with an access key that is not in `used` (which it then joins);
// `fallback` is the Latin letter appended when the text has none free.
QString WithAccessKey(const QString& text, QSet<QChar>& used, QChar fallback);

struct SheetButtonKey {
  QPushButton* button;
  QString text;    // the plain text, no '&'
  QChar fallback;  // e.g. 'N' for Next
};

// Gives each button its access key (in the order given, so the first ones get
// their favourite letters) around the keys `page` uses, and sets the text
// through the button's "fullText" property (see WrapButtonText).
void AssignSheetAccessKeys(const std::vector<SheetButtonKey>& buttons, const QWidget* page);

}  // namespace kelvane
