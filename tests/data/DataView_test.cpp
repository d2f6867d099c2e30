#include <gtest/gtest.h>

#include <QApplication>

#include "tests/data/GridDriver.h"

namespace {

const char* kShop =
    "CREATE TABLE libri (id INTEGER PRIMARY KEY, titolo VARCHAR(60), prezzo REAL, note TEXT);"
    "INSERT INTO libri VALUES (1, 'Il nome della rosa', 12.5, NULL), (2, '', 9, 'x');"
    "CREATE TABLE vuota (x VARCHAR(7));";

class DataView : public ::testing::Test, protected SqliteWindow {
 protected:
  DataView() : SqliteWindow(kShop) {}
};

TEST_F(DataView, TablesLoadOneAfterTheOtherOnTheSameRecordset) {
  d.Trigger("mnuLeggiDatiTabella");
  EXPECT_TRUE(d.NewLog().empty()) << "nothing selected";
  EXPECT_EQ(d.probe.RsDati(), nullptr);

  d.ClickTable("libri");
  d.NewLog();
  d.Trigger("mnuLeggiDatiTabella");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura dati effettuata correttamente su " + text)});
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(d.Headings(), (QStringList{"id", "titolo", "prezzo", "note"}));
  ASSERT_EQ(d.RowCount(), 2);
  EXPECT_EQ(d.Cell(0, 1), "Il nome della rosa");
  db::Recordset* first = d.probe.RsDati();

  // Odd names are OddNames'.
  d.ClickTable("vuota");
  d.NewLog();
  d.Trigger("mnuLeggiDatiTabella");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura dati effettuata correttamente su " + text)});
  EXPECT_EQ(d.probe.RsDati(), first) << "created once, reused";
  EXPECT_EQ(d.Headings(), QStringList{"x"});
  EXPECT_EQ(d.RowCount(), 0) << "no rows is a success";
}

TEST_F(DataView, TheFirstSixCharactersDecideBetweenQueryAndCommand) {
  d.RunSql("   select titolo FROM libri ORDER BY id");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura dati effettuata correttamente su " + text)});
  EXPECT_EQ(d.Cell(0, 0), "Il nome della rosa");

  d.RunSql("UPDATE libri SET prezzo = prezzo + 1");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Esecuzione comandi SQL effettuata correttamente su " + text)});
  EXPECT_EQ(d.Headings(), QStringList{"titolo"}) << "a command leaves the grid";
  EXPECT_EQ(Scalar("SELECT prezzo FROM libri WHERE id = 1"), "13.5");

  d.RunSql("SELECTED");
  ExpectErrorThen(d.NewLog(), Err0("Lettura dati fallita su " + text));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(d.probe.RsDati()->State(), db::adStateClosed);
  EXPECT_EQ(d.RowCount(), 0) << "the grid let go of the closed rows";
  d.RunSql("UPDATE manca SET a = 1");
  ExpectErrorThen(d.NewLog(), Err0("Esecuzione comandi SQL fallita su " + text));
  EXPECT_EQ(d.probe.txtSQL()->toPlainText(), "UPDATE manca SET a = 1") << "Esegui keeps the text";

  d.probe.txtSQL()->setPlainText("DELETE FROM libri");
  QTest::mouseClick(d.probe.cmdDelete(), Qt::LeftButton);
  EXPECT_EQ(d.probe.txtSQL()->toPlainText(), "");
  EXPECT_TRUE(d.NewLog().empty());
}

TEST(DataViewUnconnected, EveryOperationFailsWithAnEmptyTarget) {
  GridDriver d;
  d.Trigger("mnuLeggiTabelle");
  ExpectErrorThen(d.NewLog(), Err0("Lettura tabelle fallita su "));
  EXPECT_TRUE(d.Rows("LwTabelle").empty());
  d.RunSql("SELECT 1");
  ExpectErrorThen(d.NewLog(), Err0("Lettura dati fallita su "));
  ASSERT_NE(d.probe.RsDati(), nullptr);
  EXPECT_EQ(d.probe.RsDati()->State(), db::adStateClosed);
  d.RunSql("DELETE FROM t");
  ExpectErrorThen(d.NewLog(), Err0("Esecuzione comandi SQL fallita su "));
}

}  // namespace
