#pragma once
// How the cells of a result's row are written back to their base tables; the same
// bookkeeping for every engine, which adds only its own type codes.
#include <string>
#include <utility>
#include <vector>

#include "db/LayerErrors.h"
#include "db/Value.h"

namespace db {

// One base table that cells of a row come from.
struct EditTarget {
  std::string table;  // qualified and quoted
  // Cell index and quoted column of the cells that name the row (row id or key) ...
  std::vector<std::pair<int, std::string>> keys;
  // ... and of every other cell read from this table.
  std::vector<std::pair<int, std::string>> columns;
};

// For each visible column the target it belongs to, or why it cannot be written.
template <class TypeCode>
struct EditPlanOf {
  int hidden = 0;                  // cells before the visible columns (the key read along)
  std::vector<TypeCode> types;     // the engine's type of each cell (see the engine's alias)
  std::vector<EditTarget> targets;
  std::vector<int> targetOf;       // per visible column; -1: not writable
  std::vector<std::string> whyNot;
};

// A new value for one cell, with the quoted column it is written to.
template <class Stored>
struct CellChange {
  int cell;
  std::string column;
  Stored value;
};

// The changes of one row grouped by the table each is written to, every value made
// ready for the engine by `convert(value, visibleColumn)`. A column that cannot be
// written refuses the whole row before anything is written.
template <class Plan, class Convert>
auto GroupByTarget(const Plan& plan, const std::vector<std::pair<int, Value>>& changes, Convert convert) {
  using Stored = decltype(convert(std::declval<const Value&>(), 0));
  std::vector<std::vector<CellChange<Stored>>> byTarget(plan.targets.size());
  for (const auto& [column, value] : changes) {
    const auto col = static_cast<std::size_t>(column);
    const int target = plan.targetOf.at(col);
    if (target < 0) throw errors::NotAvailable("Impossibile aggiornare: " + plan.whyNot[col]);
    const int cell = plan.hidden + column;
    const EditTarget& t = plan.targets[static_cast<std::size_t>(target)];
    std::string name;
    for (const auto* group : {&t.keys, &t.columns})
      for (const auto& [c, text] : *group)
        if (c == cell) name = text;
    byTarget[static_cast<std::size_t>(target)].push_back({cell, std::move(name), convert(value, column)});
  }
  return byTarget;
}

// How many tables a grouped write touches: one UPDATE is atomic by itself.
template <class Grouped>
std::size_t TablesTouched(const Grouped& byTarget) {
  std::size_t n = 0;
  for (const auto& b : byTarget) n += b.empty() ? 0 : 1;
  return n;
}

}  // namespace db
