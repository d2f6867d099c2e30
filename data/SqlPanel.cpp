// SQL command panel: runs the editor's text, or clears it.
#include "app/frmMain.h"

void frmMain::EseguiSQL() {
  // Placeholder until the SQL panel lands.
}

void frmMain::cmdExecute_Click() {
  // Placeholder until the SQL panel lands.
}

void frmMain::cmdDelete_Click() {
  // Placeholder until the SQL panel lands.
}
