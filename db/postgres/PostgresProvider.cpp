#include <memory>

#include "db/Ado.h"
#include "db/DbError.h"
#include "db/LayerErrors.h"
#include "db/Provider.h"
#include "db/SqlText.h"
#include "db/postgres/PgConnInfo.h"
#include "db/postgres/PgResult.h"
#include "db/postgres/PgSession.h"

namespace db {
namespace {

// Every table, view, materialized view and foreign table the session can see, the
// catalogues included (other sessions' temporary schemas and TOAST storage are not
// tables anyone reads). User objects first, then by schema and name, byte order.
constexpr const char* kTables = R"(
SELECT current_database()::text AS "TABLE_CATALOG", n.nspname::text AS "TABLE_SCHEMA",
       c.relname::text AS "TABLE_NAME",
       CASE
         WHEN n.nspname IN ('pg_catalog', 'information_schema') THEN
           CASE WHEN c.relkind IN ('v', 'm') THEN 'SYSTEM VIEW' ELSE 'SYSTEM TABLE' END
         WHEN c.relpersistence = 't' THEN 'LOCAL TEMPORARY'
         WHEN c.relkind = 'v' THEN 'VIEW'
         WHEN c.relkind = 'm' THEN 'MATERIALIZED VIEW'
         WHEN c.relkind = 'f' THEN 'FOREIGN TABLE'
         ELSE 'TABLE'
       END AS "TABLE_TYPE"
FROM pg_catalog.pg_class c
JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace
WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f')
  AND n.nspname NOT LIKE 'pg\_toast%'
  AND (n.nspname NOT LIKE 'pg\_temp\_%' OR n.oid = pg_catalog.pg_my_temp_schema())
ORDER BY n.nspname IN ('pg_catalog', 'information_schema'),
         n.nspname COLLATE "C", c.relname COLLATE "C")";

struct ConnInfoDeleter {
  void operator()(PQconninfoOption* o) const noexcept { PQconninfoFree(o); }
};

std::vector<std::string> LibpqKeywords() {
  std::unique_ptr<PQconninfoOption, ConnInfoDeleter> options(PQconndefaults());
  if (!options) throw DbError(adErrProviderFailed, "libpq: memoria esaurita");
  std::vector<std::string> keywords;
  for (auto* o = options.get(); o->keyword; ++o) keywords.emplace_back(o->keyword);
  return keywords;
}

class PostgresProvider : public Provider {
 public:
  PostgresProvider(const pg::ConnInfo& info, const std::atomic<bool>& interrupted)
      : session_(std::make_shared<pg::Session>(info, interrupted)) {}

  void close() noexcept override { session_->close(); }
  bool isOpen() const noexcept override { return session_->isOpen(); }

  std::unique_ptr<Result> query(const std::string& sql) override {
    session_->requireUsable();
    if (sql::IsBlank(sql)) throw errors::NoCommand();
    return pg::PgResult::Open(session_, sql);
  }

  void execute(const std::string& sql) override {
    session_->requireUsable();
    if (sql::IsBlank(sql)) throw errors::NoCommand();
    session_->runAll(sql);
  }

  std::unique_ptr<Result> tables() override { return pg::PgResult::OpenReadOnly(session_, kTables); }

  std::string quoteIdentifier(std::string_view name) const override {
    return sql::QuoteIdentifier(sql::kPostgres, name);
  }

  void interrupt() noexcept override { session_->interrupt(); }
  void abandon() noexcept override { session_->abandon(); }

 private:
  std::shared_ptr<pg::Session> session_;
};

}  // namespace

std::unique_ptr<Provider> MakePostgresProvider(const ConnectionString& text, const std::atomic<bool>& interrupted) {
  return std::make_unique<PostgresProvider>(pg::MakeConnInfo(text.Pairs(), LibpqKeywords()), interrupted);
}

}  // namespace db
