#include "tests/support/demo_record.h"

#include "acquisition/gps_record.h"
#include "resources/string_table.h"

GPSRecordData DemoRecord() {
  CGPSRecord record;
  CFieldArray fields;
  for (UINT id = IDS_DEMO_GGA; id <= IDS_DEMO_RMC; ++id) {
    record.DecodeLine(FindStringResource(id), fields);
  }
  return record.Snapshot();
}
