#include "db/postgres/PgResult.h"

#include <algorithm>
#include <cstring>

#include "db/Ado.h"
#include "db/DbError.h"
#include "db/SqlText.h"
#include "db/postgres/PgTypes.h"

namespace db::pg {
namespace {

// Pages start small for the first screen and double while the caller reads on in
// order, so a full scan needs few queries; the cache holds a few large pages at most.
constexpr int kFirstPage = 200;
constexpr std::int64_t kCachedRows = 65536;

std::string Quote(const std::string& name) { return sql::QuoteIdentifier(sql::kPostgres, name); }

}  // namespace

PgResult::PgResult(std::shared_ptr<Session> session, const PGresult* description) : session_(std::move(session)) {
  for (int c = 0; c < PQnfields(description); ++c) {
    TypeInfo type = ColumnType(PQftype(description, c), PQfmod(description, c));
    columns_.push_back({PQfname(description, c), type.type, type.size, {}, {}, {}, false});
    types_.push_back(PQftype(description, c));
  }
}

std::unique_ptr<PgResult> PgResult::Open(std::shared_ptr<Session> session, const std::string& sql) {
  const std::string subquery = Subquery(sql);
  ResultPtr description = session->describe(subquery);
  std::unique_ptr<PgResult> result(new PgResult(session, description.get()));
  result->bases_ = FindBaseTables(*session, description.get(), result->columns_);
  const BaseTable* table = result->bases_.single();
  if (sql::ParsePlainSelect(sql) && table && table->refusal.empty()) {
    std::vector<std::string> keyNames;
    for (int c : table->keyColumns) keyNames.push_back(Quote(result->columns_[c].baseColumn));
    result->pager_ = std::make_unique<KeysetPager>(*session, sql::QualifiedName(sql::kPostgres, table->schema, table->name),
                                                   std::move(keyNames), table->keyColumns);
  } else {
    result->pager_ = std::make_unique<OffsetPager>(*session, subquery);
  }
  return result;
}

std::unique_ptr<PgResult> PgResult::Whole(std::shared_ptr<Session> session, ResultPtr rows) {
  std::unique_ptr<PgResult> result(new PgResult(session, rows.get()));
  result->bases_.tableOf.assign(result->columns_.size(), -1);
  result->pager_ = std::make_unique<WholePager>(std::move(rows));
  return result;
}

bool PgResult::fetch(std::int64_t row) {
  session_->requireUsable();
  page_.reset();
  row_ = -1;
  if (row < 0 || (size_ && row >= *size_)) return false;
  if (!cached(row)) load(row);
  page_ = cached(row);
  if (page_) row_ = row;
  return page_ != nullptr;
}

std::shared_ptr<Page> PgResult::cached(std::int64_t row) {
  for (auto it = pages_.begin(); it != pages_.end(); ++it) {
    if (row < (*it)->first || row >= (*it)->first + (*it)->count()) continue;
    pages_.splice(pages_.begin(), pages_, it);
    return pages_.front();
  }
  return nullptr;
}

int PgResult::pageSize(std::int64_t row) {
  growth_ = row == nextInSequence_ && growth_ > 0 ? std::min(growth_ * 2, pager_->largestPage()) : kFirstPage;
  return growth_;
}

void PgResult::load(std::int64_t row) {
  const int n = pageSize(row);
  std::int64_t start = row;
  // Moving backwards onto a page already held: read the rows that end just before it.
  if (row > 0 && cached(row + 1)) start = std::max<std::int64_t>(0, row + 1 - n);
  auto page = std::make_shared<Page>(pager_->load(start, n, size_));
  if (PQnfields(page->rows.get()) != static_cast<int>(columns_.size()))
    throw DbError(adErrProviderFailed, "Le colonne del risultato sono cambiate dopo l'apertura: riaprirlo");
  const int count = page->count();
  rowsRead_ += count;
  if (!page->reversed) {
    if (count < n && (count > 0 || start == 0)) size_ = start + count;
    nextInSequence_ = start + count;
  }
  written_.erase(written_.lower_bound(page->first), written_.lower_bound(page->first + count));
  keep(std::move(page));
}

void PgResult::keep(std::shared_ptr<Page> page) {
  cachedRows_ += page->count();
  pages_.push_front(std::move(page));
  while (cachedRows_ > kCachedRows && pages_.size() > 1) {
    cachedRows_ -= pages_.back()->count();
    pages_.pop_back();
  }
}

void PgResult::requireRow(int column) const {
  session_->requireUsable();
  if (!page_) throw DbError(adErrNoCurrentRecord, "Nessuna riga corrente");
  if (column < 0 || column >= static_cast<int>(columns_.size()))
    throw DbError(adErrItemNotFound, "Colonna inesistente: " + std::to_string(column));
}

const char* PgResult::text(int column) const {
  if (auto it = written_.find(row_); it != written_.end())
    return it->second[column] ? it->second[column]->c_str() : nullptr;
  const int index = page_->index(row_);
  if (PQgetisnull(page_->rows.get(), index, column)) return nullptr;
  return PQgetvalue(page_->rows.get(), index, column);
}

Value PgResult::value(int column) const {
  requireRow(column);
  const char* t = text(column);
  return t ? Decode(types_[column], t, static_cast<int>(std::strlen(t))) : Value();
}

bool PgResult::isNull(int column) const {
  requireRow(column);
  return text(column) == nullptr;
}

std::optional<std::int64_t> PgResult::size() {
  session_->requireUsable();
  if (!size_) size_ = pager_->count();
  return size_;
}

const BaseTable& PgResult::writableTable(const std::vector<std::pair<int, Value>>& changes) const {
  int table = -1;
  for (const auto& [c, v] : changes) {
    if (c < 0 || c >= static_cast<int>(columns_.size()))
      throw DbError(adErrItemNotFound, "Colonna inesistente: " + std::to_string(c));
    const int t = bases_.tableOf[c];
    if (t < 0)
      throw DbError(adErrFeatureNotAvailable,
                    "La colonna \"" + columns_[c].name + "\" non viene da una tabella: non si può modificare");
    if (table >= 0 && t != table)
      throw DbError(adErrFeatureNotAvailable, "Le colonne modificate appartengono a tabelle diverse");
    table = t;
  }
  const BaseTable& base = bases_.tables[table];
  if (!base.refusal.empty()) throw DbError(adErrFeatureNotAvailable, base.refusal);
  if (base.hasChildren && base.kind == 'r')
    throw DbError(adErrFeatureNotAvailable,
                  "La tabella \"" + base.name + "\" ha tabelle figlie: le sue righe non si possono modificare da qui");
  return base;
}

// Optimistic write-back: the row is named by its key and every value read from its
// table must still be stored, else nothing is written and the caller is told.
void PgResult::update(std::int64_t row, const std::vector<std::pair<int, Value>>& changes) {
  session_->requireUsable();
  if (changes.empty()) return;
  const BaseTable& base = writableTable(changes);
  const int table = static_cast<int>(&base - bases_.tables.data());
  if (!fetch(row)) throw DbError(adErrNoCurrentRecord, "Nessuna riga corrente");

  sql::OptimisticUpdate u;
  u.table = sql::QualifiedName(sql::kPostgres, base.schema, base.name);
  std::vector<Param> params;
  for (const auto& [c, v] : changes) {
    u.set.push_back(Quote(columns_[c].baseColumn));
    params.push_back(Encode(v));
  }
  std::vector<int> compared = base.keyColumns;
  std::vector<int> mine;
  for (int c = 0; c < static_cast<int>(columns_.size()); ++c) {
    if (bases_.tableOf[c] != table) continue;
    mine.push_back(c);
    if (std::find(compared.begin(), compared.end(), c) == compared.end()) compared.push_back(c);
  }
  for (int c : compared) {
    u.compare.push_back(Quote(columns_[c].baseColumn) + (LacksEquality(types_[c]) ? "::text" : ""));
    const char* t = text(c);
    params.push_back(t ? Param(t) : std::nullopt);
  }
  for (int c : mine) u.returning.push_back(Quote(columns_[c].baseColumn));

  ResultPtr stored = session_->run(sql::UpdateText(sql::kPostgres, u), params);
  if (PQntuples(stored.get()) != 1)
    throw DbError(adErrRowCannotBeLocated,
                  "La riga non è stata aggiornata: è stata modificata o cancellata da un altro utente dopo la lettura");

  std::vector<Param> now;
  for (int c = 0; c < static_cast<int>(columns_.size()); ++c) {
    const char* t = text(c);
    now.push_back(t ? Param(t) : std::nullopt);
  }
  for (std::size_t i = 0; i < mine.size(); ++i)
    now[mine[i]] = PQgetisnull(stored.get(), 0, static_cast<int>(i))
                       ? std::nullopt
                       : Param(PQgetvalue(stored.get(), 0, static_cast<int>(i)));
  written_[row] = std::move(now);
}

}  // namespace db::pg
