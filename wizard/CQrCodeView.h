// A QR code on screen. The code is made by libqrencode (byte mode, the
// lowest error correction, so the largest text still fits a page) and drawn
// black on white with its quiet zone of four modules, at least four pixels per
// module at scale 1, so that a phone camera at arm's length reads it. White
// stays white in a dark theme: a reader needs the contrast.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QWidget>

#include <vector>

namespace kelvane {

class CQrCodeView : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMinModulePixels = 4;
  static constexpr int kQuietModules = 4;

  explicit CQrCodeView(QWidget* parent = nullptr);

  // Encodes `bytes`; false (and an empty code) when it cannot be encoded.
  bool SetData(const QByteArray& bytes);
  int Modules() const { return width_; }  // modules per side without the quiet zone
  int ModulePixels() const { return modulePixels_; }
  void SetModulePixels(int pixels);
  bool IsDark(int x, int y) const;

  // The code with its quiet zone, `modulePixels` per module.
  QImage Render(int modulePixels) const;
  // Draws the code with its quiet zone into `target` (a square).
  void Paint(class QPainter& painter, const QRectF& target) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<unsigned char> dark_;
  int width_ = 0;
  int modulePixels_ = kMinModulePixels;
};

}  // namespace kelvane
