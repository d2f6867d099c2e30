#include "db/postgres/PgOrigins.h"

#include <algorithm>
#include <cstdlib>

#include "db/Ado.h"
#include "db/DbError.h"
#include "db/postgres/PgTypes.h"

namespace db::pg {
namespace {

// One row per attribute of the tables asked for, with its place in the primary key.
constexpr const char* kAttributes = R"(
SELECT c.oid, n.nspname, c.relname, c.relkind, c.relhassubclass, a.attnum, a.attname,
       array_position(i.indkey::int2[], a.attnum) - array_lower(i.indkey::int2[], 1) + 1, a.attnotnull
FROM pg_catalog.pg_class c
JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
LEFT JOIN pg_catalog.pg_index i ON i.indrelid = c.oid AND i.indisprimary
WHERE c.oid = ANY($1::oid[]))";

struct Attribute {
  int table;  // index into Sources::tables
  Oid oid;
  int attnum;
  std::string name;
  int keyPosition;  // 1-based, 0 when not in the key
  bool notNull;
};

std::string OidArray(const std::vector<Oid>& oids) {
  std::string text = "{";
  for (Oid oid : oids) text += (text.size() > 1 ? "," : "") + std::to_string(oid);
  return text + "}";
}

std::string Get(const PGresult* r, int row, int col) { return PQgetvalue(r, row, col); }

TableKind KindOf(char relkind) {
  if (relkind == 'v' || relkind == 'm') return TableKind::View;
  return relkind == 'r' || relkind == 'p' ? TableKind::Table : TableKind::Other;
}

std::vector<Attribute> ReadCatalogue(Session& session, const std::vector<Oid>& oids, Sources& found) {
  ResultPtr rows = session.runPrepared("cartavo_origins", kAttributes, {OidArray(oids)});
  std::vector<Attribute> attributes;
  std::vector<Oid> tables;
  for (int r = 0; r < PQntuples(rows.get()); ++r) {
    const Oid oid = static_cast<Oid>(std::strtoul(PQgetvalue(rows.get(), r, 0), nullptr, 10));
    auto it = std::find(tables.begin(), tables.end(), oid);
    if (it == tables.end()) {
      const char kind = Get(rows.get(), r, 3)[0];
      // Inheritance children hold rows of the same key: a key names no single row.
      const bool children = kind == 'r' && Get(rows.get(), r, 4) == "t";
      found.tables.push_back({"", Get(rows.get(), r, 1), Get(rows.get(), r, 2), KindOf(kind), children, {}});
      it = tables.insert(tables.end(), oid);
    }
    attributes.push_back({static_cast<int>(it - tables.begin()), oid, std::atoi(PQgetvalue(rows.get(), r, 5)),
                          Get(rows.get(), r, 6),
                          PQgetisnull(rows.get(), r, 7) ? 0 : std::atoi(PQgetvalue(rows.get(), r, 7)),
                          Get(rows.get(), r, 8) == "t"});
  }
  return attributes;
}

// Fills the base fields of columns and where each comes from.
Sources FindSources(Session& session, const PGresult* description, std::vector<ColumnInfo>& columns) {
  Sources found;
  const int n = PQnfields(description);
  std::vector<Oid> oids;
  for (int c = 0; c < n; ++c) {
    found.columns.push_back({});
    if (LacksEquality(PQftype(description, c))) found.columns.back().compare = Compare::AsText;
    if (Oid oid = PQftable(description, c); oid != InvalidOid && std::find(oids.begin(), oids.end(), oid) == oids.end())
      oids.push_back(oid);
  }
  if (oids.empty()) return found;

  const std::vector<Attribute> attributes = ReadCatalogue(session, oids, found);
  for (const Attribute& a : attributes) {
    if (a.keyPosition == 0) continue;
    auto& key = found.tables[static_cast<std::size_t>(a.table)].key;
    if (a.keyPosition > static_cast<int>(key.size())) key.resize(static_cast<std::size_t>(a.keyPosition));
    key[static_cast<std::size_t>(a.keyPosition - 1)].name = a.name;
  }
  for (int c = 0; c < n; ++c) {
    const Oid oid = PQftable(description, c);
    const int attnum = PQftablecol(description, c);
    for (const Attribute& a : attributes) {
      if (a.oid != oid || a.attnum != attnum) continue;
      const SourceTable& t = found.tables[static_cast<std::size_t>(a.table)];
      found.columns[static_cast<std::size_t>(c)].table = a.table;
      found.columns[static_cast<std::size_t>(c)].keyPart = a.keyPosition - 1;
      columns[static_cast<std::size_t>(c)].baseSchema = t.schema;
      columns[static_cast<std::size_t>(c)].baseTable = t.name;
      columns[static_cast<std::size_t>(c)].baseColumn = a.name;
      columns[static_cast<std::size_t>(c)].nullable = !a.notNull;
    }
  }
  return found;
}

}  // namespace

Described Describe(Session& s, const std::string& sql, bool findSources) {
  ResultPtr description = s.describe(sql);
  const int n = PQnfields(description.get());
  if (n == 0)
    throw DbError(adErrIllegalOperation, "Il comando non restituisce righe e non è stato eseguito: usare Execute",
                  ErrorKind::InvalidArgument);
  Described q;
  for (int c = 0; c < n; ++c) {
    const Oid oid = PQftype(description.get(), c);
    const TypeInfo type = ColumnType(oid, PQfmod(description.get(), c));
    q.columns.push_back({PQfname(description.get(), c), type.type, type.size, {}, {}, {}, false});
    q.types.push_back(oid);
  }
  if (findSources) q.sources = FindSources(s, description.get(), q.columns);
  return q;
}

}  // namespace db::pg
