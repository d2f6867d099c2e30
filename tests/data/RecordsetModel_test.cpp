#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "data/DataGrid.h"
#include "data/RecordsetModel.h"
#include "db/LayerErrors.h"
#include "db/Recordset.h"
#include "operations/ConnectionThread.h"

namespace {

// Rows "r0", "r1"... of a result that tells its size only when counting (which may
// fail) and refuses every write; one row may fail to read.
class Unsized final : public db::Result {
 public:
  explicit Unsized(std::int64_t rows) : rows_(rows) {}
  const std::vector<db::ColumnInfo>& columns() const override { return columns_; }
  bool fetch(std::int64_t row) override {
    if (row == broken) throw db::DbError(-1, "rotta");
    ++fetches;
    {
      const std::lock_guard lock(mutex_);
      fetched_.insert(row);
    }
    at_ = row;
    return row >= 0 && row < rows_;
  }
  bool Fetched(std::int64_t row) {
    const std::lock_guard lock(mutex_);
    return fetched_.count(row) > 0;
  }
  db::Value value(int) const override { return db::Value("r" + std::to_string(at_)); }
  bool isNull(int) const override { return false; }
  std::optional<std::int64_t> size() override {
    if (countFails) throw db::DbError(-1, "conteggio annullato");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (slowCount && !interrupted && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (interrupted.exchange(false)) throw db::errors::Canceled();
    return countable ? std::optional(rows_) : std::nullopt;
  }
  std::int64_t rowsRead() const override { return 0; }
  void update(std::int64_t, const std::vector<std::pair<int, db::Value>>&) override {
    if (busy) throw db::DbError(5, "database is locked", db::ErrorKind::Busy);
    throw db::errors::RowChanged();
  }
  void refresh(std::int64_t) override {}

  std::atomic<std::int64_t> broken = -1;
  std::atomic<int> fetches{0};
  std::atomic<bool> busy{false};
  std::atomic<bool> slowCount{false};
  std::atomic<bool> interrupted{false};
  bool countable = false;
  bool countFails = false;

 private:
  std::int64_t rows_;
  std::int64_t at_ = 0;
  std::mutex mutex_;
  std::set<std::int64_t> fetched_;
  std::vector<db::ColumnInfo> columns_ = [] {
    db::ColumnInfo c;
    c.name = "nome";
    c.type = db::adVarChar;
    return std::vector{c};
  }();
};

// A count that fails leaves the rows growing to their end.
TEST(DataGrid, RowsOfAFailedCountGrowToTheirEnd) {
  auto result = std::make_unique<Unsized>(1000);
  Unsized* raw = result.get();
  raw->countFails = true;
  db::Recordset rs;
  rs.OpenResult(std::move(result), db::adLockOptimistic);
  DataGrid grid;
  grid.setDataSource(&rs);
  grid.ReBind();
  grid.CountRows();
  QAbstractItemModel& model = *grid.model();
  EXPECT_EQ(model.rowCount(), RecordsetModel::kFetchRows);
  while (model.canFetchMore({})) model.fetchMore({});
  EXPECT_EQ(model.rowCount(), 1000);
  EXPECT_EQ(model.index(999, 0).data().toString(), "r999");
  grid.setDataSource(nullptr);
}

// On the connection's thread: data() never waits for the engine, only the view's
// latest request is read, a row that cannot be read stays marked as not read, and a
// write that fails for a passing reason keeps the typed value until given up.
TEST(RecordsetModel, RowsAndWritesGoThroughTheConnectionThread) {
  auto result = std::make_unique<Unsized>(1000);
  Unsized* raw = result.get();
  raw->countable = true;
  db::Recordset rs;
  rs.OpenResult(std::move(result), db::adLockOptimistic);
  ConnectionThread thread([raw] { raw->interrupted = true; });
  RecordsetModel model;
  model.setThread(&thread);
  QStringList told;
  model.setErrorReporter([&](const QString& m) { told << m; });
  model.Bind(&rs);
  model.SetCount(1000);
  const auto settle = [&] {
    std::atomic<bool> done{false};
    thread.Post([&](bool) { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.load(); }));
    QCoreApplication::processEvents();
  };
  settle();
  const auto cell = [&](int row, int role = Qt::DisplayRole) { return model.index(row, 0).data(role); };

  const int fetched = raw->fetches;
  EXPECT_TRUE(cell(900, RecordsetModel::NotReadRole).toBool());
  EXPECT_EQ(cell(900).toString(), "");
  EXPECT_EQ(raw->fetches, fetched) << "data() called the provider";
  settle();
  settle();
  EXPECT_EQ(cell(900).toString(), "r900");

  // Scrolled on before the thread was free: the request left behind is dropped.
  std::atomic<bool> release{false};
  thread.Post([&](bool) { static_cast<void>(QTest::qWaitFor([&] { return release.load(); })); });
  cell(300);
  QCoreApplication::processEvents();
  cell(600);
  QCoreApplication::processEvents();
  release = true;
  settle();
  settle();
  EXPECT_EQ(cell(600).toString(), "r600");
  EXPECT_FALSE(raw->Fetched(300)) << "a stale request was read";

  // A count nobody waits for gives way to the rows on screen, and is made again.
  RecordsetModel::Rows first;
  first.rows.push_back({{data::CellText{"r0"}, db::Value("r0")}});
  model.Bind(&rs, std::move(first));
  raw->slowCount = true;
  model.CountInBackground();
  QTest::qWait(50);
  cell(100);
  EXPECT_TRUE(QTest::qWaitFor([&] { return cell(100).toString() == "r100"; }, 2000)) << "the rows waited for the count";
  raw->slowCount = false;
  EXPECT_TRUE(QTest::qWaitFor([&] { return model.countKnown() && model.rowCount() == 1000; }));

  raw->broken = 700;
  for (int i = 0; i < 2; ++i) {
    cell(700);
    settle();
    settle();
    EXPECT_TRUE(cell(700, RecordsetModel::NotReadRole).toBool());
  }
  EXPECT_EQ(told, QStringList{"rotta"}) << "told once";
  told.clear();

  EXPECT_TRUE(model.setData(model.index(5, 0), QString("nuovo"), Qt::EditRole));
  EXPECT_TRUE(cell(5, RecordsetModel::PendingRole).toBool());
  EXPECT_EQ(cell(5).toString(), "nuovo");
  settle();
  EXPECT_EQ(told, QStringList{QString::fromStdString(db::errors::RowChanged().Description())});
  EXPECT_EQ(cell(5).toString(), "r5") << "a refusal shows what is stored";
  EXPECT_FALSE(cell(5, RecordsetModel::PendingRole).toBool());

  // What SqliteFaults' lock tells and keeps as not saved, Escape gives up.
  raw->busy = true;
  model.setData(model.index(6, 0), QString("nuovo"), Qt::EditRole);
  settle();
  EXPECT_EQ(cell(6).toString(), "nuovo");
  model.Forsake(model.index(6, 0));
  EXPECT_EQ(cell(6).toString(), "r6");
}

}  // namespace
