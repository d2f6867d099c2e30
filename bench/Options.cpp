#include "bench/Bench.h"

#include <algorithm>

namespace bench {

std::string Options::BigFile() const { return BigFile(rows); }

std::string Options::BigFile(std::int64_t of) const {
  return dataDir + "/big-" + kGeneration + "-" + std::to_string(of) + ".db";
}

std::string Options::UiFile() const { return BigFile(uiRows); }

std::string Options::UiPgTable() const { return uiRows == rows ? "big" : "big_" + std::to_string(uiRows); }

bool Options::Wants(const std::string& key) const {
  return only.empty() || std::find(only.begin(), only.end(), key) != only.end();
}

bool Options::Runs(const Scenario& s) const {
  if (s.scale != scale || s.scaleRows > scaleMax) return false;
  return Wants(s.key);
}

bool Options::WantsAny(const std::string& prefix) const {
  return only.empty() || std::any_of(only.begin(), only.end(), [&](const std::string& k) { return k.rfind(prefix, 0) == 0; });
}

std::string Options::TablesFile() const { return TablesFile(tables); }

std::string Options::TablesFile(int of) const {
  return dataDir + "/tables-" + kGeneration + "-" + std::to_string(of) + ".db";
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
