// The fixes of an NMEA stream as a GPX 1.1 track: one track point for each
// epoch (the sentences that share one UTC time) whose GGA, or else RMC, says
// the receiver had a fix, with its time, position, altitude, kind of fix,
// satellites used and dilutions where the epoch's GGA, RMC and GSA tell them.
// Epochs without a fix end the track segment; the next fix starts another.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class CGpxTrack {
 public:
  // Takes one line without its line end; lines that are no checksum-valid
  // GGA, RMC or GSA are passed over.
  void AddLine(std::string_view line);
  // The whole document: the track so far, closed.
  std::string Finish();

  int PointCount() const { return m_nPoints; }

 private:
  struct Epoch {
    std::string time;  // hhmmss[.sss] as received
    std::optional<double> latitude;
    std::optional<double> longitude;
    std::optional<double> altitude;
    int quality = -1;     // GGA's fix quality; -1 without a GGA
    char status = 0;      // RMC's status letter; 0 without an RMC
    int fixMode = 0;      // GSA's 1, 2 or 3; 0 without a GSA
    int satellites = -1;  // GGA's satellites in use
    std::optional<double> hdop;
    std::optional<double> vdop;
    std::optional<double> pdop;
  };

  void StartEpoch(std::string_view time);
  void CloseEpoch();
  void CloseSegment();

  Epoch m_epoch;
  std::string m_date;  // the last RMC's date as YYYY-MM-DD, or empty
  std::string m_points;
  bool m_bInSegment = false;
  int m_nPoints = 0;
};
