#include "bench/Report.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "bench/Targets.h"

namespace bench {
namespace {

std::string Format(const char* pattern, double v) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, v);
  return text;
}

// Three significant digits, whatever the size.
std::string Ms(double ms) {
  if (ms < 1) return Format("%.3f", ms);
  if (ms < 10) return Format("%.2f", ms);
  if (ms < 100) return Format("%.1f", ms);
  return Format("%.0f", ms);
}

// Median, the spread of the repetitions around it, and the memory growth.
std::string Cell(const Measured& m, bool named) {
  const std::string name = named ? m.name + " " : "";
  if (!m.figure) return name + "failed";
  const Figure& f = *m.figure;
  if (f.window)
    return "max block " + Ms(f.window->maxBlockMs) + " ms, " + std::to_string(f.window->pagesRead) + " pages read, " +
           std::to_string(f.window->rows) + " rows";
  return name + Ms(f.MedianMs()) + " ms ±" + Format("%.0f", f.SpreadPercent()) + "% " + Format("%.1f", f.rssMb) + " MB";
}

std::optional<double> Ratio(const Outcome& o) {
  if (o.contenders.size() < 2 || !o.contenders[0].figure || !o.contenders[1].figure) return std::nullopt;
  const double baseline = o.contenders[1].figure->MedianMs();
  if (baseline <= 0) return std::nullopt;
  return o.contenders[0].figure->MedianMs() / baseline;
}

std::string RatioText(const Outcome& o) {
  const auto r = Ratio(o);
  return r ? Format(*r < 10 ? "%.2f" : "%.1f", *r) : "-";
}

std::string VerdictText(const Outcome& o) {
  const Verdict v = Judge(o);
  if (v.target.empty()) return "(none)";
  return (v.met ? (*v.met ? "met: " : "MISSED: ") : "unknown: ") + v.target;
}

using Row = std::vector<std::string>;

Row TableRow(const Outcome& o, std::size_t baselines) {
  Row row{o.key};
  if (!o.skipped.empty()) {
    row.push_back("skipped: " + o.skipped);
    row.resize(baselines + 4);
    return row;
  }
  for (std::size_t i = 0; i < baselines + 1; ++i)
    row.push_back(i < o.contenders.size() ? Cell(o.contenders[i], i > 0) : "");
  row.push_back(RatioText(o));
  row.push_back(VerdictText(o));
  return row;
}

// Scenarios whose contenders did not reach the same rows did not do the same work.
void WarnOfUnequalWork(const Outcome& o) {
  if (!o.sameRows) return;
  std::int64_t rows = -1;
  for (const Measured& m : o.contenders) {
    if (!m.figure) continue;
    if (rows >= 0 && m.figure->tally.rows != rows)
      std::printf("warning: %s: %s reached %lld rows, %s %lld\n", o.key.c_str(), m.name.c_str(),
                  static_cast<long long>(m.figure->tally.rows), o.contenders[0].name.c_str(),
                  static_cast<long long>(rows));
    if (rows < 0) rows = m.figure->tally.rows;
  }
}

double Rounded(double v, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(v * scale) / scale;
}

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::string DerivedText(const std::string& name, double v) {
  if (!std::isfinite(v)) return "-";
  if (EndsWith(name, "_ms")) return Ms(v);
  return Format(EndsWith(name, "_ratio") ? "%.2f" : "%.1f", v);
}

void PrintRows(const std::vector<Row>& rows) {
  std::vector<std::size_t> widths(rows[0].size(), 0);
  for (const Row& r : rows)
    for (std::size_t c = 0; c < r.size(); ++c) widths[c] = std::max(widths[c], r[c].size());
  for (const Row& r : rows) {
    std::string line;
    for (std::size_t c = 0; c < r.size(); ++c)
      line += r[c] + (c + 1 < r.size() ? std::string(widths[c] - r[c].size() + 2, ' ') : "");
    std::printf("%s\n", line.c_str());
  }
}

// Cases whose figures are worked out of their contenders: a column a case, a row a figure.
void PrintDerived(const std::vector<const Outcome*>& outcomes) {
  std::vector<Row> rows{{"figure"}};
  for (const Outcome* o : outcomes) {
    const Derived figures = o->derive(*o);
    if (rows.size() == 1)
      for (const auto& f : figures) rows.push_back({f.first});
    rows[0].push_back(o->key);
    for (std::size_t i = 0; i < figures.size() && i + 1 < rows.size(); ++i)
      rows[i + 1].push_back(o->skipped.empty() ? DerivedText(figures[i].first, figures[i].second) : "skipped");
  }
  PrintRows(rows);
  std::printf("(medians in ms; ratio: cartavo / the engine's floor; growth of resident memory in MB)\n");
}

}  // namespace

bool PrintTable(const std::vector<Outcome>& outcomes) {
  std::vector<const Outcome*> derived;
  std::vector<Outcome> plain;
  for (const Outcome& o : outcomes) {
    if (o.derive) derived.push_back(&o);
    else plain.push_back(o);
  }
  if (!derived.empty()) PrintDerived(derived);
  std::size_t baselines = 1;
  for (const Outcome& o : plain) baselines = std::max(baselines, o.contenders.size() - (o.contenders.empty() ? 0 : 1));
  std::vector<Row> rows{{"scenario", "cartavo"}};
  for (std::size_t b = 1; b <= baselines; ++b) rows[0].push_back("baseline " + std::to_string(b));
  rows[0].insert(rows[0].end(), {"ratio", "target"});
  for (const Outcome& o : plain) rows.push_back(TableRow(o, baselines));
  if (!plain.empty()) {
    PrintRows(rows);
    std::printf("(median of the repetitions, ±half their interquartile range, growth of resident memory;"
                " ratio: cartavo / baseline 1)\n");
  }

  bool complete = true;
  for (const Outcome& o : outcomes) {
    WarnOfUnequalWork(o);
    for (const Measured& m : o.contenders) complete = complete && m.figure.has_value();
  }
  return complete;
}

void WriteJson(const std::vector<Outcome>& outcomes, const std::string& file) {
  QJsonObject all;
  for (const Outcome& o : outcomes) {
    QJsonObject s;
    if (!o.skipped.empty()) s["skipped"] = QString::fromStdString(o.skipped);
    for (const Measured& m : o.contenders) {
      if (m.figure && m.figure->window) {
        s["max_block_ms"] = Rounded(m.figure->window->maxBlockMs, 1);
        s["pages_read"] = static_cast<double>(m.figure->window->pagesRead);
        s["rows"] = static_cast<double>(m.figure->window->rows);
        continue;
      }
      const QString name = QString::fromStdString(m.name);
      s[name + "_ms"] = m.figure ? QJsonValue(Rounded(m.figure->MedianMs(), 3)) : QJsonValue();
      s[name + "_rss_mb"] = m.figure ? QJsonValue(Rounded(m.figure->rssMb, 1)) : QJsonValue();
    }
    if (const auto r = Ratio(o)) s["ratio"] = Rounded(*r, 3);
    if (o.derive && o.skipped.empty())
      for (const auto& [name, v] : o.derive(o))
        s[QString::fromStdString(name)] = std::isfinite(v) ? QJsonValue(Rounded(v, 3)) : QJsonValue();
    all[QString::fromStdString(o.key)] = s;
  }
  QFile out(QString::fromStdString(file));
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(QJsonDocument(all).toJson()) < 0)
    throw BenchError("cannot write " + file);
}

}  // namespace bench
