#include "wizard/CQrCodeView.h"

#include <QPainter>

#include <algorithm>

#include <qrencode.h>

namespace kelvane {

CQrCodeView::CQrCodeView(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setAccessibleName(QStringLiteral("QR code"));
}

namespace {

// A code of bytes beyond ASCII names UTF-8 as its character set (ECI 26):
// without it a reader guesses, and a common one takes "Café" for Shift-JIS.
// Plain ASCII goes without, for the oldest readers.
QRcode* Encode(const QByteArray& bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  const bool ascii =
      std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return QRcode_encodeData(static_cast<int>(bytes.size()), data, 0, QR_ECLEVEL_L);
  QRinput* input = QRinput_new2(0, QR_ECLEVEL_L);
  if (input == nullptr) return nullptr;
  QRcode* code = nullptr;
  if (QRinput_appendECIheader(input, 26) == 0 &&
      QRinput_append(input, QR_MODE_8, static_cast<int>(bytes.size()), data) == 0) {
    code = QRcode_encodeInput(input);
  }
  QRinput_free(input);
  return code;
}

}  // namespace

bool CQrCodeView::SetData(const QByteArray& bytes) {
  dark_.clear();
  width_ = 0;
  QRcode* code = Encode(bytes);
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
