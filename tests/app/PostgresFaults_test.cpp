// A PostgreSQL server that goes away, or never answers, met through the window's
// operations: the log lines, the grid, the next operation, reconnecting, and what is
// stored afterwards. The tests that need a server skip without CARTAVO_TEST_PG.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>

#include <csignal>
#include <memory>

#include "db/providers/BuiltInProviders.h"
#include "operations/ProgressDialog.h"
#include "tests/data/GridDriver.h"

namespace {

const QString kScript = CARTAVO_SCRIPTS "/pg-test-server.sh";

// The first line is the provider's error for the lost session, the second the summary.
void ExpectLost(const std::vector<Row>& log, const QString& summary) {
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].text, "Err. n.-2147467259");
  EXPECT_TRUE(log[0].sub1.contains(QRegularExpression("\\[(57P0\\d|08006)\\]"))) << log[0];
  EXPECT_EQ(log[1], Err0(summary));
}

// On the test server, with a name of its own that tells its session apart.
class PostgresFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("CARTAVO_TEST_PG")) GTEST_SKIP() << "CARTAVO_TEST_PG not set";
    admin.ConnectionString(qgetenv("CARTAVO_TEST_PG").toStdString());
    admin.Open();
    d.w->Conne(text, "", "");
    d.NewLog();
  }
  std::string Scalar(const std::string& sql) {
    db::Recordset rs;
    rs.Open(sql, admin);
    return rs.Fields().Item(0L).GetValue().ToText();
  }
  const std::string name = "guasti_" + std::to_string(QCoreApplication::applicationPid());
  const QString text = qEnvironmentVariable("CARTAVO_TEST_PG") + ";Application Name=" + QString::fromStdString(name);
  const std::string session = "FROM pg_stat_activity WHERE application_name = '" + name + "'";
  db::Connection admin{db::BuiltInProvider};
  GridDriver d;
};

// A lost session is PostgresServerStop's; here the cancel reaches the server.
TEST_F(PostgresFaults, AnnullaCancelsOnTheServer) {
  AnnullaAt(*d.w, 900);
  d.RunSql("SELECT pg_sleep(30)");
  const auto canceled = d.NewLog();
  ASSERT_EQ(canceled.size(), 2u);
  EXPECT_EQ(canceled[0].text, "Err. n.-2147217842");
  EXPECT_TRUE(canceled[0].sub1.startsWith("[57014] ")) << canceled[0];
  EXPECT_EQ(canceled[1], Err0("Lettura dati fallita su " + text));
  d.RunSql("SELECT 1");  // the session goes on
  EXPECT_EQ(d.Cell(0, 0), "1");
}

// A session whose server process stops answering, as behind a dead link: PQcancel
// reaches the server, the command does not stop, and the wait must end all the same.
TEST_F(PostgresFaults, ASilentSessionIsGivenUpSoonAfterAnnulla) {
  struct Stopped {
    explicit Stopped(pid_t p) : pid(p) { EXPECT_EQ(::kill(pid, SIGSTOP), 0); }
    ~Stopped() { ::kill(pid, SIGCONT); }
    pid_t pid;
  };
  auto stopped = std::make_unique<Stopped>(static_cast<pid_t>(std::stol(Scalar("SELECT pid " + session))));
  AnnullaAt(*d.w, 900);
  d.RunSql("SELECT 1");
  stopped.reset();
  const auto log = d.NewLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].text, "Err. n.-2147217842");
  EXPECT_TRUE(log[0].sub1.startsWith("[08006] Operazione annullata: ")) << log[0];
  EXPECT_EQ(log[1], Err0("Lettura dati fallita su " + text));

  d.Trigger("mnuDisconnetti");
  d.w->Conne(text, "", "");
  d.RunSql("SELECT 1");
  EXPECT_EQ(d.NewLog().size(), 4u);
}

// A server of its own, stopped while a command runs and while the grid shows rows.
class OwnServer {
 public:
  OwnServer() {
    QProcess start;
    start.start(kScript, {"start", dir_.path()});
    start.waitForFinished(60000);
    port_ = QString::fromUtf8(start.readAllStandardOutput()).trimmed();
  }
  ~OwnServer() { Run("stop"); }
  QString Text() const {
    return "Provider=PostgreSQL;Server=127.0.0.1;Port=" + port_ + ";Database=postgres;User ID=postgres";
  }
  void Run(const char* command) { QProcess::execute(kScript, {command, dir_.path()}); }

 private:
  QTemporaryDir dir_;
  QString port_;
};

TEST(PostgresServerStop, IsReportedAndReconnectingAfterTheRestartWorks) {
  if (qEnvironmentVariableIsEmpty("CARTAVO_TEST_PG")) GTEST_SKIP() << "CARTAVO_TEST_PG not set: no servers here";
  OwnServer server;
  const QString text = server.Text();
  GridDriver d;
  d.w->Conne(text, "", "");
  ASSERT_EQ(d.NewLog().size(), 2u) << "connected";
  d.RunSql("CREATE TABLE t (id integer PRIMARY KEY, v integer); INSERT INTO t SELECT g, g FROM generate_series(1, 2000) g");
  d.RunSql("SELECT * FROM t");
  d.NewLog();

  QTimer::singleShot(300, [&] { server.Run("stop"); });
  d.RunSql("DO $$ BEGIN PERFORM pg_sleep(30); END $$");
  ExpectLost(d.NewLog(), "Esecuzione comandi SQL fallita su " + text);
  d.grid->verticalScrollBar()->setValue(d.grid->verticalScrollBar()->maximum());
  d.grid->viewport()->repaint();
  EXPECT_EQ(d.Cell(1999, 1), "");
  d.Trigger("mnuLeggiTabelle");
  ExpectLost(d.NewLog(), "Lettura tabelle fallita su " + text);
  d.Trigger("mnuDisconnetti");
  d.w->Conne(text, "", "");
  const auto refused = d.NewLog();
  ASSERT_EQ(refused.size(), 3u);
  EXPECT_TRUE(refused[1].sub1.startsWith("[08001] ")) << refused[1];

  server.Run("restart");
  d.w->Conne(text, "", "");
  d.RunSql("SELECT sum(v) FROM t");
  EXPECT_EQ(d.NewLog().size(), 3u);
  EXPECT_EQ(d.Cell(0, 0), "2001000");
}

// Accepts connections in the kernel and never says a word.
class SilentServer {
 public:
  SilentServer() : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd_, reinterpret_cast<sockaddr*>(&address), size);
    listen(fd_, 4);
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() { close(fd_); }
  int port() const { return port_; }

 private:
  int fd_;
  int port_ = 0;
};

TEST(PostgresSilentServer, TheConnectTimeOutOrAnnullaEndsTheWait) {
  const SilentServer silent;
  const QString text = "Provider=PostgreSQL;Server=127.0.0.1;Port=" + QString::number(silent.port()) + ";Connect Timeout=2";
  GridDriver d;
  bool progressShown = false;
  QTimer::singleShot(1000, [&] { progressShown = d.w->findChild<ProgressDialog*>() != nullptr; });
  d.w->Conne(text, "", "");
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{Err(-2147467259, "[08001] connection to server at \"127.0.0.1\", port " +
                                                                  QString::number(silent.port()) + " failed: timeout expired"),
                                          Err0("Connessione fallita a " + text)}));
  EXPECT_TRUE(progressShown);
  EXPECT_TRUE(d.Enabled("mnuConnetti"));

  // "Annulla" need not wait for a long Connect Timeout.
  const QString patient = "Provider=PostgreSQL;Server=127.0.0.1;Port=" + QString::number(silent.port()) + ";Connect Timeout=60";
  AnnullaAt(*d.w, 1000);
  d.w->Conne(patient, "", "");
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{kCanceled, Err0("Connessione fallita a " + patient)}));
}

}  // namespace
