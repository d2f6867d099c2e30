#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "layout/Numbers.h"
#include "layout/Ridimensiona.h"
#include "layout/Splitter.h"
#include "tests/layout/MemoryPanes.h"

using namespace layout;
using enum Pane;
using enum Edge;

namespace {

struct Members {
  std::int16_t tabelle = 0, larghezza = 0, griglia = 0, altezzaUtile = 0, larghezzaUtile = 0;
  LayoutMembers Ref() { return {tabelle, larghezza, griglia, altezzaUtile, larghezzaUtile}; }
};

struct Place {
  Pane pane;
  double left, top, width, height;
};

void ExpectPlaces(const MemoryPanes& panes, const std::vector<Place>& places) {
  for (const Place& p : places) {
    SCOPED_TRACE(static_cast<int>(p.pane));
    EXPECT_EQ(panes.Get(p.pane, Left), p.left);
    EXPECT_EQ(panes.Get(p.pane, Top), p.top);
    EXPECT_EQ(panes.Get(p.pane, Width), p.width);
    EXPECT_EQ(panes.Get(p.pane, Height), p.height);
  }
}

// A window of 12000 x 9000 twips, laid out once from its design places.
struct LaidOut {
  MemoryPanes panes{12000, 9000};
  Members m{51, 22, 41};
  LaidOut() {
    panes.PlaceAtDesign();
    Ridimensiona(panes, m.Ref());
  }
};

}  // namespace

TEST(Integer16, RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
  const std::vector<std::pair<double, int>> stored{
      {50.5, 50}, {51.5, 52}, {-0.5, 0}, {-1.5, -2}, {54.33, 54}, {32767.4, 32767}, {-32768.5, -32768}};
  for (auto [value, expected] : stored) {
    std::int16_t member = 7;
    EXPECT_TRUE(StoreInteger16(value, member)) << value;
    EXPECT_EQ(member, expected) << value;
  }
  for (double value : {32767.5, -32769.0, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
    std::int16_t member = 7;
    EXPECT_FALSE(StoreInteger16(value, member)) << value;
    EXPECT_EQ(member, 7) << value;
  }
}

TEST(CalcolaProporzioni, OrdinaryFramesGiveTheStartProportions) {
  // Whatever an ordinary frame adds to the design client area of 10245 x 7395.
  for (int addedHeight = 593; addedHeight <= 713; ++addedHeight) {
    for (int addedWidth = 0; addedWidth <= 429; ++addedWidth) {
      MemoryPanes panes(10245 + addedWidth, 7395 + addedHeight);
      panes.PlaceAtDesign();
      Members m;
      CalcolaProporzioni(panes, m.Ref());
      ASSERT_EQ(m.tabelle, 51) << addedWidth << " x " << addedHeight;
      ASSERT_EQ(m.larghezza, 22) << addedWidth << " x " << addedHeight;
      ASSERT_EQ(m.griglia, 41) << addedWidth << " x " << addedHeight;
    }
  }
}

TEST(Ridimensiona, WorkedExample) {
  LaidOut w;
  EXPECT_EQ(w.m.altezzaUtile, 8300);
  EXPECT_EQ(w.m.larghezzaUtile, 11800);
  ExpectPlaces(w.panes, {
      {LwTabelle, 0, 0, 2640, 4590},
      {Im1, 0, 4590, 2640, 50},
      {LwCampi, 0, 4640, 2640, 3660},
      {Im2, 2640, 0, 50, 8300},
      {Data1, 2690, 0, 9110, 3690},
      {Im3, 2520, 3690, 7695, 50},
      {fraSQL, 2690, 3740, 9110, 2985},
      {fraEvent, 2690, 6725, 9110, 1575},
      {txtSQL, 120, 240, 8910, 2145},
      {cmdExecute, 8075, 2435, 855, 375},
      {cmdDelete, 7050, 2435, 975, 375},
      {txtEvent, 120, 240, 8910, 1215},
  });
  EXPECT_EQ(w.panes.ColumnWidth(1), 1700);
  EXPECT_EQ(w.panes.ColumnWidth(2), 6910);
}

TEST(Ridimensiona, TooLowForThePanelsKeepsRefusedSizes) {
  LaidOut w;
  // SQL panel 330 high: the editor cannot shrink to -510 and keeps 2145, so the
  // buttons stay 50 below its actual bottom.
  w.panes.Resize(12000, 4500);
  Ridimensiona(w.panes, w.m.Ref());
  EXPECT_EQ(w.panes.Get(fraSQL, Top), 1895);
  EXPECT_EQ(w.panes.Get(fraSQL, Height), 330);
  EXPECT_EQ(w.panes.Get(fraEvent, Top), 2225);
  EXPECT_EQ(w.panes.Get(txtSQL, Height), 2145);
  EXPECT_EQ(w.panes.Get(cmdExecute, Top), 2435);

  // Lower still: the SQL panel's height would be negative, so it keeps 330 and the
  // event panel follows its actual bottom rather than the useful edge.
  w.panes.Resize(12000, 3500);
  Ridimensiona(w.panes, w.m.Ref());
  EXPECT_EQ(w.m.altezzaUtile, 2800);
  EXPECT_EQ(w.panes.Get(fraSQL, Top), 1485);
  EXPECT_EQ(w.panes.Get(fraSQL, Height), 330);
  EXPECT_EQ(w.panes.Get(fraEvent, Top), 1815);
  EXPECT_EQ(w.panes.Get(LwCampi, Height), 2800 - 1835);

  // Back to the first size: the same layout as before.
  w.panes.Resize(12000, 9000);
  Ridimensiona(w.panes, w.m.Ref());
  EXPECT_EQ(w.panes.Get(fraSQL, Height), 2985);
  EXPECT_EQ(w.panes.Get(txtSQL, Height), 2145);
  EXPECT_EQ(w.panes.Get(fraEvent, Top), 6725);
}

// Rounding is Integer16's; a right edge past sixteen bits is refused and the last one stays.
TEST(Ridimensiona, KeepsTheRightEdgePastSixteenBits) {
  LaidOut w;
  // 32967.5 - 200 rounds to the even 32768, which does not fit.
  for (double width : {32967.5, 40000.0}) {
    w.panes.Resize(width, 9000);
    Ridimensiona(w.panes, w.m.Ref());
    EXPECT_EQ(w.m.larghezzaUtile, 11800) << width;
    EXPECT_NEAR(w.panes.Get(Data1, Left), 22 * width / 100 + 50, 0.01) << width;
    EXPECT_NEAR(w.panes.Get(Data1, Left) + w.panes.Get(Data1, Width), 11800, 0.01) << width;
  }
}

TEST(BarMouseUp, LeftReleaseMovesTheBorderToTheNearestPercent) {
  LaidOut w;
  BarMouseUp(w.panes, Bar::Im1, kLeftButton, 100, 300, w.m.Ref());
  // 4890 / 9000 = 54.33 %; the layout after it reads the proportions, never writes them.
  EXPECT_EQ(w.m.tabelle, 54);
  EXPECT_EQ(w.panes.Get(LwTabelle, Height), 4860);
  EXPECT_EQ(w.panes.Get(Im1, Top), 4860);
  EXPECT_EQ(w.m.larghezza, 22);
  EXPECT_EQ(w.m.griglia, 41);

  // Dragged to the left edge: no left column, the right one starts past the bar.
  BarMouseUp(w.panes, Bar::Im2, kLeftButton, -2640, 0, w.m.Ref());
  EXPECT_EQ(w.m.larghezza, 0);
  EXPECT_EQ(w.panes.Get(Data1, Left), 50);

  // Released above the grid's top: the size is refused, the layout still runs.
  w.panes.Resize(12000, 10000);
  BarMouseUp(w.panes, Bar::Im3, kLeftButton, 0, -5000, w.m.Ref());
  EXPECT_EQ(w.m.griglia, 37);  // 3690 / 10000
  EXPECT_EQ(w.panes.Get(Data1, Height), 3700);
}
