#pragma once
#include <QString>

// The sample database built next to the program (<build>/sample/esempio.db);
// empty when it is not there.
QString SampleDatabasePath();
