// The GPS data record in tests: the demo record, and how a record prints
// when an expectation on it fails.
#pragma once

#include <iosfwd>

#include "acquisition/gps_record_data.h"

// The record after the six canned sentences of the string table.
GPSRecordData DemoRecord();

// GoogleTest prints records and satellites with these: every member, named.
void PrintTo(const SatelliteInfo& satellite, std::ostream* out);
void PrintTo(const GPSRecordData& record, std::ostream* out);
