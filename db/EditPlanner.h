#pragma once
// Which columns of a result can be written back and by which key, and whether it can
// be paged by that key: decided here once from where the engine says the columns
// come from, with one reason for each refusal whatever the engine.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/EditPlan.h"
#include "db/Provider.h"
#include "db/SqlText.h"

namespace db {

enum class TableKind { Table, View, Other };  // Other: rows the engine does not write (foreign, sequence, ...)

struct KeyPart {
  std::string name;
  bool rowId = false;  // a row id of the engine's, which no column need show: written unquoted
};

// A table that columns of a result come from.
struct SourceTable {
  std::string catalog, schema, name;
  TableKind kind = TableKind::Table;
  bool sharesKeys = false;       // inheritance children hold rows of the same keys
  std::vector<KeyPart> key;  // what names a row, in order; empty: nothing
  // No key, and the row id that would name the rows cannot be read beside this
  // many columns (the engine's limit on the columns of a result).
  bool rowIdOutOfReach = false;
};

// Where one column of a result comes from; its base column is ColumnInfo::baseColumn.
struct ColumnSource {
  int table = -1;    // into Sources::tables; -1: computed (expression, aggregate, constant)
  int keyPart = -1;  // which column of its table's key it holds
  std::string view;  // the view it was read through, where the engine tells so per column
  Compare compare = Compare::Equal;
};

struct Sources {
  std::vector<SourceTable> tables;
  std::vector<ColumnSource> columns;  // per result column
};

// The key an engine reads the rows of a plain SELECT * FROM the table (an index into
// Sources::tables) in, asked only when every column comes from that table; empty:
// the engine pages it by offset.
using PagingKey = std::function<std::vector<KeyPart>(int table)>;

struct Keyset {
  std::string table;              // qualified and quoted
  std::vector<std::string> keys;  // SQL of the key read before the columns
  std::vector<int> keyColumns;    // per key: the result column holding it, -1 for a row id
};

struct WritePlan {
  std::optional<Keyset> keyset;  // set: rows are read in key order, the key read along
  EditPlan edit;
};

// Marks the key columns (ColumnInfo::isKey) and plans the writes of the query's rows.
WritePlan PlanWrites(const sql::Dialect& d, const std::string& sql, std::vector<ColumnInfo>& columns,
                     const Sources& sources, const PagingKey& pagingKey);

// Rows of the layer's own (the catalogue), never written.
EditPlan ReadOnlyPlan(std::size_t columns);

}  // namespace db
