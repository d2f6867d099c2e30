#include "db/odbc/OdbcPlan.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <tuple>

#include "db/Ado.h"
#include "db/DbError.h"
#include "db/SqlText.h"

namespace db::odbc {
namespace {

using TableId = std::tuple<std::string, std::string, std::string>;  // catalogue, schema, table

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

// A text attribute the driver may not know: unknown is empty, not a failure.
std::string Attribute(const Session& s, SQLHSTMT st, SQLUSMALLINT column, SQLUSMALLINT field) {
  SQLCHAR buffer[512] = {};
  SQLSMALLINT length = 0;
  try {
    s.check(SQLColAttribute(st, column, field, buffer, sizeof buffer, &length, nullptr), st);
  } catch (const DbError&) {
    return {};
  }
  return reinterpret_cast<const char*>(buffer);
}

bool Unsigned(const Session& s, SQLHSTMT st, SQLUSMALLINT column) {
  SQLLEN value = SQL_FALSE;
  try {
    s.check(SQLColAttribute(st, column, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &value), st);
  } catch (const DbError&) {
    return false;
  }
  return value == SQL_TRUE;
}

// Catalogue functions take "no value" as "any", an empty text as "none".
SQLCHAR* Arg(const std::string& s) {
  return s.empty() ? nullptr : reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

std::string Text(const Value& v) { return v.IsNull() ? std::string() : v.ToText(); }

// Reads the rows of a catalogue function's result.
std::vector<std::vector<Value>> Rows(Session& s, SQLHSTMT st, int width) {
  std::vector<std::vector<Value>> rows;
  while (s.fetch(st) != SQL_NO_DATA) {
    auto& row = rows.emplace_back();
    for (int c = 1; c <= width; ++c) row.push_back(ReadCell(s, st, static_cast<SQLUSMALLINT>(c), SQL_VARCHAR));
  }
  return rows;
}

std::string TableType(Session& s, const TableId& t) {
  auto [catalog, schema, table] = t;
  StmtHandle st = s.statement();
  s.check(SQLTables(st.get(), Arg(catalog), SQL_NTS, Arg(schema), SQL_NTS, Arg(table), SQL_NTS, nullptr, 0), st.get());
  // The name is a pattern to SQLTables ('_' matches any letter): keep the exact one.
  std::string found;
  for (const auto& row : Rows(s, st.get(), 4))
    if (Text(row[2]) == table || (found.empty() && SameName(Text(row[2]), table))) found = Text(row[3]);
  return found;
}

struct Key {
  std::vector<std::string> names;
  std::vector<bool> pseudo;  // a row id that no column shows (SQLite's _ROWID_)
  std::vector<SqlType> types;
};

// The primary key, else the driver's best row identifier.
Key FindKey(Session& s, const TableId& t) {
  auto [catalog, schema, table] = t;
  Key key;
  StmtHandle st = s.statement();
  s.check(SQLPrimaryKeys(st.get(), Arg(catalog), SQL_NTS, Arg(schema), SQL_NTS, Arg(table), SQL_NTS), st.get());
  std::map<std::int64_t, std::string> bySequence;
  for (const auto& row : Rows(s, st.get(), 5)) bySequence[std::stoll("0" + Text(row[4]))] = Text(row[3]);
  for (const auto& [seq, name] : bySequence) {
    key.names.push_back(name);
    key.pseudo.push_back(false);
    key.types.emplace_back();
  }
  if (!key.names.empty()) return key;
  st = s.statement();
  s.check(SQLSpecialColumns(st.get(), SQL_BEST_ROWID, Arg(catalog), SQL_NTS, Arg(schema), SQL_NTS, Arg(table), SQL_NTS,
                            SQL_SCOPE_CURROW, SQL_NULLABLE),
          st.get());
  for (const auto& row : Rows(s, st.get(), 8)) {
    key.names.push_back(Text(row[1]));
    key.pseudo.push_back(Text(row[7]) == std::to_string(SQL_PC_PSEUDO));
    key.types.push_back({static_cast<SQLSMALLINT>(std::stoi("0" + Text(row[2]))),
                         static_cast<SQLULEN>(std::stoll("0" + Text(row[4]))), 0});
  }
  return key;
}

TableId BaseOf(const Described& q, std::size_t i) {
  return {q.catalogs[i], q.columns[i].baseSchema, q.columns[i].baseTable};
}

int ColumnNamed(const Described& q, const TableId& t, const std::string& name) {
  for (std::size_t i = 0; i < q.columns.size(); ++i)
    if (BaseOf(q, i) == t && SameName(q.columns[i].baseColumn, name)) return static_cast<int>(i);
  return -1;
}

}  // namespace

Described Describe(Session& s, const std::string& sql) {
  StmtHandle st = s.statement();
  std::string text = sql;
  s.check(SQLPrepare(st.get(), reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size())), st.get());
  SQLSMALLINT n = 0;
  s.check(SQLNumResultCols(st.get(), &n), st.get());
  if (n == 0)
    throw DbError(adErrIllegalOperation, "Il comando non restituisce righe e non è stato eseguito: usare Execute");
  Described q;
  for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(n); ++c) {
    SQLCHAR name[512] = {};
    SQLSMALLINT nameLength = 0, nullable = 0;
    SqlType type;
    s.check(SQLDescribeCol(st.get(), c, name, sizeof name, &nameLength, &type.type, &type.size, &type.digits, &nullable),
            st.get());
    const TypeInfo info = ColumnType(type.type, type.size, Unsigned(s, st.get(), c));
    ColumnInfo column{reinterpret_cast<const char*>(name), info.type, info.size, {}, {}, {}, false};
    column.baseTable = Attribute(s, st.get(), c, SQL_DESC_BASE_TABLE_NAME);
    if (!column.baseTable.empty()) {
      column.baseSchema = Attribute(s, st.get(), c, SQL_DESC_SCHEMA_NAME);
      column.baseColumn = Attribute(s, st.get(), c, SQL_DESC_BASE_COLUMN_NAME);
    }
    q.catalogs.push_back(column.baseTable.empty() ? "" : Attribute(s, st.get(), c, SQL_DESC_CATALOG_NAME));
    q.columns.push_back(std::move(column));
    q.types.push_back(type);
  }
  return q;
}

std::optional<KeysetPlan> PlanKeyset(Session& s, Described& q, const std::string& sql) {
  const auto ref = sql::ParsePlainSelect(sql);
  if (!s.info().limitOffset || !ref) return std::nullopt;
  const TableId t = BaseOf(q, 0);
  // A driver may name the table under a view: the keyset is for the table named.
  if (std::get<2>(t).empty() || !SameName(ref->name, std::get<2>(t))) return std::nullopt;
  for (std::size_t i = 0; i < q.columns.size(); ++i)
    if (BaseOf(q, i) != t || q.columns[i].baseColumn.empty()) return std::nullopt;
  if (!SameName(TableType(s, t), "TABLE")) return std::nullopt;  // views and the engine's own tables page by offset
  Key key = FindKey(s, t);
  if (key.names.empty()) return std::nullopt;

  const sql::Dialect& d = s.info().dialect;
  KeysetPlan plan;
  plan.table = sql::QualifiedName(d, std::get<1>(t), std::get<2>(t));
  EditPlan& e = plan.edit;
  EditTarget target{plan.table, {}, {}};
  for (std::size_t k = 0; k < key.names.size(); ++k) {
    const int column = ColumnNamed(q, t, key.names[k]);
    if (!key.pseudo[k] && column < 0) return std::nullopt;
    // A row id stays unquoted: quoted, SQLite could read a name it does not know as a string.
    plan.keys.push_back(key.pseudo[k] ? key.names[k] : sql::QuoteIdentifier(d, key.names[k]));
    target.keys.emplace_back(e.hidden++, plan.keys.back());
    e.types.push_back(column >= 0 ? q.types[static_cast<std::size_t>(column)] : key.types[k]);
    if (column >= 0) q.columns[static_cast<std::size_t>(column)].isKey = true;
  }
  for (std::size_t i = 0; i < q.columns.size(); ++i) {
    target.columns.emplace_back(e.hidden + static_cast<int>(i), sql::QuoteIdentifier(d, q.columns[i].baseColumn));
    e.types.push_back(q.types[i]);
    e.targetOf.push_back(0);
    e.whyNot.emplace_back();
  }
  e.targets.push_back(std::move(target));
  return plan;
}

EditPlan PlanEdits(Session& s, Described& q, const std::string& sql) {
  const sql::Dialect& d = s.info().dialect;
  // SQLite's driver names the table under a view as the columns' base table.
  std::string view;
  if (auto ref = sql::ParsePlainSelect(sql); ref && SameName(TableType(s, {"", ref->schema, ref->name}), "VIEW"))
    view = ref->name;
  EditPlan e;
  e.types = q.types;
  std::map<TableId, int> index;
  for (std::size_t i = 0; i < q.columns.size(); ++i) {
    e.targetOf.push_back(-1);
    e.whyNot.emplace_back();
    if (!view.empty())
      e.whyNot[i] = "le colonne vengono dalla vista \"" + view + "\"";
    else if (q.columns[i].baseTable.empty() || q.columns[i].baseColumn.empty())
      e.whyNot[i] = "la colonna \"" + q.columns[i].name + "\" è calcolata (espressione, aggregato o costante)";
    else
      e.targetOf[i] = index.try_emplace(BaseOf(q, i), static_cast<int>(index.size())).first->second;
  }
  e.targets.resize(index.size());
  for (const auto& [t, n] : index) {
    const std::string& name = std::get<2>(t);
    EditTarget& target = e.targets[static_cast<std::size_t>(n)];
    target.table = sql::QualifiedName(d, std::get<1>(t), name);
    std::string missing;
    if (SameName(TableType(s, t), "VIEW")) missing = "le colonne vengono dalla vista \"" + name + "\"";
    const Key key = missing.empty() ? FindKey(s, t) : Key{};
    if (missing.empty() && key.names.empty()) missing = "la tabella \"" + name + "\" non ha una chiave primaria";
    std::vector<bool> used(q.columns.size());
    for (std::size_t k = 0; k < key.names.size() && missing.empty(); ++k) {
      const int column = ColumnNamed(q, t, key.names[k]);
      if (column < 0) {
        missing = "nel risultato manca la colonna \"" + key.names[k] + "\", chiave della tabella \"" + name + "\"";
        break;
      }
      used[static_cast<std::size_t>(column)] = true;
      q.columns[static_cast<std::size_t>(column)].isKey = true;
      target.keys.emplace_back(column, sql::QuoteIdentifier(d, key.names[k]));
    }
    for (std::size_t i = 0; i < q.columns.size(); ++i) {
      if (e.targetOf[i] != n) continue;
      if (!missing.empty()) {
        e.targetOf[i] = -1;
        e.whyNot[i] = missing;
      } else if (!used[i]) {
        target.columns.emplace_back(static_cast<int>(i), sql::QuoteIdentifier(d, q.columns[i].baseColumn));
      }
    }
  }
  return e;
}

}  // namespace db::odbc
