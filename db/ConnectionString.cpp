#include "db/ConnectionString.h"
// Filled in by the data-access layer work.
