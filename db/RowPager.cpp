#include "db/RowPager.h"

#include <algorithm>

namespace db {

struct RowPager::Page {
  std::int64_t first = 0;
  std::int64_t rows = 0;
  std::vector<Value> cells;
  std::size_t bytes = 0;
  std::uint64_t used = 0;
  bool contains(std::int64_t row) const { return row >= first && row < first + rows; }
};

void PageBuffer::add(Value&& v) {
  bytes += sizeof(Value);
  if (const auto* s = std::get_if<std::string>(&v.storage())) bytes += s->size();
  else if (const auto* b = std::get_if<Bytes>(&v.storage())) bytes += b->size();
  if (filled < cells.size())
    cells[filled] = std::move(v);
  else
    cells.push_back(std::move(v));
  ++filled;
}

void PageBuffer::addText(std::string_view text) {
  bytes += sizeof(Value) + text.size();
  if (filled < cells.size())
    cells[filled].AssignText(text);
  else
    cells.emplace_back(std::string(text));
  ++filled;
}

RowPager::RowPager(PageSource& source, int width) : source_(source), width_(width) {}
RowPager::~RowPager() = default;

bool RowPager::fetch(std::int64_t row) {
  if (row < 0 || (size_ && row >= *size_)) return false;
  Page* page = current_ && current_->contains(row) ? current_ : find(row);
  if (!page) page = load(row);
  if (!page) return false;
  page->used = ++clock_;
  current_ = page;
  currentRow_ = row;
  currentCells_ = &page->cells[static_cast<std::size_t>((row - page->first) * width_)];
  return true;
}

std::optional<std::int64_t> RowPager::size() {
  if (!size_) size_ = source_.count();
  return size_;
}

void RowPager::replace(std::int64_t row, const std::vector<Value>& cells) {
  Page* page = find(row);
  if (!page || cells.size() != static_cast<std::size_t>(width_)) return;
  std::copy(cells.begin(), cells.end(), page->cells.begin() + (row - page->first) * width_);
}

void RowPager::drop(std::int64_t row) {
  const auto it = std::find_if(pages_.begin(), pages_.end(), [row](const auto& p) { return p->contains(row); });
  if (it == pages_.end()) return;
  if (it->get() == current_) {
    current_ = nullptr;
    currentCells_ = nullptr;
  }
  bytes_ -= (*it)->bytes;
  pages_.erase(it);
  lastEnd_ = -1;
}

RowPager::Page* RowPager::find(std::int64_t row) {
  for (auto& p : pages_)
    if (p->contains(row)) return p.get();
  return nullptr;
}

// The rows to read for `row`: the run after the last page read when reading on,
// otherwise the aligned block around it; never over a page already held.
RowPager::Span RowPager::plan(std::int64_t row) const {
  std::int64_t begin = row - row % kBaseRows;
  std::int64_t want = kBaseRows;
  if (row == lastEnd_) {
    begin = row;
    want = std::clamp(lastRows_ * 2, kBaseRows, source_.keyWidth() > 0 ? kMaxRows : kMaxOffsetRows);
  }
  std::int64_t end = begin + want;
  for (const auto& p : pages_) {
    if (p->first + p->rows <= row) begin = std::max(begin, p->first + p->rows);
    else if (p->first > row) end = std::min(end, p->first);
  }
  if (size_) end = std::min(end, *size_);
  return {begin, end};
}

PageBuffer RowPager::buffer(std::int64_t rows) {
  PageBuffer buf(width_);
  buf.cells = std::move(spare_);
  buf.cells.reserve(static_cast<std::size_t>(rows * width_));
  spare_ = {};
  return buf;
}

RowPager::Page* RowPager::load(std::int64_t row) {
  const bool readingOn = row == lastEnd_;
  const Span span = plan(row);
  PageBuffer buf = buffer(span.end - span.begin);
  bool backward = false;
  if (source_.keyWidth() > 0) {
    const auto before = anchors_.lower_bound(span.begin);  // first anchor at or after begin
    const std::int64_t fromStart = span.begin - 1 - (before == anchors_.begin() ? -1 : std::prev(before)->first);
    const auto after = anchors_.lower_bound(span.end);
    const std::optional<std::int64_t> endAnchor = after != anchors_.end() ? std::optional(after->first) : size_;
    backward = endAnchor && *endAnchor - span.end < fromStart;
  }
  if (backward) {
    if (readBackward(span, row, buf)) return keep(span.end - buf.rows(), std::move(buf));
    forget();  // the count or the anchors no longer match the rows: start again from the top
    return load(row);
  }
  const bool ok = readForward(span, row, buf);
  Page* page = buf.rows() > 0 ? keep(span.begin, std::move(buf)) : nullptr;
  if (ok && readingOn && (page->rows >= kMaxRows / 2 || page->bytes >= pageBytes() / 2)) readAhead();
  return ok ? page : nullptr;
}

// A long read goes on: the next page is planned now, for the source to start on.
void RowPager::readAhead() {
  const Span next = plan(lastEnd_);
  const auto anchor = anchors_.find(lastEnd_ - 1);
  if (next.end > next.begin && anchor != anchors_.end()) source_.readAhead(anchor->second, next.end - next.begin);
}

bool RowPager::readForward(Span span, std::int64_t row, PageBuffer& buf) {
  std::optional<RowKey> key;
  std::int64_t anchor = -1;
  const auto it = anchors_.lower_bound(span.begin);
  if (source_.keyWidth() > 0 && it != anchors_.begin()) {
    anchor = std::prev(it)->first;
    key = std::prev(it)->second;
  }
  std::int64_t skip = span.begin - 1 - anchor;
  if (!seek(key, false, skip, span.begin - 1)) return false;
  bool cut = false;
  source_.load(key ? &*key : nullptr, false, skip, span.end - span.begin, buf, [&] {
    cut = buf.bytes > pageBytes() && span.begin + buf.rows() > row;
    return !cut;
  });
  // The end was met. A read that skipped rows and found none tells only that the end
  // lies somewhere before the span, not where.
  if (!cut && buf.rows() < span.end - span.begin && (buf.rows() > 0 || skip == 0)) size_ = span.begin + buf.rows();
  return span.begin + buf.rows() > row;
}

// Rows before the nearest anchor after the span (or before the end), read
// downwards and put back in order.
bool RowPager::readBackward(Span span, std::int64_t row, PageBuffer& buf) {
  const auto it = anchors_.lower_bound(span.end);
  std::optional<RowKey> key;
  if (it != anchors_.end()) key = it->second;
  std::int64_t skip = (it != anchors_.end() ? it->first : *size_) - span.end;
  if (!seek(key, true, skip, span.end)) return false;
  bool cut = false;
  source_.load(key ? &*key : nullptr, true, skip, span.end - span.begin, buf, [&] {
    cut = buf.bytes > pageBytes() && span.end - buf.rows() <= row;
    return !cut;
  });
  if (!cut && buf.rows() < span.end - span.begin) {
    rowsRead_ += buf.rows();
    return false;
  }
  const std::int64_t rows = buf.rows();
  for (std::int64_t i = 0; i < rows / 2; ++i)
    std::swap_ranges(buf.cells.begin() + i * width_, buf.cells.begin() + (i + 1) * width_,
                     buf.cells.begin() + (rows - 1 - i) * width_);
  return true;
}

// A skip longer than kSeekRows from `key` (none: the start, or the end descending)
// is made by the key columns alone; the row reached, `reached`, becomes an anchor and
// the read starts right after it. False when there is no such row.
bool RowPager::seek(std::optional<RowKey>& key, bool descending, std::int64_t& skip, std::int64_t reached) {
  if (skip <= kSeekRows || source_.keyWidth() == 0) return true;
  PageBuffer one(source_.keyWidth());
  source_.load(key ? &*key : nullptr, descending, skip - 1, 1, one, [] { return true; });
  if (one.rows() == 0) return false;
  key = RowKey(one.cells.begin(), one.cells.begin() + one.width);
  remember(reached, one.cells.data());
  skip = 0;
  return true;
}

RowPager::Page* RowPager::keep(std::int64_t first, PageBuffer&& buf) {
  auto page = std::make_unique<Page>();
  page->first = first;
  page->rows = buf.rows();
  buf.trim();
  page->cells = std::move(buf.cells);
  page->bytes = buf.bytes;
  page->used = ++clock_;
  rowsRead_ += page->rows;
  bytes_ += page->bytes;
  remember(first, page->cells.data());
  remember(first + page->rows - 1, &page->cells[static_cast<std::size_t>((page->rows - 1) * width_)]);
  lastEnd_ = first + page->rows;
  lastRows_ = page->rows;
  pages_.push_back(std::move(page));
  Page* kept = pages_.back().get();
  evict();
  return kept;
}

void RowPager::remember(std::int64_t row, const Value* cells) {
  const int keys = source_.keyWidth();
  if (keys == 0) return;
  anchors_[row] = RowKey(cells, cells + keys);
  if (anchors_.size() <= kMaxAnchors) return;
  bool keepThis = false;  // thin out evenly: every other anchor goes
  for (auto it = anchors_.begin(); it != anchors_.end();) {
    keepThis = !keepThis;
    it = keepThis ? std::next(it) : anchors_.erase(it);
  }
}

// Least recently used pages go first; the page just read always stays.
void RowPager::evict() {
  while (pages_.size() > 1 && (pages_.size() > kMaxPages || bytes_ > kCacheBytes)) {
    auto lru = std::min_element(pages_.begin(), pages_.end() - 1,
                                [](const auto& a, const auto& b) { return a->used < b->used; });
    if (lru->get() == current_) {
      current_ = nullptr;
      currentCells_ = nullptr;
    }
    bytes_ -= (*lru)->bytes;
    if ((*lru)->cells.capacity() > spare_.capacity()) spare_ = std::move((*lru)->cells);
    pages_.erase(lru);
  }
}

std::size_t RowPager::pageBytes() const { return source_.keyWidth() > 0 ? kPageBytes : kOffsetPageBytes; }

bool RowPager::learn() {
  const int keys = source_.keyWidth();
  if (keys == 0 || !size_) return false;
  const std::int64_t every = std::max<std::int64_t>(kMaxRows, *size_ / (kMaxAnchors / 2));
  PageBuffer one(keys);
  source_.load(learnedTo_ < 0 ? nullptr : &learnedKey_, false, every - 1, 1, one, [] { return true; });
  if (one.rows() == 0) return false;
  learnedTo_ += every;
  learnedKey_.assign(one.cells.begin(), one.cells.begin() + keys);
  remember(learnedTo_, one.cells.data());
  return learnedTo_ + every < *size_;
}

void RowPager::forget() {
  learnedTo_ = -1;
  pages_.clear();
  anchors_.clear();
  size_.reset();
  current_ = nullptr;
  currentCells_ = nullptr;
  bytes_ = 0;
  lastEnd_ = -1;
}

}  // namespace db
