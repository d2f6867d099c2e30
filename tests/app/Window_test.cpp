#include <cmath>
#include <memory>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "widgets/ImageList.h"
#include "widgets/ListView.h"
#include "data/DataGrid.h"
#include "layout/Twips.h"
#include "tests/app/MessageBoxCapture.h"
#include "tests/app/WindowDriver.h"
#include "tests/app/frmMainProbe.h"

namespace {

class Window : public ::testing::Test {
 protected:
  std::unique_ptr<frmMain> w = std::make_unique<frmMain>();
  frmMainProbe p{*w};

  double Dpi() const { return w->screen()->logicalDotsPerInchY(); }
  int Px(double twips) const { return layout::TwipsToPixels(twips, Dpi()); }
  double Twips(int pixels) const { return layout::PixelsToTwips(pixels, Dpi()); }
  QAction* Action(const char* name) const { return w->findChild<QAction*>(name); }
  QWidget* W(const char* name) const { return w->findChild<QWidget*>(name); }

  void ShowActive() {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  }

  // The panes touch their bars and reach the useful edges, within a pixel.
  void ExpectPanesFillTheWindow() {
    const QSize outer = w->frameGeometry().size();
    EXPECT_EQ(p.AltezzaUtile(), std::nearbyint(Twips(outer.height()) - 700));
    EXPECT_EQ(p.LarghezzaUtile(), std::nearbyint(Twips(outer.width()) - 200));
    const QRect tables = W("LwTabelle")->geometry();
    EXPECT_EQ(tables.topLeft(), QPoint(0, 0));
    EXPECT_EQ(tables.height(), Px(p.PercAltezzaTabelle() * Twips(outer.height()) / 100));
    EXPECT_EQ(W("Im1")->y(), tables.bottom() + 1);
    EXPECT_EQ(W("LwCampi")->y(), W("Im1")->geometry().bottom() + 1);
    EXPECT_NEAR(W("LwCampi")->geometry().bottom() + 1, Px(p.AltezzaUtile()), 1);
    EXPECT_EQ(W("Im2")->x(), tables.right() + 1);
    EXPECT_EQ(p.Data1()->x(), W("Im2")->geometry().right() + 1);
    EXPECT_NEAR(p.Data1()->geometry().right() + 1, Px(p.LarghezzaUtile()), 1);
    EXPECT_EQ(W("Im3")->y(), p.Data1()->geometry().bottom() + 1);
    EXPECT_EQ(W("fraSQL")->y(), W("Im3")->geometry().bottom() + 1);
    EXPECT_EQ(W("fraEvent")->y(), W("fraSQL")->geometry().bottom() + 1);
    EXPECT_NEAR(W("fraEvent")->geometry().bottom() + 1, Px(p.AltezzaUtile()), 1);
  }
};

}  // namespace

// Until shown the window has its design size, and the proportions come from the
// design places in an estimated frame; its menus and pictures are there.
TEST_F(Window, DesignSizeProportionsMenusAndPictures) {
  EXPECT_EQ(w->size(), QSize(Px(10245), Px(7395) + w->menuBar()->sizeHint().height()));
  EXPECT_EQ(p.PercAltezzaTabelle(), 51);
  EXPECT_EQ(p.PercLarghezzaTabelle(), 22);
  EXPECT_EQ(p.PercAltezzaGriglia(), 41);

  const std::pair<const char*, const char*> items[] = {
      {"mnuFile", nullptr},          {"mnuConnetti", "mnuFile"},     {"mnuDisconnetti", "mnuFile"},
      {"mnuEsci", "mnuFile"},        {"mnuAzioni", nullptr},         {"mnuLeggiTabelle", "mnuAzioni"},
      {"mnuSepBar0", "mnuAzioni"},   {"mnuLeggiDatiTabella", "mnuAzioni"}};
  for (const auto& [action, parent] : items)
    EXPECT_TRUE((parent ? Action(parent)->menu()->actions() : w->menuBar()->actions()).contains(Action(action))) << action;

  const auto* images = w->findChild<ImageList*>("ImageList1");
  ASSERT_EQ(images->Count(), 6);
  QList<QImage> pictures;
  for (int i = 1; i <= 6; ++i) {
    const QImage img = images->ListImages(i).pixmap(16, 16).toImage();
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << i;  // transparent background
    EXPECT_FALSE(pictures.contains(img)) << i;
    pictures.append(img);
  }
  EXPECT_EQ(w->windowIcon().pixmap(16, 16).toImage(), pictures[0]);
}

// Keys of the SQL editor run nothing; Esci then closes the window without asking.
TEST_F(Window, KeysOfTheSqlEditorRunNothingAndEsciCloses) {
  ShowActive();
  QSignalSpy executed(w->findChild<QPushButton*>("cmdExecute"), &QPushButton::clicked);
  QSignalSpy deleted(w->findChild<QPushButton*>("cmdDelete"), &QPushButton::clicked);
  p.txtSQL()->setFocus();
  QTest::keyClicks(p.txtSQL(), "SELECT 1");
  QTest::keyClick(p.txtSQL(), Qt::Key_Return);
  QTest::keyClick(p.txtSQL(), Qt::Key_Escape);
  QTest::keyClicks(p.txtSQL(), "FROM t");
  EXPECT_EQ(p.txtSQL()->toPlainText(), "SELECT 1\nFROM t");
  W("LwCampi")->setFocus();
  QTest::keyClick(W("LwCampi"), Qt::Key_Return);
  EXPECT_EQ(executed.count(), 0);
  EXPECT_EQ(deleted.count(), 0);

  EXPECT_FALSE(CaptureMessageBox([&] { Action("mnuEsci")->trigger(); }).shown);
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->findChild<ListView*>("txtEvent")->ListItems().Count(), 0);
}

TEST(EventLog, LinesAndTheirMessageBox) {
  WindowDriver d;
  frmMainProbe p(*d.w);
  p.ScriviEvento("Connessione effettuata correttamente a x", 0, false);
  p.ScriviEvento("Elemento non trovato", 3265, true);
  p.ScriviEvento("Errore non specificato", -2147467259, true);
  p.ScriviEvento("", 0, true);
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{Ok("Connessione effettuata correttamente a x"), Err(3265, "Elemento non trovato"),
                                          Err(-2147467259, "Errore non specificato"), Err0("")}));

  // Nothing selected: the double click shows nothing.
  EXPECT_FALSE(CaptureMessageBox([&] { p.txtEvent_DblClick(); }).shown);

  // A real double click on the second line.
  ListView* log = d.List("txtEvent");
  const QPoint second = log->visualRect(log->model()->index(1, 1)).center();
  const CapturedMessageBox stop = CaptureMessageBox([&] {
    QTest::mouseDClick(log->viewport(), Qt::LeftButton, {}, second);
  });
  EXPECT_EQ(stop.text, "Elemento non trovato");
  EXPECT_EQ(stop.icon, QMessageBox::Critical);

  log->setCurrentIndex(log->model()->index(0, 0));
  const CapturedMessageBox info = CaptureMessageBox([&] { p.txtEvent_DblClick(); });
  EXPECT_EQ(info.icon, QMessageBox::Information);
  EXPECT_EQ(info.text, "Connessione effettuata correttamente a x");

  // A description is shown as written, never read as markup.
  p.ScriviEvento("<b>near \"<\": syntax error</b>", 1, true);
  log->setCurrentIndex(log->model()->index(4, 0));
  const CapturedMessageBox markup = CaptureMessageBox([&] { p.txtEvent_DblClick(); });
  EXPECT_EQ(markup.text, "<b>near \"<\": syntax error</b>");
  EXPECT_EQ(markup.format, Qt::PlainText);

  // A new line does not take the selection; a long session's log keeps every line,
  // and its last is reached and read like the first.
  for (int i = 0; i < 100000; ++i) p.ScriviEvento(QString::number(i), i, true);
  EXPECT_EQ(log->SelectedItem().Index(), 5);
  ASSERT_EQ(log->ListItems().Count(), 100005);
  log->scrollToBottom();
  log->setCurrentIndex(log->model()->index(100004, 1));
  EXPECT_EQ(log->SelectedItem().Text(), "Err. n.99999");
  EXPECT_EQ(CaptureMessageBox([&] { p.txtEvent_DblClick(); }).text, "99999");
}

TEST_F(Window, PanesFillTheWindowAndFollowTheSplitterBars) {
  ShowActive();
  ExpectPanesFillTheWindow();
  w->resize(1000, 760);
  ExpectPanesFillTheWindow();
  // Shrinking and growing back gives back the same layout.
  const QRect sql = W("fraSQL")->geometry();
  w->resize(300, 200);
  w->resize(1000, 760);
  EXPECT_EQ(W("fraSQL")->geometry(), sql);

  // The splitter bars act on the release of the left button.
  QWidget* bar = W("Im1");
  const int tablesBefore = W("LwTabelle")->height();
  const double outerHeight = Twips(w->frameGeometry().height());

  // Pressed on the bar, moved, released 20 pixels below its top, outside it: nothing
  // moves before the release.
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(5, 1));
  QTest::mouseMove(bar, QPoint(5, 20));
  EXPECT_EQ(W("LwTabelle")->height(), tablesBefore);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(5, 20));
  const qint16 expected = std::nearbyint((Twips(tablesBefore) + Twips(20)) / outerHeight * 100);
  EXPECT_EQ(p.PercAltezzaTabelle(), expected);
  EXPECT_EQ(W("LwTabelle")->height(), Px(expected * outerHeight / 100));

  // The right button changes nothing.
  const QRect grid = p.Data1()->geometry();
  QTest::mousePress(W("Im3"), Qt::RightButton, {}, QPoint(5, 1));
  QTest::mouseRelease(W("Im3"), Qt::RightButton, {}, QPoint(5, 60));
  EXPECT_EQ(p.PercAltezzaGriglia(), 41);
  EXPECT_EQ(p.Data1()->geometry(), grid);
}
