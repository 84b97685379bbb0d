#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

#include "platform/core/simulated_clock.h"
#include "platform/ui/message_box.h"
#include "platform/ui/timer_service.h"
#include "resources/resource_ids.h"
#include "ui_test_window.h"

namespace {

constexpr UINT kTestMessage = WM_USER + 7;

// Runs the event loop until `done`, or for ten seconds at most.
template <class Done>
void RunUntil(Done done) {
  QElapsedTimer elapsed;
  elapsed.start();
  QTimer tick;
  tick.start(5);
  while (!done() && elapsed.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

TEST(PostedMessages, ArriveInOrderOnTheUserInterfaceThread) {
  HWND dialog = CreateTestDialog(IDD_ABOUT_PORTRAIT);
  std::thread worker([dialog] {
    for (WPARAM i = 0; i < 200; ++i) PostMessageW(dialog, kTestMessage, i, 0);
  });
  worker.join();
  RunUntil([] { return ReceivedOf(kTestMessage).size() == 200; });
  std::vector<ReceivedMessage> got = ReceivedOf(kTestMessage);
  ASSERT_EQ(got.size(), 200u);
  for (WPARAM i = 0; i < 200; ++i) EXPECT_EQ(got[i].wParam, i);
  DestroyWindow(dialog);
}

TEST(PostedMessages, AreDroppedForAWindowThatHasGone) {
  HWND dialog = CreateTestDialog(IDD_ABOUT_PORTRAIT);
  HWND other = CreateTestDialog(IDD_ABOUT_SQUARE);
  EXPECT_TRUE(PostMessageW(dialog, kTestMessage, 1, 0));
  EXPECT_TRUE(PostMessageW(other, kTestMessage, 2, 0));
  DestroyWindow(dialog);
  EXPECT_FALSE(PostMessageW(dialog, kTestMessage, 3, 0));
  RunUntil([] { return !ReceivedOf(kTestMessage).empty(); });
  std::vector<ReceivedMessage> got = ReceivedOf(kTestMessage);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].window, other);
  DestroyWindow(other);
}

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { dialog = CreateTestDialog(IDD_ABOUT_PORTRAIT); }
  void TearDown() override { DestroyWindow(dialog); }
  void Pass(DWORD ms) {
    clock.Advance(ms);
    DeliverDueTimers();
  }
  std::size_t Timers() const { return ReceivedOf(WM_TIMER).size(); }

  SimulatedClock clock{1000, SimulatedClock::kManual};
  HWND dialog = nullptr;
};

TEST_F(TimerTest, SettingATimerAgainRestartsItsDelay) {
  EXPECT_EQ(SetTimer(dialog, 2, 100, nullptr), 2u);
  Pass(60);
  SetTimer(dialog, 2, 100, nullptr);
  Pass(60);
  EXPECT_EQ(Timers(), 0u);
  Pass(40);
  ASSERT_EQ(Timers(), 1u);
  EXPECT_EQ(ReceivedOf(WM_TIMER)[0].wParam, 2u);
}

TEST_F(TimerTest, RepeatsUntilKilledAndDiesWithItsWindow) {
  SetTimer(dialog, 1, 3000, nullptr);
  Pass(3000);
  Pass(3000);
  EXPECT_EQ(Timers(), 2u);
  EXPECT_TRUE(KillTimer(dialog, 1));
  EXPECT_FALSE(KillTimer(dialog, 1));
  Pass(3000);
  EXPECT_EQ(Timers(), 2u);

  SetTimer(dialog, 1, 100, nullptr);
  DestroyWindow(dialog);
  Received().clear();
  Pass(200);
  EXPECT_EQ(Timers(), 0u);
  EXPECT_EQ(SetTimer(dialog, 1, 100, nullptr), 0u);
  dialog = CreateTestDialog(IDD_ABOUT_PORTRAIT);
}

TEST_F(TimerTest, TimersAreDeliveredByTheEventLoop) {
  SetTimer(dialog, 5, 10, nullptr);
  clock.Advance(10);
  RunUntil([this] { return Timers() > 0; });
  EXPECT_EQ(Timers(), 1u);
}

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApplication();
    ClearMessageBoxesShown();
  }
  void TearDown() override { SetMessageBoxAnswerer({}); }
};

TEST_F(MessageBoxTest, TheAnswererStandsInForTheUserAndEveryBoxIsRecorded) {
  std::vector<std::wstring> asked;
  SetMessageBoxAnswerer([&](const MessageBoxRecord& box) {
    asked.push_back(box.text);
    return box.buttons == MB_YESNO ? IDNO : IDOK;
  });
  EXPECT_EQ(MessageBoxW(nullptr, L"Can not open port.", L"Zelmora", MB_ICONEXCLAMATION | MB_OK), IDOK);
  EXPECT_EQ(MessageBoxW(nullptr, L"Do you want to try again?", L"Zelmora", MB_ICONQUESTION | MB_YESNO), IDNO);
  EXPECT_EQ(asked.size(), 2u);
  const std::vector<MessageBoxRecord>& shown = MessageBoxesShown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, L"Can not open port.");
  EXPECT_EQ(shown[0].caption, L"Zelmora");
  EXPECT_EQ(shown[0].icon, MB_ICONEXCLAMATION);
  EXPECT_EQ(shown[0].buttons, MB_OK);
  EXPECT_EQ(shown[1].icon, MB_ICONQUESTION);
  EXPECT_EQ(shown[1].buttons, MB_YESNO);
}

// While a real box waits for the user, posted messages and timers go on.
TEST_F(MessageBoxTest, ARealBoxKeepsDeliveringPostedMessagesAndTimers) {
  SimulatedClock clock(0, SimulatedClock::kManual);
  HWND dialog = CreateTestDialog(IDD_ABOUT_PORTRAIT);
  SetTimer(dialog, 1, 50, nullptr);
  clock.Advance(50);
  std::thread([dialog] { PostMessageW(dialog, kTestMessage, 9, 0); }).join();
  bool seenInside = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    if (!ReceivedOf(kTestMessage).empty() && !ReceivedOf(WM_TIMER).empty()) {
      seenInside = true;
      box->button(QMessageBox::Yes)->click();
    }
  });
  poll.start(5);
  int answer = MessageBoxW(dialog, L"Do you want to try again?", L"Zelmora", MB_ICONQUESTION | MB_YESNO);
  EXPECT_TRUE(seenInside);
  EXPECT_EQ(answer, IDYES);
  EXPECT_EQ(MessageBoxesShown().size(), 1u);
  DestroyWindow(dialog);
}

}  // namespace
