#include "db/Recordset.h"
// Filled in by the data-access layer work.
