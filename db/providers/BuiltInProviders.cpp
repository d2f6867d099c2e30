#include <algorithm>
#include <cctype>

#include "db/providers/BuiltInProviders.h"

namespace db {

std::unique_ptr<Provider> MakeSqliteProvider(const ConnectionString&, const std::atomic<bool>&);
std::unique_ptr<Provider> MakePostgresProvider(const ConnectionString&, const std::atomic<bool>&);
std::unique_ptr<Provider> MakeOdbcProvider(const ConnectionString&, const std::atomic<bool>&);

namespace {
bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}
}  // namespace

ProviderFactory BuiltInProvider(std::string_view name) {
  struct Entry { std::string_view name; ProviderFactory make; };
  static constexpr Entry kProviders[] = {
      {"SQLite", &MakeSqliteProvider},
      {"PostgreSQL", &MakePostgresProvider},
      {"ODBC", &MakeOdbcProvider},
  };
  for (const auto& e : kProviders)
    if (SameName(e.name, name)) return e.make;
  return nullptr;
}

}  // namespace db
