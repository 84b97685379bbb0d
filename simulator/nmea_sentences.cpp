#include "simulator/nmea_sentences.h"

#include "simulator/nmea_text.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace sim {

namespace {

constexpr int kGsaPrnFields = 12;
constexpr int kSatellitesPerGsv = 4;
constexpr double kKmhPerKnot = 1.852;

bool HasFix(const EpochReport& report) { return report.fix_mode >= 2; }

std::string OptionalFixed(const std::optional<double>& value, int decimals) {
  return value ? Fixed(*value, decimals) : std::string();
}

// "ddmm.mmmm,N,dddmm.mmmm,E", or four empty fields without a fix.
std::string PositionFields(const EpochReport& report) {
  if (!HasFix(report)) return ",,,";
  return LatitudeFields(report.latitude) + "," + LongitudeFields(report.longitude);
}

int UsedCount(const EpochReport& report) {
  return static_cast<int>(std::count_if(report.satellites.begin(), report.satellites.end(),
                                        [](const SatelliteView& sat) { return sat.used; }));
}

// Course in [0, 360) after rounding to the two decimals sent, so that
// 359.999 goes out as 000.00 and never as 360.00.
double Course(const EpochReport& report) {
  const double course = std::fmod(std::round(report.course_deg * 100.0) / 100.0, 360.0);
  return course < 0.0 ? course + 360.0 : course;
}

}  // namespace

// $GPGGA,172814.00,4531.3861,N,12240.5901,W,1,08,1.1,51.3,M,-19.6,M,,*6C
std::string GgaSentence(const EpochReport& report, std::string_view talker) {
  const bool fix = HasFix(report);
  std::string body = std::string(talker) + "GGA," + UtcTimeField(report.utc_ms) + "," + PositionFields(report) + ",";
  body += fix ? "1," : "0,";
  body += Padded(fix ? UsedCount(report) : 0, 2) + ",";
  body += (fix ? OptionalFixed(report.dilution.hdop, 1) : std::string()) + ",";
  body += (fix ? Fixed(report.altitude_m, 1) : std::string()) + ",M,";
  body += (fix ? Fixed(report.geoid_separation_m, 1) : std::string()) + ",M,,";
  return FinishSentence(body);
}

// $GPGLL,4531.3861,N,12240.5901,W,172814.00,A,A*7B
std::string GllSentence(const EpochReport& report, std::string_view talker) {
  const bool fix = HasFix(report);
  return FinishSentence(std::string(talker) + "GLL," + PositionFields(report) + "," + UtcTimeField(report.utc_ms) +
                        "," + (fix ? "A,A" : "V,N"));
}

// $GPGSA,A,3,02,05,12,15,24,25,29,,,,,,2.0,1.1,1.7*3B
std::string GsaSentence(const EpochReport& report) {
  std::string body = "GPGSA,A," + std::to_string(std::clamp(report.fix_mode, 1, 3)) + ",";
  int fields = 0;
  for (const SatelliteView& sat : report.satellites) {
    if (sat.used && fields < kGsaPrnFields) {
      body += Padded(sat.prn, 2);
      body += ',';
      ++fields;
    }
  }
  for (; fields < kGsaPrnFields; ++fields) body += ',';
  body += OptionalFixed(report.dilution.pdop, 1) + "," + OptionalFixed(report.dilution.hdop, 1) + "," +
          OptionalFixed(report.dilution.vdop, 1);
  return FinishSentence(body);
}

namespace {

// The GSV series of `satellites` under `head` ("GPGSV"), each message ended
// by `suffix` (",1" for a signal ID, or nothing).
std::vector<std::string> GsvSeries(const std::vector<SatelliteView>& satellites, const std::string& head,
                                   const std::string& suffix) {
  const int in_view = static_cast<int>(satellites.size());
  const int messages = std::max(1, (in_view + kSatellitesPerGsv - 1) / kSatellitesPerGsv);
  std::vector<std::string> sentences;
  for (int message = 0; message < messages; ++message) {
    std::string body =
        head + "," + std::to_string(messages) + "," + std::to_string(message + 1) + "," + Padded(in_view, 2);
    const int first = message * kSatellitesPerGsv;
    const int last = std::min(in_view, first + kSatellitesPerGsv);
    for (int i = first; i < last; ++i) {
      const SatelliteView& sat = satellites[static_cast<std::size_t>(i)];
      body += "," + Padded(sat.prn, 2) + "," + Padded(std::lround(sat.elevation), 2) + "," +
              Padded(std::lround(sat.azimuth) % 360, 3) + "," + (sat.snr ? Padded(*sat.snr, 2) : std::string());
    }
    sentences.push_back(FinishSentence(body + suffix));
  }
  return sentences;
}

}  // namespace

// $GPGSV,3,1,11,02,63,045,44,05,28,302,38,08,04,170,,12,41,118,40*7E
std::vector<std::string> GsvSentences(const EpochReport& report) { return GsvSeries(report.satellites, "GPGSV", ""); }

// $GNGSA,A,3,80,71,73,79,69,,,,,,,,1.8,1.1,1.5,2*07
std::string GnssGsaSentence(const EpochReport& report, GnssSystem system) {
  std::string body = "GNGSA,A," + std::to_string(std::clamp(report.fix_mode, 1, 3)) + ",";
  int fields = 0;
  for (const SatelliteView& sat : report.satellites) {
    if (sat.system == system && sat.used && fields < kGsaPrnFields) {
      body += Padded(sat.prn, 2);
      body += ',';
      ++fields;
    }
  }
  for (; fields < kGsaPrnFields; ++fields) body += ',';
  body += OptionalFixed(report.dilution.pdop, 1) + "," + OptionalFixed(report.dilution.hdop, 1) + "," +
          OptionalFixed(report.dilution.vdop, 1) + "," + std::to_string(static_cast<int>(system) + 1);
  return FinishSentence(body);
}

// $GLGSV,2,1,06,65,29,047,33,72,36,324,38,73,10,156,,79,13,020,30,1*7B
std::vector<std::string> GnssGsvSentences(const EpochReport& report, GnssSystem system) {
  static constexpr const char* kHeads[] = {"GPGSV", "GLGSV", "GAGSV", "GBGSV"};
  static constexpr const char* kSignals[] = {",1", ",1", ",7", ",1"};
  std::vector<SatelliteView> satellites;
  for (const SatelliteView& sat : report.satellites) {
    if (sat.system == system) satellites.push_back(sat);
  }
  const auto index = static_cast<std::size_t>(system);
  return GsvSeries(satellites, kHeads[index], kSignals[index]);
}

// $GPRMC,172814.00,A,4531.3861,N,12240.5901,W,21.37,084.12,090324,,,A*4F
std::string RmcSentence(const EpochReport& report, std::string_view talker) {
  const bool fix = HasFix(report);
  std::string body = std::string(talker) + "RMC," + UtcTimeField(report.utc_ms) + "," + (fix ? "A," : "V,") +
                     PositionFields(report) + ",";
  body += (fix ? Fixed(report.speed_knots, 2) : std::string()) + ",";
  body += (fix ? Fixed(Course(report), 2, 3) : std::string()) + ",";
  body += DateField(report.utc_ms) + ",,,";
  body += fix ? "A" : "N";
  return FinishSentence(body);
}

// $GPVTG,084.12,T,,M,21.37,N,39.58,K,A*0C
std::string VtgSentence(const EpochReport& report, std::string_view talker) {
  const std::string head = std::string(talker) + "VTG,";
  if (!HasFix(report)) return FinishSentence(head + ",T,,M,,N,,K,N");
  return FinishSentence(head + Fixed(Course(report), 2, 3) + ",T,,M," + Fixed(report.speed_knots, 2) + ",N," +
                        Fixed(report.speed_knots * kKmhPerKnot, 2) + ",K,A");
}

}  // namespace sim
