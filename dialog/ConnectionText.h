#pragma once
// The fields of the connection dialog and the connection text they make, both ways.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace db {

enum class ProviderKind { SQLite, PostgreSQL, OdbcDriver, OdbcDsn };

struct ConnectionFields {
  ProviderKind kind = ProviderKind::SQLite;
  std::string file;     // SQLite database file
  bool create = false;  // SQLite: make the file when it does not exist
  std::string driver;   // ODBC driver name, without braces
  std::string dsn;      // ODBC data source name
  std::string server, port, database, user, password;
  // Pairs the fields do not show (time-outs, SSL options...), kept in order.
  std::vector<std::pair<std::string, std::string>> extra;

  friend bool operator==(const ConnectionFields&, const ConnectionFields&) = default;
};

// The key by which a SQLite connection text asks for a new database file.
inline constexpr std::string_view kSqliteCreateKey = "Create";

std::string ComposeConnectionText(const ConnectionFields& fields);
// The fields of a text; nullopt when it does not parse or names no provider the
// dialog knows.
std::optional<ConnectionFields> ReadConnectionFields(std::string_view text);

// An error description fit to show: password values of the connection text, and
// any Password/PWD pair the description repeats, replaced by asterisks.
std::string MaskSecrets(std::string_view description, std::string_view connectionText);

}  // namespace db
