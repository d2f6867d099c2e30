#pragma once
// What unixODBC has installed: the drivers and the data sources (DSN) a connection
// text can name. Raises DbError when the driver manager cannot be reached.
#include <string>
#include <vector>

namespace db {

struct OdbcDataSource {
  std::string name;
  std::string driver;  // the driver's name as the driver manager describes it
};

std::vector<std::string> OdbcDrivers();
std::vector<OdbcDataSource> OdbcDataSources();

}  // namespace db
