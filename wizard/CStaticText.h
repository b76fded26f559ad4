// A label that draws its own text in a chosen colour and font: the texts of
// every page, and the red marking of wrong fields rests on it. Text is always
// plain text.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

namespace kelvane {

class CStaticText : public QLabel {
  Q_OBJECT

 public:
  explicit CStaticText(QWidget* parent = nullptr);

  // Stores the colour and repaints at once. Black is the palette's own text
  // colour; any other is drawn in the nearest shade that reads on the
  // palette's background (a dark theme gets a lighter red).
  void SetTextColor(QColor colour);
  QColor TextColor() const { return textColor_; }
  // Creates the own font (`pixelHeight` pixels, bold or normal weight) and sets
  // the own-font flag to `bold`: a non-bold own font is made but the control
  // keeps drawing with its dialog font.
  void SetFont(int pixelHeight, bool bold);
  bool UsesOwnFont() const { return ownFontUsed_; }
  QFont OwnFont() const { return ownFont_; }
  // The font the next paint uses.
  // An underline set on the control's font (a wrong field) carries over.
  QFont DrawingFont() const {
    if (!ownFontUsed_) return font();
    QFont own = ownFont_;
    own.setUnderline(font().underline());
    return own;
  }
  // Qt::Alignment | Qt::TextFlag bits for drawing; word break by default.
  void SetDrawFormat(int flags);
  int DrawFormat() const { return drawFormat_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor textColor_{0, 0, 0};
  bool ownFontUsed_ = false;
  QFont ownFont_;
  int drawFormat_;
};

}  // namespace kelvane
