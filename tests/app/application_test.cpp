#include "app/zelmora_app.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTimer>
#include <QWindow>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

#include "pages/gps_info_page.h"
#include "platform/ui/property_sheet_window.h"
#include "platform/ui/screen.h"
#include "platform/ui/ui_application.h"
#include "platform/ui/ui_window.h"
#include "platform/ui/window_picture.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace {

const char* const kPageNames[] = {"setup", "gps-info", "ttff", "accuracy", "about"};
constexpr int kSheetPages = 5;

// The pages' tables in the sheet's order: the TTFF and Accuracy pages
// between GPS Info and About.
const DialogPage& SheetPageTable(int index) {
  if (index == 2) return TtffDialogPage();
  if (index == 3) return AccuracyDialogPage();
  return DialogPages()[static_cast<std::size_t>(index < 2 ? index : 2)];
}

std::wstring TextOf(HWND window) {
  wchar_t text[256];
  GetWindowTextW(window, text, 256);
  return text;
}

// The sheet's tab bar, on the handheld's screen.
QTabBar* TabsOf(HWND sheet) {
  HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  QWidget* screen = UiWindow::FromHandle(page)->Widget()->window();
  return screen->findChild<QTabBar*>();
}

HWND ShownPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

// Whether every control of the page sits at its rectangle in `layout`.
::testing::AssertionResult LaidOut(HWND page, const DialogPage& table, DialogLayout layout) {
  for (const DialogControl& control : table.controls) {
    const DialogRect& r = control.rects[layout];
    RECT expected{r.x, r.y, r.x + r.cx, r.y + r.cy};
    MapDialogRect(page, &expected);
    QWidget* widget = UiWindow::FromHandle(GetDlgItem(page, control.id))->Widget();
    if (widget->pos() != QPoint(expected.left, expected.top) || widget->width() != expected.right - expected.left) {
      return ::testing::AssertionFailure() << "control " << control.id << " of " << table.templateIds[0];
    }
  }
  return ::testing::AssertionSuccess();
}

QShortcut* ShortcutOf(HWND sheet, const char* keys) {
  for (QShortcut* shortcut : UiWindow::FromHandle(sheet)->Widget()->findChildren<QShortcut*>()) {
    if (shortcut->key() == QKeySequence(QString::fromLatin1(keys))) return shortcut;
  }
  return nullptr;
}

// A click on the window at `at`, delivered as the desktop delivers it: the
// window finds the widget under the point.
void ClickWindow(QWidget* window, QPoint at) {
  QPointF local(at);
  QPointF global = window->mapToGlobal(local);
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window->windowHandle(), &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(window->windowHandle(), &release);
}

DialogLayout LayoutOf(int width, int height) {
  return height < width ? kLandscapeLayout : height > width ? kPortraitLayout : kSquareLayout;
}

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApplication();
    CoreSetRegistryHive(HKEY_CURRENT_USER, hive);
  }
  void TearDown() override {
    CoreSetRegistryHive(HKEY_CURRENT_USER, nullptr);
    SetScreenSize(480, 640);
  }
  // Runs the application with `steps` done inside its sheet.
  BOOL Run(std::function<void(HWND sheet)> steps) {
    QTimer::singleShot(0, [steps] { steps(RunningPropertySheet()); });
    return app.InitInstance();
  }

  std::shared_ptr<MemoryRegistryHive> hive = std::make_shared<MemoryRegistryHive>();
  CZelmoraApp app;
};

TEST_F(ApplicationTest, ShowsTheFivePagesSetupFirstAndEndsWithoutAMessageLoop) {
  HWND setup = nullptr;
  BOOL result = Run([&](HWND sheet) {
    ASSERT_NE(sheet, nullptr);
    QWidget* frame = UiWindow::FromHandle(sheet)->Widget();
    QTabBar* tabs = TabsOf(sheet);
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), kSheetPages);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Setup"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("GPS Info"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("TTFF"));
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("Accuracy"));
    EXPECT_EQ(tabs->tabText(4), QStringLiteral("About"));
    EXPECT_EQ(tabs->shape(), QTabBar::RoundedSouth);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Zelmora 3.0")) << "the owner window's title";

    setup = ShownPage(sheet);
    EXPECT_EQ(TextOf(setup), L"Setup");
    EXPECT_EQ(TextOf(GetDlgItem(setup, IDC_SETUP_START_STOP)), L"Start GPS");
    EXPECT_EQ(SendDlgItemMessageW(setup, IDC_SETUP_BAUD, CB_GETCURSEL, 0, 0), 2) << "4800 by default";
    EXPECT_EQ(SendDlgItemMessageW(setup, IDC_SETUP_PORT, CB_GETCURSEL, 0, 0), 0) << "COM1: by default";
    // Only the sheet is a window on the desktop (its screen is drawn inside it).
    int shown = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      shown += widget->isVisible() && !widget->testAttribute(Qt::WA_DontShowOnScreen) ? 1 : 0;
    }
    EXPECT_EQ(shown, 1);
    SendMessageW(sheet, WM_CLOSE, 0, 0);
  });
  EXPECT_FALSE(result);
  EXPECT_FALSE(IsWindow(setup));
  EXPECT_EQ(RunningPropertySheet(), nullptr);
}

// Every page in every screen shape, saved as a picture under the build
// folder; rotating the screen lays out every page that exists.
TEST_F(ApplicationTest, EveryPageFollowsEveryScreenShape) {
  struct Shape {
    int width;
    int height;
  };
  Run([&](HWND sheet) {
    HWND pages[kSheetPages] = {};
    for (int i = 0; i < kSheetPages; ++i) {
      SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
      pages[i] = ShownPage(sheet);
    }
    for (Shape shape :
         {Shape{240, 320}, Shape{320, 240}, Shape{240, 240}, Shape{480, 640}, Shape{640, 480}, Shape{480, 480}}) {
      SetScreenSize(shape.width, shape.height);
      EXPECT_EQ(UiWindow::FromHandle(sheet)->Widget()->size(), QSize(shape.width, shape.height));
      DialogLayout layout = LayoutOf(shape.width, shape.height);
      for (int i = 0; i < kSheetPages; ++i) {
        EXPECT_TRUE(LaidOut(pages[i], SheetPageTable(i), layout)) << shape.width << "x" << shape.height;
        SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
        std::string name = std::string(kPageNames[i]) + "-" + std::to_string(shape.width) + "x" +
                           std::to_string(shape.height) + ".png";
        EXPECT_TRUE(SaveWindowPicture(sheet, std::string(ZELMORA_BINARY_DIR) + "/pictures/" + name));
      }
      // The Start/Stop button gets its caption back after every layout.
      EXPECT_EQ(TextOf(GetDlgItem(pages[0], IDC_SETUP_START_STOP)), L"Start GPS");
    }
    // Ctrl+R rotates the screen.
    SetScreenSize(320, 240);
    QShortcut* rotate = ShortcutOf(sheet, "Ctrl+R");
    ASSERT_NE(rotate, nullptr);
    emit rotate->activated();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 240);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 320);
    for (int i = 0; i < kSheetPages; ++i) EXPECT_TRUE(LaidOut(pages[i], SheetPageTable(i), kPortraitLayout));
    SendMessageW(sheet, WM_CLOSE, 0, 0);
  });
}

// A larger window zooms the handheld's screen instead of changing it: aspect
// kept, centred, its controls real widgets of the one window at their
// zoomed place while the program still sees handheld pixels, and a click
// lands on the control drawn under it.
TEST_F(ApplicationTest, AZoomedWindowShowsTheSameScreenAndMapsClicks) {
  Run([&](HWND sheet) {
    QWidget* window = UiWindow::FromHandle(sheet)->Widget();
    QWidget* screen = TabsOf(sheet)->parentWidget();
    HWND setup = ShownPage(sheet);
    HWND startHandle = GetDlgItem(setup, IDC_SETUP_START_STOP);
    QWidget* start = UiWindow::FromHandle(startHandle)->Widget();
    QWidget* scan = UiWindow::FromHandle(GetDlgItem(setup, IDC_SETUP_SCAN))->Widget();
    RECT handheld{};
    ASSERT_TRUE(GetWindowRect(startHandle, &handheld));
    const QPoint atOne = start->mapTo(screen, QPoint(0, 0));
    EXPECT_EQ(atOne, QPoint(handheld.left, handheld.top)) << "at 1:1 the screen's pixels are the handheld's";

    window->resize(1280, 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 480);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 640);
    // 1024 / 640 = 1.6: the screen is 768 wide, centred.
    EXPECT_EQ(screen->geometry(), QRect(256, 0, 768, 1024));
    RECT zoomed{};
    ASSERT_TRUE(GetWindowRect(startHandle, &zoomed));
    EXPECT_EQ(std::tuple(zoomed.left, zoomed.top, zoomed.right, zoomed.bottom),
              std::tuple(handheld.left, handheld.top, handheld.right, handheld.bottom));
    const QPoint corner = start->mapTo(screen, QPoint(0, 0));
    EXPECT_NEAR(corner.x(), handheld.left * 1.6, 1.0);
    EXPECT_NEAR(corner.y(), handheld.top * 1.6, 1.0);
    EXPECT_NEAR(start->width(), (handheld.right - handheld.left) * 1.6, 1.0);
    EXPECT_EQ(start->window(), window) << "the controls are the window's own widgets";
    int shown = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) shown += widget->isVisible() ? 1 : 0;
    EXPECT_EQ(shown, 1);

    int startClicks = 0;
    int scanClicks = 0;
    QObject::connect(static_cast<QPushButton*>(start), &QPushButton::clicked, [&] { ++startClicks; });
    QObject::connect(static_cast<QPushButton*>(scan), &QPushButton::clicked, [&] { ++scanClicks; });
    const QPoint inWindow = start->mapTo(window, start->rect().center());
    EXPECT_NE(inWindow, QPoint((handheld.left + handheld.right) / 2, (handheld.top + handheld.bottom) / 2));
    ClickWindow(window, inWindow);
    EXPECT_EQ(startClicks, 1);
    EXPECT_EQ(scanClicks, 0);

    // Ctrl+0 brings the window back to the screen's own size, 1:1.
    QShortcut* actualSize = ShortcutOf(sheet, "Ctrl+0");
    ASSERT_NE(actualSize, nullptr);
    emit actualSize->activated();
    EXPECT_EQ(window->size(), QSize(480, 640));
    EXPECT_EQ(start->mapTo(screen, QPoint(0, 0)), atOne);
    SendMessageW(sheet, WM_CLOSE, 0, 0);
  });
}

// Zooming in stops where the window would leave the desktop's free area.
TEST_F(ApplicationTest, TheLargestZoomFitsTheDesktop) {
  SetScreenSize(240, 320);
  Run([&](HWND sheet) {
    QWidget* window = UiWindow::FromHandle(sheet)->Widget();
    QShortcut* zoomIn = ShortcutOf(sheet, "Ctrl+=");
    ASSERT_NE(zoomIn, nullptr);
    for (int i = 0; i < 12; ++i) emit zoomIn->activated();
    const QRect room = window->screen()->availableGeometry();
    EXPECT_TRUE(room.contains(window->frameGeometry())) << "within the available area";
    EXPECT_GE(window->frameGeometry().height(), room.height() - 1) << "as large as it fits, frame included";
    SendMessageW(sheet, WM_CLOSE, 0, 0);
  });
}

// The raw box's frame is drawn on all four sides at every zoom.
TEST_F(ApplicationTest, TheRawBoxKeepsItsBorderAtEveryZoom) {
  SetScreenSize(240, 320);
  Run([&](HWND sheet) {
    QWidget* window = UiWindow::FromHandle(sheet)->Widget();
    QWidget* raw = UiWindow::FromHandle(GetDlgItem(ShownPage(sheet), IDC_SETUP_RAW_TEXT))->Widget();
    for (double zoom : {1.0, 1.1875, 1.25, 1.5, 2.0}) {
      window->resize(static_cast<int>(240 * zoom), static_cast<int>(320 * zoom));
      const QImage shown = window->grab().toImage();
      const QRect box(raw->mapTo(window, QPoint(0, 0)), raw->size());
      // The page around the box and the box's inside are white; its frame is not.
      const auto framed = [&](QPoint from, QPoint step, int count) {
        int inked = 0;
        for (int i = 0; i < count; ++i) inked += shown.pixel(from + step * i) != qRgb(255, 255, 255) ? 1 : 0;
        return inked == count;
      };
      EXPECT_TRUE(framed(box.topLeft() + QPoint(0, 2), QPoint(0, 1), box.height() - 4)) << "left at " << zoom;
      EXPECT_TRUE(framed(box.topLeft() + QPoint(2, 0), QPoint(1, 0), box.width() - 4)) << "top at " << zoom;
      EXPECT_TRUE(framed(box.topRight() + QPoint(0, 2), QPoint(0, 1), box.height() - 4)) << "right at " << zoom;
      EXPECT_TRUE(framed(box.bottomLeft() + QPoint(2, 0), QPoint(1, 0), box.width() - 4)) << "bottom at " << zoom;
    }
    SendMessageW(sheet, WM_CLOSE, 0, 0);
  });
}

TEST_F(ApplicationTest, TheSetupPageReadsItsSettingsUnderTheMakersKey) {
  const std::wstring key = L"Software\\Tavrin\\test_app";
  hive->CreateKey(key);
  hive->SetValue(key, L"PortName", StringValue(L"COM3: USB"));
  DWORD speed = 1200;
  hive->SetValue(key, L"BaudRate",
                 RegistryValue{REG_DWORD, {reinterpret_cast<BYTE*>(&speed), reinterpret_cast<BYTE*>(&speed) + 4}});
  Run([&](HWND sheet) {
    HWND setup = ShownPage(sheet);
    EXPECT_EQ(SendDlgItemMessageW(setup, IDC_SETUP_PORT, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendDlgItemMessageW(setup, IDC_SETUP_BAUD, CB_GETCURSEL, 0, 0), 0);
    SendMessageW(sheet, WM_CLOSE, 0, 0);
  });
}

TEST_F(ApplicationTest, TheHandheldsOwnBehaviourShowsTheDesignedThreePages) {
  const std::wstring key = L"Software\\Tavrin\\test_app";
  hive->CreateKey(key);
  DWORD gpsOnly = 1;
  hive->SetValue(key, L"GpsOnly",
                 RegistryValue{REG_DWORD, {reinterpret_cast<BYTE*>(&gpsOnly), reinterpret_cast<BYTE*>(&gpsOnly) + 4}});
  Run([&](HWND sheet) {
    QTabBar* tabs = TabsOf(sheet);
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Setup"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("GPS Info"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("About"));
    SendMessageW(sheet, WM_CLOSE, 0, 0);
  });
}

}  // namespace
