// Names of the program's resource ids: dialog templates, the controls the
// pages address, bitmaps and the icon. String ids are in string_table.h.
#pragma once

#include "platform/core/win_types.h"

// Dialog templates, three per page (one per screen shape). The Setup
// templates' ids also name their dialog-initialisation resources.
constexpr UINT IDD_SETUP_PORTRAIT = 102;
constexpr UINT IDD_SETUP_LANDSCAPE = 103;
constexpr UINT IDD_SETUP_SQUARE = 104;
constexpr UINT IDD_ABOUT_LANDSCAPE = 105;
constexpr UINT IDD_ABOUT_SQUARE = 106;
constexpr UINT IDD_ABOUT_PORTRAIT = 107;
constexpr UINT IDD_GPSINFO_LANDSCAPE = 111;
constexpr UINT IDD_GPSINFO_SQUARE = 112;
constexpr UINT IDD_GPSINFO_PORTRAIT = 113;
constexpr UINT IDD_TTFF_LANDSCAPE = 114;
constexpr UINT IDD_TTFF_SQUARE = 115;
constexpr UINT IDD_TTFF_PORTRAIT = 116;
constexpr UINT IDD_ACCURACY_LANDSCAPE = 117;
constexpr UINT IDD_ACCURACY_SQUARE = 118;
constexpr UINT IDD_ACCURACY_PORTRAIT = 119;

// Setup page controls.
constexpr UINT IDC_SETUP_RAW_TEXT = 1000;  // Edit: the last raw sentences
constexpr UINT IDC_SETUP_PORT_LABEL = 200;
constexpr UINT IDC_SETUP_BAUD_LABEL = 1002;
constexpr UINT IDC_SETUP_BAUD = 1009;        // ComboBox: speeds
constexpr UINT IDC_SETUP_START_STOP = 1011;  // Button: Start GPS / Stop GPS
constexpr UINT IDC_SETUP_COLD_START = 1012;  // Button, created disabled
constexpr UINT IDC_SETUP_PORT = 1013;        // ComboBox: port labels
constexpr UINT IDC_SETUP_SCAN = 1014;
// Below the raw box, absent from the handheld's $GP-only look.
constexpr UINT IDC_SETUP_RECORD = 1220;       // Button: Record / Stop rec., enabled while a session runs
constexpr UINT IDC_SETUP_RECORD_FILE = 1221;  // Static: the recording's file

// GPS Info page controls: each value field with its label.
constexpr UINT IDC_INFO_DATE_LABEL = 200;
constexpr UINT IDC_INFO_DATE = 201;
constexpr UINT IDC_INFO_TIME_LABEL = 1002;
constexpr UINT IDC_INFO_SPEED_LABEL = 1003;
constexpr UINT IDC_INFO_COURSE_LABEL = 1004;
constexpr UINT IDC_INFO_FIX_LABEL = 1005;
constexpr UINT IDC_INFO_ALTITUDE_LABEL = 1006;
constexpr UINT IDC_INFO_PDOP_LABEL = 1007;
constexpr UINT IDC_INFO_LAT_LABEL = 1008;
constexpr UINT IDC_INFO_LON_LABEL = 1009;
constexpr UINT IDC_INFO_TIME = 1010;
constexpr UINT IDC_INFO_SPEED = 1011;
constexpr UINT IDC_INFO_COURSE = 1012;
constexpr UINT IDC_INFO_FIX = 1013;
constexpr UINT IDC_INFO_PDOP = 1015;
constexpr UINT IDC_INFO_LAT = 1016;
constexpr UINT IDC_INFO_LON = 1017;
constexpr UINT IDC_INFO_ALTITUDE = 1018;

// About page controls.
constexpr UINT IDC_ABOUT_VERSION = 1002;
constexpr UINT IDC_ABOUT_NOTICE_OPENING = 1003;
constexpr UINT IDC_ABOUT_NOTICE = 1004;
constexpr UINT IDC_ABOUT_NOTICE_CLOSING = 1005;
constexpr UINT IDC_ABOUT_WEB = 1006;

// TTFF page controls.
constexpr UINT IDC_TTFF_RECEIVER_LABEL = 1101;
constexpr UINT IDC_TTFF_RECEIVER = 1102;  // Static: family and firmware, or "unknown"
constexpr UINT IDC_TTFF_IDENTIFY = 1103;  // Button: the probe identification
constexpr UINT IDC_TTFF_KIND_LABEL = 1104;
constexpr UINT IDC_TTFF_KIND = 1105;  // ComboBox: hot, warm, cold (, factory)
constexpr UINT IDC_TTFF_RUNS_LABEL = 1106;
constexpr UINT IDC_TTFF_RUNS = 1107;  // ComboBox: 1 to 100
constexpr UINT IDC_TTFF_TIMEOUT_LABEL = 1108;
constexpr UINT IDC_TTFF_TIMEOUT = 1109;     // ComboBox: seconds
constexpr UINT IDC_TTFF_START_STOP = 1110;  // Button: Start test / Stop test
constexpr UINT IDC_TTFF_ELAPSED_LABEL = 1111;
constexpr UINT IDC_TTFF_ELAPSED = 1112;  // Static: the run under way
constexpr UINT IDC_TTFF_RESULTS = 1113;  // Edit: summary, last runs, the file

// Accuracy page controls. The two areas are hidden statics: their rectangles
// in each layout are where the page draws.
constexpr UINT IDC_ACC_SCATTER_AREA = 1240;
constexpr UINT IDC_ACC_HISTORY_AREA = 1241;
constexpr UINT IDC_ACC_SAMPLES = 1242;  // Static: one figure each, with its unit
constexpr UINT IDC_ACC_AVAILABILITY = 1243;
constexpr UINT IDC_ACC_CEP50 = 1244;
constexpr UINT IDC_ACC_CEP95 = 1245;
constexpr UINT IDC_ACC_DRMS2 = 1246;
constexpr UINT IDC_ACC_VERTICAL_SIGMA = 1247;
constexpr UINT IDC_ACC_VERTICAL_95 = 1248;
constexpr UINT IDC_ACC_CN0 = 1249;
constexpr UINT IDC_ACC_REFERENCE = 1250;  // Static: the reference, two lines
constexpr UINT IDC_ACC_SYSTEMS = 1251;    // Static: in view/used per system
constexpr UINT IDC_ACC_RESET = 1252;      // Button
constexpr UINT IDC_ACC_EXPORT = 1253;     // Button: the CSV file

// The reference point the user types (Edit: LAT,LON[,ALT]), and the button
// that makes it (or, the box empty, the mean of the fixes) the reference.
constexpr UINT IDC_ACC_REFERENCE_POINT = 1254;
constexpr UINT IDC_ACC_SET_REFERENCE = 1255;

// Bitmaps: the About page's logo and the sky plot backgrounds.
constexpr UINT IDB_LOGO = 128;
constexpr UINT IDB_SKY_PORTRAIT = 141;
constexpr UINT IDB_SKY_LANDSCAPE = 142;
constexpr UINT IDB_SKY_SQUARE = 143;

// The program icon (group) and the version record.
constexpr UINT IDI_ZELMORA = 128;
constexpr UINT VS_VERSION_INFO = 1;

// The language of every resource: Chinese (Traditional, Taiwan).
constexpr WORD kResourceLanguage = 1028;
