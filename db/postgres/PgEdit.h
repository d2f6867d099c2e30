#pragma once
// Writing an edited row of a PostgreSQL result back to its base tables.
#include <string>
#include <utility>
#include <vector>

#include "db/EditPlan.h"
#include "db/Value.h"
#include "db/postgres/PgLib.h"
#include "db/postgres/PgSession.h"

namespace db::pg {

// Types: the type of each cell, hidden ones included.
using EditPlan = EditPlanOf<Oid>;

// Optimistic write of one row: each UPDATE names the row by its key, compares every
// value read (IS NOT DISTINCT FROM; through its text for types without equality)
// and must change exactly one row. Several tables are written in one transaction,
// closed before returning, so a refused write changes nothing. Gives back the
// row's cells as now stored.
std::vector<Value> WriteRow(Session& s, const EditPlan& plan, std::vector<Value> cells,
                            const std::vector<std::pair<int, Value>>& changes);

}  // namespace db::pg
