#include "wizard/SaveFileName.h"

#include <QDir>
#include <QFileDialog>

namespace kelvane {

namespace {
SaveFileNameHook g_hook = nullptr;
}  // namespace

void SetSaveFileNameHook(SaveFileNameHook hook) { g_hook = hook; }

QString AskSaveFileName(QWidget* parent, const QString& suggestedName, const QString& filters) {
  if (g_hook != nullptr) return g_hook(suggestedName);
  return QFileDialog::getSaveFileName(parent, QString(), QDir::home().filePath(suggestedName), filters);
}

}  // namespace kelvane
