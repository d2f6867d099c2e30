#pragma once
// From the pairs of a connection text to libpq's keywords. Synonyms of data-link texts
// are accepted (Server/Host/Data Source, Database/Initial Catalog, User ID/UID,
// Password/PWD); any other key must name a libpq keyword, compared without case,
// blanks and underscores ("SSL Mode" is sslmode). An unknown key is an error rather
// than a silent default: a slip in "Databse" must not connect to another database.
#include <string>
#include <utility>
#include <vector>

namespace db::pg {

struct ConnInfo {
  std::vector<std::pair<std::string, std::string>> keywords;  // for PQconnectdbParams
  std::string password;      // kept to scrub it from libpq's messages
  int commandTimeout = 30;   // seconds; 0 waits for ever
  int connectTimeout = 15;   // seconds; 0 waits for ever
};

inline constexpr int kDefaultConnectTimeout = 15;

// libpqKeywords: what PQconndefaults lists. Raises DbError(adErrInvalidArgument).
ConnInfo MakeConnInfo(const std::vector<std::pair<std::string, std::string>>& pairs,
                      const std::vector<std::string>& libpqKeywords);

}  // namespace db::pg
