#pragma once
#include <QString>

class QWidget;

// Message-box styles: the buttons and icon of a box, added together.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;

// A modal message box with one OK button and the icon that the style names.
void MsgBox(QWidget* parent, const QString& prompt, int style, const QString& title);
