// Shared pieces of the GUI tests: language modules, screenshots, finding and
// driving controls by control ID.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>

namespace kelvane::test {

// Loads the module of `languageId` from the build tree's bin/res (the folder of
// the test program, or KELVANE_BIN_DIR). False, with the reason in `why`, when
// the module file is absent or does not load.
bool LoadLanguage(std::uint32_t languageId, QString* why = nullptr);
void UnloadLanguage();
// File-name friendly name of a language ("English", "ChineseTrad", ...).
QString LanguageName(std::uint32_t languageId);

// KELVANE_SCREENSHOT_DIR, empty when unset or empty.
QString ScreenshotDir();
// Saves a PNG of `widget` (its window frame excluded) as <dir>/<name>.png when
// screenshots are asked for; answers whether a file was written.
bool SaveScreenshot(QWidget* widget, const QString& name);

// Pumps events for `ms` real milliseconds.
void Spin(int ms);

}  // namespace kelvane::test
