// The positioning quality of a session: how the fixes scatter around a
// reference (CEP50, CEP95, 2DRMS, the vertical spread), how often there is a
// fix, and the signal strength per epoch, with a ten-minute history.
//
// Memory stays bounded whatever the session's length: the moments behind
// the mean, the standard deviations and 2DRMS are exact running sums over
// every fix; the percentiles (CEP50, CEP95, the vertical 95th percentile)
// come from a store of at most kKeptSamples fixes, evenly spread over the
// session: when it fills, every second one is dropped and from then on only
// every second fix is kept (24 hours at 10 Hz keep one fix in 64). The
// percentiles need the distances to a reference that moves with the mean,
// which is why the positions are kept and not the distances. The history
// keeps one point per second for ten minutes.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "quality/local_tangent_plane.h"

// The satellite systems counted apart: kSystemUnknown to kSystemNavIC of
// acquisition/gnss_system.h.
constexpr int kQualitySystems = 8;

struct SystemCounts {
  int nInView = 0;
  int nUsed = 0;

  bool operator==(const SystemCounts&) const = default;
};

// One epoch as the figures read it.
struct QualityEpoch {
  bool bFix = false;  // the receiver reported a valid fix
  Geodetic position;  // the fix, when bFix
  int nDate = 0;      // UTC ddmmyy and hhmmss as received, for the export
  int nTime = 0;
  std::optional<double> strongestFourCn0;  // dB-Hz; nothing when no satellite is tracked
  std::array<SystemCounts, kQualitySystems> systems{};
  int nUsed = 0;  // satellites used, every system
};

struct QualityFigures {
  long long nEpochs = 0;
  long long nFixes = 0;
  std::optional<double> availability;  // percent of epochs with a fix
  std::optional<Geodetic> reference;   // the user's point, or the mean once there is a fix
  bool bUserReference = false;
  std::optional<double> cep50;  // metres
  std::optional<double> cep95;
  std::optional<double> drms2;
  std::optional<double> sigmaEast;
  std::optional<double> sigmaNorth;
  std::optional<double> verticalSigma;
  std::optional<double> vertical95;
  std::optional<double> strongestFourCn0;               // the last epoch's
  std::optional<double> meanStrongestFourCn0;           // over the epochs that had one
  std::array<SystemCounts, kQualitySystems> systems{};  // the last epoch's
  std::array<double, kQualitySystems> meanInView{};     // over every epoch
  std::array<double, kQualitySystems> meanUsed{};
  std::size_t nKeptSamples = 0;
};

// A kept fix: its ECEF offset from the first fix, its time as received.
struct QualitySample {
  double dx = 0.0;
  double dy = 0.0;
  double dz = 0.0;
  int nDate = 0;
  int nTime = 0;
};

struct HistoryPoint {
  std::uint32_t nSecond = 0;  // the tick's second
  std::optional<double> cn0;  // the strongest four's mean, dB-Hz
  int nUsed = 0;
};

class CQualityStatistics {
 public:
  static constexpr std::size_t kKeptSamples = 16384;
  static constexpr std::uint32_t kHistorySeconds = 600;

  // Counts the epoch; `nTickMs` (the clock's milliseconds) places it in
  // the history.
  void AddEpoch(const QualityEpoch& epoch, std::uint32_t nTickMs);
  // Forgets every epoch; the user's reference stays.
  void Reset();
  // The user's reference point, or nothing for the mean of the fixes.
  void SetReference(const std::optional<Geodetic>& reference);
  const std::optional<Geodetic>& UserReference() const { return m_userReference; }

  // The figures. `points`, when given, receives the kept fixes' east, north
  // and up offsets from the reference, oldest first.
  QualityFigures Figures(std::vector<Enu>* points = nullptr) const;

  const std::vector<QualitySample>& Samples() const { return m_samples; }
  // The kept fix as a position.
  Geodetic PositionOf(const QualitySample& sample) const;
  const std::deque<HistoryPoint>& History() const { return m_history; }
  long long Epochs() const { return m_nEpochs; }

 private:
  void Keep(const Ecef& offset, const QualityEpoch& epoch);

  std::optional<Geodetic> m_userReference;
  long long m_nEpochs = 0;
  long long m_nFixes = 0;
  Ecef m_origin;  // the first fix since the reset; offsets are from it
  // Welford's running mean and co-moment of the offsets: exact over every fix.
  double m_mean[3] = {};
  double m_comoment[3][3] = {};
  std::vector<QualitySample> m_samples;
  long long m_nStride = 1;  // every m_nStride-th fix is kept
  std::optional<double> m_lastCn0;
  double m_cn0Sum = 0.0;
  long long m_nCn0Epochs = 0;
  std::array<SystemCounts, kQualitySystems> m_lastSystems{};
  std::array<long long, kQualitySystems> m_inViewSum{};
  std::array<long long, kQualitySystems> m_usedSum{};
  std::deque<HistoryPoint> m_history;
  // The last squared CEP50 and CEP95 and vertical 95th percentile: where
  // the next ones are looked for first (a page asks once a second).
  mutable std::array<double, 3> m_percentileGuess{};
};
