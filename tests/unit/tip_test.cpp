#include <gtest/gtest.h>

#include <vector>

#include "sayings/tip.h"

namespace ravak {
namespace {

// A 1024 x 768 screen with the taskbar at the bottom: work area 1024 x 728.
constexpr TipRect kWorkArea{0, 0, 1024, 728};

// The tops a tip passes through, step by step, until its phase changes.
std::vector<int> StepsUntilPhaseChanges(TipMotion& m) {
  std::vector<int> tops;
  const TipPhase phase = m.Phase();
  while (m.Phase() == phase && tops.size() < 100) {
    m.Step();
    tops.push_back(m.Top());
  }
  return tops;
}

TipMotion RestingTip(int16_t interval = 15000) {
  TipMotion m(PlaceTip(kWorkArea, 768), interval);
  m.Start();
  StepsUntilPhaseChanges(m);
  return m;
}

TEST(TipPlacementTest, RestsAtTheWorkAreasRightAndBottomEdgesWhereverTheTaskbarIs) {
  const TipPlacement bottom = PlaceTip(kWorkArea, 768);
  EXPECT_EQ(bottom.left, 724);
  EXPECT_EQ(bottom.end_top, 540);
  EXPECT_EQ(bottom.start_top, 768);
  // On the left or at the top the work area starts inside the screen; the tip still rests
  // against the screen's right and bottom edges. On the right it stays clear of the taskbar.
  EXPECT_EQ(PlaceTip({60, 0, 964, 768}, 768).left, 724);
  EXPECT_EQ(PlaceTip({0, 40, 1024, 728}, 768).end_top, 580);
  EXPECT_EQ(PlaceTip({0, 0, 960, 768}, 768).left, 660);
}

TEST(TipMotionTest, SlidesInTwentyPixelsAStepAndSnapsOntoItsRestingPlace) {
  TipMotion m(PlaceTip(kWorkArea, 768), 15000);
  EXPECT_EQ(m.TimerMs(), 0u);
  EXPECT_EQ(m.Bounds(), (TipRect{724, 768, 300, 188}));  // just below the screen
  m.Start();
  EXPECT_EQ(m.TimerMs(), 40u);
  // 11 moves of 20 pixels, then the snap from 548 to 540: 12 steps of 40 ms.
  EXPECT_EQ(StepsUntilPhaseChanges(m),
            (std::vector<int>{748, 728, 708, 688, 668, 648, 628, 608, 588, 568, 548, 540}));
  EXPECT_EQ(m.Phase(), TipPhase::Resting);
  EXPECT_EQ(m.Bounds(), (TipRect{724, 540, 300, 188}));
  EXPECT_EQ(m.TimerMs(), 15000u);
  m.Step();  // a stray slide tick while resting moves nothing
  EXPECT_EQ(m.Top(), 540);
  // A non-positive interval checks at the next tick rather than never.
  EXPECT_EQ(RestingTip(0).TimerMs(), 1u);
  EXPECT_EQ(RestingTip(-5).TimerMs(), 1u);
}

TEST(TipMotionTest, LeavesWhenACheckFindsThePointerOffItAndClosesBelowTheScreen) {
  // Every pixel of the resting tip keeps it; those past its edges do not.
  for (const auto& [x, y] :
       {std::pair{724, 540}, {1023, 727}, {723, 600}, {1024, 600}, {900, 728}, {900, 539}}) {
    TipMotion m = RestingTip();
    m.CheckPointer(x, y);
    const bool on_tip = x >= 724 && x <= 1023 && y >= 540 && y <= 727;
    EXPECT_EQ(m.Phase(), on_tip ? TipPhase::Resting : TipPhase::SlidingOut) << x << "," << y;
  }
  TipMotion m = RestingTip();
  m.CheckPointer(0, 0);
  EXPECT_EQ(m.TimerMs(), 30u);
  // 12 steps of 30 ms; the last one goes past the screen's edge and closes the tip.
  EXPECT_EQ(StepsUntilPhaseChanges(m),
            (std::vector<int>{560, 580, 600, 620, 640, 660, 680, 700, 720, 740, 760, 780}));
  EXPECT_EQ(m.Phase(), TipPhase::Closed);
  EXPECT_EQ(m.TimerMs(), 0u);
  // Nothing brings a closed tip back.
  m.Step();
  m.Click();
  m.Start();
  EXPECT_EQ(m.Phase(), TipPhase::Closed);
}

TEST(TipMotionTest, OnlyRestingTipsCheckThePointer) {
  TipMotion m(PlaceTip(kWorkArea, 768), 15000);
  m.Start();
  m.Step();
  m.CheckPointer(0, 0);  // off the tip while it slides in: it goes on sliding in
  EXPECT_EQ(m.Phase(), TipPhase::SlidingIn);
  StepsUntilPhaseChanges(m);
  m.CheckPointer(0, 0);
  m.Step();
  m.CheckPointer(800, 600);  // back on the tip while it slides out: it still goes
  EXPECT_EQ(m.Phase(), TipPhase::SlidingOut);
}

TEST(TipMotionTest, AClickSendsItOutFromWhereverItIs) {
  TipMotion sliding(PlaceTip(kWorkArea, 768), 15000);
  sliding.Start();
  for (int i = 0; i < 3; ++i) sliding.Step();
  sliding.Click();  // during the slide-in
  EXPECT_EQ(StepsUntilPhaseChanges(sliding), (std::vector<int>{728, 748, 768}));
  EXPECT_EQ(sliding.Phase(), TipPhase::Closed);

  TipMotion dragged = RestingTip();
  dragged.MovedTo(100, 200);
  dragged.CheckPointer(150, 250);  // checked where it lies now
  EXPECT_EQ(dragged.Phase(), TipPhase::Resting);
  dragged.Click();
  dragged.Step();
  dragged.Click();  // a second click changes nothing
  EXPECT_EQ(dragged.Bounds(), (TipRect{100, 220, 300, 188}));
  EXPECT_EQ(StepsUntilPhaseChanges(dragged).back(), 780);
}

TEST(TipLayoutTest, HeaderTextsSitSideBySideFromTheRightAndEmptyOnesAreLeftOut) {
  const TipContent content{u"saying", u"شنبه", u"05/09/18"};
  // Narrow header texts keep their places: the weekday ends at 264, the date at 214.
  TipTexts t = LayOutTip(content, 30, 56);
  ASSERT_EQ(t.count, 3);
  EXPECT_EQ(t.items[0].text, u"شنبه");
  EXPECT_EQ(t.items[0].rect, (TipRect{234, 30, 30, 16}));
  EXPECT_EQ(t.items[1].text, u"05/09/18");
  EXPECT_EQ(t.items[1].rect, (TipRect{158, 30, 56, 16}));
  EXPECT_EQ(t.items[2].text, u"saying");
  EXPECT_EQ(t.items[2].rect, (TipRect{30, 60, 240, 105}));
  // A wider weekday pushes the date left instead of running over it; neither goes past the
  // cross mark, and what does not fit is cut.
  EXPECT_EQ(LayOutTip(content, 90, 56).items[1].rect, (TipRect{112, 30, 56, 16}));
  EXPECT_EQ(LayOutTip(content, 150, 500).items[1].rect, (TipRect{40, 30, 68, 16}));
  t = LayOutTip(content, 500, 500);
  EXPECT_EQ(t.items[0].rect, (TipRect{40, 30, 224, 16}));
  EXPECT_EQ(t.items[1].rect.width, 0);

  const TipContent date_only{u"", u"", u"05/09/18"};
  t = LayOutTip(date_only, 0, 56);
  ASSERT_EQ(t.count, 1);
  EXPECT_EQ(t.items[0].rect, (TipRect{158, 30, 56, 16}));
}

TEST(TipLayoutTest, AtOtherDensitiesEveryPlaceGrowsInProportion) {
  const TipContent content{u"saying", u"شنبه", u"05/09/18"};
  // At 144 DPI, with the header texts measured in their larger fonts: the weekday ends at 396
  // and the date at 321; the header line is 45 to 69, the saying 45 in from the left, 90 down.
  TipTexts t = LayOutTip(content, 45, 84, 144);
  ASSERT_EQ(t.count, 3);
  EXPECT_EQ(t.items[0].rect, (TipRect{351, 45, 45, 24}));
  EXPECT_EQ(t.items[1].rect, (TipRect{237, 45, 84, 24}));
  EXPECT_EQ(t.items[2].rect, (TipRect{45, 90, 360, 158}));
  // The cross mark's limit moves with it.
  t = LayOutTip(content, 1000, 1000, 144);
  EXPECT_EQ(t.items[0].rect, (TipRect{60, 45, 336, 24}));
  EXPECT_EQ(t.items[1].rect.width, 0);
  // 96 DPI is the layout above.
  EXPECT_EQ(LayOutTip(content, 30, 56, 96).items[1].rect, LayOutTip(content, 30, 56).items[1].rect);
}

TEST(TipMotionTest, SlidesInStepsOfItsOwnSizeAndFollowsAResize) {
  // A 450 x 282 card (150 %) on a 1536 x 1152 screen, 30 pixels a step.
  TipMotion m(PlaceTip({0, 0, 1536, 1152}, 1152, 450, 282), 15000, 450, 282, 30);
  m.Start();
  EXPECT_EQ(StepsUntilPhaseChanges(m),
            (std::vector<int>{1122, 1092, 1062, 1032, 1002, 972, 942, 912, 882, 870}));
  EXPECT_EQ(m.Bounds(), (TipRect{1086, 870, 450, 282}));
  // Drawn again at 200 %: larger, and it leaves in steps of 40.
  m.Resize(600, 376, 40);
  EXPECT_EQ(m.Bounds(), (TipRect{1086, 870, 600, 376}));
  m.CheckPointer(1086 + 599, 870 + 375);
  EXPECT_EQ(m.Phase(), TipPhase::Resting);
  m.Click();
  m.Step();
  EXPECT_EQ(m.Top(), 910);
}

}  // namespace
}  // namespace ravak
