// The GPS session as the user drives it: the program's sheet with the
// simulated receiver on COM1: at 4800 bps, on simulated time.
#include <QGuiApplication>
#include <QImage>
#include <QScrollBar>
#include <regex>
#include <unistd.h>

#include "acquisition/gps_read_thread.h"
#include "platform/core/window_core.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/log_view.h"
#include "platform/ui/screen.h"
#include "platform/ui/message_box.h"
#include "platform/ui/property_sheet_window.h"
#include "resources/resource_ids.h"
#include "session_fixture.h"
#include "tests/support/canned_epoch.h"

namespace {

const std::string kColdStart = "$PSRF104,0,0,0,96000,237759,1946,12,4*1D\r\n";

bool Matches(const std::wstring& text, const wchar_t* pattern) { return std::regex_match(text, std::wregex(pattern)); }

// Pixels of the satellite colours (used: navy, not used: red) in a picture
// of the GPS Info page.
int SatellitePixels(const std::string& picture) {
  QImage image(QString::fromStdString(picture));
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      QRgb pixel = image.pixel(x, y);
      if (pixel == qRgb(0, 0, 128) || pixel == qRgb(255, 0, 0)) ++count;
    }
  }
  return count;
}

std::string PicturePath(const std::string& name) { return std::string(ZELMORA_BINARY_DIR) + "/pictures/" + name; }

class SessionControlTest : public SessionTest {
 protected:
  // Start GPS, and the session runs once the first sentences show.
  void StartSession() {
    Click(IDC_SETUP_START_STOP);
    ASSERT_TRUE(PassUntil([this] { return !SetupText(IDC_SETUP_RAW_TEXT).empty(); }, 3000));
  }
  bool InfoFilled() {
    for (UINT id : {IDC_INFO_DATE, IDC_INFO_TIME, IDC_INFO_SPEED, IDC_INFO_COURSE, IDC_INFO_FIX, IDC_INFO_LAT,
                    IDC_INFO_LON, IDC_INFO_ALTITUDE, IDC_INFO_PDOP}) {
      if (InfoText(id).empty()) return false;
    }
    return true;
  }
  std::vector<std::wstring> BoxTexts() {
    std::vector<std::wstring> texts;
    for (const MessageBoxRecord& box : MessageBoxesShown()) texts.push_back(box.text);
    return texts;
  }
};

TEST_F(SessionControlTest, StartShowsTheSentencesAndTheGpsInfoThenStopEndsTheSession) {
  sim::ReceiverOptions options;
  options.utc_start_s = 1'710'000'000;  // 2024-03-09 16:00:00 UTC
  AddReceiver(1, options);
  RunSheet([&] {
    EXPECT_EQ(SetupText(IDC_SETUP_START_STOP), L"Start GPS");
    EXPECT_FALSE(RunningLook());
    SavePicture(info_->m_hWnd, "session-info-before-start.png");
    StartSession();
    EXPECT_EQ(SetupText(IDC_SETUP_START_STOP), L"Stop GPS");
    EXPECT_FALSE(Enabled(IDC_SETUP_PORT));
    EXPECT_FALSE(Enabled(IDC_SETUP_BAUD));
    EXPECT_FALSE(Enabled(IDC_SETUP_SCAN));
    EXPECT_TRUE(Enabled(IDC_SETUP_COLD_START));
    EXPECT_EQ(log_->Opens(), std::vector<std::wstring>{L"COM1:"});
    ASSERT_FALSE(log_->Speeds().empty());
    EXPECT_EQ(log_->Speeds().back().second, 4800u);

    ASSERT_TRUE(PassUntil([&] { return InfoFilled() && InfoText(IDC_INFO_FIX) != L"No Fix"; }, 60000))
        << "GPS Info never filled";
    Pass(3000);
    std::wstring raw = SetupText(IDC_SETUP_RAW_TEXT);
    EXPECT_NE(raw.find(L"$GPRMC,"), std::wstring::npos);
    EXPECT_NE(raw.find(L"$GPGSV,"), std::wstring::npos);
    EXPECT_LE(raw.size(), 1024u);
    EXPECT_EQ(raw.substr(raw.size() - 2), L"\r\n");
    EXPECT_EQ(InfoText(IDC_INFO_DATE), L"2024/03/09");
    EXPECT_TRUE(Matches(InfoText(IDC_INFO_TIME), L"16:0[0-9]:[0-5][0-9]")) << InfoText(IDC_INFO_TIME);
    EXPECT_TRUE(Matches(InfoText(IDC_INFO_SPEED), L"[0-9]+\\.[0-9] km/h")) << InfoText(IDC_INFO_SPEED);
    EXPECT_TRUE(Matches(InfoText(IDC_INFO_COURSE), L"(N|NE|E|SE|S|SW|W|NW) [0-9]+\u00b0")) << InfoText(IDC_INFO_COURSE);
    EXPECT_TRUE(Matches(InfoText(IDC_INFO_FIX), L"2D|3D")) << InfoText(IDC_INFO_FIX);
    EXPECT_TRUE(Matches(InfoText(IDC_INFO_LAT), L"[NS] [0-9]+\u00b0[0-9]+'[0-9]+\"")) << InfoText(IDC_INFO_LAT);
    EXPECT_TRUE(Matches(InfoText(IDC_INFO_LON), L"[EW] [0-9]+\u00b0[0-9]+'[0-9]+\"")) << InfoText(IDC_INFO_LON);
    EXPECT_TRUE(Matches(InfoText(IDC_INFO_ALTITUDE), L"-?[0-9]+\\.[0-9]")) << InfoText(IDC_INFO_ALTITUDE);
    EXPECT_TRUE(Matches(InfoText(IDC_INFO_PDOP), L"[0-9]+\\.[0-9]")) << InfoText(IDC_INFO_PDOP);

    SavePicture(sheet_, "session-setup-running.png");
    ShowPage(1);
    SavePicture(sheet_, "session-info-running.png");
    SavePicture(info_->m_hWnd, "session-info-sky.png");
    ShowPage(0);
    EXPECT_EQ(SatellitePixels(PicturePath("session-info-before-start.png")), 0);
    EXPECT_GT(SatellitePixels(PicturePath("session-info-sky.png")), 100) << "no satellites in the sky view";

    Click(IDC_SETUP_START_STOP);
    EXPECT_EQ(SetupText(IDC_SETUP_START_STOP), L"Start GPS");
    EXPECT_TRUE(Enabled(IDC_SETUP_PORT));
    EXPECT_TRUE(Enabled(IDC_SETUP_BAUD));
    EXPECT_TRUE(Enabled(IDC_SETUP_SCAN));
    EXPECT_FALSE(Enabled(IDC_SETUP_COLD_START));
    EXPECT_EQ(setup_->m_pReadThread, nullptr);
    EXPECT_EQ(info_->m_pReadThread, nullptr);
    EXPECT_EQ(log_->OpenPorts(), 0);
    // Stopping clears nothing, and nothing starts again by itself.
    std::wstring date = InfoText(IDC_INFO_DATE);
    raw = SetupText(IDC_SETUP_RAW_TEXT);
    Pass(8000);
    EXPECT_EQ(InfoText(IDC_INFO_DATE), date);
    EXPECT_EQ(SetupText(IDC_SETUP_RAW_TEXT), raw);
    EXPECT_EQ(log_->Opens().size(), 1u);
  });
  EXPECT_TRUE(MessageBoxesShown().empty());
}

TEST_F(SessionControlTest, ColdStartSendsTheSentenceAndTheReceiverReacquiresItsFix) {
  sim::SimulatedReceiver& receiver = AddReceiver(1);
  RunSheet([&] {
    StartSession();
    ASSERT_TRUE(PassUntil([&] { return Matches(InfoText(IDC_INFO_FIX), L"2D|3D"); }, 60000));
    ASSERT_TRUE(log_->Written().empty());
    Click(IDC_SETUP_COLD_START);
    EXPECT_EQ(log_->Written(), kColdStart);
    ASSERT_TRUE(UntilHeard(receiver, 42));
    ASSERT_TRUE(PassUntil([&] { return receiver.Stats().cold_starts == 1; }, 1000));
    EXPECT_EQ(receiver.Stats().bytes_received, 42u);
    EXPECT_TRUE(RunningLook()) << "nothing changes on the page";
    ASSERT_TRUE(PassUntil([&] { return InfoText(IDC_INFO_FIX) == L"No Fix"; }, 10000)) << "the fix was not lost";
    ASSERT_TRUE(PassUntil([&] { return Matches(InfoText(IDC_INFO_FIX), L"2D|3D"); }, 90000))
        << "the fix did not come back";
    EXPECT_NE(setup_->m_pReadThread, nullptr) << "the session ran on";
  });
}

// A receiver whose own sentences or frames name its family gets that
// family's cold start, a line in the raw box says so, and each session
// learns the family anew; a receiver nothing names gets the handheld's.
TEST_F(SessionControlTest, ColdStartSpeaksTheFamilyTheReceiverNamedItself) {
  const int receiver = AddMutePort(1);
  const std::string ubxCold("\xB5\x62\x06\x04\x04\x00\xFF\xFF\x02\x00\x0E\x61", 12);
  struct Case {
    const char* name;
    std::string says;
    std::string coldStart;
  };
  const Case cases[] = {
      {"MediaTek's power-up line", "$PMTK011,MTKGPS*08\r\n", "$PMTK103*30\r\n"},
      {"a UBX frame amid the sentences", "$GNGSA,A,1,,,,,,,,,,,,,,,1*00\r\n" + ubxCold + "\r\n", ubxCold},
      {"nothing that names it", "$GNTXT,01,01,02,ANTSTATUS=OK*3B\r\n", kColdStart},
  };
  RunSheet([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      Click(IDC_SETUP_START_STOP);
      Pass(300);
      ASSERT_TRUE(RunningLook());
      const std::string says = c.says + std::string(kCannedEpoch);
      ASSERT_EQ(write(receiver, says.data(), says.size()), static_cast<ssize_t>(says.size()));
      Pass(1500);
      const std::size_t before = log_->Written().size();
      Click(IDC_SETUP_COLD_START);
      EXPECT_EQ(log_->Written().substr(before), c.coldStart);
      const bool mentioned = SetupText(IDC_SETUP_RAW_TEXT).find(L"cold start sent") != std::wstring::npos;
      EXPECT_EQ(mentioned, c.coldStart != kColdStart);
      Click(IDC_SETUP_START_STOP);
      ASSERT_FALSE(RunningLook());
    }
  });
}

TEST_F(SessionControlTest, WithGpsOnlyDecodingColdStartIsTheHandheldsWhateverTheReceiverSays) {
  const int receiver = AddMutePort(1);
  WriteSetting(L"GpsOnly", 1);
  RunSheet([&] {
    Click(IDC_SETUP_START_STOP);
    Pass(300);
    const std::string says = "$PMTK011,MTKGPS*08\r\n" + std::string(kCannedEpoch);
    ASSERT_EQ(write(receiver, says.data(), says.size()), static_cast<ssize_t>(says.size()));
    Pass(1500);
    Click(IDC_SETUP_COLD_START);
    EXPECT_EQ(log_->Written(), kColdStart);
  });
}

TEST_F(SessionControlTest, ASilentReceiverIsReconnectedEveryTimeAndTheSessionResumes) {
  sim::SimulatedReceiver& receiver = AddReceiver(1);
  RunSheet([&] {
    StartSession();
    Pass(2000);
    receiver.GoSilent(14000);
    const DWORD silentAt = GetTickCount();
    // Torn down about 5.2 s after the last byte, rebuilt 1500 ms later, and
    // again while the receiver stays silent.
    int rebuilds = 0;
    for (int round = 0; round < 2; ++round) {
      ASSERT_TRUE(PassUntil([&] { return setup_->m_pReadThread == nullptr; }, 7000)) << "round " << round << [&] {
        std::string text = ", silent at " + std::to_string(silentAt) + ", reads:";
        for (auto [tick, count] : log_->Reads()) text += " " + std::to_string(tick) + ":" + std::to_string(count);
        return text;
      }();
      const DWORD lostAt = GetTickCount();
      EXPECT_EQ(info_->m_pReadThread, nullptr);
      EXPECT_TRUE(RunningLook()) << "the controls keep the running look";
      EXPECT_EQ(SetupText(IDC_SETUP_START_STOP), L"Stop GPS");
      EXPECT_EQ(log_->OpenPorts(), 0);
      ASSERT_TRUE(PassUntil([&] { return setup_->m_pReadThread != nullptr; }, 2000));
      EXPECT_NEAR(static_cast<double>(GetTickCount() - lostAt), 1500.0, 2.0 * kStepMs);
      ++rebuilds;
    }
    EXPECT_EQ(rebuilds, 2);
    EXPECT_GE(GetTickCount() - silentAt, 2u * (5200 + 1500) - 400);
    // The receiver talks again: the sentences come back on the same session.
    ASSERT_TRUE(PassUntil([&] { return !SetupText(IDC_SETUP_RAW_TEXT).empty(); }, 10000));
    CGPSReadThread* session = setup_->m_pReadThread;
    ASSERT_TRUE(PassUntil([&] { return InfoFilled(); }, 5000));
    Pass(8000);
    EXPECT_EQ(setup_->m_pReadThread, session) << "a talking receiver keeps its session";
    EXPECT_EQ(log_->Opens().size(), 3u);
  });
  EXPECT_TRUE(MessageBoxesShown().empty());
}

TEST_F(SessionControlTest, APortThatDoesNotOpenAsksAndYesRetriesWithThePortChosenMeanwhile) {
  AddReceiver(1);
  WriteSetting(L"PortName", L"COM5:");
  std::vector<int> answers = {IDYES};
  SetMessageBoxAnswerer([&](const MessageBoxRecord& box) {
    if ((box.buttons & MB_TYPEMASK) != MB_YESNO) return IDOK;
    int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  });
  RunSheet([&] {
    Click(IDC_SETUP_START_STOP);
    Pass(100);
    ASSERT_EQ(MessageBoxesShown().size(), 2u);
    const MessageBoxRecord& cannot = MessageBoxesShown()[0];
    EXPECT_EQ(cannot.text, L"Can not open port.\nNo such device: is the receiver plugged in?")
        << "the designed first line, then the system's reason";
    EXPECT_EQ(cannot.icon, MB_ICONEXCLAMATION);
    EXPECT_EQ(cannot.buttons, MB_OK);
    EXPECT_EQ(cannot.caption, AfxGetAppName());
    const MessageBoxRecord& again = MessageBoxesShown()[1];
    EXPECT_EQ(again.text, L"Do you want to try again?");
    EXPECT_EQ(again.icon, MB_ICONQUESTION);
    EXPECT_EQ(again.buttons, MB_YESNO);
    // The retry waits 1500 ms in the stopped look: the user picks COM1:.
    EXPECT_FALSE(RunningLook());
    EXPECT_TRUE(Enabled(IDC_SETUP_PORT));
    SelectPort(0);
    Pass(1490);
    EXPECT_EQ(setup_->m_pReadThread, nullptr);
    ASSERT_TRUE(PassUntil([&] { return setup_->m_pReadThread != nullptr; }, 20));
    EXPECT_TRUE(RunningLook());
    EXPECT_EQ(log_->Opens(), std::vector<std::wstring>{L"COM1:"});
    EXPECT_EQ(MessageBoxesShown().size(), 2u);
  });
}

TEST_F(SessionControlTest, APortThatDoesNotOpenAndNoLeavesThePageIdle) {
  WriteSetting(L"PortName", L"COM5:");
  WriteSetting(L"DemoMode", 1);
  SetMessageBoxAnswerer([](const MessageBoxRecord& box) { return box.buttons == MB_YESNO ? IDNO : IDOK; });
  RunSheet([&] {
    Click(IDC_SETUP_START_STOP);
    Pass(5000);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Can not open port.\nNo such device: is the receiver plugged in?",
                                                     L"Do you want to try again?"}))
        << "demo mode fails like any session";
    EXPECT_FALSE(RunningLook());
    EXPECT_EQ(SetupText(IDC_SETUP_START_STOP), L"Start GPS");
    EXPECT_EQ(setup_->m_pReadThread, nullptr);
  });
}

TEST_F(SessionControlTest, WithGpsOnlyDecodingAPortThatDoesNotOpenSaysTheDesignedLineAlone) {
  WriteSetting(L"PortName", L"COM5:");
  WriteSetting(L"GpsOnly", 1);
  SetMessageBoxAnswerer([](const MessageBoxRecord& box) { return box.buttons == MB_YESNO ? IDNO : IDOK; });
  RunSheet([&] {
    Click(IDC_SETUP_START_STOP);
    Pass(100);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Can not open port.", L"Do you want to try again?"}));
  });
}

TEST_F(SessionControlTest, TheRawBoxShowsItsEndAndIsLeftAloneWhileItsTextStaysTheSame) {
  sim::SimulatedReceiver& receiver = AddReceiver(1);
  RunSheet([&] {
    StartSession();
    ASSERT_TRUE(PassUntil([&] { return SetupText(IDC_SETUP_RAW_TEXT).size() >= 1000; }, 10000));
    QScrollBar* scroll = dynamic_cast<EditWindow*>(UiWindow::FromHandle(GetDlgItem(setup_->m_hWnd, IDC_SETUP_RAW_TEXT)))
                             ->View()
                             ->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), scroll->maximum()) << "the newest line is in view";
    // With the receiver silent, announcements change nothing in the box:
    // the user's scroll position stays.
    receiver.GoSilent(4000);
    Pass(1500);
    scroll->setValue(0);
    PostMessageW(setup_->m_hWnd, WM_GPSUPDATE, 2, 0);
    PostMessageW(setup_->m_hWnd, WM_GPSUPDATE, 0, 0);
    Pass(100);
    EXPECT_EQ(scroll->value(), 0);
    ASSERT_TRUE(PassUntil([&] { return scroll->value() == scroll->maximum(); }, 5000))
        << "a new line brings the end back into view";
  });
}

// On the square screen the raw box has four rows; scrolled to its end it
// shows the newest sentences in every row but the last, which holds the
// empty line after the final line break, at 1:1 and zoomed.
TEST_F(SessionControlTest, OnASquareScreenTheRawBoxFillsItsRowsUpToTheNewestSentence) {
  SetScreenSize(240, 240);
  AddReceiver(1);
  RunSheet([&] {
    StartSession();
    ASSERT_TRUE(PassUntil([&] { return SetupText(IDC_SETUP_RAW_TEXT).size() >= 1000; }, 10000));
    LogView* view =
        dynamic_cast<EditWindow*>(UiWindow::FromHandle(GetDlgItem(setup_->m_hWnd, IDC_SETUP_RAW_TEXT)))->View();
    const auto rowsBelowTheText = [&] {
      const QString& text = view->Text();
      const QRect newest = view->CharacterRect(static_cast<int>(text.lastIndexOf(u'\n', -2)) + 1);
      EXPECT_TRUE(newest.isValid());
      const int textBottom = newest.bottom() + 1 + newest.height();  // the empty last line
      return static_cast<double>(view->viewport()->height() - textBottom) / newest.height();
    };
    EXPECT_GE(view->viewport()->height() / view->fontMetrics().height(), 4) << "four rows";
    EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    EXPECT_LT(rowsBelowTheText(), 1.0);

    UiWindow::FromHandle(RunningPropertySheet())->Widget()->resize(480, 480);
    Pass(1500);
    EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    EXPECT_LT(rowsBelowTheText(), 1.0) << "zoomed";
  });
}

// New lines that push out nearly every line of the raw box at once, with the
// box in view and when it comes back into view: a receiver that gets its
// first fix while the user switches pages.
TEST_F(SessionControlTest, LinesThatPushOutTheWholeRawBoxLeaveItShowingItsEnd) {
  const int receiver = AddMutePort(1);
  const auto say = [&](const std::string& bytes) {
    ASSERT_EQ(write(receiver, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  };
  // The six canned sentences of demo mode, as a receiver would send them.
  const std::string fix(kCannedEpoch);
  const std::string noFix = "$GPRMC,,V,,,,,,,,,,N*53\r\n$GPGSA,A,1,,,,,,,,,,,,,,,*1E\r\n";
  LogView* view = nullptr;
  const auto showsTheEnd = [&](const std::string& last) {
    const QString text = view->Text();
    QScrollBar* bar = view->verticalScrollBar();
    return text.endsWith(QString::fromStdString(last.substr(last.size() - 40, 38)) + u'\n') &&
           bar->value() == bar->maximum() && bar->value() < view->LineCount();
  };
  RunSheet([&] {
    Click(IDC_SETUP_START_STOP);
    Pass(300);
    view = dynamic_cast<EditWindow*>(UiWindow::FromHandle(GetDlgItem(setup_->m_hWnd, IDC_SETUP_RAW_TEXT)))->View();
    std::string shortLines;
    for (int i = 0; i < 300; ++i) shortLines += "OK\r\n";
    say(shortLines);
    Pass(1500);
    say(fix + fix + fix.substr(0, fix.size() / 2));
    say(fix.substr(fix.size() / 2));
    ASSERT_TRUE(PassUntil([&] { return showsTheEnd(fix); }, 2000)) << "in view";

    for (int i = 0; i < 40; ++i) say(noFix);
    Pass(1000);
    ShowPage(1);
    for (int second = 0; second < 2; ++second) {
      say(fix);
      Pass(1000);
    }
    ShowPage(0);
    ASSERT_TRUE(PassUntil([&] { return showsTheEnd(fix); }, 2000)) << "back in view";
    view->grab();
  });
}

TEST_F(SessionControlTest, RotatingTheScreenWhileRunningKeepsStopGps) {
  AddReceiver(1);
  RunSheet([&] {
    StartSession();
    RotateScreen();
    EXPECT_EQ(SetupText(IDC_SETUP_START_STOP), L"Stop GPS");
    EXPECT_TRUE(RunningLook());
    Click(IDC_SETUP_START_STOP);
    RotateScreen();
    EXPECT_EQ(SetupText(IDC_SETUP_START_STOP), L"Start GPS");
  });
}

TEST_F(SessionControlTest, ASpeedThatIsNotInTheListStartsAtSpeedZeroAndFails) {
  AddReceiver(1);
  WriteSetting(L"BaudRate", 12345);
  RunSheet([&] {
    EXPECT_EQ(setup_->m_cbBaudRate.GetCurSel(), -1);
    Click(IDC_SETUP_START_STOP);
    Pass(100);
    EXPECT_EQ(log_->Speeds(), (std::vector<std::pair<std::wstring, DWORD>>{{L"COM1:", 0}}));
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{L"Can not open port.\nNot a serial port, or it refused the speed.",
                                                     L"Do you want to try again?"}));
    EXPECT_FALSE(RunningLook());
  });
}

TEST_F(SessionControlTest, DemoModeShowsTheCannedDataWhileTheRawBoxShowsTheReceiver) {
  AddReceiver(1);
  WriteSetting(L"DemoMode", 1);
  RunSheet([&] {
    StartSession();
    ASSERT_TRUE(PassUntil([&] { return InfoFilled(); }, 5000));
    EXPECT_EQ(InfoText(IDC_INFO_DATE), L"2007/03/09");
    EXPECT_EQ(InfoText(IDC_INFO_TIME), L"01:33:48");
    EXPECT_EQ(InfoText(IDC_INFO_SPEED), L"11.3 km/h");
    EXPECT_EQ(InfoText(IDC_INFO_COURSE), L"E 101\u00b0");
    EXPECT_EQ(InfoText(IDC_INFO_FIX), L"3D");
    EXPECT_EQ(InfoText(IDC_INFO_LAT), L"N 24\u00b011'9\"");
    EXPECT_EQ(InfoText(IDC_INFO_LON), L"E 120\u00b036'36\"");
    EXPECT_EQ(InfoText(IDC_INFO_ALTITUDE), L"0.0");
    EXPECT_EQ(InfoText(IDC_INFO_PDOP), L"7.5");
    std::wstring raw = SetupText(IDC_SETUP_RAW_TEXT);
    EXPECT_NE(raw.find(L"$GPRMC,"), std::wstring::npos);
    EXPECT_EQ(raw.find(L"090307"), std::wstring::npos) << "the raw box shows what the receiver sent";
    ShowPage(1);
    SavePicture(sheet_, "session-info-demo.png");
    SendMessageW(sheet_, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(StoredNumber(L"DemoMode"), 1u) << "the switch survives OK";
}

TEST_F(SessionControlTest, AReceiverAtAnotherSpeedShowsTheWrongSpeedHintInTheRawBoxOnly) {
  sim::ReceiverOptions options;
  options.baud = 9600;  // the page opens COM1: at 4800
  AddReceiver(1, options);
  RunSheet([&] {
    Click(IDC_SETUP_START_STOP);
    Pass(2000);
    EXPECT_EQ(SetupText(IDC_SETUP_RAW_TEXT), L"") << "no sentence forms from what arrives";
    ASSERT_TRUE(PassUntil([this] { return !SetupText(IDC_SETUP_RAW_TEXT).empty(); }, 2500));
    Pass(5000);
    EXPECT_EQ(SetupText(IDC_SETUP_RAW_TEXT), L"No NMEA sentences at 4800 bps.\r\nWrong speed? Try Scan.\r\n");
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(SetupText(IDC_SETUP_START_STOP), L"Stop GPS");
    EXPECT_EQ(log_->Opens(), std::vector<std::wstring>{L"COM1:"}) << "the session goes on as before";
    Click(IDC_SETUP_START_STOP);
    SendMessageW(sheet_, WM_COMMAND, IDOK, 0);
  });
}

TEST_F(SessionControlTest, TwoStartClicksWithin100MsStartOneSession) {
  AddReceiver(1);
  RunSheet([&] {
    Click(IDC_SETUP_START_STOP);
    Pass(60);
    Click(IDC_SETUP_START_STOP);
    Pass(90);
    EXPECT_EQ(setup_->m_pReadThread, nullptr) << "the second click restarted the delay";
    EXPECT_TRUE(PassUntil([&] { return setup_->m_pReadThread != nullptr; }, 20));
    Pass(3000);
    EXPECT_EQ(log_->Opens().size(), 1u);
  });
}

// A Stop GPS tap while a reconnect is pending ends the session for good.
TEST_F(SessionControlTest, StopGpsCancelsAPendingReconnect) {
  sim::SimulatedReceiver& receiver = AddReceiver(1);
  RunSheet([&] {
    StartSession();
    receiver.GoSilent(60000);
    ASSERT_TRUE(PassUntil([&] { return setup_->m_pReadThread == nullptr; }, 7000));
    EXPECT_EQ(SetupText(IDC_SETUP_START_STOP), L"Stop GPS");
    Click(IDC_SETUP_COLD_START);
    EXPECT_TRUE(log_->Written().empty()) << "no port is open to send to";
    Click(IDC_SETUP_START_STOP);
    EXPECT_FALSE(RunningLook());
    Pass(5000);
    EXPECT_EQ(setup_->m_pReadThread, nullptr);
    EXPECT_FALSE(RunningLook());
    EXPECT_EQ(log_->Opens().size(), 1u);
  });
}

// A loss notice still queued from a worker that has been stopped starts
// nothing.
TEST_F(SessionControlTest, ALossNoticeFromAStoppedWorkerIsIgnored) {
  AddReceiver(1);
  RunSheet([&] {
    StartSession();
    PostMessageW(setup_->m_hWnd, WM_GPSLOST, 0, 0);
    PostMessageW(setup_->m_hWnd, WM_GPSUPDATE, 4, 0);
    Click(IDC_SETUP_START_STOP);
    std::wstring raw = SetupText(IDC_SETUP_RAW_TEXT);
    Pass(5000);
    EXPECT_FALSE(RunningLook());
    EXPECT_EQ(setup_->m_pReadThread, nullptr);
    EXPECT_EQ(log_->Opens().size(), 1u);
    EXPECT_EQ(SetupText(IDC_SETUP_RAW_TEXT), raw);
  });
}

TEST_F(SessionControlTest, AWorkerThreadThatCannotBeMadeClosesThePortAndReturnsToIdle) {
  AddReceiver(1);
  RunSheet([&] {
    CWinThread::SimulateCreationFailure(true);
    Click(IDC_SETUP_START_STOP);
    Pass(100);
    CWinThread::SimulateCreationFailure(false);
    EXPECT_EQ(BoxTexts(), std::vector<std::wstring>{L"Can not open port."});
    EXPECT_FALSE(RunningLook());
    EXPECT_EQ(setup_->m_pReadThread, nullptr);
    EXPECT_EQ(info_->m_pReadThread, nullptr);
    EXPECT_EQ(log_->Opens().size(), 1u);
    EXPECT_EQ(log_->OpenPorts(), 0);
    Pass(3000);
    EXPECT_EQ(log_->Opens().size(), 1u) << "no retry";
    // The next start works as ever.
    StartSession();
    EXPECT_TRUE(RunningLook());
  });
}

TEST_F(SessionControlTest, ClosingTheSheetWhileRunningLeavesNoThreadAndNoOpenPort) {
  AddReceiver(1);
  std::set<int> readers;
  BOOL result = RunSheet([&] {
    StartSession();
    readers = log_->Readers();
    ASSERT_EQ(readers.size(), 1u);
    EXPECT_TRUE(ThreadAlive(*readers.begin()));
    CloseSheet();
  });
  EXPECT_FALSE(result);
  EXPECT_FALSE(ThreadAlive(*readers.begin())) << "the reader thread is still there";
  EXPECT_EQ(log_->Readers(), readers);
  EXPECT_EQ(log_->OpenPorts(), 0);
  EXPECT_TRUE(MessageBoxesShown().empty());
  EXPECT_FALSE(StoredString(L"PortName").has_value()) << "closed without OK";
}

TEST_F(SessionControlTest, OkWritesThePortsDeviceNameTheSpeedAndTheDemoSwitch) {
  AddReceiver(2);
  RunSheet([&] {
    SelectPort(1);
    SelectSpeed(L"9600");
    std::wstring label;
    setup_->m_cbPort.GetLBText(1, label);
    EXPECT_GT(label.size(), 5u) << "the label names the driver";
    SendMessageW(sheet_, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(StoredString(L"PortName"), L"COM2:");
  EXPECT_EQ(StoredNumber(L"BaudRate"), 9600u);
  EXPECT_EQ(StoredNumber(L"DemoMode"), 0u);
}

TEST_F(SessionControlTest, ThePortListFollowsTheDevicesOnlyWhileNoSessionRuns) {
  AddReceiver(1);
  auto label = [this](int entry) {
    std::wstring text;
    setup_->m_cbPort.GetLBText(entry, text);
    return text;
  };
  RunSheet([&] {
    EXPECT_EQ(label(2), L"COM3:");
    AddMutePort(3);
    ASSERT_TRUE(PassUntil([&] { return label(2) != L"COM3:"; }, 3000));
    EXPECT_EQ(label(2).rfind(L"COM3: ", 0), 0u) << "the driver joins the device name";
    EXPECT_EQ(setup_->m_cbPort.GetCurSel(), 0) << "the selection stays";
    StartSession();
    AddMutePort(4);
    Pass(7000);
    EXPECT_EQ(label(3), L"COM4:") << "not while a session runs";
    Click(IDC_SETUP_START_STOP);
    EXPECT_TRUE(PassUntil([&] { return label(3) != L"COM4:"; }, 3000));
  });
}

}  // namespace
