// How a CImageButton draws itself: which picture shows, where picture and
// text go, and the face, border, text and focus of each state.
#include "wizard/CImageButton.h"

#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTextDocument>

#include "wizard/ReadableColour.h"

namespace kelvane {

namespace {

constexpr int kImageMarginX = 3;
constexpr int kImageMarginTop = 6;
constexpr int kTextBand = 30;
constexpr int kLeftTextIndent = 8;

// A 3-D rectangle one pixel wide: top-left in `topLeft`, bottom-right in `bottomRight`.
void Draw3dRect(QPainter& p, const QRect& r, QColor topLeft, QColor bottomRight) {
  p.setPen(topLeft);
  p.drawLine(r.left(), r.top(), r.right() - 1, r.top());
  p.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
  p.setPen(bottomRight);
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
  p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
}

}  // namespace

bool CImageButton::IsPressedForDrawing() const {
  if (checkBoxMode_) return isDown() || checkState_ != 0;
  return isDown() || (menu() != nullptr && menu()->isVisible());
}

int CImageButton::ShownPicture() const {
  const bool haveFirst = !icons_[0].isNull() || !bitmaps_[0].isNull();
  if (!haveFirst) return -1;
  const bool haveSecond = !icons_[1].isNull() || !bitmaps_[1].isNull();
  if (!haveSecond) return 0;
  const bool pressed = IsPressedForDrawing();
  const bool showFirst = checkBoxMode_ ? pressed : (pressed || hovered_);
  return showFirst ? 0 : 1;
}

QSize CImageButton::PictureSize() const {
  if (!icons_[0].isNull()) return iconSize_;
  if (!bitmaps_[0].isNull()) return bitmapSize_;
  return QSize();
}

void CImageButton::ComputeLayout(QRect& imageRect, QRect& textRect) const {
  const QRect client = rect();
  textRect = client;
  const QSize size = PictureSize();
  const int w = size.width();
  const int h = size.height();
  const bool hasText = !text().isEmpty();
  const int centreX = (client.width() - w) / 2;
  const int centreY = (client.height() - h) / 2;
  switch (align_) {
    case kAlignHoriz:
      if (hasText) {
        imageRect = QRect(kImageMarginX, centreY, w, h);
        textRect.setLeft(textRect.left() + w + kImageMarginX);
      } else {
        imageRect = QRect(centreX, centreY, w, h);
      }
      break;
    case kAlignVert:
      if (hasText) {
        imageRect = QRect(centreX, kImageMarginTop, w, h);
        textRect.setTop(textRect.top() + h);
      } else {
        imageRect = QRect(centreX, centreY, w, h);
      }
      break;
    case kAlignHorizRight:
      if (hasText) {
        imageRect = QRect(client.width() - kImageMarginX - w, centreY, w, h);
        const int oldLeft = textRect.left();
        textRect.setLeft(kImageMarginX);
        textRect.setRight(textRect.right() - (oldLeft + kImageMarginX + w));
      } else {
        imageRect = QRect(centreX, centreY, w, h);
      }
      break;
    case kAlignOverlap:
      imageRect = QRect(centreX, centreY, w, h);
      break;
    case kAlignTextBottom:
    default:
      if (hasText) textRect.setTop(client.bottom() - kTextBand);
      imageRect = QRect(centreX, centreY, w, h);
      break;
  }
  if (IsPressedForDrawing() && !checkBoxMode_) {
    imageRect.translate(PressedOffset());
  }
}

void CImageButton::DrawPicture(QPainter& p, const QRect& imageRect, bool disabled) const {
  const int which = ShownPicture();
  if (which < 0) return;
  if (!icons_[0].isNull()) {
    const QIcon& icon = icons_[which].isNull() ? icons_[0] : icons_[which];
    icon.paint(&p, imageRect, Qt::AlignCenter, disabled ? QIcon::Disabled : QIcon::Normal);
    return;
  }
  const QPixmap& pm = bitmaps_[which].isNull() ? bitmaps_[0] : bitmaps_[which];
  if (disabled) {
    QStyleOption opt;
    opt.initFrom(this);
    p.drawPixmap(imageRect.topLeft(), style()->generatedIconPixmap(QIcon::Disabled, pm, &opt));
  } else {
    p.drawPixmap(imageRect.topLeft(), pm);
  }
}

QColor CImageButton::BackgroundForDrawing() const {
  // A transparent button shows what lies behind it: its parent's window.
  if (transparent_) return palette().color(QPalette::Window);
  if (hovered_ || IsPressedForDrawing()) return GetColor(kColorBkIn);
  if (hasFocus()) return GetColor(kColorBkFocus);
  return GetColor(kColorBkOut);
}

QColor CImageButton::CaptionColourForDrawing() const {
  const QColor wanted = GetColor((hovered_ || IsPressedForDrawing()) ? kColorFgIn : kColorFgOut);
  return ReadableColour(wanted, BackgroundForDrawing(), palette().color(QPalette::ButtonText));
}

void CImageButton::paintEvent(QPaintEvent*) {
  const bool pressed = IsPressedForDrawing();
  const bool focused = hasFocus();
  const bool disabled = !isEnabled();
  if (inert_ && pressed) return;

  QPainter p(this);
  const QPalette pal = palette();
  QRect r = rect();

  if (!flat_ && (focused || isDefault())) {
    p.setPen(pal.color(QPalette::WindowText));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    r.adjust(1, 1, -1, -1);
  }

  if (!transparent_) p.fillRect(r, BackgroundForDrawing());

  const QColor shadow = pal.color(QPalette::Dark);
  const QColor highlight = pal.color(QPalette::Light);
  if (pressed) {
    if (!flat_) {
      p.setPen(shadow);
      p.drawRect(r.adjusted(0, 0, -1, -1));
    } else if (drawBorder_) {
      Draw3dRect(p, r, shadow, highlight);
    }
  } else if (!flat_) {
    Draw3dRect(p, r, highlight, pal.color(QPalette::Shadow));
    Draw3dRect(p, r.adjusted(1, 1, -1, -1), pal.color(QPalette::Midlight), shadow);
  } else if (hovered_ && drawBorder_) {
    Draw3dRect(p, r, highlight, shadow);
  }

  QRect imageRect, textRect;
  ComputeLayout(imageRect, textRect);
  DrawPicture(p, imageRect, disabled);

  const QString caption = text();
  if (!caption.isEmpty()) {
    if (pressed && !checkBoxMode_) textRect.translate(PressedOffset());
    int flags = Qt::TextWordWrap | Qt::TextShowMnemonic;
    flags |= (leftText_ || !centredText_) ? Qt::AlignLeft : Qt::AlignHCenter;
    const QFontMetrics fm(font());
    QRect measure = fm.boundingRect(QRect(0, 0, textRect.width(), 10000), flags, caption);
    QRect target = textRect;
    target.setTop(textRect.top() + (textRect.height() - measure.height()) / 2);
    target.setHeight(measure.height());
    if (leftText_) target.setLeft(textRect.left() + kLeftTextIndent);
    p.setFont(font());
    if (disabled) {
      p.setPen(pal.color(QPalette::Light));
      p.drawText(target.translated(1, 1), flags, caption);
      p.setPen(shadow);
      p.drawText(target, flags, caption);
    } else {
      p.setPen(CaptionColourForDrawing());
      p.drawText(target, flags, caption);
    }
  }

  if (focused && (!flat_ || flatFocus_)) {
    // The classic dotted focus rectangle, 3 pixels inside the button.
    QPen pen(ReadableColour(GetColor(kColorFgOut), BackgroundForDrawing(), pal.color(QPalette::ButtonText)));
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(3, 3, -4, -4));
  } else if (focused && !inert_) {
    // A flat button Tab reached (the setup choices) still shows it has the
    // focus: a solid frame in the theme's highlight, in a shade that reads on
    // the face in light and dark themes alike.
    QPen pen(ReadableColour(pal.color(QPalette::Highlight), BackgroundForDrawing(), pal.color(QPalette::ButtonText)));
    pen.setWidth(2);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(2, 2, -2, -2));
  }
}

}  // namespace kelvane
