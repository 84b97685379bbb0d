// Recordings: where the time comments go in a stream of lines and binary
// frames, a session's bytes through a pseudo-terminal recorded unchanged,
// and recordings that end on their own (a full disk, a removed folder)
// while the session goes on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "acquisition/recording_format.h"
#include "acquisition/session_recorder.h"
#include "nmea/recording.h"
#include "platform/core/clock.h"
#include "platform/core/com_device_table.h"
#include "simulator/pseudo_terminal.h"
#include "simulator/replay_log.h"
#include "tests/support/reader_session.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The received bytes of a recording, as the simulated receiver's replay
// reads them back: without its header and time lines.
std::string ReceivedBytes(const std::string& recording) {
  std::string bytes;
  const sim::ReplayLog log(recording);
  for (const sim::ReplayPiece& piece : log.Pieces()) bytes += piece.bytes;
  return bytes;
}

TEST(RecordingFormat, TimesGoWhereLinesStartAndNeverIntoFrames) {
  struct Read {
    std::string bytes;
    std::uint64_t ms;
    std::string recorded;
  };
  const std::string ubxHead = "\xB5\x62\x01\x07\x05\x00"s;  // payload of 5 bytes
  const std::string sirfHead = "\xA0\xA2\x00\x03"s;         // payload of 3 bytes
  const std::vector<Read> reads = {
      {"$GPA*00\r\n$GPB", 0, "#t 0\r\n$GPA*00\r\n$GPB"},
      {"*00\r\n$GPC*00\r\n", 200, "*00\r\n#t 200\r\n$GPC*00\r\n"},
      {"$GPD", 400, "#t 400\r\n$GPD"},
      {"*00\r\n", 600, "*00\r\n"},
      // A UBX frame whose payload holds line ends, cut across two reads,
      // then a sentence right after it.
      {ubxHead + "a\nb", 800, "#t 800\r\n" + ubxHead + "a\nb"},
      {"\r\n\x11\x22$GPE*00\r\n"s, 1000, "\r\n\x11\x22$GPE*00\r\n"s},
      // One time a read, before the first line that starts in it.
      {sirfHead + "\n\n\n\x01\x02\xB0\xB3\r\n$GPF*00\r\n$GPG"s, 1200,
       "#t 1200\r\n" + sirfHead + "\n\n\n\x01\x02\xB0\xB3\r\n$GPF*00\r\n$GPG"s},
      // B5 without 62 is no frame: the line end after it counts.
      {"\xB5\r\n$GPH*00\r\n"s, 1400, "\xB5\r\n#t 1400\r\n$GPH*00\r\n"s},
  };
  CRecordingFormat format;
  for (const Read& read : reads) {
    std::string out;
    format.AppendRead(out, read.bytes, read.ms);
    EXPECT_EQ(out, read.recorded) << "read at " << read.ms;
  }
  EXPECT_EQ(CRecordingFormat::HeaderText({"2026-12-08T09:00:00Z", "COM1: cdc_acm", 9600, "Zelmora 1.2.3"}),
            "# Zelmora recording 1\r\n# date: 2026-12-08T09:00:00Z\r\n# port: COM1: cdc_acm\r\n# speed: 9600\r\n"
            "# program: Zelmora 1.2.3\r\n");
  EXPECT_NE(CRecordingFormat::HeaderText({"d", "tcp 192.168.1.20:10110", 0, "Z"}).find("\r\n# speed: none\r\n"),
            std::string::npos);
}

TEST(RecordingFormat, NewFilesAreNamedFromTheDateAndPortAndNeverReplaceOne) {
  const fs::path folder = fs::temp_directory_path() / ("zelmora-names-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const std::string first = NewRecordingPath(folder.string(), 0, L"COM3: cdc_acm");
  EXPECT_EQ(fs::path(first).filename().string().size(), 22u) << first;
  EXPECT_TRUE(first.ends_with("_COM3.log")) << first;
  std::ofstream(first) << "x";
  EXPECT_TRUE(NewRecordingPath(folder.string(), 0, L"COM3: cdc_acm").ends_with("_COM3-2.log"));
  fs::remove_all(folder);
}

// The reader thread on a pseudo-terminal, recording; the test writes to the
// terminal as a receiver would.
class RecordedSession : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    m_pty = sim::PseudoTerminal::Open(9600, &error);
    ASSERT_NE(m_pty, nullptr) << error;
    fs::create_directories(m_dir / "sys" / "class" / "tty");
    ComDeviceTable::Sources sources;
    sources.sysfsRoot = (m_dir / "sys").string();
    sources.numberFile = (m_dir / "com-ports").string();
    m_table = std::make_unique<ComDeviceTable>(sources);
    ComDeviceTable::SetActive(m_table.get());
    m_table->PinPort(1, m_pty->SlavePath());
    ASSERT_TRUE(m_reader.Open(L"COM1:", 9600));
    m_reader.Create().m_pRecorder = &m_recorder;
  }
  void TearDown() override {
    m_reader.StopAndJoin();
    m_recorder.Stop();
    ComDeviceTable::SetActive(nullptr);
    fs::remove_all(m_dir);
  }
  // Delivers the reader's messages until `done` holds, for 20 s at most.
  template <class Done>
  bool WaitFor(Done done) {
    for (int waited = 0; waited < 2000; ++waited) {
      m_reader.Deliver();
      if (done()) return true;
      ::usleep(10'000);
    }
    return false;
  }
  std::size_t Updates() {
    std::size_t n = 0;
    for (const PostedMessage& m : m_reader.Received()) n += m.message == WM_GPSUPDATE;
    return n;
  }

  const fs::path m_dir = fs::temp_directory_path() / ("zelmora-recorder-" + std::to_string(getpid()));
  std::unique_ptr<sim::PseudoTerminal> m_pty;
  std::unique_ptr<ComDeviceTable> m_table;
  ReaderSession m_reader;
  CSessionRecorder m_recorder;
};

TEST_F(RecordedSession, RecordsEveryByteUnchangedBinaryFramesIncluded) {
  const fs::path path = m_dir / "data" / "session.nmea";
  std::string error;
  ASSERT_TRUE(m_recorder.Start(path.string(), {"d", "COM1:", 9600, "Zelmora test"}, GetTickCount(), &error)) << error;
  ASSERT_TRUE(m_reader.Start());
  // Sentences, UBX frames whose payloads hold CR LF and '#', a line cut
  // across writes, bytes of every value.
  std::string sent;
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  const std::vector<std::string> pieces = {
      "$GPGGA,120000.00,4531.3860,N,12240.5900,W,1,09,1.6,51.0,M,-19.6,M,,*68\r\n",
      "\xB5\x62\x0A\x04\x08\x00\r\n#t 5\r\n\x01\x02"s,
      "$GPRMC,120000.00,A,4531.3860,N,12240.5900,W,0.00,084.00,071226,,,A*4F\r\n$GPGSV,1,1,01,",
      "05,82,031,48*4A\r\n",
      "\xB5\x62\x0A\x04\x00\x01"s + all + "\x33\x44",
      "\r\n",
  };
  for (const std::string& piece : pieces) {
    ASSERT_EQ(m_pty->Write(piece), piece.size());
    sent += piece;
    // A poll or more between the pieces, so that they come in several reads.
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 250) Sleep(50);
  }
  // The writer puts it in the file within a second of its read.
  ASSERT_TRUE(WaitFor([&] { return ReceivedBytes(ReadFile(path)) == sent; })) << ReadFile(path);
  m_reader.StopAndJoin();
  m_recorder.Stop();
  const std::string recording = ReadFile(path);
  EXPECT_TRUE(recording.starts_with(std::string(kRecordingFirstLine) + "\r\n"));
  EXPECT_EQ(ReceivedBytes(recording), sent);
  EXPECT_NE(recording.find("\r\n#t "), std::string::npos);
  EXPECT_EQ(m_recorder.TakeFailure(), "");
}

TEST_F(RecordedSession, AFullDiskEndsTheRecordingNotTheSession) {
  std::string error;
  ASSERT_TRUE(m_recorder.Start("/dev/full", {"d", "COM1:", 9600, "Zelmora test"}, GetTickCount(), &error)) << error;
  ASSERT_TRUE(m_reader.Start());
  const std::string epoch = "$GPGSV,1,1,01,05,82,031,48*4A\r\n";
  std::string failure;
  ASSERT_TRUE(WaitFor([&] {
    m_pty->Write(epoch);
    failure = m_recorder.TakeFailure();
    return !failure.empty();
  }));
  EXPECT_EQ(failure, std::strerror(ENOSPC));
  EXPECT_FALSE(m_recorder.Recording());
  const std::size_t before = Updates();
  ASSERT_TRUE(WaitFor([&] {
    m_pty->Write(epoch);
    return Updates() > before + 2;
  }));
}

TEST_F(RecordedSession, ARemovedFolderEndsTheRecording) {
  const fs::path folder = m_dir / "gone";
  std::string error;
  ASSERT_TRUE(m_recorder.Start((folder / "s.nmea").string(), {}, GetTickCount(), &error)) << error;
  fs::remove_all(folder);
  ASSERT_TRUE(m_reader.Start());
  std::string failure;
  ASSERT_TRUE(WaitFor([&] {
    m_pty->Write("$GPGSV,1,1,01,05,82,031,48*4A\r\n");
    failure = m_recorder.TakeFailure();
    return !failure.empty();
  }));
  EXPECT_NE(failure.find("removed"), std::string::npos) << failure;
  // A folder that cannot be made is said at the start.
  EXPECT_FALSE(m_recorder.Start("/proc/zelmora/s.nmea", {}, 0, &error));
  EXPECT_NE(error.find("/proc/zelmora/s.nmea"), std::string::npos);
}

}  // namespace
