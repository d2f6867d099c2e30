#pragma once
// How the cells of a result's row are written back to their base tables: the same
// bookkeeping for every engine.
#include <string>
#include <utility>
#include <vector>

#include "db/Value.h"

namespace db {

// How a value read is compared with the stored one, to tell the row is unchanged.
enum class Compare {
  Equal,        // the engine's null-safe equality
  AsText,       // through its text: the type has no equality
  Approximate,  // floating point: a driver may have handed it over rounded
};

// One base table that cells of a row come from.
struct EditTarget {
  std::string table;  // qualified and quoted
  // Cell index and quoted column of the cells that name the row (row id or key) ...
  std::vector<std::pair<int, std::string>> keys;
  // ... and of every other cell read from this table.
  std::vector<std::pair<int, std::string>> columns;
};

// For each visible column the target it belongs to, or why it cannot be written.
struct EditPlan {
  int hidden = 0;                  // cells before the visible columns (the key read along)
  std::vector<Compare> compare;    // per cell, hidden ones included
  std::vector<EditTarget> targets;
  std::vector<int> targetOf;       // per visible column; -1: not writable
  std::vector<std::string> whyNot;
};

}  // namespace db
