// Median and 90th percentile of timed samples, printed one case a line: the report of the small
// timing programs that run under Wine, where Google Benchmark has no build.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace px {

// Nearest rank: the smallest sample with at least `percent` of all samples at or below it.
inline double percentile(std::vector<double> samples, int percent) {
  std::sort(samples.begin(), samples.end());
  const size_t rank = (samples.size() * size_t(percent) + 99) / 100;
  return samples[std::max<size_t>(rank, 1) - 1];
}

inline void report(const char* what, const std::vector<double>& samples, const std::string& note) {
  std::printf("%-22s median %6.2f ms  p90 %6.2f ms  (%s)\n", what, percentile(samples, 50),
              percentile(samples, 90), note.c_str());
}

}  // namespace px
