// Nearest-rank percentiles and the output lines of the latency benchmark.
#include "bench/windows/latency_stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orvane::bench {

namespace {

constexpr double kMedian = 0.5;
constexpr double kP99 = 0.99;

double NearestRank(const std::vector<double>& sorted, double fraction) {
  const auto rank =
      static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
  return sorted[rank == 0 ? 0 : rank - 1];
}

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

Summary Summarize(std::vector<double> samples) {
  Summary summary;
  if (samples.empty()) return summary;
  std::sort(samples.begin(), samples.end());
  summary.p50 = NearestRank(samples, kMedian);
  summary.p99 = NearestRank(samples, kP99);
  summary.max = samples.back();
  summary.count = samples.size();
  return summary;
}

std::string SummaryLine(const std::string& name, const Summary& summary) {
  return name + " p50_us=" + Format("%.1f", summary.p50) +
         " p99_us=" + Format("%.1f", summary.p99) + " max_us=" + Format("%.1f", summary.max) +
         " n=" + std::to_string(summary.count);
}

std::string RatioLine(const std::string& name, double measured, double baseline, double goal) {
  const double ratio = baseline > 0.0 ? measured / baseline : 0.0;
  return "ratio " + name + "=" + Format("%.2f", ratio) + " goal<=" + Format("%g", goal) +
         (baseline > 0.0 && ratio <= goal ? " met" : " missed");
}

}  // namespace orvane::bench
