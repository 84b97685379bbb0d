// Windows at a zoom: their widgets are real widgets at the handheld geometry
// times the zoom, in fonts zoomed alike, while the API keeps answering in
// handheld pixels; message boxes, menus and drop-downs follow. (Clicks on
// the zoomed sheet: tests/app.)
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <tuple>

#include "platform/ui/edit_window.h"
#include "platform/ui/log_view.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_window.h"
#include "platform/ui/window_zoom.h"
#include "resources/resource_ids.h"
#include "ui_test_window.h"

namespace {

auto Edges(const RECT& r) { return std::tuple(r.left, r.top, r.right, r.bottom); }

class WindowZoomTest : public ::testing::TestWithParam<double> {
 protected:
  void SetUp() override {
    dialog = CreateTestDialog(IDD_SETUP_PORTRAIT);
    ASSERT_NE(dialog, nullptr);
    window = UiWindow::FromHandle(dialog);
  }
  void TearDown() override { DestroyWindow(dialog); }
  QWidget* WidgetOf(UINT id) const { return UiWindow::FromHandle(GetDlgItem(dialog, static_cast<int>(id)))->Widget(); }

  HWND dialog = nullptr;
  UiWindow* window = nullptr;
};

TEST_P(WindowZoomTest, ControlsSitAtTheirZoomedPlaceWhileTheApiAnswersInHandheldPixels) {
  const double zoom = GetParam();
  std::vector<std::tuple<HWND, RECT, RECT>> before;
  for (UiWindow* control : window->Children()) {
    RECT rect{};
    RECT client{};
    ASSERT_TRUE(GetWindowRect(control->Handle(), &rect));
    ASSERT_TRUE(GetClientRect(control->Handle(), &client));
    EXPECT_EQ(control->Widget()->geometry(),
              QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top));
    before.emplace_back(control->Handle(), rect, client);
  }
  const int buttonFont = QFontInfo(WidgetOf(IDC_SETUP_SCAN)->font()).pixelSize();

  window->SetZoom(zoom);
  for (const auto& [handle, rect, client] : before) {
    RECT now{};
    RECT nowClient{};
    ASSERT_TRUE(GetWindowRect(handle, &now));
    ASSERT_TRUE(GetClientRect(handle, &nowClient));
    EXPECT_EQ(Edges(now), Edges(rect));
    EXPECT_EQ(Edges(nowClient), Edges(client));
    // Every edge lies within half a pixel of the handheld edge times the zoom.
    const QRect shown = UiWindow::FromHandle(handle)->Widget()->geometry();
    EXPECT_LE(std::abs(shown.left() - rect.left * zoom), 0.5);
    EXPECT_LE(std::abs(shown.top() - rect.top * zoom), 0.5);
    EXPECT_LE(std::abs(shown.left() + shown.width() - rect.right * zoom), 0.5);
    if (UiWindow::FromHandle(handle)->GetKind() != UiWindow::Kind::ComboBox) {
      EXPECT_LE(std::abs(shown.top() + shown.height() - rect.bottom * zoom), 0.5);
    }
  }
  EXPECT_NEAR(QFontInfo(WidgetOf(IDC_SETUP_SCAN)->font()).pixelSize(), buttonFont * zoom, 1.0);

  window->SetZoom(1.0);
  for (const auto& [handle, rect, client] : before) {
    EXPECT_EQ(UiWindow::FromHandle(handle)->Widget()->geometry(),
              QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top));
  }
}

// Message boxes, the raw box's menu and the drop-downs are windows of their
// own; over a zoomed window they are zoomed too.
TEST_P(WindowZoomTest, MessageBoxesMenusAndDropDownsFollowTheZoom) {
  const double zoom = GetParam();
  SetMessageBoxAnswerer({});
  window->Widget()->show();
  // The pixel sizes of the pop-ups' fonts at the window's current zoom.
  const auto popUpFonts = [&] {
    int box = 0;
    QTimer::singleShot(0, [&] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* shown = qobject_cast<QMessageBox*>(widget); shown != nullptr && shown->isVisible()) {
          box = QFontInfo(shown->font()).pixelSize();
          shown->button(QMessageBox::Ok)->click();
        }
      }
    });
    MessageBoxW(dialog, L"Port not available", L"Zelmora", MB_OK | MB_ICONEXCLAMATION);

    int menu = 0;
    QTimer::singleShot(0, [&] {
      if (auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        menu = QFontInfo(shown->font()).pixelSize();
        shown->close();
      }
    });
    LogView* raw = dynamic_cast<EditWindow*>(UiWindow::FromHandle(GetDlgItem(dialog, IDC_SETUP_RAW_TEXT)))->View();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), raw->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(raw->viewport(), &event);

    auto* combo = static_cast<QComboBox*>(WidgetOf(IDC_SETUP_BAUD));
    combo->showPopup();
    const int list = QFontInfo(combo->view()->font()).pixelSize();
    combo->hidePopup();
    return std::tuple(box, menu, list);
  };
  const auto [box, menu, list] = popUpFonts();
  ASSERT_GT(box, 0);
  ASSERT_GT(menu, 0);
  window->SetZoom(zoom);
  const auto [zoomedBox, zoomedMenu, zoomedList] = popUpFonts();
  EXPECT_NEAR(zoomedBox, box * zoom, 1.0);
  EXPECT_NEAR(zoomedMenu, menu * zoom, 1.0);
  EXPECT_NEAR(zoomedList, list * zoom, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Zooms, WindowZoomTest, ::testing::Values(1.25, 2.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                           return info.param == 2.0 ? std::string("x2") : std::string("x1_25");
                         });

// A window zoomed in as far as it goes stays, with the window manager's
// frame, inside the desktop's free area, moved in when it would stick out.
TEST(WindowFitTest, TheLargestZoomFitsASmallAvailableAreaFrameIncluded) {
  const QRect room(0, 30, 800, 570);  // a panel across the top
  const QMargins frame(1, 20, 1, 5);
  const double zoom = ZoomThatFits(QSize(240, 320), 4.0, room, frame, 0.5);
  const QSize client(ZoomedCoordinate(240, zoom), ZoomedCoordinate(320, zoom));
  EXPECT_LE(client.height() + 25, 570);
  EXPECT_GE(client.height() + 25, 569) << "as large as fits";
  const QRect placed(PlaceInside(QRect(QPoint(700, 400), client.grownBy(frame)), room), client.grownBy(frame));
  EXPECT_TRUE(room.contains(placed));
  EXPECT_EQ(ZoomThatFits(QSize(240, 320), 1.25, room, frame, 0.5), 1.25) << "a zoom that fits is kept";
  EXPECT_EQ(ZoomThatFits(QSize(240, 320), 1.0, QRect(0, 0, 100, 100), frame, 0.5), 0.5) << "never below the smallest";
}

}  // namespace
