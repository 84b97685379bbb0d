#include "acquisition/signal_strength.h"

#include <algorithm>
#include <numeric>

std::vector<std::size_t> StrongestFirst(const std::vector<double>& cn0s, std::size_t limit) {
  std::vector<std::size_t> order(cn0s.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  const std::size_t count = std::min(limit, order.size());
  // A partial sort does not keep equal values in order; the positions break
  // the tie instead.
  std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(count), order.end(),
                    [&](std::size_t a, std::size_t b) { return cn0s[a] > cn0s[b] || (cn0s[a] == cn0s[b] && a < b); });
  order.resize(count);
  return order;
}

std::optional<double> MeanOfStrongestFour(const std::vector<double>& cn0s) {
  const std::vector<std::size_t> strongest = StrongestFirst(cn0s, 4);
  if (strongest.empty()) return std::nullopt;
  double sum = 0;
  for (std::size_t i : strongest) sum += cn0s[i];
  return sum / static_cast<double>(strongest.size());
}
