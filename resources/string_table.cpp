#include "resources/string_table.h"

#include <algorithm>
#include <iterator>

const StringTableEntry kStringTable[] = {
    {IDS_TITLE, L"Zelmora 3.0"},
    {IDS_START_GPS, L"Start GPS"},
    {IDS_STOP_GPS, L"Stop GPS"},
    {IDS_COMPASS_LETTERS, L"NWSE"},
    {IDS_DMS_FORMAT, L"%d\u00B0%d'%d\""},
    {IDS_SPEED_FORMAT, L"%.1f km/h"},
    {IDS_COURSE_FORMAT, L"%d\u00B0"},
    {IDS_COMPASS_POINTS, L"N\nNE\nE\nSE\nS\nSW\nW\nNW"},
    {IDS_DEMO_GGA, L"$GPGGA,013345,2411.1630,N,12036.6100,E,1,07,2.0,0.0,M,,,,0000*17"},
    {IDS_DEMO_GSA, L"$GPGSA,A,3,01,03,05,07,09,11,13,15,17,19,21,23,7.5,6.9,5.4*3D"},
    {IDS_DEMO_GSV1, L"$GPGSV,3,1,12,01,06,157,10,03,62,104,21,05,20,208,26,07,56,057,25*74"},
    {IDS_DEMO_GSV2, L"$GPGSV,3,2,12,09,86,250,46,11,17,120,08,13,89,164,49,15,08,225,04*74"},
    {IDS_DEMO_GSV3, L"$GPGSV,3,3,12,17,39,335,02,19,80,104,11,21,69,147,10,23,56,217,22*7D"},
    {IDS_DEMO_RMC, L"$GPRMC,013348,A,2411.1630,N,12036.6100,E,6.10,101.50,090307,,*1C"},
    {IDS_CANNOT_OPEN_PORT, L"Can not open port."},
    {IDS_GPS_NOT_FOUND, L"GPS not found."},
    {IDS_TRY_AGAIN, L"Do you want to try again?"},
    {IDS_OPEN_NO_DEVICE, L"No such device: is the receiver plugged in?"},
    {IDS_OPEN_DENIED, L"Permission denied: is your user in the dialout group?"},
    {IDS_OPEN_BUSY, L"Device busy: another program (gpsd?) has it open."},
    {IDS_OPEN_NOT_SERIAL, L"Not a serial port, or it refused the speed."},
    {IDS_OPEN_FAILED, L"The system reported error %d."},
    {IDS_SCAN_STARTED, L"Scanning... (Esc cancels)"},
    {IDS_SCAN_TRYING, L"Trying %s at %d bps"},
    {IDS_SCAN_FOUND, L"Found: %s at %d bps"},
    {IDS_SCAN_CANCELLED, L"Scan cancelled."},
    {IDS_COLD_START_SENT, L"-- %s cold start sent (%d bytes) --"},
    {IDS_START_TEST, L"Start test"},
    {IDS_STOP_TEST, L"Stop test"},
    {IDS_TTFF_NO_SESSION, L"No session: start GPS\r\non the Setup page first."},
    {IDS_TTFF_IDENTIFYING, L"Identifying the receiver..."},
    {IDS_TTFF_PLAIN_NMEA, L"No family answered: SiRF's\r\nstarts will be sent, as\r\nCold Start sends them."},
    {IDS_TTFF_SIRF_STARTS, L"No family answered: SiRF's\r\nstarts are sent, as Cold\r\nStart sends them."},
    {IDS_TTFF_NO_START, L"%s receivers have\r\nno %s start."},
    {IDS_TTFF_SAVED, L"Saved in %s"},
    {IDS_TTFF_NOT_SAVED, L"Not saved: %s"},
    {IDS_TTFF_READY, L"Ready: choose the start\r\nand press Start test."},
    {IDS_TTFF_WRITE_FAILED, L"The receiver's port\r\nrefused the command."},
    {IDS_OPEN_REFUSED, L"Connection refused: is the server running?"},
    {IDS_OPEN_NO_HOST, L"No such host: is the name right?"},
    {IDS_OPEN_TIMED_OUT, L"No answer: the connection timed out."},
    {IDS_OPEN_NOT_GPSD, L"The server does not answer as gpsd does."},
    {IDS_OPEN_GPSD_NO_DEVICE, L"gpsd has no such device. Its devices: %s"},
    {IDS_OPEN_GPSD_SEVERAL, L"gpsd has several devices; name one in the port's address: %s"},
    {IDS_READ_ONLY_SENT_NOTHING, L"-- read-only source: nothing was sent --"},
    {IDS_TTFF_READ_ONLY, L"This source is read-only:\r\nno command can be sent."},
    {IDS_SCAN_TRYING_NETWORK, L"Trying %s"},
    {IDS_SCAN_FOUND_NETWORK, L"Found: %s"},
    {IDS_RECORD, L"Record"},
    {IDS_STOP_RECORD, L"Stop rec."},
    {IDS_RECORD_FAILED, L"The recording into %s stopped: %s. The session goes on."},
    {IDS_RECORD_CANNOT_START, L"Can not record: %s"},
    {IDS_ACC_SAVED, L"Fixes and figures saved in\r\n%s"},
    {IDS_ACC_NOT_SAVED, L"Not saved: %s"},
    {IDS_ACC_BAD_REFERENCE,
     L"\"%s\" is not a point.\r\nType LAT,LON[,ALT] in\r\ndegrees (S, W negative)\r\n"
     L"and metres, e.g.\r\n45.5231,-122.6765,57."},
    {IDS_ACC_REFERENCE_HINT, L"LAT,LON[,ALT]"},
};
const std::size_t kStringTableSize = std::size(kStringTable);

const wchar_t* FindStringResource(UINT id) {
  const auto* end = kStringTable + kStringTableSize;
  const auto* it =
      std::lower_bound(kStringTable, end, id, [](const StringTableEntry& e, UINT key) { return e.id < key; });
  return (it != end && it->id == id) ? it->text : nullptr;
}
