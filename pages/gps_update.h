// What the Setup page's WM_GPSUPDATE handler shows on the GPS Info page for
// one announced group of the GPS data record: its texts, or the satellite
// view. The handler reads the record once (a consistent snapshot), calls
// this, and then refreshes its raw sentence box itself.
#pragma once

#include "acquisition/gps_record_data.h"
#include "platform/core/win_types.h"

class CStatusPpg;

// Group 1 altitude; 2 fix and PDOP; 3 sky plot and signal bars; 4 date and
// time, speed, course, latitude and longitude, in that order. Any other
// group (0 is the raw text alone) shows nothing here.
void ShowGpsGroup(CStatusPpg& page, const GPSRecordData& record, WPARAM nGroup);
