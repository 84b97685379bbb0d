// The GPS data record the tests share.
#pragma once

#include "acquisition/gps_record_data.h"

// The record after the six canned sentences of the string table.
GPSRecordData DemoRecord();
