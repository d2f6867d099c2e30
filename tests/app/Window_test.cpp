#include <memory>

#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
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
#include "layout/SplitterBar.h"
#include "layout/Twips.h"
#include "tests/app/MessageBoxCapture.h"
#include "tests/app/frmMainProbe.h"

namespace {

class Window : public ::testing::Test {
 protected:
  std::unique_ptr<frmMain> w = std::make_unique<frmMain>();
  frmMainProbe p{*w};

  double Dpi() const { return w->screen()->logicalDotsPerInchY(); }
  int Px(double twips) const { return layout::TwipsToPixels(twips, Dpi()); }
  double Twips(int pixels) const { return layout::PixelsToTwips(pixels, Dpi()); }

  void ShowActive() {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  }
};

struct Design {
  const char* name;
  const char* kind;
  const char* container;  // nullptr: the window's client area
  const char* caption;
  const char* accessibleName;
  double left, top, width, height;
};

const Design kDesign[] = {
    {"Data1", "DataGrid", nullptr, "", "Dati", 2580, 0, 5715, 3315},
    {"LwCampi", "ListView", nullptr, "", "Campi", 0, 4320, 2295, 3015},
    {"fraSQL", "QGroupBox", nullptr, "SQL", "SQL", 2520, 4320, 7695, 1455},
    {"cmdDelete", "QPushButton", "fraSQL", "Cancella", "Cancella", 5640, 960, 975, 375},
    {"cmdExecute", "QPushButton", "fraSQL", "Esegui", "Esegui", 6720, 960, 855, 375},
    {"txtSQL", "QPlainTextEdit", "fraSQL", "", "SQL", 120, 240, 7455, 615},
    {"LwTabelle", "ListView", nullptr, "", "Tabelle", 0, 0, 2295, 4095},
    {"fraEvent", "QGroupBox", nullptr, "Eventi", "Eventi", 2520, 5760, 7695, 1575},
    {"txtEvent", "ListView", "fraEvent", "", "Eventi", 120, 240, 7095, 1215},
    {"Im3", "layout::SplitterBar", nullptr, "", "Divisore tra Dati e SQL", 2520, 4200, 7695, 50},
    {"Im2", "layout::SplitterBar", nullptr, "", "Divisore tra le colonne", 2400, 0, 50, 7335},
    {"Im1", "layout::SplitterBar", nullptr, "", "Divisore tra Tabelle e Campi", 0, 4200, 2295, 50},
};

QString Caption(const QWidget* c) {
  if (auto* g = qobject_cast<const QGroupBox*>(c)) return g->title();
  if (auto* b = qobject_cast<const QPushButton*>(c)) return b->text();
  return {};
}

}  // namespace

TEST_F(Window, ControlsStandAtTheirDesignPlacesUntilShown) {
  EXPECT_EQ(w->windowTitle(), "Cartavo");
  for (const Design& d : kDesign) {
    SCOPED_TRACE(d.name);
    auto* c = w->findChild<QWidget*>(d.name);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->inherits(d.kind));
    const QWidget* container = d.container ? w->findChild<QWidget*>(d.container) : w->centralWidget();
    EXPECT_EQ(c->parentWidget(), container);
    EXPECT_EQ(Caption(c), d.caption);
    EXPECT_EQ(c->accessibleName(), d.accessibleName);
    EXPECT_EQ(c->geometry(), QRect(Px(d.left), Px(d.top), Px(d.width), Px(d.height)));
  }
  // The design client area lies below the menu bar.
  EXPECT_EQ(w->size(), QSize(Px(10245), Px(7395) + w->menuBar()->sizeHint().height()));
  for (const ListView* list : {p.LwTabelle(), p.LwCampi(), p.txtEvent()})
    EXPECT_NEAR(list->ColumnHeaders(2).Width(), 1440, Twips(1)) << list->objectName().toStdString();
  EXPECT_NEAR(p.txtEvent()->ColumnHeaders(1).Width(), 1700, Twips(1));
  EXPECT_EQ(p.LwCampi()->ColumnHeaders(3).Text(), "Dimens.");
  // Taken before the window is shown, from an estimate of the frame.
  EXPECT_EQ(p.PercAltezzaTabelle(), 51);
  EXPECT_EQ(p.PercLarghezzaTabelle(), 22);
  EXPECT_EQ(p.PercAltezzaGriglia(), 41);
  EXPECT_EQ(p.Im1()->cursor().shape(), Qt::SizeVerCursor);
  EXPECT_EQ(p.Im2()->cursor().shape(), Qt::SizeHorCursor);
  EXPECT_EQ(p.Im3()->cursor().shape(), Qt::SizeVerCursor);
}

TEST_F(Window, MenusAndPictures) {
  struct Item { QAction* action; const char* caption; QAction* parent; };
  const Item items[] = {
      {p.mnuFile(), "&File", nullptr},
      {p.mnuConnetti(), "&Connetti", p.mnuFile()},
      {p.mnuDisconnetti(), "&Disconnetti", p.mnuFile()},
      {p.mnuEsci(), "&Esci", p.mnuFile()},
      {p.mnuAzioni(), "&Azioni", nullptr},
      {p.mnuLeggiTabelle(), "Leggi &Tabelle", p.mnuAzioni()},
      {p.mnuSepBar0(), "", p.mnuAzioni()},
      {p.mnuLeggiDatiTabella(), "Leggi &Dati Tabella", p.mnuAzioni()},
  };
  for (const Item& i : items) {
    SCOPED_TRACE(i.caption);
    EXPECT_EQ(i.action->text(), i.caption);
    EXPECT_TRUE(i.action->shortcut().isEmpty());
    const QList<QAction*> siblings = i.parent ? i.parent->menu()->actions() : w->menuBar()->actions();
    EXPECT_TRUE(siblings.contains(i.action));
  }
  EXPECT_TRUE(p.mnuSepBar0()->isSeparator());

  ImageList* images = p.ImageList1();
  ASSERT_EQ(images->Count(), 6);
  QList<QImage> pictures;
  for (int i = 1; i <= 6; ++i) {
    const QImage img = images->ListImages(i).pixmap(16, 16).toImage();
    EXPECT_EQ(img.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << i;  // transparent background
    EXPECT_FALSE(pictures.contains(img)) << i;
    pictures.append(img);
  }
  EXPECT_EQ(w->windowIcon().pixmap(16, 16).toImage(), pictures[0]);
}

TEST_F(Window, EsciClosesTheWindowWithoutAsking) {
  ShowActive();
  EXPECT_FALSE(CaptureMessageBox([&] { p.mnuEsci()->trigger(); }).shown);
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(p.txtEvent()->ListItems().Count(), 0);
}

TEST_F(Window, TabOrderAndKeysOfTheSqlEditor) {
  ShowActive();
  EXPECT_EQ(QApplication::focusWidget(), p.LwTabelle());
  const QWidget* order[] = {p.txtSQL(), p.cmdExecute(), p.LwCampi(), p.cmdDelete(),
                            p.txtEvent(), p.Data1(), p.LwTabelle()};
  for (const QWidget* next : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
  }

  QSignalSpy executed(p.cmdExecute(), &QPushButton::clicked);
  QSignalSpy deleted(p.cmdDelete(), &QPushButton::clicked);
  p.txtSQL()->setFocus();
  QTest::keyClicks(p.txtSQL(), "SELECT 1");
  QTest::keyClick(p.txtSQL(), Qt::Key_Return);
  QTest::keyClick(p.txtSQL(), Qt::Key_Escape);
  QTest::keyClicks(p.txtSQL(), "FROM t");
  EXPECT_EQ(p.txtSQL()->toPlainText(), "SELECT 1\nFROM t");
  p.LwCampi()->setFocus();
  QTest::keyClick(p.LwCampi(), Qt::Key_Return);
  EXPECT_EQ(executed.count(), 0);
  EXPECT_EQ(deleted.count(), 0);
}

TEST_F(Window, EventLogLinesAndTheirMessageBox) {
  ShowActive();
  p.ScriviEvento("Connessione effettuata correttamente a x", 0, false);
  p.ScriviEvento("Elemento non trovato", 3265, true);
  p.ScriviEvento("Errore non specificato", -2147467259, true);
  p.ScriviEvento("", 0, true);
  ListItemCollection lines = p.txtEvent()->ListItems();
  ASSERT_EQ(lines.Count(), 4);
  const struct { const char* text; const char* description; int tag; int icon; } expected[] = {
      {"Evento", "Connessione effettuata correttamente a x", 64, 6},
      {"Err. n.3265", "Elemento non trovato", 16, 5},
      {"Err. n.-2147467259", "Errore non specificato", 16, 5},
      {"Err. n.0", "", 16, 5},
  };
  for (int i = 0; i < 4; ++i) {
    const ListItem line = lines.Item(i + 1);
    EXPECT_EQ(line.Text(), expected[i].text);
    EXPECT_EQ(line.SubItems(1), expected[i].description);
    EXPECT_EQ(line.Tag(), expected[i].tag);
    EXPECT_EQ(line.SmallIcon(), expected[i].icon);
  }

  // Nothing selected: the double click shows nothing.
  EXPECT_FALSE(CaptureMessageBox([&] { p.txtEvent_DblClick(); }).shown);

  // A real double click on the second line.
  ListView* log = p.txtEvent();
  const QPoint second = log->visualRect(log->model()->index(1, 1)).center();
  const CapturedMessageBox stop = CaptureMessageBox([&] {
    QTest::mouseDClick(log->viewport(), Qt::LeftButton, {}, second);
  });
  EXPECT_TRUE(stop.shown);
  EXPECT_EQ(stop.title, "Cartavo");
  EXPECT_EQ(stop.text, "Elemento non trovato");
  EXPECT_EQ(stop.icon, QMessageBox::Critical);
  EXPECT_EQ(stop.buttons, QMessageBox::Ok);

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

  // A new line does not take the selection; the log keeps every line.
  for (int i = 0; i < 500; ++i) p.ScriviEvento(QString::number(i), 0, false);
  EXPECT_EQ(log->SelectedItem().Index(), 5);
  EXPECT_EQ(lines.Count(), 505);
  EXPECT_EQ(lines.Item(505).SubItems(1), "499");
}
