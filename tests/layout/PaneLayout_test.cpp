#include <cmath>
#include <memory>

#include <QGroupBox>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include "widgets/ListView.h"
#include "data/DataGrid.h"
#include "layout/SplitterBar.h"
#include "layout/Twips.h"
#include "tests/app/frmMainProbe.h"

namespace {

class PaneLayout : public ::testing::Test {
 protected:
  std::unique_ptr<frmMain> w = std::make_unique<frmMain>();
  frmMainProbe p{*w};

  void SetUp() override {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  }
  double Dpi() const { return w->screen()->logicalDotsPerInchY(); }
  int Px(double twips) const { return layout::TwipsToPixels(twips, Dpi()); }
  double Twips(int pixels) const { return layout::PixelsToTwips(pixels, Dpi()); }

  // The panes touch their bars and reach the useful edges, within a pixel.
  void ExpectPanesFillTheWindow() {
    const QSize outer = w->frameGeometry().size();
    EXPECT_EQ(p.AltezzaUtile(), std::nearbyint(Twips(outer.height()) - 700));
    EXPECT_EQ(p.LarghezzaUtile(), std::nearbyint(Twips(outer.width()) - 200));
    const QRect tables = p.LwTabelle()->geometry();
    EXPECT_EQ(tables.topLeft(), QPoint(0, 0));
    EXPECT_EQ(tables.height(), Px(p.PercAltezzaTabelle() * Twips(outer.height()) / 100));
    EXPECT_EQ(p.Im1()->y(), tables.bottom() + 1);
    EXPECT_EQ(p.LwCampi()->y(), p.Im1()->geometry().bottom() + 1);
    EXPECT_NEAR(p.LwCampi()->geometry().bottom() + 1, Px(p.AltezzaUtile()), 1);
    EXPECT_EQ(p.Im2()->x(), tables.right() + 1);
    EXPECT_EQ(p.Data1()->x(), p.Im2()->geometry().right() + 1);
    EXPECT_NEAR(p.Data1()->geometry().right() + 1, Px(p.LarghezzaUtile()), 1);
    EXPECT_EQ(p.Im3()->y(), p.Data1()->geometry().bottom() + 1);
    EXPECT_EQ(p.Im3()->x(), Px(2520));
    EXPECT_EQ(p.Im3()->width(), Px(7695));
    EXPECT_EQ(p.fraSQL()->y(), p.Im3()->geometry().bottom() + 1);
    EXPECT_EQ(p.fraEvent()->y(), p.fraSQL()->geometry().bottom() + 1);
    EXPECT_NEAR(p.fraEvent()->geometry().bottom() + 1, Px(p.AltezzaUtile()), 1);
  }
};

}  // namespace

TEST_F(PaneLayout, FillsTheWindowWhenShownAndAfterEveryResize) {
  ExpectPanesFillTheWindow();
  w->resize(1000, 760);
  ExpectPanesFillTheWindow();
  // Shrinking and growing back gives back the same layout.
  const QRect sql = p.fraSQL()->geometry();
  w->resize(300, 200);
  w->resize(1000, 760);
  EXPECT_EQ(p.fraSQL()->geometry(), sql);
}

TEST_F(PaneLayout, SplitterBarsActOnTheReleaseOfTheLeftButton) {
  layout::SplitterBar* bar = p.Im1();
  const int tablesBefore = p.LwTabelle()->height();
  const double outerHeight = Twips(w->frameGeometry().height());

  // Pressed on the bar, moved, released 20 pixels below its top, outside it: nothing
  // moves before the release.
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(5, 1));
  QTest::mouseMove(bar, QPoint(5, 20));
  EXPECT_EQ(p.LwTabelle()->height(), tablesBefore);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(5, 20));
  const qint16 expected = std::nearbyint((Twips(tablesBefore) + Twips(20)) / outerHeight * 100);
  EXPECT_EQ(p.PercAltezzaTabelle(), expected);
  EXPECT_EQ(p.LwTabelle()->height(), Px(expected * outerHeight / 100));

  // The right button changes nothing.
  const QRect grid = p.Data1()->geometry();
  QTest::mousePress(p.Im3(), Qt::RightButton, {}, QPoint(5, 1));
  QTest::mouseRelease(p.Im3(), Qt::RightButton, {}, QPoint(5, 60));
  EXPECT_EQ(p.PercAltezzaGriglia(), 41);
  EXPECT_EQ(p.Data1()->geometry(), grid);

  // A release with Shift held left of the left column's start gives it no width.
  QTest::mousePress(p.Im2(), Qt::LeftButton, Qt::ShiftModifier, QPoint(1, 5));
  QTest::mouseRelease(p.Im2(), Qt::LeftButton, Qt::ShiftModifier, QPoint(-p.Im2()->x(), 5));
  EXPECT_EQ(p.PercLarghezzaTabelle(), 0);
  EXPECT_EQ(p.LwTabelle()->width(), 0);
  EXPECT_EQ(p.Data1()->x(), p.Im2()->width());
}
