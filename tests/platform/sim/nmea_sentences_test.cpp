#include "platform/sim/nmea_sentences.h"

#include "tests/platform/sim/nmea_checks.h"

#include <gtest/gtest.h>

namespace {

using sim_test::Fields;
using sim_test::HasValidChecksum;

sim::EpochReport ReportWith(int in_view, int used, int untracked)
{
    sim::EpochReport report;
    report.utc_ms = 1'173'404'028'000; // 2007-03-09 01:33:48
    report.fix_mode = used >= 4 ? 3 : used == 3 ? 2 : 1;
    report.latitude = 24.18605;
    report.longitude = 120.6101667;
    report.altitude_m = 12.34;
    report.geoid_separation_m = 15.0;
    report.speed_knots = 6.1;
    report.course_deg = 101.5;
    for (int i = 0; i < in_view; ++i) {
        sim::SatelliteView sat;
        sat.prn = i + 1;
        sat.elevation = 10.0 + i * 5;
        sat.azimuth = i * 25.0;
        if (i < in_view - untracked)
            sat.snr = 30 + i;
        sat.used = i < used;
        report.satellites.push_back(sat);
    }
    report.dilution = {1.8, 0.9, 1.5};
    return report;
}

// Strips CR LF after checking the sentence's frame.
std::string Checked(const std::string& sentence)
{
    EXPECT_TRUE(sentence.ends_with("\r\n")) << sentence;
    EXPECT_LE(sentence.size(), 82u) << sentence;
    const std::string line = sentence.substr(0, sentence.size() - 2);
    EXPECT_TRUE(HasValidChecksum(line)) << line;
    return line;
}

// The sentence without its checksum, after checking its frame and checksum.
std::string Body(const std::string& sentence)
{
    const std::string line = Checked(sentence);
    return line.substr(0, line.size() - 3);
}

TEST(NmeaSentences, GsvCarriesFourSatellitesPerMessage)
{
    struct Case {
        int in_view;
        int untracked;
        std::size_t messages;
    };
    const Case cases[] = {{0, 0, 1}, {1, 1, 1}, {4, 0, 1}, {5, 2, 2}, {12, 3, 3}, {13, 0, 4}, {16, 5, 4}};
    for (const Case& c : cases) {
        const sim::EpochReport report = ReportWith(c.in_view, 0, c.untracked);
        const std::vector<std::string> sentences = sim::GsvSentences(report);
        ASSERT_EQ(sentences.size(), c.messages) << c.in_view;
        int satellite = 0;
        for (std::size_t m = 0; m < sentences.size(); ++m) {
            const std::vector<std::string> f = Fields(Checked(sentences[m]));
            const int blocks = std::min(4, c.in_view - satellite);
            ASSERT_EQ(f.size(), 4u + 4u * static_cast<unsigned>(blocks)) << sentences[m];
            EXPECT_EQ(f[0], "$GPGSV");
            EXPECT_EQ(f[1], std::to_string(c.messages));
            EXPECT_EQ(f[2], std::to_string(m + 1));
            EXPECT_EQ(f[3].size(), 2u);
            EXPECT_EQ(std::stoi(f[3]), c.in_view);
            for (int k = 0; k < blocks; ++k, ++satellite) {
                const sim::SatelliteView& sat = report.satellites[static_cast<std::size_t>(satellite)];
                EXPECT_EQ(std::stoi(f[4 + 4 * k]), sat.prn);
                EXPECT_EQ(f[5 + 4 * k].size(), 2u);
                EXPECT_EQ(f[6 + 4 * k].size(), 3u);
                EXPECT_EQ(f[7 + 4 * k], sat.snr ? std::to_string(*sat.snr) : "") << sentences[m];
            }
        }
    }
}

TEST(NmeaSentences, GsaListsTwelveSlotsAndTheDilution)
{
    struct Case {
        int used;
        const char* expected;
    };
    const Case cases[] = {
        {0, "$GPGSA,A,1,,,,,,,,,,,,,,,"},
        {3, "$GPGSA,A,2,01,02,03,,,,,,,,,,1.8,0.9,1.5"},
        {14, "$GPGSA,A,3,01,02,03,04,05,06,07,08,09,10,11,12,1.8,0.9,1.5"},
    };
    for (const Case& c : cases) {
        sim::EpochReport report = ReportWith(16, c.used, 0);
        if (c.used == 0)
            report.dilution = {};
        const std::string body = Body(sim::GsaSentence(report));
        EXPECT_EQ(body, c.expected);
        EXPECT_EQ(Fields(body).size(), 18u);
    }
}

TEST(NmeaSentences, PositionSentencesWithAndWithoutFix)
{
    const sim::EpochReport fix = ReportWith(8, 6, 1);
    EXPECT_EQ(Body(sim::GgaSentence(fix)), "$GPGGA,013348.00,2411.1630,N,12036.6100,E,1,06,0.9,12.3,M,15.0,M,,");
    EXPECT_EQ(Body(sim::GllSentence(fix)), "$GPGLL,2411.1630,N,12036.6100,E,013348.00,A,A");
    EXPECT_EQ(Body(sim::RmcSentence(fix)), "$GPRMC,013348.00,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,,A");
    EXPECT_EQ(Body(sim::VtgSentence(fix)), "$GPVTG,101.50,T,,M,6.10,N,11.30,K,A");

    const sim::EpochReport none = ReportWith(2, 0, 0);
    EXPECT_EQ(Body(sim::GgaSentence(none)), "$GPGGA,013348.00,,,,,0,00,,,M,,M,,");
    EXPECT_EQ(Body(sim::GllSentence(none)), "$GPGLL,,,,,013348.00,V,N");
    EXPECT_EQ(Body(sim::RmcSentence(none)), "$GPRMC,013348.00,V,,,,,,,090307,,,N");
    EXPECT_EQ(Body(sim::VtgSentence(none)), "$GPVTG,,T,,M,,N,,K,N");
}

TEST(NmeaSentences, CourseStaysBelow360)
{
    sim::EpochReport report = ReportWith(8, 6, 0);
    report.course_deg = 359.999;
    EXPECT_EQ(Fields(Checked(sim::RmcSentence(report)))[8], "000.00");
    report.course_deg = -90.0;
    EXPECT_EQ(Fields(Checked(sim::VtgSentence(report)))[1], "270.00");
}

} // namespace
