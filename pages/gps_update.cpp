#include "pages/gps_update.h"

#include "display/gps_format.h"
#include "pages/gps_info_page.h"

void ShowGpsGroup(CStatusPpg& page, const GPSRecordData& record, WPARAM nGroup) {
  switch (nGroup) {
    case kGroupAltitude:
      page.SetAltitude(AltitudeText(record));
      break;
    case kGroupFix: {
      FixTexts fix = FixGroupTexts(record);
      page.SetFix(std::move(fix.strFix));
      page.SetPdop(std::move(fix.strPdop));
      break;
    }
    case kGroupSatellites:
      page.DrawSkyView(record);
      page.DrawSignalBars(record);
      break;
    case kGroupPosition: {
      PositionTexts position = PositionGroupTexts(record);
      page.SetDateTime(std::move(position.strDate), std::move(position.strTime));
      page.SetSpeed(std::move(position.strSpeed));
      page.SetCourse(std::move(position.strCourse));
      page.SetLatitude(std::move(position.strLatitude));
      page.SetLongitude(std::move(position.strLongitude));
      break;
    }
    default:
      break;
  }
}
