#include "db/Value.h"
// Filled in by the data-access layer work.
