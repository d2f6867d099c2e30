#include "db/Ado.h"
#include "db/DbError.h"
#include "db/Provider.h"

namespace db {
std::unique_ptr<Provider> MakeOdbcProvider(const ConnectionString&) {
  throw DbError(adErrProviderNotFound, "Provider ODBC non ancora disponibile");
}
}  // namespace db
