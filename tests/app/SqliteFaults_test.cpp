// What happens to a SQLite file under the window's feet, met through the window's
// operations as a user meets it: the log lines, the next operation, reconnecting,
// and what is stored afterwards.
#include <gtest/gtest.h>

#include <optional>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>
#include <QTimer>

#include "tests/data/GridDriver.h"

namespace {

const char* kShop = "CREATE TABLE t (id INTEGER PRIMARY KEY, v INTEGER NOT NULL); INSERT INTO t VALUES (1, 10), (2, 20);";
const char* kOther = "CREATE TABLE altra (x); INSERT INTO altra VALUES (1);";

const QString kMoved =
    "Il file del database è stato eliminato, spostato o sostituito dopo l'apertura della connessione: "
    "disconnettersi e riconnettersi";

class SqliteFaults : public ::testing::Test, protected SqliteWindow {
 protected:
  SqliteFaults() : SqliteWindow(kShop) {}
  void Connect(const QString& connection) {
    d.w->Conne(connection, "", "");
    d.NewLog();
  }
  std::string Stored() {
    return Scalar("SELECT group_concat(id || '=' || v) FROM t").toStdString();
  }
};

// Another connection holding the write lock, as another program would: an open
// transaction that it never ends.
class Locker {
 public:
  explicit Locker(const QString& file) {
    sqlite3_open(file.toUtf8().constData(), &db_);
    EXPECT_EQ(sqlite3_exec(db_, "BEGIN EXCLUSIVE; INSERT INTO t VALUES (3, 30)", nullptr, nullptr, nullptr), SQLITE_OK);
  }
  ~Locker() { sqlite3_close(db_); }  // without committing
  Locker(const Locker&) = delete;
  Locker& operator=(const Locker&) = delete;

 private:
  sqlite3* db_ = nullptr;
};

TEST_F(SqliteFaults, ALockHeldByAnotherProgramIsWaitedForThenReported) {
  const QString notSaved = "Il valore non è stato salvato: ";
  d.RunSql("SELECT * FROM t");
  d.NewLog();
  {
    const Locker locker(file);
    // An edit that outlasts the wait is kept as not saved, and sent again later.
    d.Write(0, 1, "11", Qt::Key_Down);
    EXPECT_EQ(d.Refused(), QStringList{notSaved + "database is locked"});
    EXPECT_EQ(d.Cell(0, 1), "11");
    EXPECT_TRUE(d.model()->index(0, 1).data(RecordsetModel::PendingRole).toBool());
    d.refused.clear();
  }
  // Leaving its row once more, the lock gone, writes it.
  d.Open(0, 1);
  QTest::keyClick(d.Editor(), Qt::Key_Down);
  EXPECT_EQ(Stored(), "1=11,2=20");
  {
    const Locker locker(file);

    bool progressShown = false;
    QTimer::singleShot(1500, [&] { progressShown = d.w->findChild<ProgressDialog*>() != nullptr; });
    d.RunSql("SELECT * FROM t");
    EXPECT_EQ(d.NewLog(), (std::vector<Row>{Err(5, "database is locked"), Err0("Lettura dati fallita su " + text)}));
    EXPECT_TRUE(progressShown);

    // "Annulla" does not wait for the time-out.
    AnnullaAt(*d.w, 800);
    d.RunSql("UPDATE t SET v = 0");
    EXPECT_EQ(d.NewLog(), (std::vector<Row>{kCanceled, Err0("Esecuzione comandi SQL fallita su " + text)}));
  }
  d.RunSql("SELECT * FROM t");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Lettura dati effettuata correttamente su " + text)});
  EXPECT_EQ(d.RowCount(), 2);
  EXPECT_EQ(Stored(), "1=11,2=20");
  EXPECT_TRUE(d.Refused().isEmpty()) << d.refused.join('\n').toStdString();

  // Closing waits for a write; its "Annulla" gives it up and says so.
  const Locker locker(file);
  d.Open(1, 1);
  d.Type("21");
  AnnullaAt(*d.w, 800);
  d.w->close();
  EXPECT_FALSE(d.w->isVisible());
  ASSERT_EQ(d.Refused().size(), 1);
  EXPECT_TRUE(d.refused[0].startsWith(notSaved)) << d.refused[0].toStdString();
}

TEST_F(SqliteFaults, AFileDeletedOrReplacedIsReportedAndReconnectingReadsWhatIsThere) {
  ASSERT_TRUE(QFile::remove(file));
  d.Trigger("mnuLeggiTabelle");
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{Err(1032, kMoved), Err0("Lettura tabelle fallita su " + text)}));
  d.Trigger("mnuDisconnetti");

  // Put back, connected, then replaced by another database.
  MakeSqlite(dir, "t.db", kShop);
  Connect(text);
  const QString other = MakeSqlite(dir, "altra.db", kOther);
  ASSERT_EQ(::rename(other.toUtf8().constData(), file.toUtf8().constData()), 0);
  d.RunSql("INSERT INTO t VALUES (3, 30)");
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{Err(1032, kMoved), Err0("Esecuzione comandi SQL fallita su " + text)}));
  d.Trigger("mnuDisconnetti");
  Connect(text);
  EXPECT_EQ(d.Rows("LwTabelle").at(0).text, "altra");
  EXPECT_EQ(Scalar("SELECT count(*) FROM altra"), "1");
}

// Root writes through permission bits by CAP_DAC_OVERRIDE. Capabilities belong to a
// thread and pass to the threads it starts, so without it on the connection's thread
// the window's calls find a read-only file read-only, as any user does.
class WithoutOverride {
 public:
  WithoutOverride() {
    syscall(SYS_capget, &header_, saved_);
    __user_cap_data_struct less[2] = {saved_[0], saved_[1]};
    less[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
    syscall(SYS_capset, &header_, less);
  }
  ~WithoutOverride() { syscall(SYS_capset, &header_, saved_); }
  WithoutOverride(const WithoutOverride&) = delete;
  WithoutOverride& operator=(const WithoutOverride&) = delete;

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
};

TEST_F(SqliteFaults, RefusedWritesLeaveWhatIsStored) {
  // A full disk: the file may not grow past the pages it has.
  d.RunSql("PRAGMA max_page_count = 1");
  d.NewLog();
  d.RunSql("INSERT INTO t SELECT id + 2, randomblob(100000) FROM t");
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{Err(13, "database or disk is full"),
                                          Err0("Esecuzione comandi SQL fallita su " + text)}));
  d.RunSql("UPDATE t SET v = v + 1");
  EXPECT_EQ(d.NewLog(), std::vector<Row>{Ok("Esecuzione comandi SQL effettuata correttamente su " + text)});
  d.Trigger("mnuDisconnetti");
  EXPECT_EQ(Stored(), "1=11,2=21");

  // A file that may only be read opens for reading; writing it is refused.
  QFile(file).setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  std::optional<WithoutOverride> asAnyUser;
  d.probe.OnConnectionThread([&] { asAnyUser.emplace(); });
  d.NewLog();
  d.w->Conne(text, "", "");
  EXPECT_EQ(d.NewLog().size(), 2u) << "connected";
  d.RunSql("UPDATE t SET v = 0");
  EXPECT_EQ(d.NewLog(), (std::vector<Row>{Err(8, "attempt to write a readonly database"),
                                          Err0("Esecuzione comandi SQL fallita su " + text)}));
  EXPECT_EQ(Stored(), "1=11,2=21");
  d.probe.OnConnectionThread([&] { asAnyUser.reset(); });
}

}  // namespace
