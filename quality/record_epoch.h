// What the positioning figures read of the GPS data record at the end of an
// epoch: the record as it stands when its RMC has been decoded (the
// position group), with the GGA's altitude and the last GSA and GSV.
#pragma once

#include "acquisition/gps_record_data.h"
#include "quality/quality_statistics.h"

// A fix is valid when the RMC carried a position and the last GSA reported
// a 2D or 3D fix, or no GSA has come (a receiver that sends none).
// The position is the RMC's latitude and longitude with the GGA's altitude.
// The satellites are the merged sky (or, decoding $GP only, the table of
// twelve): counted per system, in view and used; the strongest four's mean
// C/N0 is over those the receiver tracks (SNR above 0).
QualityEpoch EpochOfRecord(const GPSRecordData& record);

// Which of the decoder's announcements end an epoch: each RMC (the
// position group) once a GGA has been decoded, so that no fix is counted
// before its altitude is known. A receiver that sends its RMC before its
// GGA (NMEA 4.10 receivers often do) gives each fix the altitude of the
// epoch before, one epoch late.
class CEpochFeed {
 public:
  // Whether the announcement of `nGroup` (a GpsUpdateGroup) ends an epoch.
  bool EndsEpoch(int nGroup);

 private:
  bool m_bAltitudeKnown = false;
};
