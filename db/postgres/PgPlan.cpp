#include "db/postgres/PgPlan.h"

#include <algorithm>

#include "db/Ado.h"
#include "db/DbError.h"
#include "db/SqlText.h"
#include "db/postgres/PgTypes.h"

namespace db::pg {
namespace {

std::string Quoted(const std::string& name) { return sql::QuoteIdentifier(sql::kPostgres, name); }

bool Writable(const BaseTable& t) { return t.refusal.empty(); }

}  // namespace

Described Describe(Session& s, const std::string& sql, bool findBases) {
  ResultPtr description = s.describe(sql);
  const int n = PQnfields(description.get());
  if (n == 0)
    throw DbError(adErrIllegalOperation, "Il comando non restituisce righe e non è stato eseguito: usare Execute");
  Described q;
  for (int c = 0; c < n; ++c) {
    const Oid oid = PQftype(description.get(), c);
    const TypeInfo type = ColumnType(oid, PQfmod(description.get(), c));
    q.columns.push_back({PQfname(description.get(), c), type.type, type.size, {}, {}, {}, false});
    q.types.push_back(oid);
  }
  if (findBases) q.bases = FindBaseTables(s, description.get(), q.columns);
  return q;
}

std::optional<KeysetPlan> PlanKeyset(const Described& q, const std::string& sql) {
  const BaseTable* t = q.bases.single();
  if (!sql::ParsePlainSelect(sql) || !t || !Writable(*t)) return std::nullopt;
  KeysetPlan plan;
  plan.table = sql::QualifiedName(sql::kPostgres, t->schema, t->name);
  EditPlan& e = plan.edit;
  EditTarget target{plan.table, {}, {}};
  for (int c : t->keyColumns) {
    plan.keys.push_back(Quoted(q.columns[static_cast<std::size_t>(c)].baseColumn));
    target.keys.emplace_back(e.hidden++, plan.keys.back());
    e.types.push_back(q.types[static_cast<std::size_t>(c)]);
  }
  for (std::size_t i = 0; i < q.columns.size(); ++i) {
    target.columns.emplace_back(e.hidden + static_cast<int>(i), Quoted(q.columns[i].baseColumn));
    e.types.push_back(q.types[i]);
    e.targetOf.push_back(0);
    e.whyNot.emplace_back();
  }
  e.targets.push_back(std::move(target));
  return plan;
}

EditPlan PlanEdits(const Described& q) {
  EditPlan e;
  e.types = q.types;
  std::vector<int> targetOfTable(q.bases.tables.size(), -1);
  for (std::size_t i = 0; i < q.columns.size(); ++i) {
    const int t = q.bases.tableOf.empty() ? -1 : q.bases.tableOf[i];
    e.targetOf.push_back(-1);
    e.whyNot.emplace_back();
    if (t < 0) {
      e.whyNot[i] = "la colonna \"" + q.columns[i].name + "\" è calcolata (espressione, aggregato o costante)";
      continue;
    }
    const BaseTable& base = q.bases.tables[static_cast<std::size_t>(t)];
    if (!Writable(base)) {
      e.whyNot[i] = base.refusal;
      continue;
    }
    if (targetOfTable[t] < 0) {
      targetOfTable[t] = static_cast<int>(e.targets.size());
      EditTarget target{sql::QualifiedName(sql::kPostgres, base.schema, base.name), {}, {}};
      for (int k : base.keyColumns) target.keys.emplace_back(k, Quoted(q.columns[static_cast<std::size_t>(k)].baseColumn));
      e.targets.push_back(std::move(target));
    }
    EditTarget& target = e.targets[static_cast<std::size_t>(targetOfTable[t])];
    e.targetOf[i] = targetOfTable[t];
    const auto& keys = base.keyColumns;
    if (std::find(keys.begin(), keys.end(), static_cast<int>(i)) == keys.end())
      target.columns.emplace_back(static_cast<int>(i), Quoted(q.columns[i].baseColumn));
  }
  return e;
}

}  // namespace db::pg
