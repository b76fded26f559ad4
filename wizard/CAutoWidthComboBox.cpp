#include "wizard/CAutoWidthComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QStyle>

namespace kelvane {

CAutoWidthComboBox::CAutoWidthComboBox(QWidget* parent) : QComboBox(parent) {}

int CAutoWidthComboBox::ComputeDroppedWidth() const {
  const QFontMetrics fm(font());
  const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  int widest = 0;
  for (int i = 0; i < count(); ++i) widest = qMax(widest, fm.horizontalAdvance(itemText(i)) + scrollBar);
  return widest + fm.horizontalAdvance(QStringLiteral("0"));
}

void CAutoWidthComboBox::showPopup() {
  droppedWidth_ = ComputeDroppedWidth();
  view()->setMinimumWidth(droppedWidth_);
  QComboBox::showPopup();
}

void CAutoWidthComboBox::keyPressEvent(QKeyEvent* event) {
  // The closed list searches its entries by the typed text whatever the
  // modifiers: Alt+N would pick an entry starting with "N" where the user
  // meant a button. A drop-down with an entry of its own types as usual.
  constexpr Qt::KeyboardModifiers kCommand = Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier;
  if (!isEditable() && (event->modifiers() & kCommand) && !event->text().isEmpty()) {
    event->ignore();
    return;
  }
  QComboBox::keyPressEvent(event);
}

}  // namespace kelvane
