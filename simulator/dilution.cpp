#include "simulator/dilution.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace sim {

namespace {

constexpr int kMaxUnknowns = 4;
constexpr double kMaxDop = 99.9;
using Matrix = std::array<std::array<double, kMaxUnknowns>, kMaxUnknowns>;

// Inverts the leading n x n block of m in place (Gauss-Jordan with partial
// pivoting). False when the block is singular.
bool Invert(Matrix& m, int n) {
  Matrix inv{};
  for (int i = 0; i < n; ++i) inv[i][i] = 1.0;
  for (int col = 0; col < n; ++col) {
    int pivot = col;
    for (int row = col + 1; row < n; ++row)
      if (std::fabs(m[row][col]) > std::fabs(m[pivot][col])) pivot = row;
    if (std::fabs(m[pivot][col]) < 1e-9) return false;
    std::swap(m[col], m[pivot]);
    std::swap(inv[col], inv[pivot]);
    const double scale = m[col][col];
    for (int k = 0; k < n; ++k) {
      m[col][k] /= scale;
      inv[col][k] /= scale;
    }
    for (int row = 0; row < n; ++row) {
      if (row == col) continue;
      const double factor = m[row][col];
      for (int k = 0; k < n; ++k) {
        m[row][k] -= factor * m[col][k];
        inv[row][k] -= factor * inv[col][k];
      }
    }
  }
  m = inv;
  return true;
}

double Capped(double value) { return std::min(std::sqrt(std::max(value, 0.0)), kMaxDop); }

}  // namespace

Dilution ComputeDilution(const std::vector<SatelliteView>& satellites, int fix_mode) {
  if (fix_mode < 2) return {};
  // Unknowns: east, north, (up,) receiver clock. Each used satellite adds
  // its line-of-sight row to the normal matrix G^T G.
  const int n = fix_mode == 3 ? 4 : 3;
  Matrix normal{};
  int rows = 0;
  for (const SatelliteView& sat : satellites) {
    if (!sat.used) continue;
    const double el = sat.elevation * std::numbers::pi / 180.0;
    const double az = sat.azimuth * std::numbers::pi / 180.0;
    std::array<double, kMaxUnknowns> g{std::cos(el) * std::sin(az), std::cos(el) * std::cos(az), 0.0, 0.0};
    if (n == 4) {
      g[2] = std::sin(el);
      g[3] = 1.0;
    } else {
      g[2] = 1.0;
    }
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) normal[i][j] += g[i] * g[j];
    ++rows;
  }
  if (rows < n || !Invert(normal, n)) return {};
  Dilution dop;
  dop.hdop = Capped(normal[0][0] + normal[1][1]);
  if (n == 4) {
    dop.pdop = Capped(normal[0][0] + normal[1][1] + normal[2][2]);
    dop.vdop = Capped(normal[2][2]);
  } else {
    dop.pdop = dop.hdop;
  }
  return dop;
}

}  // namespace sim
