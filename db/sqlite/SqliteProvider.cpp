#include <sqlite3.h>

#include "db/Ado.h"
#include "db/LayerErrors.h"
#include "db/Provider.h"
#include "db/SqlText.h"
#include "db/sqlite/SqliteCatalogue.h"
#include "db/sqlite/SqliteResult.h"
#include "db/sqlite/SqliteSession.h"

namespace db {

namespace sqlite {
namespace {

std::vector<ColumnInfo> TablesColumns() {
  std::vector<ColumnInfo> columns;
  for (const char* name : {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE"})
    columns.push_back(ColumnInfo{name, adVarWChar, 128, "", "", "", false});
  return columns;
}

class SqliteProvider : public Provider {
 public:
  explicit SqliteProvider(std::shared_ptr<Session> session) : session_(std::move(session)) {}
  ~SqliteProvider() override { close(); }

  void close() noexcept override { session_->close(); }
  bool isOpen() const noexcept override { return session_->isOpen(); }

  std::unique_ptr<Result> query(const std::string& sql) override {
    session_->requireInPlace();
    return SqliteResult::Open(session_, sql);
  }

  // The whole text, statement after statement; rows of a query are stepped through
  // and dropped. Statements before a failing one stay done, as with any script.
  void execute(const std::string& sql) override {
    session_->requireInPlace();
    if (sql::IsBlank(sql)) throw errors::NoCommand();
    std::string_view rest = sql;
    while (!rest.empty()) {
      const std::size_t before = rest.size();
      Statement st = session_->prepare(rest, &rest);
      if (st)
        while (session_->check(sqlite3_step(st.get())) == SQLITE_ROW) {
        }
      if (rest.size() == before) break;
    }
  }

  std::unique_ptr<Result> tables() override {
    session_->requireInPlace();
    return SqliteResult::OpenDescribed(session_, ReadCatalogue, TablesColumns());
  }

  std::string quoteIdentifier(std::string_view name) const override {
    return sql::QuoteIdentifier(sql::kSqlite, name);
  }

  void interrupt() noexcept override { session_->interrupt(); }

 private:
  std::shared_ptr<Session> session_;
};

}  // namespace
}  // namespace sqlite

// Provider=SQLite;Data Source=<file> (or Database=<file>). A file that does not
// exist is an error unless the text adds Create=Yes (also True, 1, Sì), which
// creates it; other keys are ignored.
std::unique_ptr<Provider> MakeSqliteProvider(const ConnectionString& cs, const std::atomic<bool>&) {
  return std::make_unique<sqlite::SqliteProvider>(sqlite::Session::Open(cs));
}

}  // namespace db
