#include "wizard/CQrCodeView.h"

#include <QPainter>

#include <qrencode.h>

namespace kelvane {

CQrCodeView::CQrCodeView(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setAccessibleName(QStringLiteral("QR code"));
}

bool CQrCodeView::SetData(const QByteArray& bytes) {
  dark_.clear();
  width_ = 0;
  QRcode* code = QRcode_encodeData(static_cast<int>(bytes.size()),
                                   reinterpret_cast<const unsigned char*>(bytes.constData()), 0, QR_ECLEVEL_L);
  if (code != nullptr) {
    width_ = code->width;
    dark_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(width_));
    for (std::size_t i = 0; i < dark_.size(); ++i) dark_[i] = code->data[i] & 1;
    QRcode_free(code);
  }
  setFixedSize(sizeHint());
  update();
  return width_ > 0;
}

void CQrCodeView::SetModulePixels(int pixels) {
  modulePixels_ = std::max(pixels, kMinModulePixels);
  setFixedSize(sizeHint());
  update();
}

bool CQrCodeView::IsDark(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= width_) return false;
  return dark_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] != 0;
}

QSize CQrCodeView::sizeHint() const {
  const int side = width_ > 0 ? (width_ + 2 * kQuietModules) * modulePixels_ : 0;
  return {side, side};
}

void CQrCodeView::Paint(QPainter& painter, const QRectF& target) const {
  painter.fillRect(target, Qt::white);
  if (width_ == 0) return;
  const double module = target.width() / (width_ + 2 * kQuietModules);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (int y = 0; y < width_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (!IsDark(x, y)) continue;
      painter.fillRect(QRectF(target.left() + (x + kQuietModules) * module, target.top() + (y + kQuietModules) * module,
                              module, module),
                       Qt::black);
    }
  }
  painter.restore();
}

QImage CQrCodeView::Render(int modulePixels) const {
  const int side = (width_ + 2 * kQuietModules) * modulePixels;
  QImage image(side, side, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  Paint(painter, QRectF(0, 0, side, side));
  return image;
}

void CQrCodeView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QSize hint = sizeHint();
  Paint(painter, QRectF(0, 0, hint.width(), hint.height()));
}

}  // namespace kelvane
