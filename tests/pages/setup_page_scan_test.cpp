// The Scan button over real pseudo-terminals on simulated time: every port
// that opens costs 2000 ms of it.
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include "platform/ui/message_box.h"
#include "platform/ui/ui_window.h"
#include "resources/resource_ids.h"
#include "session_fixture.h"

namespace {

using Tries = std::vector<std::pair<std::wstring, DWORD>>;

class ReceiverScanTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    onOpen_ = [this] {
      scanButtonEnabledDuringOpens_ |= Enabled(IDC_SETUP_SCAN);
      const QCursor* cursor = QGuiApplication::overrideCursor();
      waitCursorDuringOpens_ &= cursor != nullptr && cursor->shape() == Qt::WaitCursor;
    };
  }
  // Scan; the simulated time it took.
  DWORD Scan() {
    const DWORD start = GetTickCount();
    Click(IDC_SETUP_SCAN);
    return GetTickCount() - start;
  }
  std::wstring SelectedPort() {
    std::wstring text;
    setup_->m_cbPort.GetLBText(setup_->m_cbPort.GetCurSel(), text);
    return text;
  }
  std::wstring SelectedSpeed() {
    std::wstring text;
    setup_->m_cbBaudRate.GetLBText(setup_->m_cbBaudRate.GetCurSel(), text);
    return text;
  }
  static Tries Round(DWORD speed, std::initializer_list<const wchar_t*> ports) {
    Tries tries;
    for (const wchar_t* port : ports) tries.emplace_back(port, speed);
    return tries;
  }

  bool scanButtonEnabledDuringOpens_ = false;
  bool waitCursorDuringOpens_ = true;
};

TEST_F(ReceiverScanTest, AReceiverAt9600OnTheThirdPortIsFoundAfterEveryOtherSpeedBeforeIt) {
  AddMutePort(1);
  sim::ReceiverOptions fast;
  fast.baud = 115200;
  AddReceiver(2, fast);
  sim::ReceiverOptions receiver;
  receiver.baud = 9600;
  AddReceiver(3, receiver);
  AddMutePort(4);
  SetDriverKey(4, L"Drivers\\BuiltIn\\IrDA\\irsir");
  AddMutePort(5);
  SetDriverKey(5, L"");
  RunSheet([&] {
    const DWORD took = Scan();
    Tries expected;
    for (DWORD speed : {4800u, 57600u}) {
      Tries round = Round(speed, {L"COM1:", L"COM2:", L"COM3:", L"COM5:"});
      expected.insert(expected.end(), round.begin(), round.end());
    }
    Tries last = Round(9600, {L"COM1:", L"COM2:", L"COM3:"});
    expected.insert(expected.end(), last.begin(), last.end());
    EXPECT_EQ(log_->Speeds(), expected) << "COM4:'s driver is no serial driver";
    EXPECT_EQ(took, 2000u * expected.size());
    EXPECT_EQ(SelectedPort().rfind(L"COM3: ", 0), 0u) << "the whole label is selected";
    EXPECT_EQ(setup_->m_cbPort.GetCurSel(), 2);
    EXPECT_EQ(SelectedSpeed(), L"9600");
    EXPECT_TRUE(MessageBoxesShown().empty()) << "a successful scan says nothing";
    EXPECT_FALSE(scanButtonEnabledDuringOpens_);
    EXPECT_TRUE(waitCursorDuringOpens_);
    EXPECT_TRUE(Enabled(IDC_SETUP_SCAN));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(log_->OpenPorts(), 0);

    // Start GPS then runs on the port and speed found.
    Click(IDC_SETUP_START_STOP);
    ASSERT_TRUE(PassUntil([&] { return SetupText(IDC_SETUP_RAW_TEXT).find(L"$GPRMC,") != std::wstring::npos; }, 3000));
    EXPECT_EQ(log_->Speeds().back(), (std::pair<std::wstring, DWORD>{L"COM3:", 9600}));
  });
  EXPECT_FALSE(StoredString(L"PortName").has_value()) << "the scan saves nothing";
}

// What counts as a receiver is the scan's own business (tests/session); the
// page's part when nothing is found: one message box, the speed left alone.
TEST_F(ReceiverScanTest, NothingFoundSaysGpsNotFoundAndKeepsTheChosenSpeed) {
  AddChattyPort(1, "$GNTXT,01,01,02,ANTSTATUS=OK*3B\r\n");
  RunSheet([&] {
    SelectSpeed(L"1200");
    EXPECT_EQ(Scan(), 7u * 2000u) << "COM1: at every speed";
    EXPECT_EQ(SelectedSpeed(), L"1200");
    ASSERT_EQ(MessageBoxesShown().size(), 1u);
    EXPECT_EQ(MessageBoxesShown()[0].text, L"GPS not found.");
    EXPECT_EQ(MessageBoxesShown()[0].icon, MB_ICONEXCLAMATION);
    EXPECT_EQ(MessageBoxesShown()[0].buttons, MB_OK);
    EXPECT_TRUE(Enabled(IDC_SETUP_SCAN));
  });
}

// While the scan listens the window keeps running: Qt's timers fire and the
// raw box tells what is tried, but a click is swallowed, and Escape ends
// the scan without a message instead of closing the sheet.
TEST_F(ReceiverScanTest, TheWindowLivesWhileScanningAndEscapeCancels) {
  AddMutePort(1);
  AddMutePort(2);
  int opens = 0;
  int timersFired = 0;
  std::vector<std::wstring> rawAtOpens;
  onOpen_ = [&] {
    ++opens;
    rawAtOpens.push_back(SetupText(IDC_SETUP_RAW_TEXT));
    QTimer::singleShot(0, [&] { ++timersFired; });
    QWidget* start = UiWindow::FromHandle(GetDlgItem(setup_->m_hWnd, IDC_SETUP_START_STOP))->Widget();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QCoreApplication::postEvent(start, new QMouseEvent(type, QPointF(5, 5), start->mapToGlobal(QPointF(5, 5)),
                                                         Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    }
    if (opens == 3) {
      QCoreApplication::postEvent(start->window(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    }
  };
  RunSheet([&] {
    EXPECT_EQ(Scan(), 2u * 2000u) << "Escape ends the third listen at once";
    EXPECT_EQ(log_->Speeds(), (Tries{{L"COM1:", 4800}, {L"COM2:", 4800}, {L"COM1:", 57600}}));
    EXPECT_EQ(timersFired, 3);
    ASSERT_EQ(rawAtOpens.size(), 3u);
    EXPECT_EQ(rawAtOpens[1], L"Scanning... (Esc cancels)\r\nTrying COM1: at 4800 bps\r\nTrying COM2: at 4800 bps\r\n");
    EXPECT_NE(SetupText(IDC_SETUP_RAW_TEXT).find(L"Trying COM1: at 57600 bps\r\nScan cancelled.\r\n"),
              std::wstring::npos);
    EXPECT_TRUE(MessageBoxesShown().empty()) << "the user cancelled: no message";
    EXPECT_FALSE(RunningLook()) << "clicks on Start GPS were swallowed";
    Pass(3000);
    EXPECT_FALSE(RunningLook());
    EXPECT_TRUE(Enabled(IDC_SETUP_SCAN));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(log_->OpenPorts(), 0);
    EXPECT_TRUE(IsWindow(sheet_)) << "Escape did not close the sheet";
  });
}

// The handheld's look: the raw box is not the scan's.
TEST_F(ReceiverScanTest, WithGpsOnlyDecodingTheRawBoxIsLeftAlone) {
  AddMutePort(1);
  WriteSetting(L"GpsOnly", 1);
  RunSheet([&] {
    Scan();
    EXPECT_EQ(SetupText(IDC_SETUP_RAW_TEXT), L"");
    EXPECT_EQ(MessageBoxesShown().size(), 1u);
  });
}

}  // namespace
