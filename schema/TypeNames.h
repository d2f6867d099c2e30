#pragma once
#include <cstdint>
#include <string>

namespace schema {

// The "Tipo" text of a field: an Italian name for the five common codes of the
// ADO numbering, the code's own digits for every other one.
std::string TypeName(std::int16_t code);

}  // namespace schema
