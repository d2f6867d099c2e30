#include "bench/Bench.h"

namespace bench {

namespace {
// Raised whenever the generator changes what it writes, so that no cached file of
// an older generation is measured.
constexpr const char* kGeneration = "g1";
}  // namespace

std::string Options::BigFile() const {
  return dataDir + "/big-" + kGeneration + "-" + std::to_string(rows) + ".db";
}

std::string Options::TablesFile() const {
  return dataDir + "/tables-" + kGeneration + "-" + std::to_string(tables) + ".db";
}

std::string Options::SqliteText(const std::string& file) { return "Provider=SQLite;Data Source=" + file; }

std::string Options::PgText() const {
  return std::string("Provider=PostgreSQL;Server=") + kPgHost + ";Port=" + pgPort + ";Database=" + kPgDatabase +
         ";User ID=" + kPgUser;
}

std::string Options::PgConnInfo() const {
  return std::string("host=") + kPgHost + " port=" + pgPort + " dbname=" + kPgDatabase + " user=" + kPgUser;
}

}  // namespace bench
