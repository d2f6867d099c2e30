#pragma once
// Writing an edited row of an ODBC result back to its base tables.
#include <string>
#include <utility>
#include <vector>

#include "db/EditPlan.h"
#include "db/Value.h"
#include "db/odbc/OdbcSession.h"
#include "db/odbc/OdbcTypes.h"

namespace db::odbc {

// Types: the SQL type of each cell, hidden ones included.
using EditPlan = EditPlanOf<SqlType>;

// Optimistic write of one row: each UPDATE names the row by its key, compares every
// value read with the engine's null-safe equality (floating-point columns aside:
// drivers may round them) and must change exactly one row;
// the row is then read back by its key. Several tables are written in one
// transaction, ended before returning. Gives back the row's cells as now stored.
std::vector<Value> WriteRow(Session& s, const EditPlan& plan, std::vector<Value> cells,
                            const std::vector<std::pair<int, Value>>& changes);

}  // namespace db::odbc
