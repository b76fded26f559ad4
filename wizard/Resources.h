// Artwork of the program by resource ID: bitmaps, icons and cursors drawn from
// SVG sources embedded as Qt resources (":/art/<id>.svg"), rendered at the size
// asked for and at the screen's device pixel ratio, so they stay crisp on
// high-density screens.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace kelvane {

// Resource IDs of the artwork.
inline constexpr int kIconApplication = 10;
inline constexpr int kIconEasyMode = 100;
inline constexpr int kIconAdvancedMode = 202;
inline constexpr int kBitmapHeader = 500;
inline constexpr int kBitmapWelcome = 510;
inline constexpr int kCursorHand = 700;      // a picture that can be clicked
inline constexpr int kCursorNoAction = 701;  // a picture that cannot
inline constexpr int kIconInformation = 810;
inline constexpr int kIconExclamation = 811;
inline constexpr int kIconStop = 812;
inline constexpr int kIconQuestion = 813;
inline constexpr int kBitmapPc = 4030;
inline constexpr int kBitmapRouter = 4031;
inline constexpr int kBitmapInternet = 4032;
inline constexpr int kBitmapPcRouter = 4033;
inline constexpr int kBitmapPcRouterInternet = 4034;
inline constexpr int kIconWanType = 4039;

// Natural size of a resource in pixels at 1×; an empty size when unknown.
QSize ResourceSize(int id);
bool HasResource(int id);
// The picture at `size` logical pixels (its natural size when `size` is empty),
// rendered for `devicePixelRatio` (the primary screen's when 0). Null when the
// resource does not exist.
QPixmap LoadBitmapResource(int id, QSize size = QSize(), qreal devicePixelRatio = 0);
// An icon with the renderings a desktop needs (16 to 256 pixels).
QIcon LoadIconResource(int id);
// The cursor; the default arrow for an unknown ID.
QCursor LoadCursorResource(int id);

}  // namespace kelvane
