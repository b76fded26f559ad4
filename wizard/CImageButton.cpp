#include "wizard/CImageButton.h"

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTextDocument>

#include "wizard/Resources.h"

namespace kelvane {

namespace {

QPixmap WithTransparentColour(const QPixmap& source, QColor colour) {
  if (source.isNull() || !colour.isValid()) return source;
  QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
  const QRgb key = colour.rgb() & 0xFFFFFF;
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(line[x]) == 255 && (line[x] & 0xFFFFFF) == key) line[x] = qRgba(0, 0, 0, 0);
  }
  QPixmap result = QPixmap::fromImage(image);
  result.setDevicePixelRatio(source.devicePixelRatio());
  return result;
}

}  // namespace

CImageButton::CImageButton(QWidget* parent) : QPushButton(parent) {
  setAutoDefault(false);
  setAttribute(Qt::WA_Hover, false);
  setMouseTracking(true);
  SetDefaultColors(false);
  captionFonts_[0] = font();
  captionFonts_[0].setPixelSize(12);
  captionFonts_[0].setBold(true);
  captionFonts_[1] = captionFonts_[0];
  captionFonts_[1].setPixelSize(16);
  connect(this, &QAbstractButton::toggled, this, [this](bool on) {
    if (checkBoxMode_) checkState_ = on ? 1 : 0;
  });
}

CImageButton::~CImageButton() = default;

void CImageButton::Refresh(bool repaint) {
  updateGeometry();
  if (repaint) update();
}

int CImageButton::SetIcon(const QIcon& in, const QIcon& out, QSize size, bool repaint) {
  icons_[0] = in;
  icons_[1] = out;
  bitmaps_[0] = QPixmap();
  bitmaps_[1] = QPixmap();
  // Without a size the icon is drawn at the desktop's standard 32 pixels.
  if (size.isEmpty() && !in.isNull()) size = in.actualSize(QSize(32, 32));
  iconSize_ = in.isNull() ? QSize() : size;
  Refresh(repaint);
  return kOk;
}

int CImageButton::SetIcon(int iconIdIn, int iconIdOut, QSize size, bool repaint) {
  if (size.isEmpty()) {
    size = ResourceSize(iconIdIn);
    if (size.isEmpty()) size = QSize(32, 32);
  }
  QIcon in = iconIdIn ? LoadIconResource(iconIdIn) : QIcon();
  if (iconIdIn && in.isNull()) return kInvalidResource;
  QIcon out = iconIdOut ? LoadIconResource(iconIdOut) : QIcon();
  return SetIcon(in, out, size, repaint);
}

int CImageButton::SetBitmaps(const QPixmap& in, QColor transparentIn, const QPixmap& out, QColor transparentOut,
                             bool repaint) {
  icons_[0] = QIcon();
  icons_[1] = QIcon();
  bitmaps_[0] = WithTransparentColour(in, transparentIn);
  bitmaps_[1] = WithTransparentColour(out, transparentOut);
  bitmapSize_ = in.isNull() ? QSize() : (in.deviceIndependentSize().toSize());
  Refresh(repaint);
  return kOk;
}

int CImageButton::SetBitmaps(int bitmapIdIn, QColor transparentIn, int bitmapIdOut, QColor transparentOut,
                             bool repaint) {
  const QPixmap in = bitmapIdIn ? LoadBitmapResource(bitmapIdIn) : QPixmap();
  if (bitmapIdIn && in.isNull()) return kInvalidResource;
  const QPixmap out = bitmapIdOut ? LoadBitmapResource(bitmapIdOut) : QPixmap();
  return SetBitmaps(in, transparentIn, out, transparentOut, repaint);
}

int CImageButton::SetColor(int index, QColor colour, bool repaint) {
  if (index < 0 || index >= kMaxColors) return kInvalidIndex;
  colors_[index] = colour;
  colorSet_[index] = true;
  Refresh(repaint);
  return kOk;
}

QColor CImageButton::GetColor(int index) const {
  if (index < 0 || index >= kMaxColors) return QColor();
  if (colorSet_[index]) return colors_[index];
  // Even indexes are backgrounds, odd ones texts. An inert picture is no
  // button to press: it lies on the window's own colour.
  if (index % 2 == 0) return palette().color(inert_ ? QPalette::Window : QPalette::Button);
  return palette().color(inert_ ? QPalette::WindowText : QPalette::ButtonText);
}

int CImageButton::SetDefaultColors(bool repaint) {
  colorSet_.fill(false);
  Refresh(repaint);
  return kOk;
}

int CImageButton::SetFlat(bool flat, bool repaint) {
  flat_ = flat;
  if (!flat_) hovered_ = false;
  Refresh(repaint);
  return kOk;
}

int CImageButton::SetDrawBorder(bool drawBorder, bool repaint) {
  drawBorder_ = drawBorder;
  Refresh(repaint);
  return kOk;
}

int CImageButton::SetFlatFocus(bool flatFocus, bool repaint) {
  flatFocus_ = flatFocus;
  Refresh(repaint);
  return kOk;
}

int CImageButton::SetAlign(int align, bool repaint) {
  if (align < kAlignHoriz || align > kAlignTextBottom) return kInvalidAlign;
  align_ = align;
  Refresh(repaint);
  return kOk;
}

int CImageButton::SetPressedStyle(int style, bool repaint) {
  if (style != kPressedLeftRight && style != kPressedTopBottom && style != kPressedNone)
    return kInvalidPressedStyle;
  pressedStyle_ = style;
  Refresh(repaint);
  return kOk;
}

QPoint CImageButton::PressedOffset() const {
  switch (pressedStyle_) {
    case kPressedTopBottom: return QPoint(0, 2);
    case kPressedNone: return QPoint(0, 0);
    default: return QPoint(1, 1);
  }
}

int CImageButton::SetCheckBox(bool checkBoxMode, bool repaint) {
  checkBoxMode_ = checkBoxMode;
  setCheckable(checkBoxMode);
  if (checkBoxMode) setChecked(checkState_ != 0);
  Refresh(repaint);
  return kOk;
}

void CImageButton::SetCheck(int state) {
  checkState_ = (state == 1 || state == 2) ? state : 0;
  if (checkBoxMode_) {
    const QSignalBlocker block(this);
    setChecked(checkState_ != 0);
  }
  update();
}

void CImageButton::nextCheckState() {
  QPushButton::nextCheckState();
  checkState_ = isChecked() ? 1 : 0;
}

int CImageButton::SetInert(bool inert, bool repaint) {
  inert_ = inert;
  if (inert_) {
    hovered_ = false;
    setFocusPolicy(Qt::NoFocus);
    if (hasFocus()) clearFocus();
  } else {
    setFocusPolicy(Qt::StrongFocus);
  }
  Refresh(repaint);
  return kOk;
}

int CImageButton::SetBtnCursor(int cursorId, bool repaint) {
  cursorId_ = cursorId;
  if (cursorId == 0) unsetCursor();
  else setCursor(LoadCursorResource(cursorId));
  Refresh(repaint);
  return kOk;
}

int CImageButton::SetTransparent(bool transparent, bool repaint) {
  transparent_ = transparent;
  setAttribute(Qt::WA_NoSystemBackground, transparent);
  Refresh(repaint);
  return kOk;
}

int CImageButton::SetLeftText(bool leftText, bool repaint) {
  leftText_ = leftText;
  Refresh(repaint);
  return kOk;
}

int CImageButton::SetCenteredText(bool centred, bool repaint) {
  centredText_ = centred;
  Refresh(repaint);
  return kOk;
}

void CImageButton::SetTooltipText(const QString& text, bool activate) {
  tooltipText_ = text;
  // Escaped into a paragraph: shown as typed, and wrapped like every tooltip.
  setToolTip(activate && !text.isEmpty() ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : QString());
  setAccessibleDescription(text);
  // A picture without a caption is named by its tooltip for screen readers.
  if (this->text().isEmpty()) setAccessibleName(text);
}

QFont CImageButton::CaptionFont(int which) const { return captionFonts_[which == 1 ? 1 : 0]; }

void CImageButton::enterEvent(QEnterEvent* event) {
  QPushButton::enterEvent(event);
  if (inert_ || !flat_ || hovered_) return;
  if ((QApplication::mouseButtons() & Qt::LeftButton) != 0) return;
  if (QApplication::activeWindow() == nullptr) return;
  hovered_ = true;
  update();
}

void CImageButton::mouseMoveEvent(QMouseEvent* event) {
  if (inert_) {
    event->ignore();
    return;
  }
  QPushButton::mouseMoveEvent(event);
  if (!flat_ || hovered_) return;
  if ((event->buttons() & Qt::LeftButton) != 0) return;
  if (!rect().contains(event->position().toPoint()) || QApplication::activeWindow() == nullptr) return;
  hovered_ = true;
  update();
}

void CImageButton::ClearHover() {
  if (!inert_ && flat_ && hovered_) {
    hovered_ = false;
    update();
  }
}

void CImageButton::leaveEvent(QEvent* event) {
  QPushButton::leaveEvent(event);
  ClearHover();
}

void CImageButton::focusOutEvent(QFocusEvent* event) {
  QPushButton::focusOutEvent(event);
  ClearHover();
}

void CImageButton::changeEvent(QEvent* event) {
  QPushButton::changeEvent(event);
  if (event->type() == QEvent::EnabledChange && !isEnabled()) ClearHover();
  if (event->type() == QEvent::ApplicationPaletteChange) SetDefaultColors(true);
}

void CImageButton::mousePressEvent(QMouseEvent* event) {
  if (inert_) {
    event->ignore();
    return;
  }
  if (event->button() == Qt::LeftButton && focusPolicy() != Qt::NoFocus) setFocus(Qt::MouseFocusReason);
  QPushButton::mousePressEvent(event);
}

void CImageButton::mouseReleaseEvent(QMouseEvent* event) {
  if (inert_) {
    event->ignore();
    return;
  }
  QPushButton::mouseReleaseEvent(event);
}

void CImageButton::mouseDoubleClickEvent(QMouseEvent* event) {
  if (inert_) {
    event->ignore();
    return;
  }
  mousePressEvent(event);
}

void CImageButton::keyPressEvent(QKeyEvent* event) {
  if (inert_) {
    event->ignore();
    return;
  }
  // A picture button is no dialog default, yet Enter on it presses it, as
  // Space does; the window's default button stays for the other controls.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    if (!event->isAutoRepeat() && isEnabled()) click();
    return;
  }
  QPushButton::keyPressEvent(event);
}

void CImageButton::keyReleaseEvent(QKeyEvent* event) {
  if (inert_) {
    event->ignore();
    return;
  }
  QPushButton::keyReleaseEvent(event);
}

QSize CImageButton::sizeHint() const {
  const QSize picture = PictureSize();
  const QFontMetrics fm(font());
  const QSize textSize = text().isEmpty() ? QSize() : fm.size(Qt::TextShowMnemonic, text());
  if (align_ == kAlignVert || align_ == kAlignTextBottom)
    return QSize(qMax(picture.width(), textSize.width()) + 12, picture.height() + textSize.height() + 16);
  return QSize(picture.width() + textSize.width() + 16, qMax(picture.height(), textSize.height()) + 10);
}

}  // namespace kelvane
