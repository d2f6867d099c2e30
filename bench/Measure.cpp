#include "bench/Measure.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <chrono>
#include <fstream>

namespace bench {
namespace {

constexpr int kMinRepetitions = 3;
constexpr int kMaxRepetitions = 21;
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

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

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
  const auto start = Clock::now();
  std::vector<double> times;
  while (times.size() < kMinRepetitions ||
         (times.size() < kMaxRepetitions && Clock::now() - start < budget)) {
    Stopwatch sw;
    f.tally = repeat(sw);
    times.push_back(sw.Ms());
  }
  f.repetitions = static_cast<int>(times.size());
  f.medianMs = Median(times);
  f.minMs = *std::min_element(times.begin(), times.end());
  f.maxMs = *std::max_element(times.begin(), times.end());
  return f;
}

std::string FigureLine(const Figure& f) {
  const QJsonObject o{{"median_ms", f.medianMs},
                      {"min_ms", f.minMs},
                      {"max_ms", f.maxMs},
                      {"repetitions", f.repetitions},
                      {"rss_mb", f.rssMb},
                      {"rows", static_cast<double>(f.tally.rows)},
                      {"bytes", static_cast<double>(f.tally.bytes)}};
  return kLinePrefix + QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

bool ParseFigureLine(const std::string& line, Figure& f) {
  if (line.rfind(kLinePrefix, 0) != 0) return false;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line.substr(std::string(kLinePrefix).size())));
  if (!doc.isObject()) return false;
  const QJsonObject o = doc.object();
  f.medianMs = o["median_ms"].toDouble();
  f.minMs = o["min_ms"].toDouble();
  f.maxMs = o["max_ms"].toDouble();
  f.repetitions = o["repetitions"].toInt();
  f.rssMb = o["rss_mb"].toDouble();
  f.tally.rows = static_cast<std::int64_t>(o["rows"].toDouble());
  f.tally.bytes = static_cast<std::int64_t>(o["bytes"].toDouble());
  return true;
}

}  // namespace bench
