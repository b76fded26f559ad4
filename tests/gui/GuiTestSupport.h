// Shared pieces of the GUI tests: language modules, screenshots, finding and
// driving controls by control ID.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace kelvane {
class CPshMain;
}

namespace kelvane::test {

inline constexpr std::uint32_t kEnglish = 1033;
inline constexpr std::uint32_t kGerman = 1031;
inline constexpr std::uint32_t kGreek = 1032;
inline constexpr std::uint32_t kChineseTrad = 1028;
inline constexpr std::uint32_t kRussian = 1049;
// The screenshots a person looks at: the widest range of scripts, and German
// for long texts.
inline constexpr std::uint32_t kScreenshotLanguages[] = {kEnglish, kChineseTrad, kRussian, kGreek, kGerman};

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

// Unloads any language module, loads `languageId` and shows a new main sheet
// in it; null, with the reason in `why`, when the module is not there. The
// caller destroys its previous sheet first: pages use the module's texts.
std::unique_ptr<CPshMain> ShowSheet(std::uint32_t languageId, QString* why);

// Pumps events for `ms` real milliseconds.
void Spin(int ms);

}  // namespace kelvane::test
