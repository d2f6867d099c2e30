#pragma once
#include <QString>

// The description and number of the exception being handled, as the event log
// shows them. Call it only inside a catch block.
struct CaughtError {
  QString description;
  double number = 0;
};
CaughtError CurrentError();
