#include "wizard/CStaticText.h"

#include <QPainter>
#include <QPaintEvent>

#include "wizard/ReadableColour.h"

namespace kelvane {

CStaticText::CStaticText(QWidget* parent)
    : QLabel(parent), drawFormat_(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap) {
  // Texts may come from the router or the user: never interpret them.
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  ownFont_ = font();
}

void CStaticText::SetTextColor(QColor colour) {
  textColor_ = colour;
  repaint();
}

void CStaticText::SetFont(int pixelHeight, bool bold) {
  ownFont_ = font();
  ownFont_.setPixelSize(pixelHeight > 0 ? pixelHeight : 12);
  ownFont_.setWeight(bold ? QFont::Bold : QFont::Normal);
  ownFontUsed_ = bold;
  updateGeometry();
  update();
}

void CStaticText::SetDrawFormat(int flags) {
  drawFormat_ = flags;
  setAlignment(Qt::Alignment(flags & (Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask)));
  setWordWrap((flags & Qt::TextWordWrap) != 0);
  update();
}

QSize CStaticText::sizeHint() const {
  const QFontMetrics fm(DrawingFont());
  const int width = qMax(this->width(), 20);
  const QRect r = fm.boundingRect(QRect(0, 0, width, 10000), drawFormat_, text());
  return r.size().expandedTo(QSize(1, fm.height()));
}

QSize CStaticText::minimumSizeHint() const { return QSize(1, QFontMetrics(DrawingFont()).height()); }

void CStaticText::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);  // the frame, when the template asks for a border
  QPainter painter(this);
  painter.setFont(DrawingFont());
  painter.setPen(isEnabled() ? ReadableOnWindow(textColor_, palette())
                              : palette().color(QPalette::Disabled, QPalette::WindowText));
  painter.drawText(contentsRect(), drawFormat_, text());
}

}  // namespace kelvane
