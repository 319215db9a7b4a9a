// The benchmark's output: its "result" lines, and the reason it stopped.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench.h"

namespace lnf::bench {

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "bench: %s\n", why.c_str());
  std::fflush(stderr);
  std::exit(1);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Report(const std::string& label, const Pair& pair, const char* unit) {
  const double ours = Median(pair.ours);
  const double reference = Median(pair.reference);
  std::printf("result %s %.4f %.4f %.4f %s %zu\n", label.c_str(), ours, reference, ours / reference,
              unit, pair.ours.size());
  if (!pair.floor.empty()) {
    const double floor = Median(pair.floor);
    std::printf("result %s-floor %.4f %.4f %.4f %s %zu\n", label.c_str(), ours, floor, ours / floor,
                unit, pair.floor.size());
  }
  std::fflush(stdout);
}

}  // namespace lnf::bench
