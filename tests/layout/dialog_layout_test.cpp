#include "layout/dialog_layout.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <tuple>

#include "platform/ui/gdi_objects.h"
#include "platform/ui/screen.h"
#include "platform/ui/ui_application.h"
#include "platform/ui/ui_window.h"
#include "resources/dialog_templates.h"
#include "resources/resource_catalogue.h"
#include "resources/resource_ids.h"
#include "resources/resource_writer.h"

namespace {

std::wstring TextOf(HWND window) {
  wchar_t text[256];
  GetWindowTextW(window, text, 256);
  return text;
}

LRESULT PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreatePage(HINSTANCE module, UINT id) {
  EnsureTestApplication();
  return CreateDialogParamW(module, MAKEINTRESOURCEW(id), nullptr, &PlainProc, 0);
}

struct Screen {
  int width;
  int height;
  UINT setup;
  UINT info;
  UINT about;
};

TEST(ChooseLayoutTemplate, FollowsTheScreenShape) {
  for (Screen s : {Screen{240, 320, 102, 113, 107}, Screen{320, 240, 103, 111, 105}, Screen{240, 240, 104, 112, 106},
                   Screen{480, 640, 102, 113, 107}, Screen{640, 480, 103, 111, 105}, Screen{480, 480, 104, 112, 106}}) {
    SetScreenSize(s.width, s.height);
    EXPECT_EQ(ChooseLayoutTemplate(103, 104, 102), s.setup) << s.width << "x" << s.height;
    EXPECT_EQ(ChooseLayoutTemplate(111, 112, 113), s.info) << s.width << "x" << s.height;
    EXPECT_EQ(ChooseLayoutTemplate(105, 106, 107), s.about) << s.width << "x" << s.height;
  }
  SetScreenSize(480, 640);
}

struct Relayout {
  std::size_t page;
  DialogLayout layout;
};

void PrintTo(const Relayout& relayout, std::ostream* out) {
  *out << "template " << DialogPages()[relayout.page].templateIds[relayout.layout];
}

class RelayoutTest : public ::testing::TestWithParam<Relayout> {};

// A page made on its portrait template, with contents and scribbled texts,
// is laid out after another template: every control at that template's
// rectangle, labels and buttons with their template texts, the edit box and
// the combo boxes with what they held.
TEST_P(RelayoutTest, ControlsMoveAndKeepTheirContents) {
  const DialogPage& table = DialogPages()[GetParam().page];
  HWND page = CreatePage(nullptr, table.templateIds[kPortraitLayout]);
  ASSERT_NE(page, nullptr);
  bool firstCombo = true;
  for (const DialogControl& control : table.controls) {
    HWND item = GetDlgItem(page, control.id);
    switch (control.windowClass) {
      case DialogClass::ComboBox:
        // The first combo box gets a selection, the other keeps none.
        if (SendMessageW(item, CB_GETCOUNT, 0, 0) == 0) {
          for (const wchar_t* text : {L"COM1:", L"COM2:", L"COM3:"}) {
            SendMessageW(item, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
          }
        }
        SendMessageW(item, CB_SETCURSEL, firstCombo ? 2 : static_cast<WPARAM>(-1), 0);
        firstCombo = false;
        break;
      default:
        SetWindowTextW(item, L"scribbled\r\nover");
        break;
    }
  }

  SetScreenSize(GetParam().layout == kLandscapeLayout ? 320 : 240, GetParam().layout == kPortraitLayout ? 320 : 240);
  EXPECT_TRUE(ApplyDialogLayout(nullptr, page, table.templateIds[GetParam().layout]));

  firstCombo = true;
  for (const DialogControl& control : table.controls) {
    HWND item = GetDlgItem(page, control.id);
    const DialogRect& r = control.rects[GetParam().layout];
    RECT expected{r.x, r.y, r.x + r.cx, r.y + r.cy};
    MapDialogRect(page, &expected);
    QWidget* widget = UiWindow::FromHandle(item)->Widget();
    EXPECT_EQ(widget->pos(), QPoint(expected.left, expected.top)) << control.id;
    EXPECT_EQ(widget->width(), expected.right - expected.left) << control.id;
    switch (control.windowClass) {
      case DialogClass::ComboBox:
        EXPECT_EQ(SendMessageW(item, CB_GETCOUNT, 0, 0) >= 3, true) << control.id;
        EXPECT_EQ(SendMessageW(item, CB_GETCURSEL, 0, 0), firstCombo ? 2 : CB_ERR) << control.id;
        firstCombo = false;
        break;
      case DialogClass::Edit:
        EXPECT_EQ(TextOf(item), L"scribbled\r\nover") << control.id;
        EXPECT_EQ(widget->height(), expected.bottom - expected.top) << control.id;
        break;
      default:
        EXPECT_EQ(TextOf(item), control.text) << control.id;
        EXPECT_EQ(widget->height(), expected.bottom - expected.top) << control.id;
        break;
    }
  }
  DestroyWindow(page);
  SetScreenSize(480, 640);
}

INSTANTIATE_TEST_SUITE_P(Pages, RelayoutTest,
                         ::testing::Values(Relayout{0, kLandscapeLayout}, Relayout{0, kSquareLayout},
                                           Relayout{0, kPortraitLayout}, Relayout{1, kLandscapeLayout},
                                           Relayout{1, kSquareLayout}, Relayout{1, kPortraitLayout},
                                           Relayout{2, kLandscapeLayout}, Relayout{2, kSquareLayout},
                                           Relayout{2, kPortraitLayout}),
                         [](const ::testing::TestParamInfo<Relayout>& info) {
                           return std::to_string(DialogPages()[info.param.page].templateIds[info.param.layout]);
                         });

// Templates of a test module: `first` and `second` differ in their items.
class OddTemplatesTest : public ::testing::Test {
 protected:
  static constexpr WORD kFirst = 300;
  static constexpr WORD kSecond = 301;
  static constexpr WORD kUnnamed = 0xFFFF;

  void Build(std::vector<DialogControl> firstControls, std::vector<DialogControl> secondControls) {
    firstItems = std::move(firstControls);
    secondItems = std::move(secondControls);
    DialogPage first{L"Odd", {kFirst, kFirst, kFirst}, {}, firstItems};
    DialogPage second{L"Odd", {kSecond, kSecond, kSecond}, {}, secondItems};
    firstBytes = BuildDialogTemplate(first, kPortraitLayout);
    secondBytes = BuildDialogTemplate(second, kPortraitLayout);
    entries = {ResourceEntry{RT_DIALOG, MAKEINTRESOURCEW(kFirst), kResourceLanguage, firstBytes},
               ResourceEntry{RT_DIALOG, MAKEINTRESOURCEW(kSecond), kResourceLanguage, secondBytes}};
    module = std::make_unique<ResourceModule>(entries);
    page = CreatePage(module->Handle(), kFirst);
    ASSERT_NE(page, nullptr);
  }
  void TearDown() override { DestroyWindow(page); }
  static DialogControl Label(WORD id, const wchar_t* text, short x, short y) {
    return DialogControl{
        id, DialogClass::Static, kLabelStyle, text, {DialogRect{x, y, 30, 8}, {x, y, 30, 8}, {x, y, 30, 8}}};
  }
  QPoint PositionOf(HWND item) const { return UiWindow::FromHandle(item)->Widget()->pos(); }

  std::vector<DialogControl> firstItems;
  std::vector<DialogControl> secondItems;
  std::vector<BYTE> firstBytes;
  std::vector<BYTE> secondBytes;
  std::vector<ResourceEntry> entries;
  std::unique_ptr<ResourceModule> module;
  HWND page = nullptr;
};

TEST_F(OddTemplatesTest, TwoUnnamedItemsMakeTheLayoutFailAfterMovingThemBoth) {
  Build({Label(kUnnamed, L"one", 4, 4), Label(kUnnamed, L"two", 4, 20), Label(7, L"seven", 4, 40)},
        {Label(kUnnamed, L"uno", 50, 4), Label(kUnnamed, L"dos", 50, 20), Label(7, L"siete", 50, 40)});
  EXPECT_FALSE(ApplyDialogLayout(module->Handle(), page, kSecond));
  // Both went onto the one control GetDlgItem finds: the last move counts.
  HWND found = GetDlgItem(page, kUnnamed);
  RECT last{50, 20, 80, 28};
  MapDialogRect(page, &last);
  EXPECT_EQ(PositionOf(found), QPoint(last.left, last.top));
  EXPECT_EQ(TextOf(found), L"dos");
  EXPECT_EQ(TextOf(GetDlgItem(page, 7)), L"siete");
}

TEST_F(OddTemplatesTest, OneUnnamedItemIsFine) {
  Build({Label(kUnnamed, L"one", 4, 4), Label(7, L"seven", 4, 40)},
        {Label(kUnnamed, L"uno", 50, 4), Label(7, L"siete", 50, 40)});
  EXPECT_TRUE(ApplyDialogLayout(module->Handle(), page, kSecond));
}

TEST_F(OddTemplatesTest, AControlThePageLacksFailsButTheOthersStillMove) {
  Build({Label(7, L"seven", 4, 4), Label(8, L"eight", 4, 20)},
        {Label(7, L"siete", 50, 4), Label(99, L"missing", 50, 12), Label(8, L"ocho", 50, 20)});
  EXPECT_FALSE(ApplyDialogLayout(module->Handle(), page, kSecond));
  RECT seven{50, 4, 80, 12};
  RECT eight{50, 20, 80, 28};
  MapDialogRect(page, &seven);
  MapDialogRect(page, &eight);
  EXPECT_EQ(PositionOf(GetDlgItem(page, 7)), QPoint(seven.left, seven.top));
  EXPECT_EQ(PositionOf(GetDlgItem(page, 8)), QPoint(eight.left, eight.top));
  EXPECT_EQ(TextOf(GetDlgItem(page, 8)), L"ocho");
}

TEST_F(OddTemplatesTest, AMissingTemplateMovesNothing) {
  Build({Label(7, L"seven", 4, 4)}, {Label(7, L"siete", 50, 4)});
  QPoint before = PositionOf(GetDlgItem(page, 7));
  EXPECT_FALSE(ApplyDialogLayout(module->Handle(), page, 4242));
  EXPECT_FALSE(ApplyDialogLayout(module->Handle(), nullptr, kSecond));
  EXPECT_EQ(PositionOf(GetDlgItem(page, 7)), before);
  EXPECT_EQ(TextOf(GetDlgItem(page, 7)), L"seven");
}

TEST_F(OddTemplatesTest, ATemplateCutShortMovesNothing) {
  Build({Label(7, L"seven", 4, 4), Label(8, L"eight", 4, 20)}, {Label(7, L"siete", 50, 4), Label(8, L"ocho", 50, 20)});
  const QPoint seven = PositionOf(GetDlgItem(page, 7));
  const QPoint eight = PositionOf(GetDlgItem(page, 8));
  // Cut inside the last item's title: its first item is whole.
  secondBytes.resize(secondBytes.size() - 6);
  entries[1].data = secondBytes;
  EXPECT_FALSE(ApplyDialogLayout(module->Handle(), page, kSecond));
  EXPECT_EQ(PositionOf(GetDlgItem(page, 7)), seven);
  EXPECT_EQ(PositionOf(GetDlgItem(page, 8)), eight);
  EXPECT_EQ(TextOf(GetDlgItem(page, 7)), L"seven");
}

}  // namespace

namespace {

// A template without a font whose statics show images named by ordinal titles.
std::vector<BYTE> ImageTemplate(std::initializer_list<std::tuple<WORD, DWORD, WORD>> items) {
  ResourceWriter out;
  out.Dword(WS_POPUP | WS_VISIBLE);
  out.Dword(0);
  out.Word(static_cast<WORD>(items.size()));
  for (short v : {0, 0, 100, 60}) out.Short(v);
  out.Word(0);
  out.Word(0);
  out.Text(L"Images");
  short y = 2;
  for (auto [id, style, image] : items) {
    out.AlignTo4();
    out.Dword(WS_CHILD | WS_VISIBLE | style);
    out.Dword(0);
    for (short v : {short{4}, y, short{20}, short{20}}) out.Short(v);
    out.Word(id);
    out.Ordinal(0x82);
    out.Ordinal(image);
    out.Word(0);
    y = static_cast<short>(y + 22);
  }
  return out.Take();
}

template <class Handle>
Handle ImageOf(HWND page, int id, WPARAM kind) {
  return reinterpret_cast<Handle>(SendDlgItemMessageW(page, id, STM_GETIMAGE, kind, 0));
}

TEST(RefreshLayoutItem, ImageStaticsGetTheImageTheTemplateNamesAndKeepTheirsWhenItIsMissing) {
  std::vector<BYTE> first = ImageTemplate({{11, SS_ICON, 128}, {12, SS_BITMAP, 141}, {13, SS_ICON, 128}});
  std::vector<BYTE> second = ImageTemplate({{11, SS_ICON, 128}, {12, SS_BITMAP, 143}, {13, SS_ICON, 999}});
  std::vector<ResourceEntry> entries{ResourceEntry{RT_DIALOG, MAKEINTRESOURCEW(310), kResourceLanguage, first},
                                     ResourceEntry{RT_DIALOG, MAKEINTRESOURCEW(311), kResourceLanguage, second}};
  for (const ResourceEntry& entry : ProgramResourceCatalogue()) {
    if (entry.type == RT_ICON || entry.type == RT_GROUP_ICON || entry.type == RT_BITMAP) entries.push_back(entry);
  }
  ResourceModule module(entries);
  HWND page = CreatePage(module.Handle(), 310);
  ASSERT_NE(page, nullptr);
  auto icon = ImageOf<HICON>(page, 11, IMAGE_ICON);
  auto sky = ImageOf<HBITMAP>(page, 12, IMAGE_BITMAP);
  auto kept = ImageOf<HICON>(page, 13, IMAGE_ICON);
  ASSERT_NE(icon, nullptr);
  ASSERT_NE(GdiBitmapImage(sky), nullptr);
  EXPECT_EQ(GdiBitmapImage(sky)->width(), 121);

  EXPECT_TRUE(ApplyDialogLayout(module.Handle(), page, 311));
  auto newIcon = ImageOf<HICON>(page, 11, IMAGE_ICON);
  auto newSky = ImageOf<HBITMAP>(page, 12, IMAGE_BITMAP);
  EXPECT_NE(newIcon, icon);
  EXPECT_EQ(GdiIconImage(icon), nullptr) << "the old icon is destroyed";
  ASSERT_NE(GdiBitmapImage(newSky), nullptr);
  EXPECT_EQ(GdiBitmapImage(newSky)->width(), 79);
  EXPECT_EQ(GdiBitmapImage(sky), nullptr) << "the old bitmap is deleted";
  EXPECT_EQ(ImageOf<HICON>(page, 13, IMAGE_ICON), kept) << "a missing icon leaves the control alone";
  EXPECT_NE(GdiIconImage(kept), nullptr);
  DestroyWindow(page);
}

}  // namespace
