// The pager against a source in memory: what it asks the source for and what it
// hands out, with no engine between.
#include "db/RowPager.h"

#include <gtest/gtest.h>

#include <random>

namespace db {
namespace {

// Row i is (10 * i, a text of up to 3,000 characters, or a number or NULL): more than
// the cache holds, pages cut by their bytes, evicted cells written over with texts of
// other lengths and with values of other kinds.
class MemorySource final : public PageSource {
 public:
  MemorySource(std::int64_t n, int keys) : rows(n), keys_(keys) {}
  static Value Cell(std::int64_t i) {
    if (i % 5 == 0) return Value();
    return i % 5 == 1 ? Value(i * 7) : Value(std::string(static_cast<std::size_t>(i * 37 % 3000), 'x') + std::to_string(i));
  }
  int keyWidth() const override { return keys_; }
  void load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit, PageBuffer& out,
            const std::function<bool()>& more) override {
    if (key && announced && *key == announced->first && offset == 0 && limit == announced->second) ++taken;
    announced.reset();
    const std::int64_t step = descending ? -1 : 1;
    std::int64_t i = key ? (*key)[0].Get<std::int64_t>() / 10 + step : (descending ? rows - 1 : 0);
    (out.width == 1 ? keysSkipped : skipped) += offset;
    for (i += step * offset; i >= 0 && i < rows && limit-- > 0; i += step) {
      out.add(Value(10 * i));
      Value cell = Cell(i);
      if (out.width == 1) continue;  // the key alone
      if (cell.Is<std::string>()) out.addText(cell.Get<std::string>());
      else out.add(std::move(cell));
      if (!more()) break;
    }
  }
  std::optional<std::int64_t> count() override { return claimed ? claimed : std::optional(rows); }
  void readAhead(const RowKey& key, std::int64_t limit) override {
    announced = {key, limit};
    ++announcements;
  }

  std::int64_t rows;
  std::optional<std::int64_t> claimed;  // a count that others' deletes made stale
  std::int64_t skipped = 0;      // rows skipped whole
  std::int64_t keysSkipped = 0;  // by their keys alone
  std::optional<std::pair<RowKey, std::int64_t>> announced;  // by readAhead()
  int announcements = 0, taken = 0;

 private:
  int keys_;
};

void ExpectRow(RowPager& pager, std::int64_t row) {
  ASSERT_TRUE(pager.fetch(row)) << row;
  ASSERT_EQ(pager.current()[0], Value(10 * row)) << row;
  ASSERT_EQ(pager.current()[1], MemorySource::Cell(row)) << row;
}

TEST(RowPager, EveryRowIsAtItsPlaceWhateverTheOrderOfTheMoves) {
  for (int keys : {0, 1}) {
    SCOPED_TRACE(keys ? "by key" : "by offset");
    constexpr std::int64_t kRows = 20000;
    MemorySource source(kRows, keys);
    RowPager pager(source, 2);
    for (std::int64_t row = 0; row < kRows; ++row) ExpectRow(pager, row);
    EXPECT_EQ(source.taken, source.announcements) << "a page read ahead is not the one read next";
    EXPECT_GT(source.taken, keys ? 3 : -1);
    EXPECT_FALSE(pager.fetch(kRows));
    EXPECT_EQ(pager.knownSize(), kRows) << "the short last page tells the size";
    std::mt19937 random(7);
    for (int step = 0; step < 500; ++step) {
      const std::int64_t row = static_cast<std::int64_t>(random() % kRows);
      ExpectRow(pager, row);
      if (row > 0) ExpectRow(pager, row - 1);
    }
    EXPECT_FALSE(pager.fetch(-1));
  }
}

TEST(RowPager, AFarRowIsReadFromTheNearestKnownKey) {
  MemorySource source(1000000, 1);
  RowPager pager(source, 2);
  ExpectRow(pager, 0);
  ASSERT_EQ(pager.size(), 1000000);
  ExpectRow(pager, 999999);  // backwards from the end
  ExpectRow(pager, 999000);
  EXPECT_LT(source.skipped, 1000);
  EXPECT_LT(pager.rowsRead(), 300);
  // Before the positions are learned, a jump skips by the keys alone.
  source.skipped = 0;
  ExpectRow(pager, 500000);
  EXPECT_EQ(source.skipped, 0);
  EXPECT_GT(source.keysSkipped, 400000);

  // Positions learned once counted: a jump skips at most one stretch, wherever it lands.
  int steps = 0;
  while (pager.learn()) ++steps;
  EXPECT_EQ(steps, 121);  // 1,000,000 / 8,192 stretches
  for (const std::int64_t row : {500000, 123457, 8191, 991000}) {
    source.skipped = 0;
    ExpectRow(pager, row);
    EXPECT_LT(source.skipped, RowPager::kMaxRows) << row;
  }
}

// Rows deleted since the count: the read from the end comes back short and the
// pager starts again from the top instead of handing out rows at wrong places.
TEST(RowPager, ACountThatNoLongerHoldsIsForgotten) {
  MemorySource source(20, 1);
  source.claimed = 1000;
  RowPager pager(source, 2);
  ASSERT_EQ(pager.size(), 1000);
  EXPECT_FALSE(pager.fetch(990));
  ExpectRow(pager, 19);
  ExpectRow(pager, 10);
  EXPECT_FALSE(pager.fetch(20));
  EXPECT_EQ(pager.knownSize(), 20);
}

}  // namespace
}  // namespace db
