#pragma once
#include <QPixmap>

// The six 16 x 16 pictures of the list rows, on a transparent background:
// 1 database disks beside a server tower, 2 clipboard with a sheet, 3 lilac gear over
// a striped yellow plate, 4 pencil, 5 red no-entry sign, 6 speech bubble with a blue "i".
inline constexpr int kPictureCount = 6;
inline constexpr int kPictureSize = 16;

// Positions that the program picks by number.
inline constexpr int kPictureApplication = 1;
inline constexpr int kPictureTable = 2;
inline constexpr int kPictureField = 4;
inline constexpr int kPictureError = 5;
inline constexpr int kPictureEvent = 6;

// A transparent picture for a position outside 1..6.
QPixmap DrawPicture(int position);
