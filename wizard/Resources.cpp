#include "wizard/Resources.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>


namespace kelvane {

namespace {

QString ArtPath(int id) { return QStringLiteral(":/art/%1.svg").arg(id); }

// Renderers are kept for the life of the process (the same pictures are drawn
// on every page visit) and deliberately never destroyed, so nothing of Qt runs
// during static destruction after the application object is gone.
QSvgRenderer* Renderer(int id) {
  static auto* cache = new QHash<int, QSvgRenderer*>();
  auto it = cache->constFind(id);
  if (it != cache->constEnd()) return it.value();
  QSvgRenderer* r = nullptr;
  if (QFile::exists(ArtPath(id))) {
    r = new QSvgRenderer(ArtPath(id));
    if (!r->isValid()) {
      delete r;
      r = nullptr;
    }
  }
  cache->insert(id, r);
  return r;
}

qreal ScreenRatio() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->devicePixelRatio() : 1.0;
}

}  // namespace

QSize ResourceSize(int id) {
  QSvgRenderer* r = Renderer(id);
  return r ? r->defaultSize() : QSize();
}

bool HasResource(int id) { return Renderer(id) != nullptr; }

QPixmap LoadBitmapResource(int id, QSize size, qreal devicePixelRatio) {
  QSvgRenderer* r = Renderer(id);
  if (r == nullptr) return QPixmap();
  if (size.isEmpty()) size = r->defaultSize();
  if (devicePixelRatio <= 0) devicePixelRatio = ScreenRatio();
  QPixmap pixmap(size * devicePixelRatio);
  pixmap.fill(Qt::transparent);
  {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    r->render(&painter);
  }
  pixmap.setDevicePixelRatio(devicePixelRatio);
  return pixmap;
}

QIcon LoadIconResource(int id) {
  QIcon icon;
  if (Renderer(id) == nullptr) return icon;
  for (int side : {16, 20, 24, 32, 40, 48, 64, 96, 128, 256})
    icon.addPixmap(LoadBitmapResource(id, QSize(side, side), 1.0));
  return icon;
}

QCursor LoadCursorResource(int id) {
  QSvgRenderer* r = Renderer(id);
  if (r == nullptr) return QCursor(Qt::ArrowCursor);
  // The hot spot of both cursors is the finger tip, drawn at (9, 1) of the
  // 32 × 32 picture.
  const QPixmap pixmap = LoadBitmapResource(id, QSize(32, 32));
  return QCursor(pixmap, 9, 1);
}

}  // namespace kelvane
