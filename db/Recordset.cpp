#include "db/Recordset.h"

#include <algorithm>
#include <cctype>

#include "db/Connection.h"
#include "db/LayerErrors.h"
#include "db/SqlText.h"

namespace db {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

// Every cursor type gives the same scrollable, paged cursor; the values are only
// checked so that a wrong number is not taken silently.
void CheckCursorType(long t) {
  if (t < adOpenForwardOnly || t > adOpenStatic) throw errors::InvalidArgument("CursorType " + std::to_string(t));
}

// Pessimistic and batch locking write like optimistic: the row is compared when written.
void CheckLockType(long t) {
  if (t < adLockReadOnly || t > adLockBatchOptimistic) throw errors::InvalidArgument("LockType " + std::to_string(t));
}

// Raised out of line: the checks that every read of a value makes stay small enough
// to be inlined.
[[noreturn, gnu::noinline]] void Raise(DbError (*make)()) { throw make(); }
[[noreturn, gnu::noinline]] void RaiseNoColumn(int index) {
  throw errors::ItemNotFound("posizione " + std::to_string(index));
}

}  // namespace

// ---- Field ------------------------------------------------------------------

const std::string& Field::Name() const { return rs_->Column(index_).name; }
int Field::Type() const { return rs_->Column(index_).type; }
std::int32_t Field::DefinedSize() const { return rs_->Column(index_).definedSize; }
// The NULLs an outer join adds to a NOT NULL column are not told apart.
long Field::Attributes() const { return rs_->Column(index_).nullable ? adFldIsNullable | adFldMayBeNull : 0; }

const Value* Field::Edited() const {
  rs_->RequireCurrent();
  if (static_cast<std::size_t>(index_) >= rs_->result_->columns().size()) RaiseNoColumn(index_);
  for (const auto& [column, value] : rs_->pending_)
    if (column == index_) return &value;
  return nullptr;
}

Value Field::GetValue() const {
  if (const Value* edited = Edited()) return *edited;
  return rs_->result_->value(index_);
}

std::string Field::Text() const {
  if (const Value* edited = Edited()) return edited->ToText();
  return rs_->result_->text(index_);
}

void Field::SetValue(Value v) {
  rs_->Column(index_);
  if (rs_->lockType_ == adLockReadOnly)
    throw errors::NotAvailable("Il record set è di sola lettura: aprirlo con un LockType che consenta le modifiche");
  rs_->RequireCurrent();
  for (auto& [column, value] : rs_->pending_)
    if (column == index_) {
      value = std::move(v);
      return;
    }
  rs_->pending_.emplace_back(index_, std::move(v));
}

// ---- Fields -----------------------------------------------------------------

long Fields::Count() const {
  rs_->RequireOpen();
  return static_cast<long>(rs_->result_->columns().size());
}

Field Fields::Item(long index) const {
  rs_->RequireOpen();
  if (index < 0 || static_cast<std::size_t>(index) >= rs_->result_->columns().size()) throw errors::ItemNotFound("posizione " + std::to_string(index));
  return Field(rs_, static_cast<int>(index));
}

std::optional<Field> Fields::Find(std::string_view name) const {
  rs_->RequireOpen();
  const auto& columns = rs_->result_->columns();
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (SameName(columns[i].name, name)) return Field(rs_, static_cast<int>(i));
  return std::nullopt;
}

Field Fields::Item(std::string_view name) const {
  if (std::optional<Field> f = Find(name)) return *f;
  throw errors::ItemNotFound("\"" + std::string(name) + "\"");
}

// ---- Recordset --------------------------------------------------------------

Recordset::Recordset() = default;

// A destructor does no I/O: an edit still pending is dropped. Whoever edits writes
// with Update or Close, which can report a failure.
Recordset::~Recordset() = default;

void Recordset::CursorType(long t) {
  if (State() == adStateOpen) throw errors::ObjectOpen();
  CheckCursorType(t);
  cursorType_ = t;
}

void Recordset::LockType(long t) {
  if (State() == adStateOpen) throw errors::ObjectOpen();
  CheckLockType(t);
  lockType_ = t;
}

void Recordset::Open(const std::string& source, Connection& activeConnection, long cursorType, long lockType,
                     long options) {
  if (State() == adStateOpen) throw errors::ObjectOpen();
  if (options != adOptionUnspecified && options != adCmdText)
    throw errors::InvalidArgument("opzioni di Open " + std::to_string(options) + " (ammessa: adCmdText)");
  if (cursorType != adOpenUnspecified) CursorType(cursorType);
  if (lockType != adLockUnspecified) LockType(lockType);
  auto session = activeConnection.session();
  if (sql::IsBlank(source)) throw errors::NoCommand();
  auto result = session->query(source);
  OpenResult(std::move(result), lockType_, std::move(session));
}

void Recordset::OpenResult(std::unique_ptr<Result> result, long lockType, std::shared_ptr<Provider> session) {
  if (State() == adStateOpen) throw errors::ObjectOpen();
  CheckLockType(lockType);
  // Read here, not by the first Eof: whoever opens off the window's thread reads there.
  const bool any = result->fetch(0);
  lockType_ = lockType;
  result_ = std::move(result);
  session_ = std::move(session);
  position_ = 0;
  rowHere_ = any;
  positioned_ = any ? 0 : -1;
  pending_.clear();
}

// A pending edit is written first; when that fails the record set is closed all
// the same and the failure is raised, so the edit is not dropped unannounced.
void Recordset::Close() {
  if (!result_) throw errors::ObjectClosed();
  std::unique_ptr<Result> result = std::move(result_);
  std::shared_ptr<Provider> session = std::move(session_);
  auto pending = std::move(pending_);
  pending_.clear();
  if (!pending.empty()) result->update(position_, pending);
}

long Recordset::State() const { return result_ ? adStateOpen : adStateClosed; }

void Recordset::MoveFirst() {
  RequireOpen();
  WritePending();
  Place(0);
  if (!rowHere_) throw errors::NoCurrentRecord();
}

void Recordset::MoveNext() {
  RequireOpen();
  if (!rowHere_) throw errors::NoCurrentRecord();
  WritePending();
  Place(position_ + 1);
}

void Recordset::MovePrevious() {
  RequireOpen();
  if (BOF()) throw errors::NoCurrentRecord();
  WritePending();
  Place(position_ - 1);
}

void Recordset::MoveLast() {
  RequireOpen();
  WritePending();
  const std::int64_t count = KnownOrProbedCount();
  Place(count == 0 ? 0 : count - 1);
  if (count == 0) throw errors::NoCurrentRecord();
}

bool Recordset::Eof() const {
  RequireOpen();
  return !rowHere_;
}

bool Recordset::BOF() const {
  RequireOpen();
  return position_ < 0 || (position_ == 0 && !rowHere_);
}

std::int64_t Recordset::AbsolutePosition() const {
  if (BOF()) return adPosBOF;
  if (Eof()) return adPosEOF;
  return position_ + 1;
}

void Recordset::AbsolutePosition(std::int64_t position) {
  if (!TryAbsolutePosition(position)) throw errors::NoCurrentRecord();
}

bool Recordset::TryAbsolutePosition(std::int64_t position) {
  RequireOpen();
  if (position < 1) throw errors::InvalidArgument("AbsolutePosition " + std::to_string(position));
  WritePending();
  if (RowAt(position - 1)) {
    position_ = position - 1;
    rowHere_ = true;
    return true;
  }
  if (rowHere_) RowAt(std::max<std::int64_t>(position_, 0));  // the values read stay those of the current row
  return false;
}

std::int64_t Recordset::RecordCount() {
  RequireOpen();
  return result_->size().value_or(-1);
}

std::optional<std::int64_t> Recordset::KnownRecordCount() const {
  RequireOpen();
  return result_->knownSize();
}

long Recordset::EditMode() const {
  RequireOpen();
  return pending_.empty() ? adEditNone : adEditInProgress;
}

void Recordset::Update() {
  RequireOpen();
  if (pending_.empty()) return;
  RequireCurrent();
  result_->update(position_, pending_);
  pending_.clear();
}

void Recordset::CancelUpdate() {
  RequireOpen();
  pending_.clear();
}

void Recordset::Resync() {
  RequireCurrent();
  pending_.clear();
  result_->refresh(position_);
  positioned_ = -1;
  Place(position_);
  RequireCurrent();
}

bool Recordset::LearnPositions() {
  RequireOpen();
  return result_->learn();
}

std::int64_t Recordset::RowsRead() const {
  RequireOpen();
  return result_->rowsRead();
}

// Open, and on a connection that is still open: a record set that outlived its
// connection can only be closed.
void Recordset::RequireOpen() const {
  if (!result_) Raise(&errors::ObjectClosed);
  if (session_ && !session_->isOpen()) Raise(&errors::InvalidConnection);
}

void Recordset::RequireCurrent() const {
  RequireOpen();
  // positioned_ differs after a read that failed on the way.
  if (position_ < 0 || !rowHere_ || positioned_ != position_) Raise(&errors::NoCurrentRecord);
}

const ColumnInfo& Recordset::Column(int index) const {
  RequireOpen();
  const auto& columns = result_->columns();
  if (index < 0 || static_cast<std::size_t>(index) >= columns.size())
    throw errors::ItemNotFound("posizione " + std::to_string(index));
  return columns[static_cast<std::size_t>(index)];
}

// The provider keeps one row positioned; every read goes through here so that the
// position is the record set's own, whatever was fetched in between.
bool Recordset::RowAt(std::int64_t row) {
  if (row == positioned_) return true;
  positioned_ = result_->fetch(row) ? row : -1;
  return positioned_ == row;
}

// Sets the position only once its row is read, so a failed read leaves it unchanged.
void Recordset::Place(std::int64_t position) {
  const bool here = RowAt(std::max<std::int64_t>(position, 0));
  position_ = position;
  rowHere_ = here;
}

void Recordset::WritePending() {
  if (!pending_.empty()) Update();
}

// Rows counted by doubling then halving when the provider cannot tell the size.
std::int64_t Recordset::KnownOrProbedCount() {
  if (auto n = result_->size()) return *n;
  if (!RowAt(0)) return 0;
  std::int64_t have = 0, lack = 1;
  while (RowAt(lack)) {
    have = lack;
    lack *= 2;
    if (auto n = result_->size()) return *n;
  }
  while (lack - have > 1) {
    const std::int64_t mid = have + (lack - have) / 2;
    (RowAt(mid) ? have : lack) = mid;
  }
  return have + 1;
}

}  // namespace db
