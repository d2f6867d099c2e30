#include "db/sqlite/SqliteCatalogue.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <string_view>
#include <tuple>

#include "db/SqlText.h"

namespace db::sqlite {

namespace {

constexpr int kView = 1;
constexpr int kSystem = 2;
constexpr const char* kKinds[] = {"TABLE", "VIEW", "SYSTEM TABLE"};

unsigned char Folded(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// The engine's NOCASE: ASCII letters only, then byte order.
int CompareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i)
    if (Folded(a[i]) != Folded(b[i])) return Folded(a[i]) < Folded(b[i]) ? -1 : 1;
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The engine's own tables are named sqlite_..., in any case.
bool IsSystemName(std::string_view name) {
  constexpr std::string_view prefix = "sqlite_";
  return name.size() >= prefix.size() && CompareNoCase(name.substr(0, prefix.size()), prefix) == 0;
}

std::string_view Column(sqlite3_stmt* st, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
  return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(st, column))) : std::string_view();
}

// main 0, temp 1, attached databases after them in the order of attaching.
std::map<std::string, int, std::less<>> DatabaseOrder(const Session& s) {
  std::map<std::string, int, std::less<>> order;
  const Statement st = s.prepare("SELECT name, seq FROM pragma_database_list");
  ResetOnExit reset(st.get());
  while (s.check(sqlite3_step(st.get())) == SQLITE_ROW) {
    const std::string name(Column(st.get(), 0));
    order[name] = name == "main" ? 0 : name == "temp" ? 1 : 2 + sqlite3_column_int(st.get(), 1);
  }
  return order;
}

}  // namespace

void SortCatalogue(std::vector<CatalogueEntry>& entries) {
  // Each name folded once: the sort then compares bytes, not letter after letter.
  struct Key {
    int database, kind;
    std::string folded;
    const std::string* name;
    std::size_t at;
  };
  std::vector<Key> keys;
  keys.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::string folded(entries[i].name);
    for (char& c : folded) c = static_cast<char>(Folded(c));
    keys.push_back({entries[i].database, entries[i].kind, std::move(folded), &entries[i].name, i});
  }
  std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
    return std::tie(a.database, a.kind, a.folded, *a.name) < std::tie(b.database, b.kind, b.folded, *b.name);
  });
  std::vector<CatalogueEntry> sorted;
  sorted.reserve(entries.size());
  for (const Key& k : keys) sorted.push_back(std::move(entries[k.at]));
  entries = std::move(sorted);
}

namespace {

// Every table of every database from its schema table: a tenth of what the table
// list pragma costs, which looks each table up by name. False where a virtual table
// is found, since only the pragma knows which tables are its shadows.
bool ReadSchemaTables(const Session& s, std::map<std::string, int, std::less<>> order,
                      std::vector<CatalogueEntry>& entries) {
  order.emplace("temp", 1);  // listed by the engine only once it holds a table
  for (const auto& [database, place] : order) {
    const bool temp = place == 1;
    const std::string schemaTable = temp ? "sqlite_temp_schema" : "sqlite_schema";
    const Statement st = s.prepare("SELECT name, type = 'view', sql LIKE 'CREATE VIRTUAL TABLE%' FROM " +
                                   sql::QuoteIdentifier(sql::kSqlite, database) + "." + schemaTable +
                                   " WHERE type IN ('table', 'view')");
    ResetOnExit reset(st.get());
    entries.push_back({place, kSystem, database, schemaTable});
    while (s.check(sqlite3_step(st.get())) == SQLITE_ROW) {
      if (sqlite3_column_int(st.get(), 2)) return false;
      CatalogueEntry e{place, 0, database, std::string(Column(st.get(), 0))};
      e.kind = sqlite3_column_int(st.get(), 1) ? kView : IsSystemName(e.name) ? kSystem : 0;
      entries.push_back(std::move(e));
    }
  }
  return true;
}

void ReadTableList(const Session& s, const std::map<std::string, int, std::less<>>& order,
                   std::vector<CatalogueEntry>& entries) {
  const Statement st = s.prepare("SELECT schema, name, type FROM pragma_table_list");
  ResetOnExit reset(st.get());
  while (s.check(sqlite3_step(st.get())) == SQLITE_ROW) {
    CatalogueEntry e;
    e.schema = Column(st.get(), 0);
    e.name = Column(st.get(), 1);
    const std::string_view type = Column(st.get(), 2);
    e.kind = type == "view" ? kView : type == "shadow" || IsSystemName(e.name) ? kSystem : 0;
    const auto at = order.find(e.schema);
    e.database = at != order.end() ? at->second : static_cast<int>(order.size()) + 2;
    entries.push_back(std::move(e));
  }
}

}  // namespace

void ReadCatalogue(const Session& s, PageBuffer& out) {
  const auto order = DatabaseOrder(s);
  std::vector<CatalogueEntry> entries;
  if (!ReadSchemaTables(s, order, entries)) {
    entries.clear();
    ReadTableList(s, order, entries);
  }
  SortCatalogue(entries);
  out.cells.reserve(out.cells.size() + entries.size() * 4);
  for (CatalogueEntry& e : entries) {
    out.add(Value());
    out.add(Value(std::move(e.schema)));
    out.add(Value(std::move(e.name)));
    out.add(Value(kKinds[e.kind]));
  }
}

}  // namespace db::sqlite
