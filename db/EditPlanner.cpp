#include "db/EditPlanner.h"

#include <algorithm>

namespace db {
namespace {

std::string InQuotes(const std::string& name) { return "\"" + name + "\""; }

// The first column read from table t itself that holds part p of its key; -1: none.
int KeyColumn(const Sources& s, int t, int p) {
  for (std::size_t i = 0; i < s.columns.size(); ++i)
    if (s.columns[i].table == t && s.columns[i].keyPart == p && s.columns[i].view.empty()) return static_cast<int>(i);
  return -1;
}

// Why the column cannot be written, whatever its table (empty: it can).
std::string WhyNotColumn(const ColumnInfo& c, const ColumnSource& from, const Sources& s) {
  if (from.table < 0 || c.baseColumn.empty())
    return "la colonna " + InQuotes(c.name) + " è calcolata (espressione, aggregato o costante)";
  const SourceTable& t = s.tables[static_cast<std::size_t>(from.table)];
  const std::string& view = !from.view.empty() || t.kind != TableKind::View ? from.view : t.name;
  if (!view.empty()) return "la colonna " + InQuotes(c.name) + " viene dalla vista " + InQuotes(view);
  return "";
}

// Why no row of table t can be written back (empty: they can), as the end of
// "Impossibile aggiornare: ".
std::string WhyNotTable(const Sources& s, int t) {
  const SourceTable& table = s.tables[static_cast<std::size_t>(t)];
  const std::string name = InQuotes(table.name);
  if (table.kind == TableKind::Other) return "le colonne vengono da " + name + ", che non è una tabella ordinaria";
  if (table.sharesKeys) return "la tabella " + name + " ha tabelle figlie che ne condividono le chiavi";
  if (table.key.empty() && table.rowIdOutOfReach)
    return "la tabella " + name + " non ha una chiave primaria e ha troppe colonne per leggerne anche il rowid";
  if (table.key.empty()) return "la tabella " + name + " non ha una chiave primaria";
  for (std::size_t p = 0; p < table.key.size(); ++p)
    if (KeyColumn(s, t, static_cast<int>(p)) < 0)
      return "nel risultato manca la colonna " + InQuotes(table.key[p].name) + ", chiave della tabella " + name;
  return "";
}

int AddTarget(const sql::Dialect& d, const Sources& s, int t, EditPlan& e) {
  const SourceTable& table = s.tables[static_cast<std::size_t>(t)];
  EditTarget target{sql::QualifiedName(d, table.schema, table.name), {}, {}};
  for (std::size_t p = 0; p < table.key.size(); ++p)
    target.keys.emplace_back(KeyColumn(s, t, static_cast<int>(p)), sql::QuoteIdentifier(d, table.key[p].name));
  e.targets.push_back(std::move(target));
  return static_cast<int>(e.targets.size()) - 1;
}

bool IsKeyCell(const EditTarget& t, int cell) {
  return std::any_of(t.keys.begin(), t.keys.end(), [&](const auto& k) { return k.first == cell; });
}

// Columns are written to the table they come from when its whole key is in the result.
EditPlan PlanEdits(const sql::Dialect& d, const std::vector<ColumnInfo>& columns, const Sources& s) {
  EditPlan e;
  std::vector<std::string> tableWhy;
  for (std::size_t t = 0; t < s.tables.size(); ++t) tableWhy.push_back(WhyNotTable(s, static_cast<int>(t)));
  std::vector<int> targetOfTable(s.tables.size(), -1);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const ColumnSource& from = s.columns[i];
    e.compare.push_back(from.compare);
    std::string why = WhyNotColumn(columns[i], from, s);
    if (why.empty()) why = tableWhy[static_cast<std::size_t>(from.table)];
    e.whyNot.push_back(why);
    if (!why.empty()) {
      e.targetOf.push_back(-1);
      continue;
    }
    int& target = targetOfTable[static_cast<std::size_t>(from.table)];
    if (target < 0) target = AddTarget(d, s, from.table, e);
    e.targetOf.push_back(target);
    EditTarget& t = e.targets[static_cast<std::size_t>(target)];
    if (!IsKeyCell(t, static_cast<int>(i)))
      t.columns.emplace_back(static_cast<int>(i), sql::QuoteIdentifier(d, columns[i].baseColumn));
  }
  return e;
}

// SELECT * FROM one ordinary table whose paging key is whole in the result.
std::optional<Keyset> PlanKeyset(const sql::Dialect& d, const std::string& sql, const std::vector<ColumnInfo>& columns,
                                 const Sources& s, const PagingKey& pagingKey) {
  if (!d.limitOffset || columns.empty() || !sql::ParsePlainSelect(sql)) return std::nullopt;
  const int t = s.columns[0].table;
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (t < 0 || s.columns[i].table != t || !s.columns[i].view.empty() || columns[i].baseColumn.empty())
      return std::nullopt;
  const SourceTable& table = s.tables[static_cast<std::size_t>(t)];
  if (table.kind != TableKind::Table || table.sharesKeys) return std::nullopt;
  const std::vector<KeyPart> parts = pagingKey(t);
  if (parts.empty()) return std::nullopt;
  Keyset k{sql::QualifiedName(d, table.schema, table.name), {}, {}};
  for (const KeyPart& part : parts) {
    const auto at =
        std::find_if(table.key.begin(), table.key.end(), [&](const KeyPart& p) { return p.name == part.name; });
    const int column = at == table.key.end() ? -1 : KeyColumn(s, t, static_cast<int>(at - table.key.begin()));
    if (column < 0 && !part.rowId) return std::nullopt;
    // A row id stays unquoted: quoted, SQLite could read a name it does not know as a string.
    k.keys.push_back(part.rowId ? part.name : sql::QuoteIdentifier(d, part.name));
    k.keyColumns.push_back(column);
  }
  return k;
}

// Every column is written by the key read before them.
EditPlan KeysetEdits(const sql::Dialect& d, const std::vector<ColumnInfo>& columns, const Sources& s,
                     const Keyset& k) {
  EditPlan e;
  e.hidden = static_cast<int>(k.keys.size());
  EditTarget target{k.table, {}, {}};
  for (int i = 0; i < e.hidden; ++i) {
    target.keys.emplace_back(i, k.keys[static_cast<std::size_t>(i)]);
    const int column = k.keyColumns[static_cast<std::size_t>(i)];
    e.compare.push_back(column < 0 ? Compare::Equal : s.columns[static_cast<std::size_t>(column)].compare);
  }
  for (std::size_t i = 0; i < columns.size(); ++i) {
    target.columns.emplace_back(e.hidden + static_cast<int>(i), sql::QuoteIdentifier(d, columns[i].baseColumn));
    e.compare.push_back(s.columns[i].compare);
    e.targetOf.push_back(0);
    e.whyNot.emplace_back();
  }
  e.targets.push_back(std::move(target));
  return e;
}

}  // namespace

WritePlan PlanWrites(const sql::Dialect& d, const std::string& sql, std::vector<ColumnInfo>& columns,
                     const Sources& sources, const PagingKey& pagingKey) {
  for (std::size_t i = 0; i < columns.size(); ++i) columns[i].isKey = sources.columns[i].keyPart >= 0;
  WritePlan w;
  w.keyset = PlanKeyset(d, sql, columns, sources, pagingKey);
  w.edit = w.keyset ? KeysetEdits(d, columns, sources, *w.keyset) : PlanEdits(d, columns, sources);
  return w;
}

EditPlan ReadOnlyPlan(std::size_t columns) {
  EditPlan e;
  e.compare.assign(columns, Compare::Equal);
  e.targetOf.assign(columns, -1);
  e.whyNot.assign(columns, "le righe dello schema non si modificano");
  return e;
}

}  // namespace db
