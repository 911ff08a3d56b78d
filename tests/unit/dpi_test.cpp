#include "ui/dpi.h"

#include <gtest/gtest.h>

#include "app/settings_layout.h"

namespace ravak {
namespace {

TEST(DpiTest, ScalesAsMulDivRoundsHalvesAwayFromZero) {
  // The hint font (-9 px) and the dialogs' 9 point font at the usual densities.
  EXPECT_EQ(ScaleToDpi(-9, 96), -9);
  EXPECT_EQ(ScaleToDpi(-9, 120), -11);  // -11.25
  EXPECT_EQ(ScaleToDpi(-9, 144), -14);  // -13.5
  EXPECT_EQ(ScaleToDpi(-9, 192), -18);
  EXPECT_EQ(ScaleToDpi(9, 144), 14);
  EXPECT_EQ(ScaleToDpi(810, 120), 1013);  // 1012.5
  EXPECT_EQ(PointsToPixels(9, 96), 12);
  EXPECT_EQ(PointsToPixels(9, 120), 15);
  EXPECT_EQ(PointsToPixels(9, 144), 18);
  // Odd densities, and an unknown one (0 or less), which leaves the size as it is.
  EXPECT_EQ(ScaleToDpi(20, 168), 35);
  EXPECT_EQ(ScaleToDpi(20, 0), 20);
  EXPECT_EQ(Rescale(20, 0, 144), 20);
  // Large sizes do not overflow on the way.
  EXPECT_EQ(ScaleToDpi(30'000'000, 192), 60'000'000);
}

TEST(DpiTest, RectanglesScaleByTheirEdgesSoNeighboursStayNeighbours) {
  // Two rectangles side by side at 96 DPI, and each scaled on its own to 120 and back.
  const PixelRect a{10, 3, 5, 7}, b{15, 3, 5, 7};
  for (int dpi : {120, 144, 168, 192}) {
    const PixelRect sa = ScaleToDpi(a, dpi), sb = ScaleToDpi(b, dpi);
    EXPECT_EQ(sa.Right(), sb.left) << dpi;
    EXPECT_EQ(sa.top, sb.top) << dpi;
    EXPECT_EQ(Rescale(sa, dpi, 96), a) << dpi;
  }
  EXPECT_EQ(ScaleToDpi(a, 120), (PixelRect{13, 4, 6, 9}));  // 12.5, 3.75, 18.75, 12.5
}

TEST(SettingsLayoutTest, At96DpiTheWindowIsLaidOutAsItAlwaysWas) {
  const PixelSize client = SettingsClientSize(96, {700, 300});
  EXPECT_EQ(client, (PixelSize{810, 440}));
  const SettingsLayout layout = LayOutSettings(client, 96);
  EXPECT_EQ(layout.tabs, (PixelRect{10, 45, 790, 345}));
  EXPECT_EQ(layout.buttons[0], (PixelRect{10, 400, 104, 28}));
  EXPECT_EQ(layout.buttons[1], (PixelRect{122, 400, 104, 28}));
  EXPECT_EQ(layout.buttons[2], (PixelRect{234, 400, 104, 28}));
  EXPECT_EQ(layout.logo, (PixelRect{10, 8, 100, 30}));
  EXPECT_EQ(KeyboardTypeClientSize(96, {451, 268}), (PixelSize{452, 287}));
}

TEST(SettingsLayoutTest, GrowsWithTheDpiAndFurtherWhereThePagesNeedIt) {
  EXPECT_EQ(SettingsClientSize(120, {700, 300}), (PixelSize{1013, 550}));
  EXPECT_EQ(SettingsClientSize(192, {700, 300}), (PixelSize{1620, 880}));
  // A tab control that needs more than the scaled room gets it, its margins kept.
  EXPECT_EQ(SettingsClientSize(144, {1230, 480}), (PixelSize{1230 + 30, 660}));
  EXPECT_EQ(SettingsClientSize(144, {1000, 600}), (PixelSize{1215, 600 + 68 + 75}));

  // In a larger client area the tab control takes the room and the buttons keep to the bottom.
  const SettingsLayout layout = LayOutSettings({1700, 900}, 192);
  EXPECT_EQ(layout.tabs, (PixelRect{20, 90, 1660, 710}));
  EXPECT_EQ(layout.buttons[0], (PixelRect{20, 820, 208, 56}));
  EXPECT_EQ(layout.buttons[2].left, 468);
  EXPECT_EQ(layout.logo, (PixelRect{20, 16, 200, 60}));
  // The buttons do not overlap at a density that does not divide evenly.
  const SettingsLayout odd = LayOutSettings(SettingsClientSize(120, {0, 0}), 120);
  for (int i = 0; i < 2; ++i) EXPECT_LT(odd.buttons[i].Right(), odd.buttons[i + 1].left);
  EXPECT_EQ(odd.buttons[0].Bottom() + ScaleToDpi(12, 120), 550);

  EXPECT_EQ(KeyboardTypeClientSize(144, {600, 400}), (PixelSize{678, 431}));
  EXPECT_EQ(KeyboardTypeClientSize(144, {710, 400}), (PixelSize{710, 431}));
}

TEST(SettingsLayoutTest, AWindowLargerThanTheWorkAreaIsDrawnSmallerAndPlacedInsideIt) {
  // 144 DPI on a 1024x768 screen: the client area the pages need there, a frame of 3 pixels.
  const PixelSize client{1248, 660}, frame{6, 34};
  const int fit = FittingDpi(144, client, frame, {1024, 768});
  EXPECT_EQ(fit, 117);
  EXPECT_LE(Rescale(client.width, 144, fit) + frame.width, 1024);
  EXPECT_GT(Rescale(client.width, 144, fit + 1) + frame.width, 1024);
  EXPECT_EQ(FittingDpi(120, {1013, 550}, frame, {1024, 768}), 120);  // it fits as it is
  EXPECT_EQ(FittingDpi(192, client, frame, {320, 240}), kLeastFittingDpi);

  EXPECT_EQ(PlaceOnWorkArea({1000, 600}, {0, 0, 1024, 768}), (PixelRect{12, 84, 1000, 600}));
  EXPECT_EQ(PlaceOnWorkArea({1000, 600}, {100, 30, 1024, 738}), (PixelRect{112, 99, 1000, 600}));
  // Still too large: its top and its right edge stay on the work area.
  EXPECT_EQ(PlaceOnWorkArea({1100, 800}, {0, 0, 1024, 768}), (PixelRect{-76, 0, 1100, 800}));
}

}  // namespace
}  // namespace ravak
