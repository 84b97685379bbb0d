// A recorded session played back: the simulated receiver records through
// the reader thread, then plays the recording as --replay does, and the
// reader, recording again, decodes the same records from the same lines at
// the same times. Both sessions run on the simulated clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "acquisition/field_array.h"
#include "acquisition/gps_record.h"
#include "acquisition/line_cutter.h"
#include "acquisition/session_recorder.h"
#include "platform/core/clock.h"
#include "platform/core/com_device_table.h"
#include "platform/core/simulated_clock.h"
#include "simulator/receiver_engine.h"
#include "simulator/replay_log.h"
#include "simulator/simulated_receiver.h"
#include "tests/support/reader_session.h"

namespace fs = std::filesystem;

namespace {

const fs::path kDir = fs::temp_directory_path() / ("zelmora-replay-" + std::to_string(getpid()));

// Runs the receiver for `ms` with the reader recording into `path`.
void RecordSession(const sim::ReceiverOptions& options, DWORD ms, const fs::path& path) {
  SimulatedClock clock;
  fs::create_directories(kDir / "sys" / "class" / "tty");
  ComDeviceTable::Sources sources;
  sources.sysfsRoot = (kDir / "sys").string();
  sources.numberFile = (kDir / "com-ports").string();
  ComDeviceTable table(sources);
  ComDeviceTable::SetActive(&table);
  sim::SimulatedReceiver receiver;
  std::string error;
  ASSERT_TRUE(receiver.Start(options, &error)) << error;
  table.PinSimulator(receiver.SlavePath(), 1);
  CSessionRecorder recorder;
  {
    ReaderSession reader;
    ASSERT_TRUE(reader.Open(L"COM1:", options.baud));
    reader.Create().m_pRecorder = &recorder;
    ASSERT_TRUE(recorder.Start(path.string(), {"2026-12-08T09:00:00Z", "COM1:", options.baud, "Zelmora test"},
                               GetTickCount(), &error))
        << error;
    ASSERT_TRUE(reader.Start());
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      Sleep(50);
      reader.Deliver();
    }
    reader.StopAndJoin();
  }
  receiver.Stop();
  recorder.Stop();
  EXPECT_EQ(recorder.TakeFailure(), "");
  ComDeviceTable::SetActive(nullptr);
}

// Each line the recording's reads complete, with the time of the read that
// completed it, and the record each decoded line left.
struct Line {
  std::string text;
  std::uint64_t ms;
};

struct Decoded {
  std::vector<Line> lines;
  std::vector<GPSRecordData> records;
};

Decoded Decode(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const sim::ReplayLog log(text);
  Decoded decoded;
  CGPSRecord record;
  CFieldArray fields;
  std::uint64_t ms = 0;
  std::string held;
  CLineCutter cutter([&](const std::wstring& line) {
    if (record.DecodeLine(line, fields) > 0) decoded.records.push_back(record.Snapshot());
  });
  for (const sim::ReplayPiece& piece : log.Pieces()) {
    ms = piece.at_ms;
    cutter.Feed(piece.bytes.data(), piece.bytes.size());
    for (char c : piece.bytes) {
      held += c;
      if (c == '\n') {
        decoded.lines.push_back({held, ms});
        held.clear();
      }
    }
  }
  return decoded;
}

TEST(ReplayOfRecording, GivesTheSameRecordsFromTheSameLinesAtTheSameTimes) {
  const fs::path original = kDir / "original.nmea";
  const fs::path replayed = kDir / "replayed.nmea";
  sim::ReceiverOptions live;
  live.baud = 9600;
  live.gnss = true;
  RecordSession(live, 20'000, original);

  // As --replay starts it: the recording's speed, played once.
  std::string error;
  const std::optional<sim::ReplayLog> log = sim::ReplayLog::Load(original.string(), &error);
  ASSERT_TRUE(log) << error;
  EXPECT_EQ(log->Baud(), 9600u);
  sim::ReceiverOptions replay;
  replay.baud = log->Baud();
  replay.replay_path = original.string();
  replay.replay_loop = false;
  RecordSession(replay, 23'000, replayed);

  const Decoded a = Decode(original);
  const Decoded b = Decode(replayed);
  ASSERT_GT(a.records.size(), 200u);
  EXPECT_TRUE(a.records == b.records) << a.records.size() << " records, replayed " << b.records.size();
  ASSERT_EQ(a.lines.size(), b.lines.size());
  // Times from each session's first line: within 50 ms of the original.
  for (std::size_t i = 0; i < a.lines.size(); ++i) {
    ASSERT_EQ(a.lines[i].text, b.lines[i].text) << "line " << i;
    const auto since = [](const std::vector<Line>& lines, std::size_t n) {
      return static_cast<std::int64_t>(lines[n].ms) - static_cast<std::int64_t>(lines[0].ms);
    };
    EXPECT_NEAR(since(b.lines, i), since(a.lines, i), 50) << "line " << i << ": " << a.lines[i].text;
  }
  fs::remove_all(kDir);
}

// The engine alone: a log of UTC times is paced by them, a recording by its
// read times, both divided by the speed factor, once or over and over.
TEST(ReplayOfRecording, PacesLogsByTheirTimesAndTheSpeedFactor) {
  const std::string recording =
      "# Zelmora recording 1\r\n# date: x\r\n# port: COM1:\r\n# speed: 9600\r\n# program: Zelmora\r\n"
      "#t 200\r\n$GPGSV,1,1,00*79\r\n$GPGSV,1,1,00*79\r\n#t 1400\r\n$GPGSV,1,1,00*79\r\n";
  const sim::ReplayLog log(recording);
  ASSERT_EQ(log.Pieces().size(), 2u);
  EXPECT_EQ(log.Pieces()[1].at_ms, 1400u);
  EXPECT_EQ(log.Baud(), 9600u);

  // A minute's gap between two epochs is played as a second; a step across
  // midnight as the time it is.
  const sim::ReplayLog nmea(
      "$GPGGA,235959.5,,,,,0,00,,,M,,M,,*4F\r\n$GPGGA,000000.0,,,,,0,00,,,M,,M,,*48\r\n"
      "$GPGGA,000300.0,,,,,0,00,,,M,,M,,*4B\r\n$GPGGA,000300.2,,,,,0,00,,,M,,M,,*49\r\n");
  std::vector<std::uint64_t> times;
  for (const sim::ReplayPiece& piece : nmea.Pieces()) times.push_back(piece.at_ms);
  EXPECT_EQ(times, (std::vector<std::uint64_t>{0, 500, 1500, 1700}));

  struct Case {
    bool loop;
    double speed;
    std::vector<std::uint64_t> due;  // when each read arrives, the first four
  };
  for (const Case& c : {Case{true, 1.0, {200, 1400, 2600, 3800}}, Case{false, 1.0, {200, 1400}},
                        Case{true, 2.0, {100, 700, 1300, 1900}}}) {
    sim::ReceiverOptions options;
    options.baud = 9600;
    options.replay_loop = c.loop;
    options.replay_speed = c.speed;
    sim::ReceiverEngine engine(options, log);
    std::vector<std::uint64_t> due;
    for (std::uint64_t t = 0; t < 5000 && due.size() < 4; ++t) {
      if (!engine.Advance(t, 9600).empty()) due.push_back(t);
    }
    EXPECT_EQ(due, c.due) << "loop " << c.loop << " speed " << c.speed;
  }
}

}  // namespace
