#include "quality/quality_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "acquisition/gps_messages.h"
#include "acquisition/gps_record.h"
#include "nmea/checksum.h"
#include "quality/local_tangent_plane.h"
#include "quality/record_epoch.h"

namespace {

constexpr Geodetic kMark{48.137154, 11.576124, 520.0};

// The position `east`, `north` and `up` metres from `reference`, exactly:
// the local axes turned back into ECEF.
Geodetic Offset(const Geodetic& reference, double east, double north, double up) {
  const CLocalFrame frame(reference);
  const Enu x = frame.Rotate(1, 0, 0), y = frame.Rotate(0, 1, 0), z = frame.Rotate(0, 0, 1);
  const Ecef& o = frame.Origin();
  return GeodeticOfEcef({o.x + east * x.dEast + north * x.dNorth + up * x.dUp,
                         o.y + east * y.dEast + north * y.dNorth + up * y.dUp,
                         o.z + east * z.dEast + north * z.dNorth + up * z.dUp});
}

QualityEpoch FixAt(const Geodetic& position) {
  QualityEpoch epoch;
  epoch.bFix = true;
  epoch.position = position;
  return epoch;
}

TEST(LocalTangentPlaneTest, KnownPointsAndRoundTrip) {
  const Ecef equator = EcefOfGeodetic({0, 0, 0});
  EXPECT_NEAR(equator.x, 6378137.0, 1e-6);
  EXPECT_NEAR(equator.y, 0.0, 1e-6);
  // The semi-minor axis b = a (1 - f).
  EXPECT_NEAR(EcefOfGeodetic({90, 0, 0}).z, 6356752.314245, 1e-5);
  for (const Geodetic& point : {kMark, Geodetic{-33.86, 151.21, 3.0}, Geodetic{89.9999, -120, 10}}) {
    const Geodetic back = GeodeticOfEcef(EcefOfGeodetic(point));
    EXPECT_NEAR(back.dLatitude, point.dLatitude, 1e-9);
    EXPECT_NEAR(back.dLongitude, point.dLongitude, 1e-9);
    EXPECT_NEAR(back.dAltitude, point.dAltitude, 1e-3);
  }
  // One arc-second of latitude is about 30.9 m at 48 degrees.
  const CLocalFrame frame(kMark);
  const Ecef north = EcefOfGeodetic({kMark.dLatitude + 1.0 / 3600, kMark.dLongitude, kMark.dAltitude});
  const Enu local = frame.Rotate(north.x - frame.Origin().x, north.y - frame.Origin().y, north.z - frame.Origin().z);
  EXPECT_NEAR(local.dNorth, 30.89, 0.02);
  EXPECT_NEAR(local.dEast, 0.0, 1e-6);
}

// A circular normal scatter of known sigma: the figures against the
// Rayleigh distribution's analytic values, with the mean as reference and
// with the true point entered as the reference.
TEST(QualityStatisticsTest, CircularNormalScatterMatchesAnalyticValues) {
  constexpr double kSigma = 3.0;
  constexpr double kVerticalSigma = 5.0;
  std::mt19937 random(20261208);
  std::normal_distribution<double> horizontal(0.0, kSigma), vertical(0.0, kVerticalSigma);
  CQualityStatistics statistics;
  for (int i = 0; i < 10000; ++i) {
    const double east = horizontal(random), north = horizontal(random), up = vertical(random);
    statistics.AddEpoch(FixAt(Offset(kMark, east, north, up)), static_cast<std::uint32_t>(i) * 1000);
  }
  const double cep50 = kSigma * std::sqrt(2 * std::log(2.0));
  const double cep95 = kSigma * std::sqrt(-2 * std::log(0.05));
  const double drms2 = 2 * std::sqrt(2.0) * kSigma;
  for (const bool userReference : {false, true}) {
    statistics.SetReference(userReference ? std::optional<Geodetic>(kMark) : std::nullopt);
    const QualityFigures figures = statistics.Figures();
    SCOPED_TRACE(userReference ? "the true point" : "the mean");
    EXPECT_EQ(figures.bUserReference, userReference);
    EXPECT_NEAR(*figures.cep50, cep50, 0.03 * cep50);
    EXPECT_NEAR(*figures.cep95, cep95, 0.03 * cep95);
    EXPECT_NEAR(*figures.drms2, drms2, 0.03 * drms2);
    EXPECT_NEAR(*figures.verticalSigma, kVerticalSigma, 0.03 * kVerticalSigma);
    EXPECT_NEAR(*figures.vertical95, 1.96 * kVerticalSigma, 0.03 * 1.96 * kVerticalSigma);
    EXPECT_NEAR(figures.reference->dLatitude, kMark.dLatitude, 1e-6);
    EXPECT_EQ(figures.nFixes, 10000);
    EXPECT_DOUBLE_EQ(*figures.availability, 100.0);
  }
}

// A page asks for the figures after every fix, and each answer starts from
// the last one; they must be those of a count asked once. The receiver
// jumps 50 m half way (the last answers are then far off) and the
// reference changes from the mean to a mark and back.
TEST(QualityStatisticsTest, FiguresAskedEverySecondAreThoseAskedOnce) {
  std::mt19937 random(8);
  std::normal_distribution<double> metres(0.0, 2.0);
  CQualityStatistics asked;
  CQualityStatistics once;
  for (int i = 0; i < 3000; ++i) {
    const double jump = i < 1500 ? 0.0 : 50.0;
    const QualityEpoch fix = FixAt(Offset(kMark, jump + metres(random), metres(random), metres(random)));
    asked.AddEpoch(fix, static_cast<std::uint32_t>(i) * 1000);
    once.AddEpoch(fix, static_cast<std::uint32_t>(i) * 1000);
    if (i == 2000) asked.SetReference(kMark);
    if (i == 2500) asked.SetReference(std::nullopt);
    const QualityFigures figures = asked.Figures();
    if (i % 250 != 249) continue;
    CQualityStatistics fresh = once;  // never asked: no earlier answer to start from
    fresh.SetReference(asked.UserReference());
    const QualityFigures expected = fresh.Figures();
    SCOPED_TRACE("fix " + std::to_string(i));
    EXPECT_EQ(*figures.cep50, *expected.cep50);
    EXPECT_EQ(*figures.cep95, *expected.cep95);
    EXPECT_EQ(*figures.vertical95, *expected.vertical95);
  }
}

// With a reference away from the fixes, the distances include the offset:
// every fix 10 m east of the mark is 10 m from it, 2DRMS 20 m.
TEST(QualityStatisticsTest, UserReferenceCountsTheBias) {
  CQualityStatistics statistics;
  statistics.SetReference(kMark);
  for (int i = 0; i < 20; ++i) statistics.AddEpoch(FixAt(Offset(kMark, 10, 0, -2)), 0);
  const QualityFigures figures = statistics.Figures();
  EXPECT_NEAR(*figures.cep50, 10.0, 1e-3);
  EXPECT_NEAR(*figures.cep95, 10.0, 1e-3);
  EXPECT_NEAR(*figures.drms2, 20.0, 1e-3);
  EXPECT_NEAR(*figures.vertical95, 2.0, 1e-3);
  statistics.Reset();
  EXPECT_EQ(statistics.UserReference(), kMark);
  EXPECT_FALSE(statistics.Figures().cep50);
}

TEST(QualityStatisticsTest, AvailabilityCountsEpochsWithoutAFix) {
  CQualityStatistics statistics;
  EXPECT_FALSE(statistics.Figures().availability);
  for (int i = 0; i < 200; ++i) {
    const bool gap = (i >= 10 && i < 40) || (i >= 150 && i < 160);
    statistics.AddEpoch(gap ? QualityEpoch{} : FixAt(kMark), static_cast<std::uint32_t>(i) * 1000);
  }
  const QualityFigures figures = statistics.Figures();
  EXPECT_EQ(figures.nEpochs, 200);
  EXPECT_EQ(figures.nFixes, 160);
  EXPECT_DOUBLE_EQ(*figures.availability, 80.0);
}

// A day at 10 Hz: the store keeps at most kKeptSamples fixes spread over the
// whole day, the history ten minutes of one point per second.
TEST(QualityStatisticsTest, MemoryStaysBoundedOverADayAtTenHertz) {
  CQualityStatistics statistics;
  constexpr int kEpochs = 24 * 3600 * 10;
  for (int i = 0; i < kEpochs; ++i) {
    QualityEpoch epoch = FixAt(kMark);
    epoch.nTime = i;
    epoch.nUsed = i % 13;
    statistics.AddEpoch(epoch, static_cast<std::uint32_t>(i) * 100);
  }
  const auto& samples = statistics.Samples();
  EXPECT_LE(samples.size(), CQualityStatistics::kKeptSamples);
  EXPECT_GE(samples.size(), CQualityStatistics::kKeptSamples / 2);
  EXPECT_EQ(samples.front().nTime, 0);
  EXPECT_GT(samples.back().nTime, kEpochs - kEpochs / static_cast<int>(samples.size()) - 1);
  EXPECT_EQ(statistics.History().size(), CQualityStatistics::kHistorySeconds);
  EXPECT_EQ(statistics.History().back().nSecond, (kEpochs - 1) / 10);
}

std::wstring Sentence(const std::string& body) {
  const unsigned sum = NmeaChecksum(body);
  std::wstring line = L"$" + std::wstring(body.begin(), body.end()) + L"*";
  line += NmeaHexDigit(sum >> 4);
  line += NmeaHexDigit(sum);
  return line;
}

// One epoch of two systems, counted by hand: GPS 5 in view (3 used), GLONASS
// 3 in view (1 used), one satellite not tracked. The tracked C/N0s are 44,
// 38, 41, 47, 22, 39, 30: the strongest four 47, 44, 41, 39 average 42.75.
TEST(RecordEpochTest, HandCountedEpoch) {
  CGPSRecord record;
  CFieldArray fields;
  for (const std::string body : {
           "GPGGA,120000.00,4808.2292,N,01134.5674,E,1,04,1.0,520.0,M,47.0,M,,",
           "GNGSA,A,3,02,05,12,,,,,,,,,,1.8,1.0,1.5,1",
           "GNGSA,A,3,70,,,,,,,,,,,,1.8,1.0,1.5,2",
           "GPGSV,2,1,05,02,40,100,44,05,30,200,00,12,50,300,38,15,20,050,41",
           "GPGSV,2,2,05,25,70,150,47",
           "GLGSV,1,1,03,70,30,100,22,71,40,200,39,72,10,300,30",
           "GPRMC,120000.00,A,4808.2292,N,01134.5674,E,0.0,0.0,081226,,,A",
       }) {
    ASSERT_GT(record.DecodeLine(Sentence(body), fields), 0) << body;
  }
  const QualityEpoch epoch = EpochOfRecord(record.Snapshot());
  EXPECT_TRUE(epoch.bFix);
  EXPECT_NEAR(epoch.position.dLatitude, 48.137153, 1e-6);
  EXPECT_NEAR(epoch.position.dLongitude, 11.576123, 1e-6);
  EXPECT_EQ(epoch.position.dAltitude, 520.0);
  ASSERT_TRUE(epoch.strongestFourCn0);
  EXPECT_DOUBLE_EQ(*epoch.strongestFourCn0, 42.75);
  EXPECT_EQ(epoch.systems[1], (SystemCounts{5, 3}));
  EXPECT_EQ(epoch.systems[2], (SystemCounts{3, 1}));
  EXPECT_EQ(epoch.nUsed, 4);

  // An RMC without a position has no fix, whatever the GSA said.
  ASSERT_GT(record.DecodeLine(Sentence("GPRMC,120001.00,V,,,,,,,081226,,,N"), fields), 0);
  EXPECT_FALSE(EpochOfRecord(record.Snapshot()).bFix);
  // A GSA that reports no fix makes a position no fix.
  ASSERT_GT(record.DecodeLine(Sentence("GPRMC,120002.00,A,4808.2292,N,01134.5674,E,0.0,0.0,081226,,,A"), fields), 0);
  EXPECT_TRUE(EpochOfRecord(record.Snapshot()).bFix);
  ASSERT_GT(record.DecodeLine(Sentence("GPGSA,A,1,,,,,,,,,,,,,,,"), fields), 0);
  EXPECT_FALSE(EpochOfRecord(record.Snapshot()).bFix);
}

// A MediaTek receiver after a cold boot (tests/data/mtk-3301.log): before
// its first GSA it sends a placeholder position (latitude 89.6 N) in RMCs
// whose status is V. Those epochs have no fix; the first valid RMC has.
TEST(RecordEpochTest, VoidRmcIsNoFixWithoutAnyGsa) {
  CGPSRecord record;
  CFieldArray fields;
  for (const wchar_t* line : {
           L"$GPGGA,235946.005,8960.000000,N,00000.000000,E,0,0,,137.000,M,13.000,M,,*49",
           L"$GPRMC,235946.005,V,8960.000000,N,00000.000000,E,0.000,0.00,050180,,,N*47",
       }) {
    ASSERT_GT(record.DecodeLine(line, fields), 0) << line;
  }
  EXPECT_FALSE(EpochOfRecord(record.Snapshot()).bFix);
  ASSERT_GT(record.DecodeLine(Sentence("GPRMC,120002.00,A,4808.2292,N,01134.5674,E,0.0,0.0,081226,,,A"), fields), 0);
  EXPECT_TRUE(EpochOfRecord(record.Snapshot()).bFix);
  ASSERT_GT(record.DecodeLine(Sentence("GPRMC,120003.00,V,4808.2292,N,01134.5674,E,0.0,0.0,081226,,,N"), fields), 0);
  EXPECT_FALSE(EpochOfRecord(record.Snapshot()).bFix) << "a stale position marked void";
}

// An RMC before any GGA ends no epoch: its fix has no altitude yet.
TEST(RecordEpochTest, EpochsStartWithTheFirstGga) {
  CEpochFeed feed;
  EXPECT_FALSE(feed.EndsEpoch(kGroupPosition));
  EXPECT_FALSE(feed.EndsEpoch(kGroupSatellites));
  EXPECT_FALSE(feed.EndsEpoch(kGroupAltitude));
  EXPECT_TRUE(feed.EndsEpoch(kGroupPosition));
  EXPECT_FALSE(feed.EndsEpoch(kGroupFix));
  EXPECT_TRUE(feed.EndsEpoch(kGroupPosition));
}

}  // namespace
