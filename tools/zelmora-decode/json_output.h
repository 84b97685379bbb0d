// The JSON lines zelmora-decode writes, one object per decoded line.
#pragma once

#include <string>
#include <string_view>

#include "acquisition/gps_record_data.h"

// A double in the shortest form that reads back as the same value;
// infinities (and NaN) as the strings "inf", "-inf" ("nan").
void AppendJsonNumber(std::string& out, double value);

// A wide string as a JSON string in UTF-8.
void AppendJsonString(std::string& out, std::wstring_view text);

// The object for line `nLine`, decoded into `record` as `nGroup` (1 to 4):
// the group's values and the texts the page shows for them.
void AppendDecodedLine(std::string& out, long long nLine, int nGroup, const GPSRecordData& record);

// The object for line `nLine`, dropped by the decode step for `nReason`
// (kLineDroppedCheck or kLineDroppedFields).
void AppendDroppedLine(std::string& out, long long nLine, int nReason);
