#pragma once
// libpq behind RAII handles; included only by the files of this folder.
#include <libpq-fe.h>

#include <memory>

namespace db::pg {

struct ConnDeleter {
  void operator()(PGconn* c) const noexcept { PQfinish(c); }
};
struct ResultDeleter {
  void operator()(PGresult* r) const noexcept { PQclear(r); }
};
struct CancelDeleter {
  void operator()(PGcancel* c) const noexcept { PQfreeCancel(c); }
};

using ConnPtr = std::unique_ptr<PGconn, ConnDeleter>;
using ResultPtr = std::unique_ptr<PGresult, ResultDeleter>;
using CancelPtr = std::unique_ptr<PGcancel, CancelDeleter>;

}  // namespace db::pg
