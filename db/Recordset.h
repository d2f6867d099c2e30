#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/Ado.h"
#include "db/Provider.h"
#include "db/Value.h"

namespace db {

class Connection;
class Recordset;

class Field {
 public:
  const std::string& Name() const;
  int Type() const;
  std::int32_t DefinedSize() const;
  // FieldAttributeEnum flags; only adFldIsNullable and adFldMayBeNull are told.
  long Attributes() const;
  // The current row's value (the edited value while an edit is in progress).
  Value GetValue() const;
  // GetValue().ToText(): the text of the value, which a full read of a table gets
  // without the copy of every value that GetValue makes.
  std::string Text() const;
  // Starts or continues an edit of the current row; written by Recordset::Update.
  void SetValue(Value v);

 private:
  friend class Recordset;
  friend class Fields;
  Field(Recordset* rs, int index) : rs_(rs), index_(index) {}
  // The edited value of the current row, if any; raises when there is no current row.
  const Value* Edited() const;
  Recordset* rs_;
  int index_;
};

class Fields {
 public:
  long Count() const;
  // By 0-based position or by name (case-insensitive); adErrItemNotFound otherwise.
  Field Item(long index) const;
  Field Item(std::string_view name) const;
  // By name, for a field that may not be there.
  std::optional<Field> Find(std::string_view name) const;

 private:
  friend class Recordset;
  explicit Fields(Recordset* rs) : rs_(rs) {}
  Recordset* rs_;
};

// A record set: rows of a query, reached by position, read from the provider only
// as they are asked for.
class Recordset {
 public:
  Recordset();
  ~Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  long CursorType() const { return cursorType_; }
  void CursorType(long t);
  long LockType() const { return lockType_; }
  void LockType(long t);

  // -1 for cursorType, lockType or options means unspecified: the properties set
  // before apply. Raises adErrObjectOpen when already open.
  void Open(const std::string& source, Connection& activeConnection,
            long cursorType = adOpenUnspecified, long lockType = adLockUnspecified,
            long options = adOptionUnspecified);
  // Opens over a provider result that is already there (OpenSchema uses it); the
  // session, when given, is what a closed connection is told by.
  void OpenResult(std::unique_ptr<Result> result, long lockType, std::shared_ptr<Provider> session = nullptr);
  void Close();
  long State() const;

  // Navigation. Open and every move read the row they arrive on, so what follows
  // (Eof, BOF, the values) only reports. MoveFirst on an empty result raises
  // adErrNoCurrentRecord.
  void MoveFirst();
  void MoveNext();
  void MovePrevious();
  void MoveLast();
  // EOF of the object model; the C library owns the name EOF as a macro.
  bool Eof() const;
  bool BOF() const;
  // 1-based position of the current row (adPosBOF / adPosEOF off a row); setting it
  // moves there (adErrNoCurrentRecord past the end).
  std::int64_t AbsolutePosition() const;
  void AbsolutePosition(std::int64_t position);
  // Moves there when there is such a row; false, staying put, when there is not.
  bool TryAbsolutePosition(std::int64_t position);
  // -1 while the count is not known without reading every row. May ask the engine
  // to count (a whole pass over a table): KnownRecordCount never does.
  std::int64_t RecordCount();
  // The count when it is known already (counted, or the end met by reading).
  std::optional<std::int64_t> KnownRecordCount() const;

  db::Fields Fields() { return db::Fields(this); }

  // Edits of the current row (Field::SetValue) are written by Update and dropped by
  // CancelUpdate. Moving away with an edit pending writes it first; the
  // destructor drops it.
  long EditMode() const;
  void Update();
  void CancelUpdate();
  // Drops any edit of the current row and reads it again as now stored.
  void Resync();

  // One step of learning where the rows are, once counted: later jumps far into the
  // rows then cost about one page. False once there is nothing more to learn.
  bool LearnPositions();

  // Instrumentation: rows the provider has transferred from the engine.
  std::int64_t RowsRead() const;

 private:
  friend class Field;
  friend class Fields;
  void RequireOpen() const;
  void RequireCurrent() const;
  const ColumnInfo& Column(int index) const;
  bool RowAt(std::int64_t row);
  void Place(std::int64_t position);
  void WritePending();
  std::int64_t KnownOrProbedCount();

  long cursorType_ = adOpenForwardOnly;
  long lockType_ = adLockReadOnly;
  std::unique_ptr<Result> result_;
  std::shared_ptr<Provider> session_;  // keeps the session alive while rows are read
  std::int64_t position_ = 0;  // 0-based; -1 at BOF; == row count at EOF
  bool rowHere_ = false;       // the row at position_ (at 0 from BOF) exists
  std::int64_t positioned_ = -1;  // the row the result was last positioned on
  std::vector<std::pair<int, Value>> pending_;
};

}  // namespace db
