#pragma once
#include <cstdint>

namespace layout {

// Stores a value into a 16-bit member the way the window's arithmetic does: rounded
// to the nearest integer with exact halves to the even neighbour. A value that does
// not fit (or is not a number) is not stored; the member keeps what it had.
// Returns whether the value was stored.
bool StoreInteger16(double value, std::int16_t& member) noexcept;

// The single-precision value handed to a control; out of range gives an infinity,
// which every setter refuses.
float ToSingle(double value) noexcept;

}  // namespace layout
