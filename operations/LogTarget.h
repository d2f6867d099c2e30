#pragma once
#include <QString>

// A connection text as the event log names it: the value of every password key
// replaced by asterisks. DSN itself keeps the text unchanged for use.
QString LogTarget(const QString& connectionText);
