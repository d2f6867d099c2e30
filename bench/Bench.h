#pragma once
// What the benchmark program is made of: scenarios, each with Cartavo and its
// baselines ("contenders"), each contender run in a child process of its own so that
// one contender's heap never hides the next one's growth.
#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace bench {

enum class Engine { Sqlite, Postgres };

// Raised whenever the generator changes what it writes, so that no cached file or
// table of an older generation is measured.
inline constexpr const char* kGeneration = "g1";

// The sizes of the scaling run (--scale), up to --scale-max.
inline constexpr std::int64_t kScaleRows[] = {1000000, 10000000, 100000000};
inline constexpr int kScaleTables[] = {1000, 10000, 100000};
// A case of the scaling run: scale_sqlite_1000000, scale_catalogue_1000...
inline std::string ScaleKey(const std::string& what, std::int64_t size) {
  return "scale_" + what + "_" + std::to_string(size);
}
inline std::string EngineName(Engine e) { return e == Engine::Sqlite ? "sqlite" : "pg"; }

struct Scenario;

struct Options {
  std::string dataDir;          // generated SQLite files, cached by size
  std::int64_t rows = 1000000;  // rows of the table big
  std::int64_t uiRows = 10000000;  // rows of the table the window's thread cases scroll
  int tables = 10000;           // tables of the catalogue database
  int edits = 1000;             // cell edits of edit_roundtrip
  double budgetSeconds = 2;     // timed repetitions of one child process stop past this
  int rounds = 1;               // child processes per contender, one round after the other
  std::string pgPort;           // empty: no PostgreSQL server, its scenarios are skipped
  std::string json;             // where the figures go as JSON; empty: nowhere
  std::vector<std::string> only;  // scenario keys to run; empty: all
  bool scale = false;           // the scaling run: its cases only
  std::int64_t scaleMax = 100000000;  // the largest table of the scaling run
  bool makeOnly = false;        // make the data and stop

  std::string BigFile() const;
  // The SQLite file of the table big of that many rows.
  std::string BigFile(std::int64_t of) const;
  // The file and the PostgreSQL table of uiRows rows: big itself when the sizes agree.
  std::string UiFile() const;
  std::string UiPgTable() const;
  // Whether --only names the scenario, or a scenario whose key starts with prefix.
  bool Wants(const std::string& key) const;
  // Wants it, and it belongs to this run (the scaling run or the ordinary one).
  bool Runs(const Scenario& s) const;
  bool WantsAny(const std::string& prefix) const;
  std::string TablesFile() const;
  std::string TablesFile(int of) const;
  // Cartavo's connection texts and what libpq and Qt are given for the same server.
  static std::string SqliteText(const std::string& file);
  std::string PgText() const;
  std::string PgConnInfo() const;
  static constexpr const char* kPgHost = "127.0.0.1";
  static constexpr const char* kPgDatabase = "cartavo_bench";
  static constexpr const char* kPgUser = "postgres";
};

// What one repetition read: rows reached and bytes of text, so that no read can be
// optimised away and contenders can be checked to have done the same work.
struct Tally {
  std::int64_t rows = 0;
  std::int64_t bytes = 0;
};

class Stopwatch {
 public:
  void Start() { started_ = Clock::now(); }
  void Stop() { elapsed_ += Clock::now() - started_; }
  double Ms() const { return std::chrono::duration<double, std::milli>(elapsed_).count(); }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point started_{};
  Clock::duration elapsed_{};
};

// One repetition: it starts and stops the watch around what is measured, so that
// what it opened is released after the clock has stopped.
using Repetition = std::function<Tally(Stopwatch&)>;
// Untimed preparation inside the child process (connections, a window, a scratch copy).
using Prepare = std::function<Repetition(const Options&)>;

// What a case of the window's thread saw: the longest time the thread was busy at
// once, and the requests for rows that the grid's model read.
struct Responsiveness {
  double maxBlockMs = 0;
  std::int64_t pagesRead = 0;
  std::int64_t rows = 0;
};
// Run once in its child: it has no baseline to be divided by.
using WindowRun = std::function<Responsiveness(const Options&)>;

// The table big of one size: rows 0 is the --rows table of the ordinary scenarios;
// the scaling run's PostgreSQL tables are named by their size.
struct BigTable {
  std::int64_t rows = 0;
  std::string File(const Options& o) const { return rows ? o.BigFile(rows) : o.BigFile(); }
  std::string Name(Engine engine) const {
    return rows && engine == Engine::Postgres ? "big_" + std::to_string(rows) : "big";
  }
  std::string Query(Engine engine) const { return "SELECT * FROM " + Name(engine); }
  std::int64_t Rows(const Options& o) const { return rows ? rows : o.rows; }
};

struct Outcome;
// Figures worked out of a scenario's outcome, by name, in the order they are shown.
using Derived = std::vector<std::pair<std::string, double>>;

struct Contender {
  std::string name;  // "cartavo", or the baseline's name
  Prepare prepare;
};

struct Scenario {
  std::string key;
  Engine engine = Engine::Sqlite;
  std::vector<Contender> contenders;  // Cartavo first, then the baselines in order
  bool sameRows = true;               // every contender must reach the same number of rows
  WindowRun window = {};              // set: a case of the window's thread, without contenders
  bool scale = false;                 // a case of the scaling run (--scale), which has no other
  std::int64_t scaleRows = 0;         // its table's rows, which --scale-max limits
  std::function<Derived(const Outcome&)> derive = {};  // set: the figures its table and JSON show
};

std::vector<Scenario> AllScenarios();

// A failure of the benchmark itself (a missing file, a refused query).
class BenchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The query every table scenario opens, and how many rows make a screen.
inline constexpr const char* kBigQuery = "SELECT * FROM big";
inline constexpr const char* kSmallQuery = "SELECT * FROM small";
inline constexpr int kScreenRows = 50;

}  // namespace bench
