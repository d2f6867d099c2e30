#include <memory>

#include "db/Ado.h"
#include "db/LayerErrors.h"
#include "db/Provider.h"
#include "db/SqlText.h"
#include "db/odbc/OdbcResult.h"
#include "db/odbc/OdbcSession.h"

namespace db {
namespace odbc {
namespace {

class OdbcProvider : public Provider {
 public:
  explicit OdbcProvider(std::shared_ptr<Session> session) : session_(std::move(session)) {}
  ~OdbcProvider() override { close(); }

  void close() noexcept override { session_->close(); }
  bool isOpen() const noexcept override { return session_->isOpen(); }

  std::unique_ptr<Result> query(const std::string& sql) override {
    session_->requireUsable();
    if (sql::IsBlank(sql)) throw errors::NoCommand();
    return OdbcResult::Open(session_, sql);
  }

  // Drivers that take a batch get the whole text; to the others it goes statement
  // by statement, without comments, whose semicolons some take for a second
  // statement (SQLite's). Statements before a failing one stay done (autocommit).
  void execute(const std::string& sql) override {
    session_->requireUsable();
    if (sql::IsBlank(sql)) throw errors::NoCommand();
    if (session_->info().batches) {
      run(sql);
      return;
    }
    for (std::string_view statement : sql::SplitStatements(sql)) run(sql::WithoutComments(statement));
  }

  std::unique_ptr<Result> tables() override {
    session_->requireUsable();
    return OdbcResult::Tables(session_);
  }

  std::string quoteIdentifier(std::string_view name) const override {
    return sql::QuoteIdentifier(session_->info().dialect, name);
  }

  void interrupt() noexcept override { session_->interrupt(); }

 private:
  // Every result of the text is gone through, so a failure in a later statement of a
  // batch is reported too; rows are dropped unread.
  void run(const std::string& sql) {
    StmtHandle st = session_->statement();
    session_->execDirect(st.get(), sql);
    while (session_->check(SQLMoreResults(st.get()), st.get()) != SQL_NO_DATA) {
    }
  }

  std::shared_ptr<Session> session_;
};

}  // namespace
}  // namespace odbc

// Provider=ODBC;DSN=... or Provider=ODBC;Driver={...};...: everything but the
// Provider pair goes to the driver manager as written.
std::unique_ptr<Provider> MakeOdbcProvider(const ConnectionString& cs, const std::atomic<bool>&) {
  // As the driver gets it, without ODBC's braces: a message repeats it so.
  std::string secret = Unbraced(cs.GetAny({"PWD", "Password"}).value_or(""));
  return std::make_unique<odbc::OdbcProvider>(std::make_shared<odbc::Session>(cs.WithoutProvider(), std::move(secret)));
}

}  // namespace db
