#include "acquisition/gps_record.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/field_array.h"
#include "acquisition/gnss_system.h"
#include "nmea/checksum.h"
#include "platform/core/numbers.h"
#include "resources/string_table.h"
#include "tests/support/demo_record.h"

namespace {

// "$" + body + "*" + the body's checksum in upper-case hexadecimal.
std::wstring Sentence(const std::wstring& body) {
  const std::uint8_t sum = NmeaChecksum(body);
  return L"$" + body + L"*" + static_cast<wchar_t>(NmeaHexDigit(sum >> 4)) + static_cast<wchar_t>(NmeaHexDigit(sum));
}

// The handheld's decoding: $GP only, into the 12-entry tables.
class DecodeTest : public testing::Test {
 protected:
  DecodeTest() { m_record.SetGpsOnly(TRUE); }
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
      .m_Satellites = {{1, 6, 157, 10, TRUE, kSystemGPS},
                       {3, 62, 104, 21, TRUE, kSystemGPS},
                       {5, 20, 208, 26, TRUE, kSystemGPS},
                       {7, 56, 57, 25, TRUE, kSystemGPS},
                       {9, 86, 250, 46, TRUE, kSystemGPS},
                       {11, 17, 120, 8, TRUE, kSystemGPS},
                       {13, 89, 164, 49, TRUE, kSystemGPS},
                       {15, 8, 225, 4, TRUE, kSystemGPS},
                       {17, 39, 335, 2, TRUE, kSystemGPS},
                       {19, 80, 104, 11, TRUE, kSystemGPS},
                       {21, 69, 147, 10, TRUE, kSystemGPS},
                       {23, 56, 217, 22, TRUE, kSystemGPS}},
      .m_nFixMode = 3,
      .m_dPDOP = 7.5,
      .m_bGpsOnly = TRUE,
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
  EXPECT_EQ(m_record.Snapshot(), GPSRecordData{.m_bGpsOnly = TRUE});  // fix mode 0: nothing before the first $GPGSA
  DecodeCanned(IDS_DEMO_GSA);
  EXPECT_EQ(Decode(Sentence(L"GPGSA,A,2,04,,17,1.9,1.1,1.5")), 2);
  EXPECT_EQ(m_record.Snapshot(),
            (GPSRecordData{.m_nUsedPRN = {4, 0, 17}, .m_nFixMode = 2, .m_dPDOP = 1.9, .m_bGpsOnly = TRUE}));
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
  expected.m_Satellites[8] = {2, 10.0, 100.0, 0.0, FALSE, kSystemGPS};
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

// The last message of a sequence clears the entries after its own, so that
// satellites that have set leave the table; other messages do not.
TEST_F(DecodeTest, LastGsvMessageClearsTheSatellitesThatHaveSet) {
  const struct {
    std::wstring line;
    int emptyFrom, emptyTo;  // entries emptyFrom to emptyTo - 1 are empty afterwards, no other
  } cases[] = {
      {L"$GPGSV,1,1,00*79", 0, 12},
      {Sentence(L"GPGSV,1,1,02,04,10,100,30,05,20,200,35"), 2, 12},
      {Sentence(L"GPGSV,2,2,05,04,10,100,30"), 5, 12},
      {Sentence(L"GPGSV,3,2,09,04,10,100,30"), 5, 8},  // not the last message
      {Sentence(L"GPGSV,3,3,12,04,10,100,30,05,20,200,35,06,30,300,40,07,40,40,45"), 12, 12},
  };
  for (const auto& c : cases) {
    DecodeCanned(IDS_DEMO_GSV1);
    DecodeCanned(IDS_DEMO_GSV2);
    DecodeCanned(IDS_DEMO_GSV3);
    EXPECT_EQ(Decode(c.line), 3);
    const GPSRecordData record = m_record.Snapshot();
    for (int i = 0; i < kSatelliteCount; ++i) {
      EXPECT_EQ(record.m_Satellites[i].nPRN == 0, i >= c.emptyFrom && i < c.emptyTo)
          << "case " << (&c - cases) << " entry " << i;
    }
  }
}

// NMEA 4.10 puts the system ID after VDOP: PDOP is then field 15.
TEST_F(DecodeTest, GsaOfNineteenFieldsTakesPdopFromField15) {
  const struct {
    std::wstring line;
    double pdop;
  } cases[] = {
      {Sentence(L"GPGSA,A,3,01,03,,,,,,,,,,,2.5,1.3,2.1"), 2.5},
      {Sentence(L"GPGSA,A,3,01,03,,,,,,,,,,,2.5,1.3,2.1,1"), 2.5},
      {Sentence(L"GPGSA,A,3,01,03,2.5,1.3,2.1"), 2.5},
      {Sentence(L"GPGSA,A,3,01,03,,,,,,,,,,,,,2.5,1.3,2.1"), 2.5},  // 20 fields: third from the end
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Decode(c.line), 2);
    EXPECT_EQ(m_record.Snapshot().m_dPDOP, c.pdop) << "case " << (&c - cases);
  }
}

// Every talker, merged: the default decoding.
class MultiSystemDecodeTest : public testing::Test {
 protected:
  void DecodeAll(std::initializer_list<std::wstring> bodies) {
    for (const std::wstring& body : bodies) {
      EXPECT_GT(m_record.DecodeLine(Sentence(body), m_fields), 0) << std::string(body.begin(), body.end());
    }
  }
  const SatelliteInfo* Find(const GPSRecordData& record, int nSystem, int nPRN) {
    for (int i = 0; i < record.m_nSkyCount; ++i) {
      if (record.m_Sky[i].nSystem == nSystem && record.m_Sky[i].nPRN == nPRN) return &record.m_Sky[i];
    }
    return nullptr;
  }

  CGPSRecord m_record;
  CFieldArray m_fields;
};

TEST_F(MultiSystemDecodeTest, AGnReceiverGivesPositionFixAndOneSky) {
  DecodeAll({
      L"GNRMC,083559.00,A,4717.11437,N,00833.91522,E,0.004,77.52,091202,,,A,V",
      L"GNGGA,083559.00,4717.11437,N,00833.91522,E,1,08,1.01,499.6,M,48.0,M,,",
      L"GNGSA,A,3,05,12,,,,,,,,,,,1.94,1.18,1.54,1", L"GNGSA,A,3,70,,,,,,,,,,,,1.94,1.18,1.54,2",
      L"GNGSA,A,3,05,,,,,,,,,,,,1.94,1.18,1.54,3", L"GPGSV,1,1,03,05,40,100,44,12,20,200,38,129,30,150,33,1",
      L"GLGSV,1,1,02,70,50,300,41,71,10,20,,1", L"GAGSV,1,1,02,05,60,60,39,11,15,250,30,7",
      L"GAGSV,1,1,01,05,60,60,45,2",  // the same Galileo satellite on a second signal
  });
  const GPSRecordData record = m_record.Snapshot();
  EXPECT_EQ(record.m_nDate, 91202);
  EXPECT_EQ(record.m_nTime, 83559);
  EXPECT_EQ(record.m_strNS, L"N");
  EXPECT_DOUBLE_EQ(record.m_dLatitude, Degrees(4717.11437));
  EXPECT_EQ(record.m_dAltitude, 499.6);
  EXPECT_EQ(record.m_nFixMode, 3);
  EXPECT_EQ(record.m_dPDOP, 1.94);
  ASSERT_EQ(record.m_nUsedCount, 4);
  const int usedPRNs[] = {5, 12, 70, 5};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(record.m_nUsedPRNs[i], usedPRNs[i]) << i;

  const struct {
    int system, prn;
    BOOL used;
    double snr;
  } sky[] = {
      {kSystemGPS, 5, TRUE, 44},       {kSystemGPS, 12, TRUE, 38},     {kSystemSBAS, 129, FALSE, 33},
      {kSystemGLONASS, 70, TRUE, 41},  {kSystemGLONASS, 71, FALSE, 0}, {kSystemGalileo, 5, TRUE, 45},
      {kSystemGalileo, 11, FALSE, 30},
  };
  ASSERT_EQ(record.m_nSkyCount, 7);
  for (const auto& s : sky) {
    const SatelliteInfo* found = Find(record, s.system, s.prn);
    ASSERT_NE(found, nullptr) << s.system << " " << s.prn;
    EXPECT_EQ(found->bUsed, s.used) << s.system << " " << s.prn;
    EXPECT_EQ(found->dSNR, s.snr) << s.system << " " << s.prn;
  }
}

// A completed sequence replaces its talker's satellites; messages before the
// last do not touch the sky.
TEST_F(MultiSystemDecodeTest, SatellitesThatSetLeaveTheSky) {
  DecodeAll({
      L"GPGSV,2,1,05,01,10,10,30,02,20,20,31,03,30,30,32,04,40,40,33",
      L"GPGSV,2,2,05,06,50,50,34",
      L"GLGSV,1,1,01,70,50,300,41",
  });
  EXPECT_EQ(m_record.Snapshot().m_nSkyCount, 6);
  DecodeAll({L"GPGSV,2,1,05,01,10,10,30,02,20,20,31,03,30,30,32,04,40,40,33"});
  EXPECT_EQ(m_record.Snapshot().m_nSkyCount, 6);
  DecodeAll({L"GPGSV,1,1,02,01,10,10,30,02,20,20,31"});
  GPSRecordData record = m_record.Snapshot();
  EXPECT_EQ(record.m_nSkyCount, 3);
  EXPECT_EQ(Find(record, kSystemGPS, 6), nullptr);
  EXPECT_NE(Find(record, kSystemGLONASS, 70), nullptr);
  EXPECT_EQ(m_record.DecodeLine(L"$GPGSV,1,1,00*79", m_fields), 3);
  DecodeAll({L"GLGSV,1,1,00"});
  record = m_record.Snapshot();
  EXPECT_EQ(record.m_nSkyCount, 0);
  EXPECT_EQ(record.m_Sky[0].nPRN, 0);
}

// A sequence that never ends, with new satellites in every message, holds
// sixteen messages' worth; its end keeps those, and a sequence of a talker
// after it still completes.
TEST_F(MultiSystemDecodeTest, AnEndlessGsvSequenceStaysBounded) {
  for (int message = 1; message <= 5000; ++message) {
    const int prn = message % 32 + 1;
    DecodeAll({L"GPGSV,2147483647," + std::to_wstring(message) + L",99," + std::to_wstring(prn) + L",10,10,30"});
  }
  DecodeAll({L"GPGSV,2147483647,2147483647,99,01,10,10,30"});
  EXPECT_EQ(m_record.Snapshot().m_nSkyCount, 16) << "the satellites of messages 1 to 16, one each";
  DecodeAll({L"GLGSV,1,1,01,70,50,300,41"});
  EXPECT_EQ(m_record.Snapshot().m_nSkyCount, 17);
}

// Numbers too large for a double are invalid fields, read as empty ones.
TEST_F(MultiSystemDecodeTest, NumbersBeyondADoubleReadAsEmptyFields) {
  DecodeAll({L"GNRMC,083559.00,A,1e999,N,00833.91522,E,1e999,1e400,091202,,,A",
             L"GNGGA,083559.00,4717.11437,N,00833.91522,E,1,08,1.01,-1e999,M,48.0,M,,",
             L"GNGSA,A,3,05,12,,,,,,,,,,,1e999,1.18,1.54", L"GPGSV,1,1,01,05,1e999,100,1e999"});
  const GPSRecordData record = m_record.Snapshot();
  EXPECT_EQ(record.m_dLatitude, 0.0);
  EXPECT_EQ(record.m_dSpeed, 0.0);
  EXPECT_EQ(record.m_dCourse, 0.0);
  EXPECT_EQ(record.m_dAltitude, 0.0);
  EXPECT_EQ(record.m_dPDOP, 0.0);
  ASSERT_EQ(record.m_nSkyCount, 1);
  EXPECT_EQ(record.m_Sky[0].dElevation, 0.0);
  EXPECT_EQ(record.m_Sky[0].dSNR, 0.0);
}

// Consecutive GSA sentences form one set; any other line ends it.
TEST_F(MultiSystemDecodeTest, GsaSetsStartAfterAnyOtherLine) {
  DecodeAll({L"GNGSA,A,3,05,12,,,,,,,,,,,2.0,1.0,1.7", L"GNGSA,A,3,70,71,,,,,,,,,,,2.0,1.0,1.7"});
  EXPECT_EQ(m_record.Snapshot().m_nUsedCount, 4);
  DecodeAll({L"GNGGA,083559.00,4717.11437,N,00833.91522,E,1,08,1.01,499.6,M,48.0,M,,",
             L"GNGSA,A,2,07,,,,,,,,,,,,3.0,1.0,2.8"});
  GPSRecordData record = m_record.Snapshot();
  EXPECT_EQ(record.m_nUsedCount, 1);
  EXPECT_EQ(record.m_nUsedPRN[0], 7);
  EXPECT_EQ(record.m_nUsedPRN[1], 0);
  EXPECT_EQ(record.m_nFixMode, 2);
  EXPECT_EQ(record.m_dPDOP, 3.0);
  m_record.DecodeLine(L"$PUBX,00*33", m_fields);
  DecodeAll({L"GPGSA,A,3,01,,,,,,,,,,,,1.5,1.0,1.1", L"GLGSA,A,3,01,,,,,,,,,,,,1.5,1.0,1.1"});
  record = m_record.Snapshot();
  ASSERT_EQ(record.m_nUsedCount, 2);  // GPS 1 and GLONASS 1 are two satellites
  EXPECT_EQ(record.m_Used[1].nSystem, kSystemGLONASS);
  // The first GSA keeps its PRNs at their places, as the handheld's table.
  m_record.DecodeLine(L"$PUBX,00*33", m_fields);
  DecodeAll({L"GPGSA,A,3,20,,,13,,,,,,,,,1.5,1.0,1.1", L"GLGSA,A,3,,70,,,,,,,,,,,1.5,1.0,1.1"});
  record = m_record.Snapshot();
  const int used[] = {20, 0, 0, 13, 70, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(record.m_nUsedPRNs[i], used[i]) << i;
  EXPECT_EQ(record.m_nUsedCount, 5);
}

TEST_F(MultiSystemDecodeTest, GpsOnlyLeavesOtherTalkersAlone) {
  m_record.SetGpsOnly(TRUE);
  const std::wstring rmc = Sentence(L"GNRMC,083559.00,A,4717.11437,N,00833.91522,E,0.004,77.52,091202,,,A,V");
  EXPECT_FALSE(m_record.CheckSentence(rmc));
  EXPECT_EQ(m_record.DecodeLine(rmc, m_fields), kLineNotDecoded);
  EXPECT_EQ(m_record.DecodeLine(Sentence(L"GLGSV,1,1,01,70,50,300,41"), m_fields), kLineNotDecoded);
  m_record.SetGpsOnly(FALSE);
  EXPECT_TRUE(m_record.CheckSentence(rmc));
  EXPECT_FALSE(m_record.CheckSentence(Sentence(L"GnRMC,1,2")));
  EXPECT_EQ(m_record.DecodeLine(Sentence(L"Gnrmc,1,2,3,4,5,6,7,8,9"), m_fields), kLineNotDecoded);
  EXPECT_EQ(m_record.DecodeLine(rmc, m_fields), 4);
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
  EXPECT_EQ(m_record.Snapshot(), (GPSRecordData{.m_bPositionVoid = true, .m_bGpsOnly = TRUE}))
      << "every field of $GPRMC stored empty, the position marked void";

  EXPECT_EQ(Decode(Sentence(L"GPRMC,235959.999,A,8960.000000,S,18000.5,W,1e999,-60,311299")), 4);
  const GPSRecordData expected{
      .m_nDate = 311299,
      .m_nTime = 235959,
      .m_dSpeed = 0.0,  // beyond a double: an invalid field, read as an empty one
      .m_dCourse = -60.0,
      .m_strNS = L"S",
      .m_strEW = L"W",
      .m_dLatitude = Degrees(8960.0),
      .m_dLongitude = Degrees(18000.5),
      .m_bGpsOnly = TRUE,
  };
  EXPECT_EQ(m_record.Snapshot(), expected);
}

// Demo mode decodes the canned sentence of the received type instead; the
// three canned $GPGSV messages follow the handheld's rand() of a new thread.
TEST_F(DecodeTest, DemoModeSubstitutesCannedSentences) {
  CGPSRecord demo;
  demo.SetGpsOnly(TRUE);
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

// With every talker decoded, demo mode shows the canned sky alone, whole,
// after any line of a multi-system receiver: no satellite of the receiver's
// own, never a third of the canned twelve.
TEST_F(DecodeTest, DemoModeShowsOnlyTheCannedSkyWhateverTheTalkers) {
  CGPSRecord demo;
  demo.LoadDemoSentences();
  demo.m_bDemo = TRUE;
  std::set<int> canned;
  for (UINT id : {IDS_DEMO_GSV1, IDS_DEMO_GSV2, IDS_DEMO_GSV3}) {
    CFieldArray fields;
    SplitFields(FindStringResource(id), L',', fields);
    for (int k = 0; k < 4; ++k) canned.insert(WcsToLong(fields[4 + 4 * k]));
  }
  ASSERT_EQ(canned.size(), 12u);
  const std::wstring lines[] = {L"$GNGGA,",
                                L"$GLGSV,3,3,9,70,10,10,30*00",
                                L"$GNGSA,",
                                L"$GNGSA,",
                                L"$GAGSV,1,1,2,11,20,20,40*00",
                                L"$GPGSV,3,3,10,02,5,5,20*00",
                                L"$GBGSV,",
                                L"$GNRMC,",
                                L"$GQGSV,",
                                L"$GLGSV,"};
  std::thread([&] {
    for (const std::wstring& line : lines) {
      SCOPED_TRACE(line);
      demo.DecodeLine(line, m_fields);
      const GPSRecordData snap = demo.Snapshot();
      if (line.find(L"GSV") == std::wstring::npos) continue;
      std::set<int> shown;
      for (int i = 0; i < snap.m_nSkyCount; ++i) {
        EXPECT_EQ(snap.m_Sky[i].nSystem, kSystemGPS);
        shown.insert(snap.m_Sky[i].nPRN);
      }
      EXPECT_EQ(shown, canned);
      EXPECT_EQ(snap.m_nSkyCount, 12);
    }
  }).join();
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
