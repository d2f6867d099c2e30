#pragma once
// Dates and times that engines hand over as ISO 8601 text.
#include <optional>
#include <string_view>

#include "db/Value.h"

namespace db {

// "2024-05-31", "13:45:07.25", "2024-05-31 13:45:07" (or with 'T'), years of four to
// six digits, at most microseconds. With allowZone a trailing UTC offset ("+01",
// "-03:30") is accepted and dropped: the value keeps the local time it was written
// in. Anything else (BC dates, "infinity", other orders) gives nullopt.
std::optional<DateTime> ParseDateText(std::string_view text, bool allowZone = false);

}  // namespace db
