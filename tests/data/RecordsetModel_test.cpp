#include <gtest/gtest.h>

#include "data/DataGrid.h"
#include "data/RecordsetModel.h"
#include "db/LayerErrors.h"
#include "db/Recordset.h"

namespace {

// Rows "r0", "r1"... of a result that tells its size only when counting (which may
// fail) and refuses every write; one row may fail to read.
class Unsized final : public db::Result {
 public:
  explicit Unsized(std::int64_t rows) : rows_(rows) {}
  const std::vector<db::ColumnInfo>& columns() const override { return columns_; }
  bool fetch(std::int64_t row) override {
    if (row == broken) throw db::DbError(-1, "rotta");
    at_ = row;
    return row >= 0 && row < rows_;
  }
  db::Value value(int) const override { return db::Value("r" + std::to_string(at_)); }
  bool isNull(int) const override { return false; }
  std::optional<std::int64_t> size() override {
    ++counts;
    if (countFails) throw db::DbError(-1, "conteggio annullato");
    return countable ? std::optional(rows_) : std::nullopt;
  }
  std::int64_t rowsRead() const override { return 0; }
  void update(std::int64_t, const std::vector<std::pair<int, db::Value>>&) override { throw db::errors::RowChanged(); }
  void refresh(std::int64_t) override {}

  std::int64_t broken = -1;
  bool countable = false;
  bool countFails = false;
  int counts = 0;

 private:
  std::int64_t rows_;
  std::int64_t at_ = 0;
  std::vector<db::ColumnInfo> columns_ = [] {
    db::ColumnInfo c;
    c.name = "nome";
    c.type = db::adVarChar;
    return std::vector{c};
  }();
};

// The first screen does not wait for a count: rows grow to their end, or all come
// once the count does.
TEST(RecordsetModel, RowsOfAnUnknownCountGrowOrComeWithTheCount) {
  for (bool countable : {false, true}) {
    auto result = std::make_unique<Unsized>(1000);
    Unsized* raw = result.get();
    raw->countable = countable;
    db::Recordset rs;
    rs.OpenResult(std::move(result), db::adLockOptimistic);
    RecordsetModel model;
    model.Bind(&rs);
    EXPECT_EQ(raw->counts, 0);
    EXPECT_EQ(model.rowCount(), RecordsetModel::kFetchRows);
    if (countable) {
      model.SetCount(rs.RecordCount());
      EXPECT_FALSE(model.canFetchMore({}));
    }
    while (model.canFetchMore({})) model.fetchMore({});
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(model.index(999, 0).data().toString(), "r999");
  }
}

TEST(DataGrid, ACountThatFailsLeavesTheRowsGrowing) {
  auto result = std::make_unique<Unsized>(1000);
  result->countFails = true;
  db::Recordset rs;
  rs.OpenResult(std::move(result), db::adLockOptimistic);
  DataGrid grid;
  grid.setDataSource(&rs);
  grid.ReBind();
  grid.CountRows();
  EXPECT_EQ(grid.model()->rowCount(), RecordsetModel::kFetchRows);
  EXPECT_TRUE(grid.model()->canFetchMore({}));
  grid.setDataSource(nullptr);
}

TEST(RecordsetModel, ReadFailuresShowEmptyCellsAndRefusalsAreTold) {
  auto result = std::make_unique<Unsized>(10);
  Unsized* raw = result.get();
  db::Recordset rs;
  rs.OpenResult(std::move(result), db::adLockOptimistic);
  RecordsetModel model;
  QStringList told;
  model.setErrorReporter([&](const QString& m) { told << m; });
  model.Bind(&rs);
  raw->broken = 3;
  EXPECT_EQ(model.index(3, 0).data().toString(), "");
  EXPECT_EQ(model.index(3, 0).data(Qt::EditRole).toString(), "");
  EXPECT_EQ(model.index(4, 0).data().toString(), "r4");
  EXPECT_TRUE(told.isEmpty()) << "reads are not told";

  EXPECT_FALSE(model.setData(model.index(5, 0), QString("nuovo"), Qt::EditRole));
  ASSERT_EQ(told.size(), 1);
  EXPECT_EQ(told[0].toStdString(), db::errors::RowChanged().Description());
  EXPECT_EQ(model.index(5, 0).data().toString(), "r5");
}

}  // namespace
