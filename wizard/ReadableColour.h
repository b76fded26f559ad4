// Meaning colours (passed, failed, busy, a heading, a wrong field) that stay
// readable on whatever palette the desktop gives us: the hue the page asks for,
// made darker on a light background or lighter on a dark one until it reaches
// a contrast of at least 4.5:1 against that background.
#pragma once

#include <QColor>

class QPalette;

namespace kelvane {

inline constexpr double kMinTextContrast = 4.5;

// Contrast ratio of two colours, 1 (same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// `wanted` itself when it reads on `background`, otherwise the nearest shade of
// its hue that does. Black asks for the palette's own text colour and is
// answered with `normalText` (so plain text follows a dark theme).
QColor ReadableColour(const QColor& wanted, const QColor& background, const QColor& normalText);

// The same against a widget's palette: window background, window text.
QColor ReadableOnWindow(const QColor& wanted, const QPalette& palette);
// Against the background of a text area (base, text).
QColor ReadableOnBase(const QColor& wanted, const QPalette& palette);

}  // namespace kelvane
