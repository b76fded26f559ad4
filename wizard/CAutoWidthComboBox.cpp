#include "wizard/CAutoWidthComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
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

}  // namespace kelvane
