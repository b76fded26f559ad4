// Where the user wants a file saved: the desktop's save dialog, or a test's
// answer through the hook.
#pragma once

#include <QString>

class QWidget;

namespace kelvane {

// Empty when the user cancelled.
QString AskSaveFileName(QWidget* parent, const QString& suggestedName, const QString& filters);

// Test hook: answers instead of the dialog (an empty answer is a cancel).
using SaveFileNameHook = QString (*)(const QString& suggestedName);
void SetSaveFileNameHook(SaveFileNameHook hook);

}  // namespace kelvane
