// Median and 90th percentile of timed samples, printed one case a line: the report of the small
// timing programs that run under Wine, where Google Benchmark has no build.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

// "--iterations N" or nothing (then `fallback`); 0 for anything else, after printing `usage`.
inline int iterationsFromArguments(int argc, char** argv, int fallback, const char* usage) {
  int iterations = fallback;
  if (argc == 3 && std::string(argv[1]) == "--iterations") {
    iterations = std::atoi(argv[2]);
  } else if (argc != 1) {
    iterations = 0;
  }
  if (iterations < 1) {
    std::fprintf(stderr, "usage: %s\n", usage);
    return 0;
  }
  return iterations;
}

}  // namespace px
