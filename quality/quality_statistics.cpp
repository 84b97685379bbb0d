#include "quality/quality_statistics.h"

#include <algorithm>
#include <cmath>

namespace {

// The nearest-rank percentile: the smallest value that at least `fraction`
// of `values` do not exceed. Reorders `values`. `guess` (the last answer,
// or 0 for none) saves work when the answer has moved little since, as it
// does from one second to the next over thousands of fixes: the values
// within a tenth of it are set apart and, when the answer's rank falls among
// them, only they are ordered. The answer is exact either way.
double Percentile(std::vector<double>& values, double fraction, double guess) {
  const auto n = static_cast<double>(values.size());
  auto rank = static_cast<std::size_t>(std::ceil(fraction * n));
  rank = std::clamp<std::size_t>(rank, 1, values.size());
  if (guess > 0.0 && values.size() >= 256) {
    const double low = guess * 0.9;
    const double high = guess * 1.1;
    std::size_t below = 0;
    std::vector<double> near;
    near.reserve(values.size() / 4);
    for (const double value : values) {
      if (value < low) {
        ++below;
      } else if (value <= high) {
        near.push_back(value);
      }
    }
    if (below < rank && rank <= below + near.size()) {
      auto nth = near.begin() + static_cast<std::ptrdiff_t>(rank - below - 1);
      std::nth_element(near.begin(), nth, near.end());
      return *nth;
    }
  }
  auto nth = values.begin() + static_cast<std::ptrdiff_t>(rank - 1);
  std::nth_element(values.begin(), nth, values.end());
  return *nth;
}

// v^T M v for the symmetric 3x3 matrix M.
double Quadratic(const double (&m)[3][3], const double (&v)[3]) {
  double sum = 0.0;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) sum += v[i] * m[i][j] * v[j];
  }
  return sum;
}

}  // namespace

void CQualityStatistics::AddEpoch(const QualityEpoch& epoch, std::uint32_t nTickMs) {
  ++m_nEpochs;
  if (epoch.bFix) {
    const Ecef point = EcefOfGeodetic(epoch.position);
    if (m_nFixes == 0) m_origin = point;
    const double offset[3] = {point.x - m_origin.x, point.y - m_origin.y, point.z - m_origin.z};
    ++m_nFixes;
    double before[3];
    for (int i = 0; i < 3; ++i) {
      before[i] = offset[i] - m_mean[i];
      m_mean[i] += before[i] / static_cast<double>(m_nFixes);
    }
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) m_comoment[i][j] += before[i] * (offset[j] - m_mean[j]);
    }
    Keep({offset[0], offset[1], offset[2]}, epoch);
  }

  m_lastCn0 = epoch.strongestFourCn0;
  if (epoch.strongestFourCn0) {
    m_cn0Sum += *epoch.strongestFourCn0;
    ++m_nCn0Epochs;
  }
  m_lastSystems = epoch.systems;
  for (int i = 0; i < kQualitySystems; ++i) {
    m_inViewSum[i] += epoch.systems[i].nInView;
    m_usedSum[i] += epoch.systems[i].nUsed;
  }

  // One point per second: a later epoch of the same second replaces it.
  const std::uint32_t second = nTickMs / 1000;
  const HistoryPoint point{second, epoch.strongestFourCn0, epoch.nUsed};
  if (!m_history.empty() && m_history.back().nSecond == second) {
    m_history.back() = point;
  } else {
    m_history.push_back(point);
  }
  while (second - m_history.front().nSecond >= kHistorySeconds) m_history.pop_front();
}

void CQualityStatistics::Keep(const Ecef& offset, const QualityEpoch& epoch) {
  if ((m_nFixes - 1) % m_nStride != 0) return;
  m_samples.push_back({offset.x, offset.y, offset.z, epoch.nDate, epoch.nTime});
  if (m_samples.size() < kKeptSamples) return;
  // Full: keep the fixes at even multiples of the stride, and from now on
  // only those.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < m_samples.size(); i += 2) m_samples[kept++] = m_samples[i];
  m_samples.resize(kept);
  m_nStride *= 2;
}

void CQualityStatistics::Reset() {
  const std::optional<Geodetic> reference = m_userReference;
  *this = CQualityStatistics();
  m_userReference = reference;
}

void CQualityStatistics::SetReference(const std::optional<Geodetic>& reference) { m_userReference = reference; }

Geodetic CQualityStatistics::PositionOf(const QualitySample& sample) const {
  return GeodeticOfEcef({m_origin.x + sample.dx, m_origin.y + sample.dy, m_origin.z + sample.dz});
}

QualityFigures CQualityStatistics::Figures(std::vector<Enu>* points) const {
  QualityFigures figures;
  figures.nEpochs = m_nEpochs;
  figures.nFixes = m_nFixes;
  figures.nKeptSamples = m_samples.size();
  if (m_nEpochs > 0) figures.availability = 100.0 * static_cast<double>(m_nFixes) / static_cast<double>(m_nEpochs);
  figures.strongestFourCn0 = m_lastCn0;
  if (m_nCn0Epochs > 0) figures.meanStrongestFourCn0 = m_cn0Sum / static_cast<double>(m_nCn0Epochs);
  figures.systems = m_lastSystems;
  for (int i = 0; i < kQualitySystems && m_nEpochs > 0; ++i) {
    figures.meanInView[i] = static_cast<double>(m_inViewSum[i]) / static_cast<double>(m_nEpochs);
    figures.meanUsed[i] = static_cast<double>(m_usedSum[i]) / static_cast<double>(m_nEpochs);
  }
  if (points != nullptr) points->clear();

  figures.bUserReference = m_userReference.has_value();
  if (m_userReference) {
    figures.reference = m_userReference;
  } else if (m_nFixes > 0) {
    figures.reference = GeodeticOfEcef({m_origin.x + m_mean[0], m_origin.y + m_mean[1], m_origin.z + m_mean[2]});
  }
  if (m_nFixes == 0 || !figures.reference) return figures;

  const CLocalFrame frame(*figures.reference);
  // The reference as an offset from the first fix.
  const double ref[3] = {frame.Origin().x - m_origin.x, frame.Origin().y - m_origin.y, frame.Origin().z - m_origin.z};

  // The second moments about the reference: the co-moment over the count,
  // plus the mean's distance from the reference (zero for the mean itself).
  double moment[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      moment[i][j] = m_comoment[i][j] / static_cast<double>(m_nFixes) + (m_mean[i] - ref[i]) * (m_mean[j] - ref[j]);
    }
  }
  const Enu east = frame.Rotate(1, 0, 0), north = frame.Rotate(0, 1, 0), up = frame.Rotate(0, 0, 1);
  const double eastAxis[3] = {east.dEast, north.dEast, up.dEast};
  const double northAxis[3] = {east.dNorth, north.dNorth, up.dNorth};
  const double upAxis[3] = {east.dUp, north.dUp, up.dUp};
  const double varEast = std::max(0.0, Quadratic(moment, eastAxis));
  const double varNorth = std::max(0.0, Quadratic(moment, northAxis));
  figures.sigmaEast = std::sqrt(varEast);
  figures.sigmaNorth = std::sqrt(varNorth);
  figures.drms2 = 2.0 * std::sqrt(varEast + varNorth);
  figures.verticalSigma = std::sqrt(std::max(0.0, Quadratic(moment, upAxis)));

  // The horizontal percentiles are taken of the squared distances (the
  // order is the same) and only the two chosen ones are rooted: this runs
  // once a second over up to kKeptSamples fixes while the page is in front.
  std::vector<double> horizontalSquared;
  std::vector<double> vertical;
  horizontalSquared.reserve(m_samples.size());
  vertical.reserve(m_samples.size());
  if (points != nullptr) points->reserve(m_samples.size());
  for (const QualitySample& sample : m_samples) {
    const Enu local = frame.Rotate(sample.dx - ref[0], sample.dy - ref[1], sample.dz - ref[2]);
    horizontalSquared.push_back(local.dEast * local.dEast + local.dNorth * local.dNorth);
    vertical.push_back(std::abs(local.dUp));
    if (points != nullptr) points->push_back(local);
  }
  m_percentileGuess[0] = Percentile(horizontalSquared, 0.50, m_percentileGuess[0]);
  m_percentileGuess[1] = Percentile(horizontalSquared, 0.95, m_percentileGuess[1]);
  m_percentileGuess[2] = Percentile(vertical, 0.95, m_percentileGuess[2]);
  figures.cep50 = std::sqrt(m_percentileGuess[0]);
  figures.cep95 = std::sqrt(m_percentileGuess[1]);
  figures.vertical95 = m_percentileGuess[2];
  return figures;
}
