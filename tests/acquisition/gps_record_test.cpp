#include "acquisition/gps_record.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "nmea/checksum.h"
#include "resources/string_table.h"
#include "tests/support/demo_record.h"

namespace {

// "$" + body + "*" + the body's checksum in upper-case hexadecimal.
std::wstring Sentence(const std::wstring& body) {
  const std::uint8_t sum = NmeaChecksum(body);
  return L"$" + body + L"*" + static_cast<wchar_t>(NmeaHexDigit(sum >> 4)) + static_cast<wchar_t>(NmeaHexDigit(sum));
}

class DecodeTest : public testing::Test {
 protected:
  int Decode(const std::wstring& line) { return m_record.DecodeLine(line, m_fields); }
  int DecodeCanned(UINT id) { return Decode(FindStringResource(id)); }

  CGPSRecord m_record;
  CFieldArray m_fields;
};

TEST(DegreesTest, ConvertsDegreesAndMinutes) {
  EXPECT_DOUBLE_EQ(Degrees(2411.1630), 24.18605);
  EXPECT_DOUBLE_EQ(Degrees(12036.6100), 120.0 + 36.61 / 60.0);
  EXPECT_EQ(Degrees(0.0), 0.0);
  EXPECT_EQ(Degrees(std::numeric_limits<double>::infinity()), std::numeric_limits<double>::infinity());
}

TEST_F(DecodeTest, CheckSentenceWantsShapeAndUpperCaseChecksum) {
  for (UINT id = IDS_DEMO_GGA; id <= IDS_DEMO_RMC; ++id) {
    EXPECT_TRUE(m_record.CheckSentence(FindStringResource(id))) << "canned sentence " << id;
  }
  const struct {
    std::wstring line;
    BOOL expected;
  } cases[] = {
      {Sentence(L"GPABC"), TRUE},  // 9 characters, the shortest possible
      {L"$GPRMC,013348,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,*1c", FALSE},
      {L"$GPRMC,013348,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,*1C ", FALSE},
      {L"$GPRMC,013348,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,*1D", FALSE},
      {L"$GPRMC,013348,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,", FALSE},
      {L"$GPA*10", FALSE},
      {Sentence(L"GNRMC,013348,A"), FALSE},
      {Sentence(L"GPRMC,01\u20AC"), TRUE},  // characters from the code page count by their code
  };
  for (const auto& c : cases) {
    EXPECT_EQ(m_record.CheckSentence(c.line), c.expected) << "case " << (&c - cases);
  }
}

TEST_F(DecodeTest, CannedSentencesFillTheRecord) {
  EXPECT_EQ(DecodeCanned(IDS_DEMO_GGA), 1);
  EXPECT_EQ(DecodeCanned(IDS_DEMO_GSA), 2);
  EXPECT_EQ(DecodeCanned(IDS_DEMO_GSV1), 3);
  EXPECT_EQ(DecodeCanned(IDS_DEMO_GSV2), 3);
  EXPECT_EQ(DecodeCanned(IDS_DEMO_GSV3), 3);
  EXPECT_EQ(DecodeCanned(IDS_DEMO_RMC), 4);

  const GPSRecordData expected{
      .m_nDate = 90307,
      .m_nTime = 13348,
      .m_dSpeed = 6.10,
      .m_dCourse = 101.50,
      .m_strNS = L"N",
      .m_strEW = L"E",
      .m_dLatitude = Degrees(2411.1630),
      .m_dLongitude = Degrees(12036.6100),
      .m_dAltitude = 0.0,
      .m_nUsedPRN = {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23},
      .m_Satellites = {{1, 6, 157, 10, TRUE},
                       {3, 62, 104, 21, TRUE},
                       {5, 20, 208, 26, TRUE},
                       {7, 56, 57, 25, TRUE},
                       {9, 86, 250, 46, TRUE},
                       {11, 17, 120, 8, TRUE},
                       {13, 89, 164, 49, TRUE},
                       {15, 8, 225, 4, TRUE},
                       {17, 39, 335, 2, TRUE},
                       {19, 80, 104, 11, TRUE},
                       {21, 69, 147, 10, TRUE},
                       {23, 56, 217, 22, TRUE}},
      .m_nFixMode = 3,
      .m_dPDOP = 7.5,
  };
  EXPECT_EQ(m_record.Snapshot(), expected);
}

// Lines that must leave the record exactly as it was.
TEST_F(DecodeTest, DropsWithoutAnyStore) {
  DecodeCanned(IDS_DEMO_GSA);
  DecodeCanned(IDS_DEMO_GSV1);
  DecodeCanned(IDS_DEMO_RMC);
  const GPSRecordData before = m_record.Snapshot();
  const struct {
    std::wstring line;
    int expected;
  } cases[] = {
      {L"$GPRMC,013348,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,*1c", kLineDroppedCheck},
      {L"$GPGGA,", kLineDroppedCheck},
      {L"$GPGGA,*", kLineDroppedCheck},
      {Sentence(L"GPRMC,1,A,2,S,3,W,4,5"), kLineDroppedFields},  // 9 fields
      {Sentence(L"GPGGA,1,2,N,3,E,1,07,2.0"), kLineDroppedFields},
      {Sentence(L"GPGSA,A,3,01,1.0,2.0"), kLineDroppedFields},
      {Sentence(L"GPGSV,3"), kLineDroppedFields},
      {Sentence(L"GPGGA"), kLineNotDecoded},  // head without its comma
      {L"$gpgga,013345,2411.1630,N,12036.6100,E,1,07,2.0,0.0,M,,,,0000*17", kLineNotDecoded},
      {Sentence(L"GNRMC,013348,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"), kLineNotDecoded},
      {Sentence(L"GPGLL,4916.45,N,12311.12,W,225444,A"), kLineNotDecoded},
      {L"", kLineNotDecoded},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Decode(c.line), c.expected) << "case " << (&c - cases);
  }
  EXPECT_EQ(m_record.Snapshot(), before);
}

TEST_F(DecodeTest, GsaReadsThePrnFieldsItHas) {
  EXPECT_EQ(m_record.Snapshot(), GPSRecordData{});  // fix mode 0: nothing before the first $GPGSA
  DecodeCanned(IDS_DEMO_GSA);
  EXPECT_EQ(Decode(Sentence(L"GPGSA,A,2,04,,17,1.9,1.1,1.5")), 2);
  EXPECT_EQ(m_record.Snapshot(), (GPSRecordData{.m_nUsedPRN = {4, 0, 17}, .m_nFixMode = 2, .m_dPDOP = 1.9}));
}

TEST_F(DecodeTest, GsvFillsOnlyTheBlockOfItsMessage) {
  DecodeCanned(IDS_DEMO_GSA);
  DecodeCanned(IDS_DEMO_GSV3);
  GPSRecordData expected = m_record.Snapshot();

  // Message 0 and 4 touch nothing but are still reported.
  EXPECT_EQ(Decode(Sentence(L"GPGSV,3,0,12,02,10,100,30")), 3);
  EXPECT_EQ(Decode(Sentence(L"GPGSV,4,4,13,02,10,100,30")), 3);
  EXPECT_EQ(m_record.Snapshot(), expected);

  // One block (8 fields): entry 8 refilled, 9 to 11 cleared. Its empty SNR
  // field (just before the "*") gives 0; PRN 2 is not among the used ones.
  EXPECT_EQ(Decode(Sentence(L"GPGSV,3,3,09,02,10,100,")), 3);
  expected.m_Satellites[8] = {2, 10.0, 100.0, 0.0, FALSE};
  for (int i = 9; i < 12; ++i) {
    expected.m_Satellites[i] = SatelliteInfo{};
  }
  EXPECT_EQ(m_record.Snapshot(), expected);

  // A fifth block is ignored; an incomplete fourth one is not read.
  EXPECT_EQ(Decode(Sentence(L"GPGSV,3,1,20,01,1,2,3,03,4,5,6,05,7,8,9,07,10,11,12,09,13,14,15")), 3);
  EXPECT_EQ(m_record.Snapshot().m_Satellites[3].nPRN, 7);
  EXPECT_EQ(Decode(Sentence(L"GPGSV,3,2,20,01,1,2,3,03,4,5,6,05,7,8,9,07,10,11")), 3);
  const GPSRecordData after = m_record.Snapshot();
  EXPECT_EQ(after.m_Satellites[6].nPRN, 5);
  EXPECT_EQ(after.m_Satellites[7].nPRN, 0);
}

// bUsed is decided when the satellite's $GPGSV arrives, not later.
TEST_F(DecodeTest, GsvMarksUsedSatellitesAtItsOwnTime) {
  EXPECT_EQ(Decode(Sentence(L"GPGSV,1,1,01,12,45,180,40")), 3);
  EXPECT_EQ(Decode(Sentence(L"GPGSA,A,3,12,,,,,,,,,,,,1.0,1.0,1.0")), 2);
  EXPECT_FALSE(m_record.Snapshot().m_Satellites[0].bUsed);
  EXPECT_EQ(Decode(Sentence(L"GPGSV,1,1,01,12,45,180,40")), 3);
  EXPECT_TRUE(m_record.Snapshot().m_Satellites[0].bUsed);
}

TEST_F(DecodeTest, RmcStoresWhatItGetsWhateverTheStatus) {
  DecodeCanned(IDS_DEMO_RMC);
  EXPECT_EQ(Decode(Sentence(L"GPRMC,,V,,,,,,,,,N")), 4);
  EXPECT_EQ(m_record.Snapshot(), GPSRecordData{}) << "every field of $GPRMC stored empty";

  EXPECT_EQ(Decode(Sentence(L"GPRMC,235959.999,A,8960.000000,S,18000.5,W,1e999,-60,311299")), 4);
  const GPSRecordData expected{
      .m_nDate = 311299,
      .m_nTime = 235959,
      .m_dSpeed = std::numeric_limits<double>::infinity(),
      .m_dCourse = -60.0,
      .m_strNS = L"S",
      .m_strEW = L"W",
      .m_dLatitude = Degrees(8960.0),
      .m_dLongitude = Degrees(18000.5),
  };
  EXPECT_EQ(m_record.Snapshot(), expected);
}

// Demo mode decodes the canned sentence of the received type instead; the
// three canned $GPGSV messages follow the handheld's rand() of a new thread.
TEST_F(DecodeTest, DemoModeSubstitutesCannedSentences) {
  CGPSRecord demo;
  demo.LoadDemoSentences();
  demo.m_bDemo = TRUE;
  std::vector<int> results;
  std::thread([&] {
    const std::wstring lines[] = {
        L"$GPGSA,garbage", L"$GPGSV,x", L"$GPGSV,x", L"$GPGSV,x",
        L"$GPGSV,x",       L"$GPRMC,",  L"$GPGGA,",  L"$GPGLL,4916.45,N,12311.12,W,225444,A*31"};
    for (const std::wstring& line : lines) {
      results.push_back(demo.DecodeLine(line, m_fields));
    }
  }).join();
  EXPECT_EQ(results, (std::vector<int>{2, 3, 3, 3, 3, 4, 1, kLineNotDecoded}));
  // rand() gives 41, 18467, 6334, 26500: messages 1, 2, 1, 3, so all are filled.
  DecodeCanned(IDS_DEMO_GSA);
  DecodeCanned(IDS_DEMO_GSV1);
  DecodeCanned(IDS_DEMO_GSV2);
  DecodeCanned(IDS_DEMO_GSV3);
  DecodeCanned(IDS_DEMO_RMC);
  DecodeCanned(IDS_DEMO_GGA);
  EXPECT_EQ(demo.Snapshot(), m_record.Snapshot());

  CGPSRecord unloaded;
  unloaded.m_bDemo = TRUE;
  EXPECT_EQ(unloaded.DecodeLine(FindStringResource(IDS_DEMO_RMC), m_fields), kLineDroppedCheck);
}

TEST(RawTextTest, KeepsTheLastCharactersOfTheLines) {
  CGPSRecord record;
  record.AppendRawText(L"$GPGGA,1", 1024);
  record.AppendRawText(L"", 1024);
  EXPECT_EQ(record.Snapshot().m_strRawText, L"$GPGGA,1\r\n\r\n");
  for (int i = 0; i < 100; ++i) {
    record.AppendRawText(std::wstring(20, static_cast<wchar_t>(L'A' + i % 26)), 1024);
  }
  const std::wstring raw = record.Snapshot().m_strRawText;
  ASSERT_EQ(raw.size(), 1024u);
  EXPECT_EQ(raw.substr(1024 - 22), std::wstring(20, L'V') + L"\r\n");
}

// A reader on another thread sees each sentence whole or not at all.
TEST(SnapshotTest, NeverShowsHalfASentence) {
  CGPSRecord record;
  const std::wstring north = Sentence(L"GPRMC,010101,A,1000.0,N,02000.0,E,1.0,10.0,010107");
  const std::wstring south = Sentence(L"GPRMC,020202,A,3000.0,S,04000.0,W,2.0,20.0,020207");
  std::atomic<bool> done{false};
  std::thread writer([&] {
    CFieldArray fields;
    for (int i = 0; i < 20000; ++i) {
      record.DecodeLine(i % 2 == 0 ? north : south, fields);
      record.AppendRawText(i % 2 == 0 ? north : south, 1024);
    }
    done = true;
  });
  int inconsistent = 0;
  while (!done) {
    const GPSRecordData s = record.Snapshot();
    const bool isNorth = s.m_strNS == L"N" && s.m_strEW == L"E" && s.m_nTime == 10101 && s.m_dSpeed == 1.0 &&
                         s.m_dLatitude == 10.0 && s.m_nDate == 10107;
    const bool isSouth = s.m_strNS == L"S" && s.m_strEW == L"W" && s.m_nTime == 20202 && s.m_dSpeed == 2.0 &&
                         s.m_dLatitude == 30.0 && s.m_nDate == 20207;
    const bool isEmpty = s.m_strNS.empty() && s.m_nTime == 0;
    inconsistent += (isNorth || isSouth || isEmpty) ? 0 : 1;
    EXPECT_LE(s.m_strRawText.size(), 1024u);
  }
  writer.join();
  EXPECT_EQ(inconsistent, 0);
}

}  // namespace
