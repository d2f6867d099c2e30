// A PostgreSQL server that stops answering, met through the window's operations: the
// log lines, the next operation and reconnecting. A session the server ends is
// ProviderBehaviour's. The test that needs a server skips without CARTAVO_TEST_PG.
#include <gtest/gtest.h>
#include <QTcpServer>
#include <QTimer>

#include <csignal>
#include <memory>

#include "operations/ProgressDialog.h"
#include "tests/data/GridDriver.h"
#include "tests/db/OwnConnection.h"

namespace {

struct Stopped {
  explicit Stopped(pid_t p) : pid(p) { EXPECT_EQ(::kill(pid, SIGSTOP), 0); }
  ~Stopped() { ::kill(pid, SIGCONT); }
  pid_t pid;
};

pid_t BackendOf(db::Connection& admin, const QString& name) {
  return static_cast<pid_t>(
      std::stol(Scalar(admin, "SELECT pid FROM pg_stat_activity WHERE application_name = '" + name.toStdString() + "'")));
}

// A session whose server process stops answering, as behind a dead link: PQcancel
// reaches the server, the command does not stop, and the wait must end all the same.
// The cancel that the server obeys is ProviderBehaviour's.
TEST(PostgresFaults, ASilentSessionIsGivenUpSoonAfterAnnulla) {
  if (qEnvironmentVariableIsEmpty("CARTAVO_TEST_PG")) GTEST_SKIP() << "CARTAVO_TEST_PG not set";
  const QString name = "guasti_" + QString::number(QCoreApplication::applicationPid());
  const QString text = qEnvironmentVariable("CARTAVO_TEST_PG") + ";Application Name=" + name;
  const auto admin = OwnConnection(qgetenv("CARTAVO_TEST_PG").toStdString());
  GridDriver d;
  d.w->Conne(text, "", "");
  d.NewLog();
  auto stopped = std::make_unique<Stopped>(BackendOf(*admin, name));
  AnnullaAt(*d.w, 900);
  d.RunSql("SELECT 1");
  const auto log = d.NewLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].text, "Err. n.-2147217842");
  EXPECT_TRUE(log[0].sub1.startsWith("[08006] Operazione annullata: il server PostgreSQL non ha risposto"))
      << log[0];
  EXPECT_EQ(log[1], Err0("Lettura dati fallita su " + text));
  stopped.reset();

  // "Chiudi connessione" does not wait for the server to give up.
  d.Trigger("mnuDisconnetti");
  d.w->Conne(text + "_2", "", "");
  d.NewLog();
  stopped = std::make_unique<Stopped>(BackendOf(*admin, name + "_2"));
  AnnullaAt(*d.w, 900);
  AnnullaAt(*d.w, 2100);
  d.RunSql("SELECT 1");
  stopped.reset();
  EXPECT_TRUE(d.NewLog().at(0).sub1.startsWith("[08006] Operazione annullata: la connessione è stata chiusa senza"));

  d.Trigger("mnuDisconnetti");
  d.w->Conne(text, "", "");
  d.RunSql("SELECT 1");
  EXPECT_EQ(d.NewLog().size(), 4u);
}

// A cell written while the server process is stopped: the window goes on (the key
// returns), the cell shows the edit pending, and it is written once when it goes on.
TEST(PostgresFaults, AWriteToAStoppedServerWaitsWithoutFreezing) {
  if (qEnvironmentVariableIsEmpty("CARTAVO_TEST_PG")) GTEST_SKIP() << "CARTAVO_TEST_PG not set";
  const QString name = "fermo_" + QString::number(QCoreApplication::applicationPid());
  const auto admin = OwnConnection(qgetenv("CARTAVO_TEST_PG").toStdString());
  admin->Execute("DROP TABLE IF EXISTS " + name.toStdString() + "; CREATE TABLE " + name.toStdString() +
                " (id int PRIMARY KEY, v text); INSERT INTO " + name.toStdString() + " VALUES (1, 'prima'), (2, 'x')");
  GridDriver d;
  d.w->Conne(qEnvironmentVariable("CARTAVO_TEST_PG") + ";Application Name=" + name, "", "");
  d.probe.LeggiDati("SELECT * FROM " + name);
  d.Open(0, 1);
  d.Type("dopo");
  auto stopped = std::make_unique<Stopped>(BackendOf(*admin, name));
  QTest::keyClick(d.Editor(), Qt::Key_Down);
  QTest::qWait(300);
  const QModelIndex cell = d.model()->index(0, 1);
  EXPECT_TRUE(cell.data(RecordsetModel::PendingRole).toBool());
  EXPECT_EQ(cell.data().toString(), "dopo");
  EXPECT_EQ(Scalar(*admin, "SELECT v FROM " + name.toStdString() + " WHERE id = 1"), "prima");
  stopped.reset();
  EXPECT_TRUE(d.Refused().isEmpty()) << d.Refused().join('\n').toStdString();
  EXPECT_FALSE(cell.data(RecordsetModel::PendingRole).toBool());
  EXPECT_EQ(Scalar(*admin, "SELECT v FROM " + name.toStdString() + " WHERE id = 1"), "dopo");
  admin->Execute("DROP TABLE " + name.toStdString());
}

TEST(PostgresSilentServer, TheConnectTimeOutOrAnnullaEndsTheWait) {
  QTcpServer silent;  // takes connections and never says a word
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
  const QString port = QString::number(silent.serverPort());
  const QString text = "Provider=PostgreSQL;Server=127.0.0.1;Port=" + port + ";Connect Timeout=2";
  GridDriver d;
  bool progressShown = false;
  QTimer::singleShot(1000, [&] { progressShown = d.w->findChild<ProgressDialog*>() != nullptr; });
  d.w->Conne(text, "", "");
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{Err(-2147467259, "[08001] connection to server at \"127.0.0.1\", port " +
                                                                  port + " failed: timeout expired"),
                                          Err0("Connessione fallita a " + text)}));
  EXPECT_TRUE(progressShown);
  EXPECT_TRUE(d.Enabled("mnuConnetti"));

  // "Annulla" need not wait for a long Connect Timeout.
  const QString patient = "Provider=PostgreSQL;Server=127.0.0.1;Port=" + port + ";Connect Timeout=60";
  AnnullaAt(*d.w, 1000);
  d.w->Conne(patient, "", "");
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{kCanceled, Err0("Connessione fallita a " + patient)}));
}

}  // namespace
