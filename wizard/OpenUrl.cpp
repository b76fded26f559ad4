#include "wizard/OpenUrl.h"

#include <QDesktopServices>
#include <QUrl>

#include <utility>

namespace kelvane {

namespace {
OpenUrlHook& Hook() {
  static OpenUrlHook hook;
  return hook;
}
}  // namespace

bool OpenUrl(const QString& url) {
  if (Hook()) return Hook()(url);
  return QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

OpenUrlHook SetOpenUrlHook(OpenUrlHook hook) { return std::exchange(Hook(), std::move(hook)); }

}  // namespace kelvane
