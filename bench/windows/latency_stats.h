// Percentiles of latency samples and the benchmark's plain, greppable output lines.
#ifndef BENCH_WINDOWS_LATENCY_STATS_H_
#define BENCH_WINDOWS_LATENCY_STATS_H_

#include <cstddef>
#include <string>
#include <vector>

namespace orvane::bench {

struct Summary {
  double p50 = 0.0;
  double p99 = 0.0;
  double max = 0.0;
  std::size_t count = 0;
};

// Nearest-rank percentiles; all zero for no samples.
Summary Summarize(std::vector<double> samples);

// "NAME p50_us=… p99_us=… max_us=… n=…"
std::string SummaryLine(const std::string& name, const Summary& summary);

// "ratio NAME=VALUE goal<=GOAL met" (or "missed"): VALUE is measured / baseline.
std::string RatioLine(const std::string& name, double measured, double baseline, double goal);

}  // namespace orvane::bench

#endif  // BENCH_WINDOWS_LATENCY_STATS_H_
