// What the Setup page's WM_GPSUPDATE handler shows on the GPS Info page for
// one announced group of the GPS data record: its texts, or the satellite
// view. The handler reads the record once (a consistent snapshot), calls
// this, and then refreshes its raw sentence box itself.
#pragma once

#include "acquisition/gps_messages.h"
#include "acquisition/gps_record_data.h"
#include "platform/core/win_types.h"

class CStatusPpg;

// kGroupAltitude the altitude; kGroupFix fix and PDOP; kGroupSatellites the
// sky plot and signal bars; kGroupPosition date and time, speed, course,
// latitude and longitude, in that order. Any other group (kGroupRawText is
// the raw text alone) shows nothing here.
void ShowGpsGroup(CStatusPpg& page, const GPSRecordData& record, WPARAM nGroup);
