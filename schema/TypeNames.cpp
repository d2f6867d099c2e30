#include "schema/TypeNames.h"

#include "db/Ado.h"

namespace schema {

std::string TypeName(std::int16_t code) {
  switch (code) {
    case db::adInteger: return "Numerico";
    case db::adBoolean: return "Bit";
    case db::adDBTimeStamp: return "Data/Ora";
    case db::adVarChar: return "Testo";
    case db::adLongVarChar: return "Memo";
    default: return std::to_string(code);
  }
}

}  // namespace schema
