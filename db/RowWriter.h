#pragma once
// Writing an edited row back with optimistic locking, once for every engine: each
// UPDATE names the row by its key, compares every value read and must change exactly
// one row, else nothing is written (adErrRowCannotBeLocated). The engine only
// prepares, binds and runs what is built here, as its dialect says.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/EditPlan.h"
#include "db/SqlText.h"
#include "db/Value.h"

namespace db {

// A value bound to a statement.
struct Bound {
  int cell;
  const Value* value;
  bool written;  // a new value of the user's; otherwise the cell as the engine gave it
};

struct Ran {
  std::int64_t rows = 0;   // the rows returned, or changed by a statement that returns none
  std::vector<Value> row;  // the first row returned
};

// Rolled back when destroyed uncommitted.
class WriteTransaction {
 public:
  virtual ~WriteTransaction() = default;
  virtual void commit() = 0;
};

// What an engine does for the writer.
class RowStore {
 public:
  virtual ~RowStore() = default;
  virtual const sql::Dialect& dialect() const = 0;
  // Runs one statement with `values` bound in order; the i-th value of a returned row
  // is read as cell returned[i].
  virtual Ran run(const std::string& sql, const std::vector<Bound>& values, const std::vector<int>& returned) = 0;
  // For Atomicity::Transaction: whether the user's own transaction is open.
  virtual bool inTransaction() const { return false; }
  // For Atomicity::Driver.
  virtual std::unique_ptr<WriteTransaction> driverTransaction() { return nullptr; }
};

// Writes the changes (visible column, value) over the row's cells as read, hidden
// ones included, and gives back the cells as now stored.
std::vector<Value> WriteRow(RowStore& store, const EditPlan& plan, std::vector<Value> cells,
                            const std::vector<std::pair<int, Value>>& changes);

}  // namespace db
