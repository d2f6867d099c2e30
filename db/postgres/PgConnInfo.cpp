#include "db/postgres/PgConnInfo.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

#include "db/Ado.h"
#include "db/DbError.h"

namespace db::pg {
namespace {

// Lower case, without blanks, underscores and dashes.
std::string Normal(std::string_view key) {
  std::string out;
  for (char c : key)
    if (c != ' ' && c != '_' && c != '-' && c != '\t') out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  return out;
}

struct Synonym {
  std::string_view key;      // normalised
  std::string_view keyword;  // libpq's, or one of ours starting with '.'
};
constexpr Synonym kSynonyms[] = {
    {"server", "host"},          {"host", "host"},
    {"datasource", "host"},      {"address", "host"},
    {"port", "port"},            {"database", "dbname"},
    {"initialcatalog", "dbname"}, {"dbname", "dbname"},
    {"userid", "user"},          {"uid", "user"},
    {"user", "user"},            {"username", "user"},
    {"password", "password"},    {"pwd", "password"},
    {"connecttimeout", "connect_timeout"}, {"connectiontimeout", "connect_timeout"},
    {"timeout", "connect_timeout"},
    {"commandtimeout", ".command"},
    {"provider", ".ignore"},     {"persistsecurityinfo", ".ignore"},
};

// Up to what the server's millisecond settings hold (statement_timeout is an int).
constexpr int kMaxSeconds = 2147483;

int Seconds(const std::string& key, const std::string& value) {
  int seconds = -1;
  const char* end = value.data() + value.size();
  auto [ptr, ec] = std::from_chars(value.data(), end, seconds);
  if (ec != std::errc() || ptr != end || seconds < 0 || seconds > kMaxSeconds)
    throw DbError(adErrInvalidArgument,
                  "Valore non valido per " + key + ": \"" + value + "\" (secondi, da 0 a " + std::to_string(kMaxSeconds) + ")",
                  ErrorKind::InvalidArgument);
  return seconds;
}

std::string Keyword(const std::string& key, const std::vector<std::string>& libpqKeywords) {
  std::string normal = Normal(key);
  for (const auto& s : kSynonyms)
    if (s.key == normal) return std::string(s.keyword);
  for (const auto& k : libpqKeywords)
    if (Normal(k) == normal) return k;
  throw DbError(adErrInvalidArgument, "Chiave sconosciuta per PostgreSQL nella stringa di connessione: \"" + key + "\"",
                ErrorKind::InvalidArgument);
}

void Set(ConnInfo& info, const std::string& keyword, const std::string& value) {
  auto it = std::find_if(info.keywords.begin(), info.keywords.end(),
                         [&](const auto& kv) { return kv.first == keyword; });
  if (it != info.keywords.end())
    it->second = value;
  else
    info.keywords.emplace_back(keyword, value);
}

}  // namespace

ConnInfo MakeConnInfo(const std::vector<std::pair<std::string, std::string>>& pairs,
                      const std::vector<std::string>& libpqKeywords) {
  ConnInfo info;
  Set(info, "connect_timeout", std::to_string(kDefaultConnectTimeout));
  Set(info, "client_encoding", "UTF8");
  Set(info, "fallback_application_name", "Cartavo");
  for (const auto& [key, value] : pairs) {
    std::string keyword = Keyword(key, libpqKeywords);
    if (keyword == ".ignore") continue;
    if (keyword == ".command") {
      info.commandTimeout = Seconds(key, value);
      continue;
    }
    if (keyword == "connect_timeout") info.connectTimeout = Seconds(key, value);
    if (keyword == "password") info.password = value;
    Set(info, keyword, value);
  }
  return info;
}

}  // namespace db::pg
