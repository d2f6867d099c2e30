#include "bench/Measure.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <chrono>
#include <fstream>

namespace bench {
namespace {

constexpr std::size_t kMinRepetitions = 3;
constexpr std::size_t kMaxRepetitions = 21;
constexpr const char* kLinePrefix = "FIGURE ";

// A line "Name:   1234 kB" of /proc/self/status, in MB.
double StatusMb(const std::string& name) {
  std::ifstream status("/proc/self/status");
  std::string key;
  double kb = 0;
  while (status >> key) {
    if (key == name + ":" && status >> kb) return kb / 1024.0;
    status.ignore(1 << 16, '\n');
  }
  return 0;
}

// Lets VmHWM start again from the current resident size.
bool ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  return static_cast<bool>(clear.flush());
}

// The value below which the given share of v lies, between neighbours.
double Quantile(std::vector<double> v, double share) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const double at = share * static_cast<double>(v.size() - 1);
  const auto below = static_cast<std::size_t>(at);
  const std::size_t above = std::min(below + 1, v.size() - 1);
  return v[below] + (v[above] - v[below]) * (at - static_cast<double>(below));
}

}  // namespace

double Figure::MedianMs() const { return Quantile(times, 0.5); }

double Figure::SpreadPercent() const {
  const double median = MedianMs();
  return median > 0 ? 50 * (Quantile(times, 0.75) - Quantile(times, 0.25)) / median : 0;
}

void Figure::Merge(const Figure& other) {
  times.insert(times.end(), other.times.begin(), other.times.end());
  rssMb = std::max(rssMb, other.rssMb);
  tally = other.tally;
  // The goal is never to block longer: the worst round speaks.
  if (other.window && (!window || other.window->maxBlockMs > window->maxBlockMs)) window = other.window;
}

Figure Measure(const Contender& contender, const Options& options) {
  Repetition repeat = contender.prepare(options);
  Figure f;

  const double before = StatusMb("VmRSS");
  const bool peakFromHere = ResetPeak();
  Stopwatch first;
  f.tally = repeat(first);
  const double after = peakFromHere ? StatusMb("VmHWM") : StatusMb("VmRSS");
  f.rssMb = std::max(0.0, after - before);

  using Clock = std::chrono::steady_clock;
  const auto budget = std::chrono::duration<double>(options.budgetSeconds);
  const auto rounds = static_cast<std::size_t>(options.rounds);
  const std::size_t least = (kMinRepetitions + rounds - 1) / rounds;
  const auto start = Clock::now();
  while (f.times.size() < least || (f.times.size() < kMaxRepetitions && Clock::now() - start < budget)) {
    Stopwatch sw;
    f.tally = repeat(sw);
    f.times.push_back(sw.Ms());
  }
  return f;
}

Figure MeasureWindow(const WindowRun& run, const Options& options) {
  Figure f;
  f.window = run(options);
  f.tally.rows = f.window->rows;
  return f;
}

std::string FigureLine(const Figure& f) {
  QJsonArray times;
  for (double t : f.times) times.append(t);
  QJsonObject o{{"times_ms", times},
                {"rss_mb", f.rssMb},
                {"rows", static_cast<double>(f.tally.rows)},
                {"bytes", static_cast<double>(f.tally.bytes)}};
  if (f.window) {
    o["max_block_ms"] = f.window->maxBlockMs;
    o["pages_read"] = static_cast<double>(f.window->pagesRead);
  }
  return kLinePrefix + QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

bool ParseFigureLine(const std::string& line, Figure& f) {
  if (line.rfind(kLinePrefix, 0) != 0) return false;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line.substr(std::string(kLinePrefix).size())));
  if (!doc.isObject()) return false;
  const QJsonObject o = doc.object();
  f.times.clear();
  for (const QJsonValue t : o["times_ms"].toArray()) f.times.push_back(t.toDouble());
  f.rssMb = o["rss_mb"].toDouble();
  f.tally.rows = static_cast<std::int64_t>(o["rows"].toDouble());
  f.tally.bytes = static_cast<std::int64_t>(o["bytes"].toDouble());
  f.window.reset();
  if (o.contains("max_block_ms"))
    f.window = Responsiveness{o["max_block_ms"].toDouble(), static_cast<std::int64_t>(o["pages_read"].toDouble()),
                              f.tally.rows};
  return !f.times.empty() || f.window.has_value();
}

}  // namespace bench
