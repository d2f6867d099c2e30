#pragma once
// A connection of the test's own, beside the one under test, to make and read what
// the test needs without going through it.
#include <memory>
#include <string>

#include "db/Connection.h"
#include "db/Recordset.h"
#include "db/providers/BuiltInProviders.h"

inline std::unique_ptr<db::Connection> OwnConnection(const std::string& text) {
  auto conn = std::make_unique<db::Connection>(db::BuiltInProvider);
  conn->ConnectionString(text);
  conn->Open();
  return conn;
}

// The first column of the first row, as text.
inline std::string Scalar(db::Connection& conn, const std::string& sql) {
  db::Recordset rs;
  rs.Open(sql, conn);
  return rs.Fields().Item(0L).GetValue().ToText();
}
