// Table data view: the grid shows the rows of a table or a query.
#include "app/frmMain.h"

void frmMain::LeggiDati(QString) {
  // Placeholder until the table data view lands.
}

void frmMain::mnuLeggiDatiTabella_Click() {
  // Placeholder until the table data view lands.
}
