#include "resources/dialog_templates.h"

#include "resources/maker_notice.h"
#include "resources/resource_ids.h"
#include "resources/resource_writer.h"

namespace {

using enum DialogClass;

// Rectangles per row: landscape, square, portrait.
constexpr DialogControl kSetupControls[] = {
    {IDC_SETUP_PORT, ComboBox, kComboBoxStyle, L"", {{{39, 3, 56, 89}, {42, 3, 91, 89}, {42, 3, 91, 89}}}},
    {IDC_SETUP_PORT_LABEL, Static, kLabelStyle, L"COM Port:", {{{4, 5, 34, 8}, {4, 5, 34, 8}, {4, 5, 34, 8}}}},
    {IDC_SETUP_BAUD, ComboBox, kComboBoxStyle, L"", {{{137, 3, 42, 89}, {42, 16, 91, 89}, {42, 16, 91, 89}}}},
    {IDC_SETUP_BAUD_LABEL, Static, kLabelStyle, L"Baud Rate:", {{{99, 5, 37, 8}, {4, 18, 37, 8}, {4, 18, 37, 8}}}},
    {IDC_SETUP_SCAN, Button, kButtonStyle, L"Scan", {{{4, 18, 42, 12}, {4, 32, 40, 12}, {4, 32, 40, 12}}}},
    {IDC_SETUP_START_STOP, Button, kButtonStyle, L"", {{{49, 18, 42, 12}, {47, 32, 40, 12}, {47, 32, 40, 12}}}},
    {IDC_SETUP_COLD_START,
     Button,
     kDisabledButtonStyle,
     L"Cold Start",
     {{{137, 18, 42, 12}, {93, 32, 40, 12}, {93, 32, 40, 12}}}},
    {IDC_SETUP_RAW_TEXT, Edit, kRawTextStyle, L"", {{{4, 32, 175, 59}, {4, 47, 129, 44}, {4, 47, 129, 85}}}},
    // Recording, below the raw box: in the page area the handheld's menu
    // bar took (112 dialog units high on the landscape and square screens,
    // 158 on the portrait ones).
    {IDC_SETUP_RECORD, Button, kDisabledButtonStyle, L"Record", {{{4, 93, 42, 12}, {4, 93, 40, 12}, {4, 135, 40, 12}}}},
    // The recording's folder, and its file name on a second line.
    {IDC_SETUP_RECORD_FILE, Static, kLabelStyle, L"", {{{49, 93, 130, 17}, {47, 93, 86, 17}, {47, 135, 86, 17}}}},
};

constexpr DialogControl kGpsInfoControls[] = {
    {IDC_INFO_DATE, Static, kLabelStyle, L"", {{{23, 5, 44, 8}, {23, 5, 44, 8}, {23, 5, 44, 8}}}},
    {IDC_INFO_DATE_LABEL, Static, kLabelStyle, L"Date:", {{{4, 5, 18, 8}, {4, 5, 18, 8}, {4, 5, 18, 8}}}},
    {IDC_INFO_TIME, Static, kLabelStyle, L"", {{{24, 14, 36, 8}, {24, 14, 36, 8}, {24, 15, 36, 8}}}},
    {IDC_INFO_TIME_LABEL, Static, kLabelStyle, L"Time:", {{{4, 14, 19, 8}, {4, 14, 19, 8}, {4, 15, 19, 8}}}},
    {IDC_INFO_SPEED, Static, kLabelStyle, L"", {{{28, 23, 38, 8}, {28, 23, 38, 8}, {28, 25, 38, 8}}}},
    {IDC_INFO_SPEED_LABEL, Static, kLabelStyle, L"Speed:", {{{4, 23, 24, 8}, {4, 23, 24, 8}, {4, 25, 24, 8}}}},
    {IDC_INFO_COURSE, Static, kLabelStyle, L"", {{{30, 32, 36, 8}, {30, 32, 36, 8}, {30, 35, 36, 8}}}},
    {IDC_INFO_COURSE_LABEL, Static, kLabelStyle, L"Course:", {{{4, 32, 26, 8}, {4, 32, 26, 8}, {4, 35, 26, 8}}}},
    {IDC_INFO_FIX, Static, kLabelStyle, L"", {{{17, 41, 27, 8}, {17, 41, 27, 8}, {17, 45, 27, 8}}}},
    {IDC_INFO_FIX_LABEL, Static, kLabelStyle, L"Fix:", {{{4, 41, 13, 8}, {4, 41, 13, 8}, {4, 45, 13, 8}}}},
    {IDC_INFO_LAT, Static, kLabelStyle, L"", {{{19, 50, 50, 8}, {19, 50, 50, 8}, {19, 55, 48, 8}}}},
    {IDC_INFO_LAT_LABEL, Static, kLabelStyle, L"Lat:", {{{4, 50, 13, 8}, {4, 50, 13, 8}, {4, 55, 13, 8}}}},
    {IDC_INFO_LON, Static, kLabelStyle, L"", {{{20, 59, 52, 8}, {20, 59, 52, 8}, {20, 65, 47, 8}}}},
    {IDC_INFO_LON_LABEL, Static, kLabelStyle, L"Lon:", {{{4, 59, 15, 8}, {4, 59, 15, 8}, {4, 65, 15, 8}}}},
    {IDC_INFO_ALTITUDE, Static, kLabelStyle, L"", {{{32, 68, 34, 8}, {107, 50, 27, 8}, {32, 75, 34, 8}}}},
    {IDC_INFO_ALTITUDE_LABEL, Static, kLabelStyle, L"Altitude:", {{{4, 68, 27, 8}, {79, 50, 27, 8}, {4, 75, 27, 8}}}},
    {IDC_INFO_PDOP, Static, kLabelStyle, L"", {{{27, 77, 20, 8}, {102, 59, 19, 8}, {27, 85, 20, 8}}}},
    {IDC_INFO_PDOP_LABEL, Static, kLabelStyle, L"PDOP:", {{{4, 77, 22, 8}, {79, 59, 22, 8}, {4, 85, 22, 8}}}},
};

// The controls start 31 dialog units down; the logo is painted above them.
constexpr DialogControl kAboutControls[] = {
    {IDC_ABOUT_VERSION, Static, kLabelStyle, kVersionLine, {{{7, 31, 85, 8}, {7, 31, 85, 8}, {7, 31, 85, 8}}}},
    {IDC_ABOUT_NOTICE, Static, kLabelStyle, kNoticeLine, {{{39, 43, 117, 8}, {7, 51, 117, 8}, {7, 51, 117, 8}}}},
    {IDC_ABOUT_NOTICE_OPENING, Static, kLabelStyle, kNoticeOpening, {{{7, 43, 38, 8}, {7, 43, 38, 8}, {7, 43, 38, 8}}}},
    {IDC_ABOUT_NOTICE_CLOSING, Static, kLabelStyle, kNoticeClosing, {{{7, 51, 69, 8}, {7, 59, 69, 8}, {7, 59, 69, 8}}}},
    {IDC_ABOUT_WEB, Static, kLabelStyle, kMakerWebAddress, {{{7, 63, 91, 8}, {7, 71, 91, 8}, {7, 71, 91, 8}}}},
};

// Rows of portrait and square: the receiver (name, and its firmware on a
// second line); Identify and the start kind; runs and timeout; the test's
// button and its count-up; the results box. Landscape puts Identify and the
// button at the right end of the rows.
constexpr DialogControl kTtffControls[] = {
    {IDC_TTFF_RECEIVER_LABEL, Static, kLabelStyle, L"Receiver:", {{{4, 5, 34, 8}, {4, 4, 34, 8}, {4, 5, 34, 8}}}},
    {IDC_TTFF_RECEIVER, Static, kLabelStyle, L"", {{{39, 5, 92, 17}, {39, 4, 94, 17}, {39, 5, 94, 17}}}},
    {IDC_TTFF_IDENTIFY, Button, kButtonStyle, L"Identify", {{{135, 3, 44, 12}, {4, 23, 44, 12}, {4, 26, 44, 12}}}},
    {IDC_TTFF_KIND_LABEL, Static, kLabelStyle, L"Start:", {{{4, 27, 22, 8}, {54, 25, 22, 8}, {54, 28, 22, 8}}}},
    {IDC_TTFF_KIND, ComboBox, kComboBoxStyle, L"", {{{27, 25, 50, 89}, {77, 23, 56, 89}, {77, 26, 56, 89}}}},
    {IDC_TTFF_RUNS_LABEL, Static, kLabelStyle, L"Runs:", {{{82, 27, 21, 8}, {4, 38, 21, 8}, {4, 43, 21, 8}}}},
    {IDC_TTFF_RUNS, ComboBox, kComboBoxStyle, L"", {{{104, 25, 30, 89}, {26, 36, 30, 89}, {26, 41, 30, 89}}}},
    {IDC_TTFF_TIMEOUT_LABEL, Static, kLabelStyle, L"Timeout:", {{{4, 41, 30, 8}, {62, 38, 30, 8}, {62, 43, 30, 8}}}},
    {IDC_TTFF_TIMEOUT, ComboBox, kComboBoxStyle, L"", {{{35, 39, 42, 89}, {93, 36, 40, 89}, {93, 41, 40, 89}}}},
    {IDC_TTFF_START_STOP, Button, kButtonStyle, L"Start test", {{{135, 25, 44, 12}, {4, 49, 44, 12}, {4, 56, 44, 12}}}},
    {IDC_TTFF_ELAPSED_LABEL, Static, kLabelStyle, L"Elapsed:", {{{82, 41, 30, 8}, {54, 51, 30, 8}, {54, 58, 30, 8}}}},
    {IDC_TTFF_ELAPSED, Static, kLabelStyle, L"", {{{113, 41, 66, 8}, {85, 51, 48, 8}, {85, 58, 48, 8}}}},
    {IDC_TTFF_RESULTS, Edit, kRawTextStyle, L"", {{{4, 53, 175, 55}, {4, 64, 129, 44}, {4, 72, 129, 80}}}},
};

// The results box takes the page area down to a few units above the tabs:
// between the title bar and the tabs a page has 112 dialog units of height
// on the landscape and square screens and 158 on the portrait ones (the
// designed pages' frames are shorter, as the handheld's menu bar was there).
constexpr DialogPage kTtffPage = {L"TTFF",
                                  {IDD_TTFF_LANDSCAPE, IDD_TTFF_SQUARE, IDD_TTFF_PORTRAIT},
                                  {{{0, 0, 183, 110}, {0, 0, 137, 110}, {0, 0, 137, 154}}},
                                  kTtffControls};

// Rectangles per row: landscape, square, portrait. The figures stand beside
// the scatter, one a line (two columns of four on the landscape screens; on
// the square ones the last two below the scatter); the reference and the
// satellites below them, then the reference point's box with its button,
// the history and the buttons.
constexpr DialogControl kAccuracyControls[] = {
    {IDC_ACC_SCATTER_AREA, Static, kAreaStyle, L"", {{{4, 3, 70, 70}, {4, 3, 58, 47}, {4, 3, 72, 66}}}},
    {IDC_ACC_SAMPLES, Static, kLabelStyle, L"", {{{77, 3, 50, 8}, {65, 3, 68, 8}, {79, 3, 54, 8}}}},
    {IDC_ACC_AVAILABILITY, Static, kLabelStyle, L"", {{{77, 11, 50, 8}, {65, 11, 68, 8}, {79, 11, 54, 8}}}},
    {IDC_ACC_CEP50, Static, kLabelStyle, L"", {{{77, 19, 50, 8}, {65, 19, 68, 8}, {79, 19, 54, 8}}}},
    {IDC_ACC_CEP95, Static, kLabelStyle, L"", {{{77, 27, 50, 8}, {65, 27, 68, 8}, {79, 27, 54, 8}}}},
    {IDC_ACC_DRMS2, Static, kLabelStyle, L"", {{{129, 3, 50, 8}, {65, 35, 68, 8}, {79, 35, 54, 8}}}},
    {IDC_ACC_VERTICAL_SIGMA, Static, kLabelStyle, L"", {{{129, 11, 50, 8}, {65, 43, 68, 8}, {79, 43, 54, 8}}}},
    {IDC_ACC_VERTICAL_95, Static, kLabelStyle, L"", {{{129, 19, 50, 8}, {4, 51, 58, 8}, {79, 51, 54, 8}}}},
    {IDC_ACC_CN0, Static, kLabelStyle, L"", {{{129, 27, 50, 8}, {65, 51, 68, 8}, {79, 59, 54, 8}}}},
    {IDC_ACC_REFERENCE, Static, kLabelStyle, L"", {{{77, 37, 102, 16}, {4, 59, 129, 16}, {4, 70, 129, 16}}}},
    {IDC_ACC_SYSTEMS, Static, kLabelStyle, L"", {{{77, 54, 102, 16}, {4, 75, 129, 8}, {4, 86, 129, 16}}}},
    {IDC_ACC_REFERENCE_POINT, Edit, kLineEditStyle, L"", {{{4, 76, 121, 12}, {4, 84, 96, 12}, {4, 124, 129, 12}}}},
    {IDC_ACC_SET_REFERENCE,
     Button,
     kButtonStyle,
     L"Set ref.",
     {{{129, 76, 50, 12}, {102, 84, 31, 12}, {4, 138, 41, 12}}}},
    {IDC_ACC_HISTORY_AREA, Static, kAreaStyle, L"", {{{4, 91, 70, 17}, {4, 98, 62, 12}, {4, 103, 129, 19}}}},
    {IDC_ACC_RESET, Button, kButtonStyle, L"Reset", {{{77, 93, 50, 12}, {69, 98, 31, 12}, {48, 138, 41, 12}}}},
    {IDC_ACC_EXPORT, Button, kButtonStyle, L"Export", {{{129, 93, 50, 12}, {102, 98, 31, 12}, {92, 138, 41, 12}}}},
};

constexpr DialogPage kAccuracyPage = {L"Accuracy",
                                      {IDD_ACCURACY_LANDSCAPE, IDD_ACCURACY_SQUARE, IDD_ACCURACY_PORTRAIT},
                                      {{{0, 0, 183, 110}, {0, 0, 137, 110}, {0, 0, 137, 154}}},
                                      kAccuracyControls};

constexpr DialogPage kPages[] = {
    {L"Setup",
     {IDD_SETUP_LANDSCAPE, IDD_SETUP_SQUARE, IDD_SETUP_PORTRAIT},
     // Down to above the tabs, as the TTFF page, for the recording's row.
     {{{0, 0, 183, 110}, {0, 0, 137, 110}, {0, 0, 137, 154}}},
     kSetupControls},
    {L"GPS Info",
     {IDD_GPSINFO_LANDSCAPE, IDD_GPSINFO_SQUARE, IDD_GPSINFO_PORTRAIT},
     {{{0, 0, 183, 94}, {0, 0, 137, 94}, {0, 0, 137, 133}}},
     kGpsInfoControls},
    {L"About",
     {IDD_ABOUT_LANDSCAPE, IDD_ABOUT_SQUARE, IDD_ABOUT_PORTRAIT},
     {{{0, 0, 183, 94}, {0, 0, 137, 94}, {0, 0, 137, 133}}},
     kAboutControls},
};

}  // namespace

std::span<const DialogPage> DialogPages() { return kPages; }

const DialogPage& TtffDialogPage() { return kTtffPage; }

const DialogPage& AccuracyDialogPage() { return kAccuracyPage; }

std::vector<BYTE> BuildDialogTemplate(const DialogPage& page, DialogLayout layout) {
  ResourceWriter out;
  const DialogRect& frame = page.frames[layout];
  out.Dword(kPageStyle);
  out.Dword(kPageExStyle);
  out.Word(static_cast<WORD>(page.controls.size()));
  out.Short(frame.x);
  out.Short(frame.y);
  out.Short(frame.cx);
  out.Short(frame.cy);
  out.Word(0);  // no menu
  out.Word(0);  // the default dialog window class
  out.Text(page.caption);
  out.Word(kPageFontPoints);
  out.Text(kPageFontFace);
  for (const DialogControl& control : page.controls) {
    const DialogRect& rect = control.rects[layout];
    out.AlignTo4();
    out.Dword(control.style);
    out.Dword(0);  // extended style
    out.Short(rect.x);
    out.Short(rect.y);
    out.Short(rect.cx);
    out.Short(rect.cy);
    out.Word(control.id);
    out.Ordinal(static_cast<WORD>(control.windowClass));
    out.Text(control.text);
    out.Word(0);  // no creation data
  }
  return out.Take();
}
