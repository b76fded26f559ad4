#include "wizard/ReadableColour.h"

#include <QPalette>

#include <algorithm>
#include <cmath>

namespace kelvane {

namespace {

double Channel(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

double Luminance(const QColor& colour) {
  const QColor rgb = colour.toRgb();
  return 0.2126 * Channel(rgb.redF()) + 0.7152 * Channel(rgb.greenF()) + 0.0722 * Channel(rgb.blueF());
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableColour(const QColor& wanted, const QColor& background, const QColor& normalText) {
  if (!wanted.isValid() || wanted == QColor(0, 0, 0)) return normalText;
  if (ContrastRatio(wanted, background) >= kMinTextContrast) return wanted;
  // Walk the hue's lightness away from the background's until it reads; the
  // last step is black or white, which always does.
  const bool darkBackground = Luminance(background) < 0.18;
  const QColor hsl = wanted.toHsl();
  const int hue = hsl.hslHue();
  const int sat = hsl.hslSaturation();
  int light = hsl.lightness();
  for (int step = 0; step < 256; ++step) {
    light = darkBackground ? std::min(255, light + 4) : std::max(0, light - 4);
    const QColor shade = QColor::fromHsl(hue, sat, light).toRgb();
    if (ContrastRatio(shade, background) >= kMinTextContrast) return shade;
    if (light == 0 || light == 255) return shade;
  }
  return darkBackground ? QColor(255, 255, 255) : QColor(0, 0, 0);
}

// The active group, whatever the widget's state now: text written into a log
// while its window is disabled for a step must not keep the disabled grey.
QColor ReadableOnWindow(const QColor& wanted, const QPalette& palette) {
  return ReadableColour(wanted, palette.color(QPalette::Active, QPalette::Window),
                        palette.color(QPalette::Active, QPalette::WindowText));
}

QColor ReadableOnBase(const QColor& wanted, const QPalette& palette) {
  return ReadableColour(wanted, palette.color(QPalette::Active, QPalette::Base),
                        palette.color(QPalette::Active, QPalette::Text));
}

}  // namespace kelvane
