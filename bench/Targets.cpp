#include "bench/Targets.h"

#include <functional>
#include <map>

namespace bench {
namespace {

// Time and memory of the named contenders of one outcome.
class Figures {
 public:
  explicit Figures(const Outcome& o) : o_(o) {}
  double Ms(const char* name) const { return Get(name).MedianMs(); }
  double Rss(const char* name) const { return Get(name).rssMb; }
  double Block(const char* name) const {
    const Figure& f = Get(name);
    if (!f.window) throw BenchError(std::string("no block of ") + name);
    return f.window->maxBlockMs;
  }
  bool Complete() const {
    for (const Measured& m : o_.contenders)
      if (!m.figure) return false;
    return !o_.contenders.empty();
  }

 private:
  const Figure& Get(const char* name) const {
    const Figure* f = FigureOf(o_, name);
    if (!f) throw BenchError(std::string("no figure of ") + name);
    return *f;
  }
  const Outcome& o_;
};

struct Target {
  const char* text;
  std::function<bool(const Figures&)> met;
};

const Target kNeverBlocked{"max block <= 100 ms", [](const Figures& f) { return f.Block("cartavo") <= 100; }};

const std::map<std::string, Target>& AllTargets() {
  static const std::map<std::string, Target> targets{
      {"sqlite_first_screen",
       {"<= 3x raw, <= qsqlquerymodel",
        [](const Figures& f) { return f.Ms("cartavo") <= 3 * f.Ms("raw") && f.Ms("cartavo") <= f.Ms("qsqlquerymodel"); }}},
      {"sqlite_last_row",
       {">= 30x faster than qsqlquerymodel, <= 1/10 of its memory",
        [](const Figures& f) {
          return 30 * f.Ms("cartavo") <= f.Ms("qsqlquerymodel") && 10 * f.Rss("cartavo") <= f.Rss("qsqlquerymodel");
        }}},
      {"sqlite_full_scan", {"<= 1.5x raw", [](const Figures& f) { return f.Ms("cartavo") <= 1.5 * f.Ms("raw"); }}},
      {"pg_first_screen",
       {">= 50x faster than qsqlquerymodel",
        [](const Figures& f) { return 50 * f.Ms("cartavo") <= f.Ms("qsqlquerymodel"); }}},
      {"pg_last_row", {"memory growth < 64 MB", [](const Figures& f) { return f.Rss("cartavo") < 64; }}},
      {"catalogue_10k",
       {"< 1 s, <= 5x raw", [](const Figures& f) { return f.Ms("cartavo") < 1000 && f.Ms("cartavo") <= 5 * f.Ms("raw"); }}},
      {"grid_first_paint",
       {"< 2x grid_10_rows", [](const Figures& f) { return f.Ms("cartavo") < 2 * f.Ms("grid_10_rows"); }}},
      {"edit_roundtrip",
       {"<= 2x raw_update", [](const Figures& f) { return f.Ms("cartavo") <= 2 * f.Ms("raw_update"); }}},
      {"ui_thread_sqlite_10m", kNeverBlocked},
      {"ui_thread_pg_10m", kNeverBlocked},
      {"ui_thread_pg_stopped_scroll", kNeverBlocked},
      {"ui_thread_pg_stopped_edit", kNeverBlocked},
  };
  return targets;
}

}  // namespace

const Figure* FigureOf(const Outcome& outcome, const std::string& name) {
  for (const Measured& m : outcome.contenders)
    if (m.name == name && m.figure) return &*m.figure;
  return nullptr;
}

Verdict Judge(const Outcome& outcome) {
  const auto it = AllTargets().find(outcome.key);
  if (it == AllTargets().end()) return {};
  const Figures figures(outcome);
  if (!figures.Complete()) return {it->second.text, std::nullopt};
  return {it->second.text, it->second.met(figures)};
}

}  // namespace bench
