#pragma once
#include <cstdint>

namespace layout {

// The controls whose geometry the layout reads or sets.
enum class Pane {
  LwTabelle, LwCampi, Data1, fraSQL, fraEvent, txtSQL,
  cmdExecute, cmdDelete, txtEvent, Im1, Im2, Im3,
};
inline constexpr int kPaneCount = 12;

enum class Edge { Left, Top, Width, Height };

// Geometry of the window's panes in twips. Positions of controls inside a frame are
// relative to the frame. A setter may refuse a value (a negative size, or one the
// toolkit cannot hold) and then leaves the property as it was; a getter returns what
// the control holds, which may differ from what was set when the toolkit rounds.
class PaneAccess {
 public:
  virtual ~PaneAccess() = default;

  virtual double Get(Pane pane, Edge edge) const = 0;
  virtual bool Set(Pane pane, Edge edge, float twips) = 0;

  // Width of a column of the event list, 1-based like its column headers.
  virtual double ColumnWidth(int column) const = 0;
  virtual bool SetColumnWidth(int column, float twips) = 0;

  // The window's outer size: border, title bar and menu bar included.
  virtual double OuterWidth() const = 0;
  virtual double OuterHeight() const = 0;
};

// The window's five layout members, by reference, so that the layout arithmetic can
// live apart from the window that owns them.
struct LayoutMembers {
  std::int16_t& PercAltezzaTabelle;
  std::int16_t& PercLarghezzaTabelle;
  std::int16_t& PercAltezzaGriglia;
  std::int16_t& AltezzaUtile;
  std::int16_t& LarghezzaUtile;
};

}  // namespace layout
