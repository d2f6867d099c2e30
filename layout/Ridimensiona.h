#pragma once
#include "layout/PaneAccess.h"

namespace layout {

// Records the three pane proportions from the panes' current sizes and the window's
// outer size: the starting proportions, taken while the panes have their design sizes.
void CalcolaProporzioni(const PaneAccess& panes, LayoutMembers m);

// Places every pane from the proportions and the window's outer size. A step whose
// value is refused is skipped and later steps read the value that stayed.
void Ridimensiona(PaneAccess& panes, LayoutMembers m);

}  // namespace layout
