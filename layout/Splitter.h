#pragma once
#include "layout/PaneAccess.h"

namespace layout {

// The three splitter bars: Im1 between the two lists of the left column, Im2 between
// the columns, Im3 between the grid and the SQL panel.
enum class Bar { Im1, Im2, Im3 };

// Mouse button numbers of a release, as the bars report them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

// A button released after a press on a bar; x and y are the release point in twips
// relative to the bar's top-left corner. The left button moves the pane's far edge
// to the release point, records the rounded proportion and lays the window out again;
// any other button changes nothing.
void BarMouseUp(PaneAccess& panes, Bar bar, int button, float x, float y, LayoutMembers m);

}  // namespace layout
