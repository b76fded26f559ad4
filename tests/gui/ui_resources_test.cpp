// Artwork by resource ID: every picture the pages ask for exists, has its
// size, renders sharp at 2×, and the cursors and icons load.
#include <gtest/gtest.h>

#include <QPainter>

#include "GuiTestSupport.h"
#include "wizard/CPspEx.h"
#include "wizard/Resources.h"

namespace kelvane {
namespace {

TEST(Resources, EveryPictureExistsWithItsSize) {
  struct Case {
    int id;
    QSize size;
  };
  const Case cases[] = {
      {kIconApplication, {48, 48}}, {kIconEasyMode, {32, 32}},  {kIconAdvancedMode, {32, 32}},
      {kBitmapHeader, {49, 49}},    {kBitmapWelcome, {499, 314}}, {kCursorHand, {32, 32}},
      {kCursorNoAction, {32, 32}},  {kIconInformation, {32, 32}}, {kIconExclamation, {32, 32}},
      {kIconStop, {32, 32}},        {kIconQuestion, {32, 32}},    {kBitmapPc, {48, 48}},
      {kBitmapRouter, {48, 48}},    {kBitmapInternet, {48, 48}},  {kBitmapPcRouter, {262, 72}},
      {kBitmapPcRouterInternet, {262, 72}}, {kIconWanType, {32, 32}},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(HasResource(c.id)) << c.id;
    EXPECT_EQ(ResourceSize(c.id), c.size) << c.id;
    const QPixmap one = LoadBitmapResource(c.id, QSize(), 1.0);
    const QPixmap two = LoadBitmapResource(c.id, QSize(), 2.0);
    EXPECT_EQ(one.size(), c.size) << c.id;
    // Twice the device pixels, the same logical size.
    EXPECT_EQ(two.size(), c.size * 2) << c.id;
    EXPECT_EQ(two.deviceIndependentSize().toSize(), c.size) << c.id;
    // Something is drawn.
    const QImage image = one.toImage();
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; y += 2)
      for (int x = 0; x < image.width() && !drawn; x += 2) drawn = qAlpha(image.pixel(x, y)) > 0;
    EXPECT_TRUE(drawn) << c.id;
  }
  EXPECT_FALSE(HasResource(4242));
  EXPECT_TRUE(LoadBitmapResource(4242).isNull());
  EXPECT_TRUE(LoadIconResource(4242).isNull());
  EXPECT_EQ(LoadCursorResource(4242).shape(), Qt::ArrowCursor);
}

TEST(Resources, PicturesLoadedWithWhiteAsTransparentKeepTheirInsides) {
  // Pictures are loaded with white as their transparent colour: no pure white
  // inside them, or holes would appear.
  for (int id : {kBitmapPc, kBitmapRouter, kBitmapInternet, kBitmapPcRouter, kBitmapPcRouterInternet}) {
    const QImage image = LoadBitmapResource(id, QSize(), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    int white = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if ((image.pixel(x, y) & 0xFFFFFFFFu) == 0xFFFFFFFFu) ++white;
    EXPECT_EQ(white, 0) << id;
  }
}

TEST(Resources, IconsAndCursors) {
  const QIcon icon = LoadIconResource(kIconApplication);
  ASSERT_FALSE(icon.isNull());
  EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
  EXPECT_TRUE(icon.availableSizes().contains(QSize(256, 256)));
  for (int id : {kCursorHand, kCursorNoAction}) {
    const QCursor cursor = LoadCursorResource(id);
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << id;
    EXPECT_EQ(cursor.hotSpot(), QPoint(9, 1)) << id;
  }
}

// One sheet with all artwork at 1× and 2× and the two pages built from their
// templates, for a person to look at.
TEST(Resources, Screenshots) {
  if (test::ScreenshotDir().isEmpty()) GTEST_SKIP() << "KELVANE_SCREENSHOT_DIR is not set";
  const int ids[] = {10, 100, 202, 500, 700, 701, 810, 811, 812, 813, 4030, 4031, 4032, 4039};
  QWidget sheet;
  sheet.resize(900, 360);
  sheet.setAutoFillBackground(true);
  QPalette pal = sheet.palette();
  pal.setColor(QPalette::Window, Qt::white);
  sheet.setPalette(pal);
  QPixmap canvas(sheet.size());
  canvas.fill(Qt::white);
  {
    QPainter p(&canvas);
    int x = 8;
    for (int id : ids) {
      const QPixmap one = LoadBitmapResource(id, QSize(), 1.0);
      const QPixmap two = LoadBitmapResource(id, ResourceSize(id) * 2, 1.0);
      p.drawPixmap(x, 8, one);
      p.drawPixmap(x, 70, two);
      x += two.width() + 8;
    }
    p.drawPixmap(8, 180, LoadBitmapResource(4033, QSize(), 1.0));
    p.drawPixmap(280, 180, LoadBitmapResource(4034, QSize(), 1.0));
    p.drawPixmap(8, 260, LoadBitmapResource(4034, QSize(), 1.0).scaledToHeight(90));
  }
  EXPECT_TRUE(canvas.save(test::ScreenshotDir() + "/artwork.png"));
  QPixmap welcome = LoadBitmapResource(510, QSize(), 1.0);
  EXPECT_TRUE(welcome.save(test::ScreenshotDir() + "/bitmap_510.png"));

  for (int tpl : {8001, 8002}) {
    CPspEx page(tpl);
    page.Create();
    page.setAutoFillBackground(true);
    page.setPalette(pal);
    page.show();
    EXPECT_TRUE(test::SaveScreenshot(&page, QStringLiteral("template_%1").arg(tpl)));
  }
}

}  // namespace
}  // namespace kelvane
