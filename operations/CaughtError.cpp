#include "operations/CaughtError.h"

#include <exception>
#include <new>

#include "db/Ado.h"
#include "db/DbError.h"

namespace {
// The runtime's own number for an exhausted memory.
constexpr double kOutOfMemory = 7;
}  // namespace

CaughtError CurrentError() {
  try {
    throw;
  } catch (const db::DbError& e) {
    return {QString::fromStdString(e.Description()), double(e.Number())};
  } catch (const std::bad_alloc&) {
    return {"Memoria esaurita", kOutOfMemory};
  } catch (const std::exception& e) {
    return {QString::fromUtf8(e.what()), double(db::adErrProviderFailed)};
  } catch (...) {
    return {"Errore sconosciuto", double(db::adErrProviderFailed)};
  }
}
