#include "db/postgres/PgBaseTables.h"

#include <algorithm>
#include <cstdlib>

namespace db::pg {
namespace {

// One row per attribute of the tables asked for, with its place in the primary key.
constexpr const char* kAttributes = R"(
SELECT c.oid, n.nspname, c.relname, c.relkind, c.relhassubclass, a.attnum, a.attname,
       array_position(i.indkey::int2[], a.attnum) - array_lower(i.indkey::int2[], 1) + 1
FROM pg_catalog.pg_class c
JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
LEFT JOIN pg_catalog.pg_index i ON i.indrelid = c.oid AND i.indisprimary
WHERE c.oid = ANY($1::oid[]))";

struct Attribute {
  int table;        // index into BaseTables::tables
  int attnum;
  std::string name;
  int keyPosition;  // 1-based, 0 when not in the key
};

std::string OidArray(const std::vector<Oid>& oids) {
  std::string text = "{";
  for (Oid oid : oids) text += (text.size() > 1 ? "," : "") + std::to_string(oid);
  return text + "}";
}

std::string Get(const PGresult* r, int row, int col) { return PQgetvalue(r, row, col); }

void ReadCatalogue(Session& session, const std::vector<Oid>& oids, BaseTables& found,
                   std::vector<Attribute>& attributes) {
  ResultPtr rows = session.run(kAttributes, {OidArray(oids)});
  for (int r = 0; r < PQntuples(rows.get()); ++r) {
    Oid oid = static_cast<Oid>(std::strtoul(PQgetvalue(rows.get(), r, 0), nullptr, 10));
    auto it = std::find_if(found.tables.begin(), found.tables.end(), [&](const BaseTable& t) { return t.oid == oid; });
    if (it == found.tables.end()) {
      found.tables.push_back({oid, Get(rows.get(), r, 1), Get(rows.get(), r, 2), Get(rows.get(), r, 3)[0],
                              Get(rows.get(), r, 4) == "t", {}, {}});
      it = std::prev(found.tables.end());
    }
    attributes.push_back({static_cast<int>(it - found.tables.begin()), std::atoi(PQgetvalue(rows.get(), r, 5)),
                          Get(rows.get(), r, 6),
                          PQgetisnull(rows.get(), r, 7) ? 0 : std::atoi(PQgetvalue(rows.get(), r, 7))});
  }
}

// Why rows of the table cannot be written back, as the end of "Impossibile aggiornare: ".
void Judge(BaseTable& table) {
  const std::string name = "\"" + table.name + "\"";
  if (table.kind == 'v' || table.kind == 'm')
    table.refusal = "le colonne vengono dalla vista " + name;
  else if (table.kind != 'r' && table.kind != 'p')
    table.refusal = "le colonne vengono da " + name + ", che non è una tabella ordinaria";
  else if (table.hasChildren && table.kind == 'r')
    table.refusal = "la tabella " + name + " ha tabelle figlie che ne condividono le chiavi";
  else if (table.keyColumns.empty())
    table.refusal = "la tabella " + name + " non ha una chiave primaria";
  else if (std::count(table.keyColumns.begin(), table.keyColumns.end(), -1) > 0)
    table.refusal = "nel risultato manca la chiave primaria della tabella " + name;
}

}  // namespace

const BaseTable* BaseTables::single() const {
  if (tables.size() != 1 || tableOf.empty()) return nullptr;
  bool all = std::all_of(tableOf.begin(), tableOf.end(), [](int t) { return t == 0; });
  return all ? &tables.front() : nullptr;
}

BaseTables FindBaseTables(Session& session, const PGresult* description, std::vector<ColumnInfo>& columns) {
  BaseTables found;
  const int n = PQnfields(description);
  found.tableOf.assign(n, -1);
  std::vector<Oid> oids;
  for (int c = 0; c < n; ++c)
    if (Oid oid = PQftable(description, c); oid != InvalidOid && std::find(oids.begin(), oids.end(), oid) == oids.end())
      oids.push_back(oid);
  if (oids.empty()) return found;

  std::vector<Attribute> attributes;
  ReadCatalogue(session, oids, found, attributes);
  for (const auto& a : attributes) {
    auto& keys = found.tables[a.table].keyColumns;
    if (a.keyPosition > static_cast<int>(keys.size())) keys.resize(a.keyPosition, -1);
  }
  for (int c = 0; c < n; ++c) {
    Oid oid = PQftable(description, c);
    int attnum = PQftablecol(description, c);
    for (const auto& a : attributes) {
      const BaseTable& t = found.tables[a.table];
      if (t.oid != oid || a.attnum != attnum) continue;
      found.tableOf[c] = a.table;
      columns[c].baseSchema = t.schema;
      columns[c].baseTable = t.name;
      columns[c].baseColumn = a.name;
      columns[c].isKey = a.keyPosition > 0;
      if (a.keyPosition > 0 && found.tables[a.table].keyColumns[a.keyPosition - 1] < 0)
        found.tables[a.table].keyColumns[a.keyPosition - 1] = c;
    }
  }
  for (auto& table : found.tables) Judge(table);
  return found;
}

}  // namespace db::pg
