// A minute of a real session: the reader thread reads the simulated receiver
// through CSerialCom on a pseudo-terminal, on simulated time (the reader's and
// the receiver's threads take part in it), so the minute passes in moments.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "nmea/sentence.h"
#include "platform/core/com_device_table.h"
#include "platform/core/event.h"
#include "platform/core/simulated_clock.h"
#include "simulator/simulated_receiver.h"
#include "tests/support/reader_session.h"

namespace {

// A minute of a session with the simulated receiver pinned as COM1: and
// opened at its own speed: what the reader posted, the record at the end
// and the receiver's account of what it sent.
struct Session {
  GPSRecordData snap;
  std::vector<PostedMessage> received;
  DWORD start = 0;
  sim::ReceiverStats sent;
};

Session RunAMinute(const sim::ReceiverOptions& options) {
  SimulatedClock clock;
  const auto dir = std::filesystem::temp_directory_path() / ("zelmora-reader-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "sys" / "class" / "tty");
  ComDeviceTable::Sources sources;
  sources.sysfsRoot = (dir / "sys").string();
  sources.numberFile = (dir / "com-ports").string();
  ComDeviceTable table(sources);
  ComDeviceTable::SetActive(&table);

  Session session;
  sim::SimulatedReceiver receiver;
  std::string error;
  EXPECT_TRUE(receiver.Start(options, &error)) << error;
  table.PinSimulator(receiver.SlavePath(), 1);

  {
    ReaderSession reader;
    EXPECT_TRUE(reader.Open(L"COM1:", options.baud));
    EXPECT_TRUE(reader.Start());

    session.start = GetTickCount();
    while (GetTickCount() - session.start < 60000) {
      Sleep(20);
      reader.Deliver();
    }
    // The receiver stops first; the reader then takes what is on the line.
    session.sent = receiver.Stats();
    receiver.Stop();
    for (DWORD waited = 0; waited < 1000; waited += 20) {
      Sleep(20);
      reader.Deliver();
    }
    session.snap = reader.Reader()->Snapshot();
    EXPECT_EQ(reader.StopAndJoin(), 0);
    session.received = std::move(reader.Received());
  }
  ComDeviceTable::SetActive(nullptr);
  std::filesystem::remove_all(dir);
  return session;
}

TEST(ReaderOnSimulator, AMinuteWithASilenceInTheMiddle) {
  sim::ReceiverOptions options;
  options.baud = 4800;
  options.silence_after_ms = 35000;  // falls silent for 8 s, then talks again
  options.silence_for_ms = 8000;
  const Session session = RunAMinute(options);
  const GPSRecordData& snap = session.snap;
  const DWORD start = session.start;

  // The record holds a plausible fix from the synthesised sky.
  EXPECT_NE(snap.m_nDate, 0);
  EXPECT_EQ(snap.m_nFixMode, 3);
  EXPECT_GT(snap.m_dPDOP, 0.0);
  EXPECT_TRUE(snap.m_strNS == L"N" || snap.m_strNS == L"S");
  EXPECT_GE(snap.m_nSkyCount, 8);
  ASSERT_GE(snap.m_strRawText.size(), 2u);
  EXPECT_EQ(snap.m_strRawText.substr(snap.m_strRawText.size() - 2), L"\r\n");
  EXPECT_LE(snap.m_strRawText.size(), 1024u);

  // Lines announced one by one, groups in order once per window, one loss
  // report in the 8 s of silence and none while the receiver talks.
  int raw = 0, rmc = 0;
  WPARAM last = 0;
  std::vector<double> lostAt;
  for (const PostedMessage& r : session.received) {
    const double t = (r.tick - start) / 1000.0;
    if (r.message == WM_GPSLOST) {
      lostAt.push_back(t);
      continue;
    }
    ASSERT_EQ(r.message, WM_GPSUPDATE);
    if (r.wParam == 0) {
      ++raw;
      last = 0;
      continue;
    }
    EXPECT_GT(r.wParam, last);
    last = r.wParam;
    rmc += r.wParam == 4;
  }
  EXPECT_GT(raw, 200);
  EXPECT_GE(rmc, 35) << "position updates about every 1.2 s while data flows";
  ASSERT_EQ(lostAt.size(), 1u);
  EXPECT_GT(lostAt[0], 35.0 + 5.0);
  EXPECT_LT(lostAt[0], 35.0 + 6.5);
}

// A multi-system receiver at 115200 bps and ten fixes a second, about
// 10 KB a second: every line it sends arrives whole and is announced, and
// the record ends on its last fix rather than lagging behind.
TEST(ReaderOnSimulator, AMinuteAt115200BpsAndTenFixesASecondLosesNothing) {
  sim::ReceiverOptions options;
  options.baud = 115200;
  options.rate_hz = 10;
  options.gnss = true;
  const Session session = RunAMinute(options);
  const auto lines = std::count_if(session.received.begin(), session.received.end(),
                                   [](const PostedMessage& r) { return r.message == WM_GPSUPDATE && r.wParam == 0; });
  EXPECT_GT(session.sent.sentences_sent, 600u * 15u) << "ten epochs a second of fifteen sentences or more";
  EXPECT_GT(session.sent.bytes_sent, 50u * 9000u);
  EXPECT_EQ(static_cast<std::uint64_t>(lines), session.sent.sentences_sent);
  EXPECT_EQ(session.snap.m_nFixMode, 3);
  EXPECT_GE(session.snap.m_nSkyCount, 20);
  // The last line is a whole sentence, not the wrong-speed hint or a
  // lost-data line.
  const std::wstring& raw = session.snap.m_strRawText;
  ASSERT_GE(raw.size(), 2u);
  const std::wstring lastLine = raw.substr(raw.rfind(L"\r\n", raw.size() - 3) + 2);
  EXPECT_TRUE(NmeaChecksumHolds(std::wstring_view(lastLine).substr(0, lastLine.size() - 2))) << lastLine.size();
}

}  // namespace
