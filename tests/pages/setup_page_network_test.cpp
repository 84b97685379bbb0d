// Network sources on the Setup page: listed by their address, the speed
// greyed out while one is chosen, a session on them, Cold Start to a TCP
// peer and to a read-only gpsd, the reasons an open fails, and the
// reconnect after the connection ends. The servers are real, on loopback.
#include <QComboBox>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/ui/message_box.h"
#include "platform/ui/ui_window.h"
#include "resources/resource_ids.h"
#include "session_fixture.h"
#include "tests/support/loopback_peers.h"

namespace {

class SetupNetworkTest : public SessionTest {
 protected:
  // The user picks entry `entry` of the port list.
  void ChoosePort(int entry) {
    auto* combo = qobject_cast<QComboBox*>(UiWindow::FromHandle(GetDlgItem(setup_->m_hWnd, IDC_SETUP_PORT))->Widget());
    ASSERT_NE(combo, nullptr);
    combo->activated(entry);
  }
  std::wstring Label(int entry) {
    std::wstring text;
    setup_->m_cbPort.GetLBText(entry, text);
    return text;
  }
  std::vector<std::wstring> BoxTexts() {
    std::vector<std::wstring> texts;
    for (const MessageBoxRecord& box : MessageBoxesShown()) texts.push_back(box.text);
    return texts;
  }
};

std::string Tcp(unsigned port) { return "tcp://127.0.0.1:" + std::to_string(port); }

TEST_F(SetupNetworkTest, ATcpSourceIsListedByItsAddressHasNoSpeedAndTakesColdStart) {
  AddReceiver(1);
  const std::string log = TestLog("garmin-geko201.log");
  std::mutex lock;
  std::string heard;
  {
    TcpPeer server([&](int fd, const std::atomic<bool>& stop) {
      SendAll(fd, log);
      const std::string bytes = ReceiveUntilClosed(fd, stop);
      std::lock_guard guard(lock);
      heard = bytes;
    });
    ports_->Table().PinPort(3, Tcp(server.Port()));
    RunSheet([&] {
      EXPECT_EQ(Label(2), L"COM3: tcp 127.0.0.1:" + std::to_wstring(server.Port()));
      EXPECT_TRUE(Enabled(IDC_SETUP_BAUD));
      ChoosePort(2);
      EXPECT_FALSE(Enabled(IDC_SETUP_BAUD)) << "the speed does not apply";
      ChoosePort(0);
      EXPECT_TRUE(Enabled(IDC_SETUP_BAUD));
      ChoosePort(2);
      Click(IDC_SETUP_START_STOP);
      ASSERT_TRUE(PassUntil([&] { return SetupText(IDC_SETUP_RAW_TEXT).find(L"$GP") != std::wstring::npos; }, 5000));
      EXPECT_TRUE(RunningLook());
      EXPECT_FALSE(Enabled(IDC_SETUP_BAUD));
      Click(IDC_SETUP_COLD_START);
      Pass(200);
      SavePicture(setup_->m_hWnd, "setup_network_tcp.png");
      Click(IDC_SETUP_START_STOP);
      EXPECT_FALSE(RunningLook());
      EXPECT_FALSE(Enabled(IDC_SETUP_BAUD)) << "still a network port chosen";
    });
  }
  EXPECT_EQ(heard.substr(0, 2), "$P") << "the cold start reached the server";
  EXPECT_TRUE(heard.ends_with("\r\n"));
  EXPECT_TRUE(MessageBoxesShown().empty());
}

TEST_F(SetupNetworkTest, ColdStartOnGpsdSaysTheSourceIsReadOnly) {
  TcpPeer gpsd(GpsdStandIn({"/dev/ttyACM0"}, TestLog("garmin-geko201.log"), nullptr));
  ports_->Table().PinPort(4, "gpsd://127.0.0.1:" + std::to_string(gpsd.Port()) + "/dev/ttyACM0");
  WriteSetting(L"PortName", L"COM4:");
  RunSheet([&] {
    EXPECT_EQ(Label(3), L"COM4: gpsd 127.0.0.1:" + std::to_wstring(gpsd.Port()) + L" /dev/ttyACM0");
    EXPECT_FALSE(Enabled(IDC_SETUP_BAUD)) << "the saved port is a network source";
    Click(IDC_SETUP_START_STOP);
    ASSERT_TRUE(PassUntil([&] { return SetupText(IDC_SETUP_RAW_TEXT).find(L"$GP") != std::wstring::npos; }, 5000));
    Click(IDC_SETUP_COLD_START);
    EXPECT_NE(SetupText(IDC_SETUP_RAW_TEXT).find(L"-- read-only source: nothing was sent --"), std::wstring::npos);
  });
}

TEST_F(SetupNetworkTest, AnOpenThatFailsSaysWhy) {
  // A port bound without a listener refuses; gpsd with two devices wants one named.
  RefusingPort refusing;
  ports_->Table().PinPort(3, Tcp(refusing.Port()));
  TcpPeer gpsd(GpsdStandIn({"/dev/ttyACM0", "/dev/ttyUSB0"}, "", nullptr));
  ports_->Table().PinPort(4, "gpsd://127.0.0.1:" + std::to_string(gpsd.Port()));
  ports_->Table().PinPort(5, "tcp://no-receiver.invalid:10110");
  SetMessageBoxAnswerer([](const MessageBoxRecord& box) { return box.buttons == MB_YESNO ? IDNO : IDOK; });
  RunSheet([&] {
    for (int entry : {2, 3, 4}) {
      ChoosePort(entry);
      Click(IDC_SETUP_START_STOP);
      Pass(200);
      EXPECT_FALSE(RunningLook());
    }
  });
  const std::wstring again = L"Do you want to try again?";
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::wstring>{L"Can not open port.\nConnection refused: is the server running?", again,
                                       L"Can not open port.\ngpsd has several devices; name one in the port's address: "
                                       L"/dev/ttyACM0, /dev/ttyUSB0",
                                       again, L"Can not open port.\nNo such host: is the name right?", again}));
}

TEST_F(SetupNetworkTest, AConnectionThatEndsIsOpenedAgainAsASilentReceiverIs) {
  std::atomic<int> sent{0};
  TcpPeer server([&sent](int fd, const std::atomic<bool>&) {
    SendAll(fd, TestLog("garmin-geko201.log"));
    ++sent;
  });
  ports_->Table().PinPort(3, Tcp(server.Port()));
  WriteSetting(L"PortName", L"COM3:");
  RunSheet([&] {
    Click(IDC_SETUP_START_STOP);
    ASSERT_TRUE(PassUntil([&] { return setup_->m_pReadThread != nullptr; }, 1000));
    // The server's thread runs in real time, outside the test's clock: the
    // silence is timed only once its log is all on the way, or a slow
    // server (under a sanitizer) would move the silence past the limit.
    // Waiting here without sleeping on the clock holds the test's time still.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sent == 0 && std::chrono::steady_clock::now() < limit) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(sent, 1);
    // The server has sent its log and hung up: about 5 s of silence, then
    // the session is rebuilt 1500 ms later on a new connection (the
    // listener still takes it).
    ASSERT_TRUE(PassUntil([&] { return setup_->m_pReadThread == nullptr; }, 7000));
    EXPECT_TRUE(RunningLook());
    ASSERT_TRUE(PassUntil([&] { return setup_->m_pReadThread != nullptr; }, 2000));
    EXPECT_EQ(log_->Opens(), (std::vector<std::wstring>{L"COM3:", L"COM3:"}));
  });
  EXPECT_TRUE(MessageBoxesShown().empty());
}

}  // namespace
