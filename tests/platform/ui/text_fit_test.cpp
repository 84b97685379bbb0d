// Every text the pages can show fits its control on every supported screen:
// the template texts, and for the controls the program fills the longest
// texts it can put there.
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/ui/dialog_font.h"
#include "platform/ui/screen.h"
#include "platform/ui/ui_window.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "ui_test_window.h"

namespace {

// The texts the Setup, GPS Info and TTFF pages write into their empty controls,
// the widest of each kind.
const std::map<std::pair<std::wstring, WORD>, std::vector<std::wstring>>& FilledTexts() {
  static const std::map<std::pair<std::wstring, WORD>, std::vector<std::wstring>> texts{
      {{L"Setup", IDC_SETUP_START_STOP}, {L"Start GPS", L"Stop GPS"}},
      {{L"GPS Info", IDC_INFO_DATE}, {L"2026/12/07"}},
      {{L"GPS Info", IDC_INFO_TIME}, {L"23:59:59"}},
      // Ground speeds; an aircraft above 1000 km/h loses a pixel at 240 wide.
      {{L"GPS Info", IDC_INFO_SPEED}, {L"999.9 km/h"}},
      {{L"GPS Info", IDC_INFO_COURSE}, {L"NW 359\u00B0", L"SW 359\u00B0", L"NE 359\u00B0", L"SE 359\u00B0"}},
      {{L"GPS Info", IDC_INFO_FIX}, {L"No Fix", L"3D"}},
      {{L"GPS Info", IDC_INFO_LAT}, {L"S 89\u00B059'59\"", L"N 89\u00B059'59\""}},
      {{L"GPS Info", IDC_INFO_LON}, {L"W 179\u00B059'59\"", L"E 179\u00B059'59\""}},
      {{L"GPS Info", IDC_INFO_ALTITUDE}, {L"-12345.6"}},
      {{L"GPS Info", IDC_INFO_PDOP}, {L"99.9"}},
      {{L"TTFF", IDC_TTFF_START_STOP}, {L"Start test", L"Stop test"}},
      // Either line of the receiver's two: a family's name, a firmware version.
      {{L"TTFF", IDC_TTFF_RECEIVER},
       {L"unknown", L"Quectel/Airoha (PAIR)", L"GNSSLIB_8.4.18.25_CP_ARM", L"AXN_5.1.7_3333_19020118"}},
      {{L"TTFF", IDC_TTFF_ELAPSED}, {L"100/100: 600 s", L"100/100 done"}},
      // The reference point box's hint, and a point to the metre (longer
      // ones scroll).
      {{L"Accuracy", IDC_ACC_REFERENCE_POINT}, {L"LAT,LON[,ALT]", L"-33.85678,151.21530,58"}},
  };
  return texts;
}

DialogLayout LayoutOf(const ScreenSize& size) {
  if (size.height > size.width) return kPortraitLayout;
  return size.height < size.width ? kLandscapeLayout : kSquareLayout;
}

// The room a control gives its text: a label's contents, a button's
// contents inside its bevel.
int TextRoom(QWidget* widget) {
  if (auto* button = qobject_cast<QPushButton*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = button->rect();
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
  }
  if (auto* box = qobject_cast<QLineEdit*>(widget)) {
    // Inside the frame and the box's margins of two pixels a side.
    return box->contentsRect().width() - 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
  }
  return widget->contentsRect().width();
}

struct Placed {
  QRect box;
  int textEnd;
};

class TextFit : public ::testing::TestWithParam<ScreenSize> {
 protected:
  void SetUp() override {
    EnsureTestApplication();
    SetScreenSize(GetParam().width, GetParam().height);
  }
  void TearDown() override { SetScreenSize(480, 640); }
};

TEST_P(TextFit, EveryTextFitsItsControlWithRoomBeforeTheNext) {
  const int scale = ScreenScale();
  std::vector<const DialogPage*> pages;
  for (const DialogPage& page : DialogPages()) pages.push_back(&page);
  pages.push_back(&TtffDialogPage());
  pages.push_back(&AccuracyDialogPage());
  for (const DialogPage* pPage : pages) {
    const DialogPage& page = *pPage;
    const DialogLayout layout = LayoutOf(GetParam());
    HWND dialog = CreateTestDialog(page.templateIds[layout]);
    ASSERT_NE(dialog, nullptr);
    std::vector<Placed> placed;
    for (const DialogControl& control : page.controls) {
      if (control.windowClass != DialogClass::Static && control.windowClass != DialogClass::Button &&
          FilledTexts().count({page.caption, control.id}) == 0) {
        continue;
      }
      QWidget* widget = UiWindow::FromHandle(GetDlgItem(dialog, control.id))->Widget();
      std::vector<std::wstring> texts{control.text};
      if (texts.front().empty() && FilledTexts().count({page.caption, control.id}) == 0) continue;
      if (auto filled = FilledTexts().find({page.caption, control.id}); filled != FilledTexts().end()) {
        texts = filled->second;
      }
      QFontMetrics metrics(widget->font());
      int widest = 0;
      for (const std::wstring& text : texts) {
        int width = metrics.horizontalAdvance(QString::fromStdWString(text));
        widest = std::max(widest, width);
        EXPECT_LE(width, TextRoom(widget)) << page.templateIds[layout] << " control " << control.id << " cuts "
                                           << QString::fromStdWString(text).toStdString();
      }
      placed.push_back({widget->geometry(), widget->x() + widget->contentsRect().x() + widest});
    }
    // A label's text ends at least two pixels (four on VGA) before the value
    // to its right on the same row begins.
    for (const Placed& left : placed) {
      for (const Placed& right : placed) {
        if (left.box.y() != right.box.y() || right.box.x() <= left.box.x()) continue;
        EXPECT_GE(right.box.x() - left.textEnd, 2 * scale)
            << page.templateIds[layout] << ": the text ending at " << left.textEnd << " touches the control at "
            << right.box.x();
      }
    }
    DestroyWindow(dialog);
  }
}

INSTANTIATE_TEST_SUITE_P(SupportedScreens, TextFit,
                         ::testing::ValuesIn(SupportedScreenSizes().begin(), SupportedScreenSizes().end()),
                         [](const ::testing::TestParamInfo<ScreenSize>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

// On a VGA screen every dialog unit doubles exactly.
TEST(DialogBaseUnits, DoubleExactlyOnVgaScreens) {
  EnsureTestApplication();
  DialogBaseUnits single = DialogBaseUnitsAt(1);
  DialogBaseUnits doubled = DialogBaseUnitsAt(2);
  EXPECT_EQ(doubled.cx, 2 * single.cx);
  EXPECT_EQ(doubled.cy, 2 * single.cy);
  EXPECT_EQ(single.cx, BaseUnitsOf(DialogFont(1)).cx);
  EXPECT_EQ(single.cy, BaseUnitsOf(DialogFont(1)).cy);
  EXPECT_LE(QFontMetrics(DialogFont(2)).height(), doubled.cy);
}

}  // namespace
