// An owner-drawn push button that shows an icon or a bitmap together with its
// text and reacts to hovering: the pictures of the setup-type page, the
// advanced menu and the WAN type buttons, and the icon of the message boxes.
//
// Setters answer 0 on success; refused values answer the codes below and leave
// the button unchanged.
#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QRect>

#include <array>

namespace kelvane {

class CImageButton : public QPushButton {
  Q_OBJECT

 public:
  enum Result { kOk = 0, kInvalidResource = 1, kFailedMask = 2, kInvalidIndex = 3, kInvalidAlign = 4,
                kBadParam = 5, kInvalidPressedStyle = 6 };
  enum Align { kAlignHoriz = 0, kAlignVert = 1, kAlignHorizRight = 2, kAlignOverlap = 3, kAlignTextBottom = 4 };
  enum ColorIndex { kColorBkIn = 0, kColorFgIn = 1, kColorBkOut = 2, kColorFgOut = 3,
                    kColorBkFocus = 4, kColorFgFocus = 5, kMaxColors = 6 };
  enum PressedStyle { kPressedLeftRight = 0, kPressedTopBottom = 1, kPressedNone = 9 };

  explicit CImageButton(QWidget* parent = nullptr);
  ~CImageButton() override;

  // Pictures: the first, and an optional second one shown while the button is
  // neither hovered nor pressed (in check-box mode: not checked). The icon's
  // size is `size` (32 × 32 when empty).
  int SetIcon(const QIcon& in, const QIcon& out = QIcon(), QSize size = QSize(), bool repaint = true);
  int SetIcon(int iconIdIn, int iconIdOut = 0, QSize size = QSize(32, 32), bool repaint = true);
  // Bitmaps with their transparent colour (pixels of that colour are not drawn).
  int SetBitmaps(const QPixmap& in, QColor transparentIn, const QPixmap& out = QPixmap(),
                 QColor transparentOut = QColor(), bool repaint = true);
  int SetBitmaps(int bitmapIdIn, QColor transparentIn, int bitmapIdOut = 0,
                 QColor transparentOut = QColor(), bool repaint = true);

  // A colour not set (or set back by SetDefaultColors) follows the palette:
  // button face for the backgrounds, button text for the texts (window and
  // window text for an inert picture). Text is
  // drawn in the nearest shade of its colour that reads on the background
  // behind it, so a page's blue caption stays readable on a dark theme.
  int SetColor(int index, QColor colour, bool repaint = true);  // index 0-5, else kInvalidIndex
  QColor GetColor(int index) const;                              // invalid colour for a bad index
  int SetDefaultColors(bool repaint = true);                     // button face / button text
  // The colour a paint now gives the caption (after the readability shade).
  QColor CaptionColourForDrawing() const;
  int SetFlat(bool flat, bool repaint = true);
  int SetDrawBorder(bool drawBorder, bool repaint = true);
  int SetFlatFocus(bool flatFocus, bool repaint = true);
  int SetAlign(int align, bool repaint = true);                  // 0-4, else kInvalidAlign
  int SetPressedStyle(int style, bool repaint = true);           // 0, 1, 9, else kInvalidPressedStyle
  int SetCheckBox(bool checkBoxMode, bool repaint = true);
  int SetInert(bool inert, bool repaint = true);
  // Hover cursor by cursor resource ID; 0 removes it.
  int SetBtnCursor(int cursorId, bool repaint = true);
  int SetTransparent(bool transparent, bool repaint = true);
  int SetLeftText(bool leftText, bool repaint = true);
  int SetCenteredText(bool centred, bool repaint = true);
  // Tooltip shown as plain text, wrapped at 400 pixels.
  void SetTooltipText(const QString& text, bool activate = true);
  QString TooltipText() const { return tooltipText_; }

  // Check state as the platform's check messages see it: 0 unchecked, 1
  // checked, 2 indeterminate (counts as checked).
  void SetCheck(int state);
  int GetCheck() const { return checkState_; }

  // One of the two caption fonts (0: 12 px bold, 1: 16 px bold).
  QFont CaptionFont(int which) const;

  // State, for the sheet and for tests.
  bool IsFlat() const { return flat_; }
  bool IsInert() const { return inert_; }
  bool IsHovered() const { return hovered_; }
  bool IsCheckBox() const { return checkBoxMode_; }
  int Align() const { return align_; }
  int PressedStyle() const { return pressedStyle_; }
  QPoint PressedOffset() const;
  int HoverCursorId() const { return cursorId_; }
  bool IsDefaultButton() const { return isDefault(); }
  // Whether the button counts as pressed for drawing right now.
  bool IsPressedForDrawing() const;
  // Which picture a paint would show now: 0 the first, 1 the second, -1 none.
  int ShownPicture() const;
  // Image and text rectangles of the current layout (button coordinates).
  void ComputeLayout(QRect& imageRect, QRect& textRect) const;
  // The background a paint now fills (or shows, when transparent).
  QColor BackgroundForDrawing() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  void nextCheckState() override;

 private:
  void ClearHover();
  QSize PictureSize() const;
  void DrawPicture(QPainter& painter, const QRect& imageRect, bool disabled) const;
  void Refresh(bool repaint);

  bool flat_ = true;
  bool drawBorder_ = true;
  bool flatFocus_ = false;
  int align_ = kAlignHoriz;
  int pressedStyle_ = kPressedLeftRight;
  bool checkBoxMode_ = false;
  int checkState_ = 0;
  bool inert_ = false;
  bool leftText_ = false;
  bool centredText_ = true;
  bool transparent_ = false;
  bool hovered_ = false;
  std::array<QColor, kMaxColors> colors_;
  std::array<bool, kMaxColors> colorSet_{};  // false: the palette's colour
  QIcon icons_[2];
  QSize iconSize_;
  QPixmap bitmaps_[2];
  QSize bitmapSize_;
  int cursorId_ = 0;
  QString tooltipText_;
  QFont captionFonts_[2];
};

}  // namespace kelvane
