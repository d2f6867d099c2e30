#include "db/Ado.h"
#include "db/DbError.h"
#include "db/Provider.h"

namespace db {
std::unique_ptr<Provider> MakeSqliteProvider(const ConnectionString&) {
  throw DbError(adErrProviderNotFound, "Provider SQLite non ancora disponibile");
}
}  // namespace db
