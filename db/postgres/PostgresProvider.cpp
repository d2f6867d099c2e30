#include "db/Ado.h"
#include "db/DbError.h"
#include "db/Provider.h"

namespace db {
std::unique_ptr<Provider> MakePostgresProvider(const ConnectionString&) {
  throw DbError(adErrProviderNotFound, "Provider PostgreSQL non ancora disponibile");
}
}  // namespace db
