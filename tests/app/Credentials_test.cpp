#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <list>

#include "dialog/ConnectionDialog.h"
#include "tests/Scratch.h"
#include "tests/app/MessageBoxCapture.h"
#include "tests/app/frmMainProbe.h"
#include "tests/app/WindowDriver.h"
#include "tests/db/OwnConnection.h"

namespace {

// A password with what quoting has to deal with; neither of its pieces may show.
const QString kPassword = "Sgr3t0;x'y";
bool Leaks(const QString& text) { return text.contains("Sgr3t0") || text.contains("x'y"); }

const QString kQuoted = "'Sgr3t0;x''y'";  // in a data-link text
const QString kBraced = "{Sgr3t0;x'y}";   // in an ODBC text

// The lines logged since the last look, and the message box of each, hold no password.
void ExpectNoPasswordShown(WindowDriver& d, const QString& text) {
  SCOPED_TRACE(text.toStdString());
  frmMainProbe p(*d.w);
  ListView* log = d.List("txtEvent");
  const std::vector<Row> lines = d.NewLog();
  ASSERT_FALSE(lines.empty());
  for (const Row& line : lines) EXPECT_FALSE(Leaks(line.sub1)) << line;
  EXPECT_TRUE(lines.back().sub1.contains(QRegularExpression("(Password|PWD)=\\*+"))) << lines.back();
  for (int i = log->ListItems().Count() - static_cast<int>(lines.size()); i < log->ListItems().Count(); ++i) {
    log->setCurrentIndex(log->model()->index(i, 0));
    const CapturedMessageBox box = CaptureMessageBox([&] { p.txtEvent_DblClick(); });
    EXPECT_TRUE(box.shown);
    EXPECT_FALSE(Leaks(box.text)) << box.text.toStdString();
  }
}

// Connection texts that fail, each with the password in it: libpq, the ODBC driver
// manager and its drivers, SQLite, and the layer's own reading of the text.
QStringList FailingTexts() {
  QStringList texts = {
      "Provider=SQLite;Data Source=/nessuna/cartella/x.db;Password=" + kQuoted,
      "Provider=PostgreSQL;Colore=blu;Password=" + kQuoted,
      "Provider=ODBC;DSN=cartavo_nessuna;PWD=" + kBraced,
      "Provider=ODBC;Driver={SQLite3};Database=/nessuna/cartella/x.db;PWD=" + kBraced,
  };
  const QString port = qEnvironmentVariable("CARTAVO_TEST_PG_PORT");
  if (port.isEmpty()) return texts;
  const QString pg = "Provider=PostgreSQL;Server=127.0.0.1;Port=" + port + ";Database=cartavo_test;";
  const QString odbc = "Provider=ODBC;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + port +
                       ";Database=cartavo_test;";
  texts << pg + "User ID=cartavo_password;Password='sbagliata'"  // the wrong one; the right one elsewhere
        << pg + "User ID=cartavo_password;Password=" + kQuoted + ";Database=cartavo_nessuno"
        << "Provider=PostgreSQL;Server=nessuno.invalid;Password=" + kQuoted
        << pg + "SSL Mode=bogus;Password=" + kQuoted
        << pg + "Port=" + kQuoted + ";Password=" + kQuoted  // libpq repeats a bad port
        << odbc + "UID=cartavo_password;PWD=sbagliata"
        << odbc + "UID=cartavo_password;PWD=" + kBraced + ";Database=cartavo_nessuno"
        << "Provider=ODBC;Driver={PostgreSQL Unicode};Server=nessuno.invalid;PWD=" + kBraced
        << odbc + "SSLmode=bogus;PWD=" + kBraced;
  return texts;
}

// The role that has to give its password (scripts/pg-test-server.sh), with kPassword.
void MakePasswordRole() {
  OwnConnection(qgetenv("CARTAVO_TEST_PG").toStdString())
      ->Execute("DO $$ BEGIN CREATE ROLE cartavo_password LOGIN PASSWORD 'Sgr3t0;x''y'; "
                "EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL; END $$");
}

TEST(Credentials, NoPasswordInTheLogTheMessageBoxesOrTheDialog) {
  if (qEnvironmentVariableIsSet("CARTAVO_TEST_PG")) MakePasswordRole();
  WindowDriver d;
  ConnectionDialog dialog;
  auto* verdict = dialog.findChild<QLabel*>("lblVerifica");
  for (const QString& text : FailingTexts()) {
    d.w->Conne(text, "", "");
    ASSERT_EQ(d.w->Conn.State(), db::adStateClosed) << text.toStdString();
    ExpectNoPasswordShown(d, text);
    dialog.findChild<QPlainTextEdit*>("txtTesto")->setPlainText(text);
    dialog.testConnection();
    EXPECT_TRUE(verdict->text().startsWith("La connessione non funziona: ")) << verdict->text().toStdString();
    EXPECT_FALSE(Leaks(verdict->text())) << verdict->text().toStdString();
  }

  // Connected with the password, every operation and failure names the connection.
  const QString port = qEnvironmentVariable("CARTAVO_TEST_PG_PORT");
  if (port.isEmpty()) GTEST_SKIP() << "CARTAVO_TEST_PG_PORT not set";
  for (const QString& text :
       {"Provider=PostgreSQL;Server=127.0.0.1;Port=" + port + ";Database=cartavo_test;User ID=cartavo_password;"
        "Password=" + kQuoted,
        "Provider=ODBC;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + port +
            ";Database=cartavo_test;UID=cartavo_password;PWD=" + kBraced}) {
    frmMainProbe p(*d.w);
    d.w->Conne(text, "", "");
    ASSERT_EQ(d.w->Conn.State(), db::adStateOpen) << d.NewLog().front().sub1.toStdString();
    p.LeggiDati("SELECT manca FROM nessuna");
    p.txtSQL()->setPlainText("DELETE FROM nessuna");
    p.EseguiSQL();
    p.LeggiCampi("nessuna");
    d.Trigger("mnuDisconnetti");
    ExpectNoPasswordShown(d, text);
  }
}

// A whole session, the file dialog of the connection dialog included, leaves no
// file behind in the user's folders: no settings, no history.
TEST(Credentials, ASessionWritesNothingToTheUsersFolders) {
  QTemporaryDir home, data;
  const QString file = MakeSqlite(data, "negozio.db", "CREATE TABLE clienti (id INTEGER PRIMARY KEY, nome TEXT)");
  std::list<scratch::Env> env;
  env.emplace_back("HOME", home.path().toStdString());
  for (const char* xdg : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
    env.emplace_back(xdg, (home.path() + "/" + xdg).toStdString());

  WindowDriver d;
  OnModal<ConnectionDialog>([&](ConnectionDialog& dialog) {
    OnModal<QFileDialog>([&](QFileDialog& files) {
      files.setDirectory(data.path());
      files.reject();
    });
    dialog.findChild<QPushButton*>("cmdSfoglia")->click();
    dialog.findChild<QLineEdit*>("txtFile")->setText(file);
    dialog.testConnection();
    dialog.accept();
  });
  d.Trigger("mnuConnetti");
  ASSERT_EQ(d.w->Conn.State(), db::adStateOpen);
  frmMainProbe p(*d.w);
  p.txtSQL()->setPlainText("INSERT INTO clienti (nome) VALUES ('Anna')");
  p.EseguiSQL();
  p.LeggiDati("SELECT * FROM clienti");
  d.Trigger("mnuDisconnetti");
  d.w->close();
  d.w.reset();

  QStringList written;
  for (QDirIterator it(home.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
       it.hasNext();)
    written << it.next();
  EXPECT_TRUE(written.isEmpty()) << written.join('\n').toStdString();
}

}  // namespace
