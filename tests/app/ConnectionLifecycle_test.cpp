#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTcpServer>
#include <QTimer>

#include "dialog/ConnectionDialog.h"
#include "dialog/SampleDatabase.h"
#include "tests/Scratch.h"
#include "tests/app/MessageBoxCapture.h"
#include "tests/data/GridDriver.h"

namespace {

const char* kShop =
    "CREATE TABLE clienti (id INTEGER PRIMARY KEY, nome VARCHAR(40));"
    "CREATE TABLE ordini (id INTEGER PRIMARY KEY, cliente INTEGER);";

void ExpectState(const WindowDriver& d, bool connetti, bool disconnetti, bool azioni) {
  EXPECT_EQ(d.Enabled("mnuConnetti"), connetti);
  EXPECT_EQ(d.Enabled("mnuDisconnetti"), disconnetti);
  EXPECT_EQ(d.Enabled("mnuAzioni"), azioni);
}

TEST(ConnectionLifecycle, ConnectFailDisconnectAndReconnectOnTheSameConnection) {
  QTemporaryDir dir;
  const QString good = SqliteText(MakeSqlite(dir, "negozio.db", kShop));
  const QString missing = SqliteText(dir.filePath("manca.db"));
  GridDriver d;
  ExpectState(d, true, false, true);
  // Never connected: every operation fails with an empty target.
  d.Trigger("mnuLeggiTabelle");
  ExpectErrorThen(d.NewLog(), Err0("Lettura tabelle fallita su "));
  d.RunSql("SELECT 1");
  ExpectErrorThen(d.NewLog(), Err0("Lettura dati fallita su "));
  ASSERT_NE(d.probe.RsDati(), nullptr);
  EXPECT_EQ(d.probe.RsDati()->State(), db::adStateClosed);
  d.RunSql("DELETE FROM t");
  ExpectErrorThen(d.NewLog(), Err0("Esecuzione comandi SQL fallita su "));

  d.w->Conne(missing, "", "");
  ExpectErrorThen(d.NewLog(), Err0("Connessione fallita a " + missing));
  ExpectState(d, true, false, true);

  d.w->Conne(good, "utente", "segreto");  // user and password apart are not used
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{Ok("Connessione effettuata correttamente a " + good),
                                          Ok("Lettura tabelle effettuata correttamente su " + good)}));
  ExpectState(d, false, true, true);
  d.ClickTable("clienti");
  d.NewLog();

  d.Trigger("mnuDisconnetti");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Disconnessione effettuata correttamente da " + good)});
  ExpectState(d, true, false, false);
  EXPECT_EQ(d.Rows("LwCampi").size(), 2u) << "a disconnection keeps what the lists show";

  d.ClickTable("ordini");  // the old list is still there; its connection is not
  ExpectErrorThen(d.NewLog(), Err0("Lettura campi fallita su " + good));
  EXPECT_TRUE(d.Rows("LwCampi").empty());

  d.w->Conne(missing, "", "");
  d.NewLog();
  ExpectState(d, true, false, false);

  d.w->Conne(good, "", "");
  EXPECT_EQ(d.NewLog().size(), 2u);
  ExpectState(d, false, true, true);
}

TEST(ConnectionDialog, CancelLogsOneLineAndTheSampleConnectsInOneClick) {
  WindowDriver d;
  OnModal<ConnectionDialog>([](ConnectionDialog& dialog) {
    EXPECT_TRUE(dialog.findChild<QLineEdit*>("txtFile")->text().isEmpty()) << "no preset connection";
    dialog.reject();
  });
  d.Trigger("mnuConnetti");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Err(91, "Variabile oggetto o variabile del blocco With non impostata")});
  ExpectState(d, true, false, true);

  ASSERT_FALSE(SampleDatabasePath().isEmpty()) << "esempio.db is built next to the program";
  OnModal<ConnectionDialog>([](ConnectionDialog& dialog) {
    dialog.findChild<QPushButton*>("cmdEsempio")->click();
    dialog.accept();
  });
  d.Trigger("mnuConnetti");
  const QString text = "Provider=SQLite;Data Source=" + SampleDatabasePath();
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{Ok("Connessione effettuata correttamente a " + text),
                                          Ok("Lettura tabelle effettuata correttamente su " + text)}));
  EXPECT_GE(d.Rows("LwTabelle").size(), 6u);
}

TEST(ConnectionDialog, FieldsTextAndTestAgree) {
  const scratch::Dir dir;
  std::ofstream(dir.File("odbc.ini")) << "[magazzino]\nDriver=SQLite3\nDatabase=/tmp/magazzino.db\n";
  std::optional<scratch::Env> ini{std::in_place, "ODBCINI", dir.File("odbc.ini")};
  ConnectionDialog dialog;
  ini.reset();
  auto* provider = dialog.findChild<QComboBox*>("cboProvider");
  EXPECT_GE(provider->findText("Driver ODBC: SQLite3"), 0) << "installed ODBC drivers are offered";
  provider->setCurrentIndex(provider->findText("Origine dati ODBC: magazzino (SQLite3)"));
  EXPECT_EQ(dialog.connectionText(), "Provider=ODBC;DSN=magazzino");
  provider->setCurrentIndex(provider->findText("PostgreSQL (server)"));
  dialog.findChild<QLineEdit*>("txtServer")->setText("localhost");
  dialog.findChild<QLineEdit*>("txtPassword")->setText("x;y");
  EXPECT_EQ(dialog.connectionText(), "Provider=PostgreSQL;Server=localhost;Password=\"x;y\"");

  // What the user types on the text page comes back into the fields, extra keys kept.
  dialog.findChild<QPlainTextEdit*>("txtTesto")->setPlainText("Provider=SQLite;Data Source=/no/such.db;Modo=1");
  dialog.findChild<QTabWidget*>("tabPagine")->setCurrentIndex(1);
  dialog.findChild<QTabWidget*>("tabPagine")->setCurrentIndex(0);
  EXPECT_EQ(dialog.findChild<QLineEdit*>("txtFile")->text(), "/no/such.db");
  dialog.findChild<QCheckBox*>("chkCrea")->setChecked(true);
  EXPECT_EQ(dialog.connectionText(), "Provider=SQLite;Data Source=/no/such.db;Create=Yes;Modo=1");

  dialog.findChild<QPushButton*>("cmdEsempio")->click();
  dialog.testConnection();
  EXPECT_EQ(dialog.findChild<QLabel*>("lblVerifica")->text(), "La connessione funziona.");

  // A server that takes the connection and never answers: the dialog goes on
  // handling its events while the test waits for it.
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
  dialog.findChild<QPlainTextEdit*>("txtTesto")->setPlainText(
      QString("Provider=PostgreSQL;Server=127.0.0.1;Port=%1;Timeout=2").arg(silent.serverPort()));
  bool handled = false;
  QTimer::singleShot(100, [&] { handled = true; });
  dialog.testConnection();
  EXPECT_TRUE(handled);
  EXPECT_TRUE(dialog.findChild<QLabel*>("lblVerifica")->text().startsWith("La connessione non funziona: "));
}

}  // namespace
