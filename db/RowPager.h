#pragma once
// Rows of a result reached by position, read from the engine in pages and kept in a
// bounded cache. Engine-free: a provider supplies a PageSource.
//
// How it scales: a page is read by one short statement that the source resets at
// once, so no read transaction outlives a fetch. When rows are ordered by a key
// (keyWidth() > 0), a page starts after or before a known row's key (an anchor:
// the first and last row of every page read, kept sparse), skipping only the rows
// between the nearest anchor and the page; the end of the result is an anchor
// too once the size is known, so the last row costs a count plus one page. A long
// skip first finds the key of the row before the page by the key columns alone,
// which an index answers without reading the rows skipped. Without
// a key a page is an OFFSET from the start. Reading forward row after row doubles
// the page size up to kMaxRows, so a full scan costs few statements. Positions are
// those of the reading: rows that others insert or delete meanwhile may shift them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/Value.h"

namespace db {

using RowKey = std::vector<Value>;

// Rows read by one page statement, cell after cell (width cells a row): the first
// `filled` cells; any after them are cells of an evicted page, overwritten in turn so
// that their texts' room is used again.
struct PageBuffer {
  explicit PageBuffer(int w) : width(w) {}
  int width;
  std::vector<Value> cells;
  std::size_t filled = 0;
  std::size_t bytes = 0;
  std::int64_t rows() const { return static_cast<std::int64_t>(filled) / width; }
  void add(Value&& v);
  void add(const Value& v) { add(Value(v)); }
  void addText(std::string_view text);
  // Lets go of the cells after the rows read.
  void trim() { cells.resize(filled); }
};

class PageSource {
 public:
  virtual ~PageSource() = default;
  // Rows start with this many key cells that order them; 0: pages by offset only.
  virtual int keyWidth() const { return 0; }
  // Appends up to `limit` rows, skipping `offset` rows first: from the first row
  // (the last when descending), or from the row after (before) `key` when given.
  // After each row it asks `more` whether to go on. Rows are appended in reading
  // order (descending rows from the end). A buffer as wide as the key wants only the
  // key cells.
  virtual void load(const RowKey* key, bool descending, std::int64_t offset, std::int64_t limit,
                    PageBuffer& out, const std::function<bool()>& more) = 0;
  // The number of rows when the engine can count them without transferring them.
  virtual std::optional<std::int64_t> count() { return std::nullopt; }
  // A long read goes on: the next load is likely to be `limit` rows after `key`, and a
  // source may start on it now.
  virtual void readAhead(const RowKey& /*key*/, std::int64_t /*limit*/) {}
};

// A table read in the order of a key: every page is one indexed range query, so
// reaching a row costs the rows between it and the nearest known key.
class KeysetPages : public PageSource {
 public:
  int keyWidth() const final { return static_cast<int>(keys_.size()); }

 protected:
  // A buffer as wide as the key asks for the key columns alone.
  bool keysOnly(const PageBuffer& out) const { return out.width == keyWidth(); }
  // table: qualified and quoted; keys: SQL of the key columns, read first, then *.
  KeysetPages(std::string table, std::vector<std::string> keys) : table_(std::move(table)), keys_(std::move(keys)) {}
  const std::string& table() const { return table_; }
  const std::vector<std::string>& keys() const { return keys_; }

 private:
  std::string table_;
  std::vector<std::string> keys_;
};

class RowPager {
 public:
  // A first screen reads little more than it shows; reading on doubles the pages.
  static constexpr std::int64_t kBaseRows = 64;
  static constexpr std::int64_t kMaxRows = 8192;
  static constexpr std::size_t kPageBytes = 2u << 20;   // a page stops growing past this
  // Offset pages skip every row before them again: fewer, bigger pages keep a full
  // scan from costing the square of its length.
  static constexpr std::int64_t kMaxOffsetRows = 65536;
  static constexpr std::size_t kOffsetPageBytes = 16u << 20;
  static constexpr std::size_t kCacheBytes = 8u << 20;
  static constexpr std::size_t kMaxPages = 48;
  static constexpr std::size_t kMaxAnchors = 4096;
  // Past this many rows a skip is made first by the key columns alone.
  static constexpr std::int64_t kSeekRows = kMaxRows;

  RowPager(PageSource& source, int width);
  ~RowPager();

  // Positions on the 0-based row; false when there is no such row.
  bool fetch(std::int64_t row);
  // The width cells of the row that fetch() positioned on.
  const Value* current() const { return currentCells_; }
  std::optional<std::int64_t> size();
  // What size() would answer without asking the source.
  std::optional<std::int64_t> knownSize() const { return size_; }
  std::int64_t rowsRead() const { return rowsRead_; }
  // Puts the row's stored values in place after a write; the page keeps the keys
  // it was read with, so paging around the row is unchanged.
  void replace(std::int64_t row, const std::vector<Value>& cells);
  // Lets go of the page that holds the row; its anchors stay, so reading it again
  // costs one page.
  void drop(std::int64_t row);
  // Once the size is known, learns the key of the row a stretch after the last one so
  // learned: one statement that seeks that key and skips the stretch inside the
  // engine, transferring one key. Learned from start to end, anchors are then no
  // further apart than kMaxRows or a 2048th of the rows, and any jump skips no more.
  // False once the end is met, and without a key or a size.
  bool learn();

 private:
  struct Page;
  struct Span { std::int64_t begin, end; };
  Page* find(std::int64_t row);
  Page* load(std::int64_t row);
  PageBuffer buffer(std::int64_t rows);
  Span plan(std::int64_t row) const;
  bool readForward(Span span, std::int64_t row, PageBuffer& buf);
  bool readBackward(Span span, std::int64_t row, PageBuffer& buf);
  void readAhead();
  bool seek(std::optional<RowKey>& key, bool descending, std::int64_t& skip, std::int64_t reached);
  Page* keep(std::int64_t first, PageBuffer&& buf);
  void remember(std::int64_t row, const Value* cells);
  void evict();
  void forget();
  std::size_t pageBytes() const;

  PageSource& source_;
  int width_;
  std::vector<std::unique_ptr<Page>> pages_;
  std::map<std::int64_t, RowKey> anchors_;
  std::optional<std::int64_t> size_;
  Page* current_ = nullptr;
  std::int64_t currentRow_ = -1;
  const Value* currentCells_ = nullptr;  // of currentRow_ in current_
  std::int64_t lastEnd_ = -1;     // where the last page read ended: a fetch there reads on
  std::int64_t lastRows_ = 0;
  std::uint64_t clock_ = 0;
  std::size_t bytes_ = 0;
  std::int64_t rowsRead_ = 0;
  std::int64_t learnedTo_ = -1;  // the last row learn() reached
  RowKey learnedKey_;            // its key: the anchor itself may be thinned away
  std::vector<Value> spare_;  // cells of an evicted page, reused: no fresh memory per page
};

}  // namespace db
