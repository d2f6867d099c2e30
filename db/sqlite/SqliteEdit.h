#pragma once
// Writing an edited row of a SQLite result back to its base tables.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/EditPlan.h"
#include "db/Value.h"
#include "db/sqlite/SqliteSession.h"

namespace db::sqlite {

// Types: the DataTypeEnum of each visible column.
using EditPlan = EditPlanOf<int>;

// Optimistic write of one row: each UPDATE names the row by its key and compares
// every value read with a null-safe IS, and must change exactly one row; all
// tables of the row are written in one savepoint, so a refused write changes
// nothing. Gives back the row's cells as now stored.
std::vector<Value> WriteRow(const Session& s, const EditPlan& plan, std::vector<Value> cells,
                            const std::vector<std::pair<int, Value>>& changes);

}  // namespace db::sqlite
