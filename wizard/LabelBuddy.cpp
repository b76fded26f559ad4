#include "wizard/LabelBuddy.h"

namespace kelvane {

QString AccessibleNameOf(const QString& labelText) {
  QString name = labelText.trimmed();
  name.remove(QLatin1Char('&'));
  while (name.endsWith(QLatin1Char(':')) || name.endsWith(QChar(0xFF1A))) name.chop(1);
  return name.trimmed();
}

void PairLabel(QLabel* label, QWidget* field) {
  if (label == nullptr || field == nullptr) return;
  label->setBuddy(field);
  field->setAccessibleName(AccessibleNameOf(label->text()));
}

}  // namespace kelvane
