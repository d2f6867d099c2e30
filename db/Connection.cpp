#include "db/Connection.h"
// Filled in by the data-access layer work.
