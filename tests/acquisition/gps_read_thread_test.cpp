// The reader thread on simulated time, fed by a port whose bytes arrive at
// chosen ticks, reporting to a window on the test thread.
#include "acquisition/gps_read_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/comm.h"
#include "platform/core/event.h"
#include "platform/core/simulated_clock.h"
#include "tests/support/canned_epoch.h"
#include "tests/support/reader_session.h"

namespace {

constexpr DWORD kStartTick = 100000;

// Bytes scheduled by tick; a read takes everything due, up to the size asked.
struct Schedule {
  std::mutex mutex;
  std::multimap<DWORD, std::string> chunks;
  std::string pending;
  int reads = 0;
  DWORD errors = 0;       // the next ClearErrors reports these, once
  DWORD baudRate = 4800;  // the speed GetState reports; 0 for a port without one

  void At(DWORD tick, std::string_view bytes) {
    std::lock_guard lock(mutex);
    chunks.emplace(tick, bytes);
  }
};

class ScheduledPort : public CommPort {
 public:
  explicit ScheduledPort(std::shared_ptr<Schedule> schedule) : schedule_(std::move(schedule)) {}
  BOOL GetState(DCB* dcb) override {
    *dcb = DCB{};
    dcb->DCBlength = sizeof(DCB);
    dcb->BaudRate = schedule_->baudRate;
    return TRUE;
  }
  BOOL SetState(const DCB&) override { return TRUE; }
  BOOL SetTimeouts(const COMMTIMEOUTS&) override { return TRUE; }
  BOOL Purge(DWORD) override { return TRUE; }
  BOOL Escape(DWORD) override { return TRUE; }
  BOOL SetMask(DWORD) override { return TRUE; }
  BOOL Read(void* buffer, DWORD toRead, DWORD* read) override {
    std::lock_guard lock(schedule_->mutex);
    ++schedule_->reads;
    const DWORD now = GetTickCount();
    auto& chunks = schedule_->chunks;
    while (!chunks.empty() && chunks.begin()->first <= now) {
      schedule_->pending += chunks.begin()->second;
      chunks.erase(chunks.begin());
    }
    const DWORD n = std::min<DWORD>(toRead, static_cast<DWORD>(schedule_->pending.size()));
    std::copy_n(schedule_->pending.data(), n, static_cast<char*>(buffer));
    schedule_->pending.erase(0, n);
    *read = n;
    return TRUE;
  }
  BOOL Write(const void*, DWORD toWrite, DWORD* written) override {
    *written = toWrite;
    return TRUE;
  }
  BOOL ClearErrors(DWORD* errors) override {
    std::lock_guard lock(schedule_->mutex);
    *errors = std::exchange(schedule_->errors, 0);
    return TRUE;
  }

 private:
  std::shared_ptr<Schedule> schedule_;
};

// The canned RMC as the raw text holds it.
const std::wstring kRmcText(kCannedRmc.begin(), kCannedRmc.end());

class ReaderThreadTest : public ::testing::Test {
 protected:
  ReaderThreadTest() : clock_(kStartTick) {
    schedule_ = std::make_shared<Schedule>();
    CoreSetCommOpener([s = schedule_](LPCWSTR, DWORD, DWORD, DWORD, DWORD) -> std::unique_ptr<CommPort> {
      return std::make_unique<ScheduledPort>(s);
    });
    EXPECT_TRUE(session_.Open(L"COM1:", 4800));
  }
  ~ReaderThreadTest() override {
    session_.StopAndJoin();
    CoreSetCommOpener(nullptr);
  }

  void Start(bool demo = false) {
    CGPSReadThread& reader = session_.Create();
    if (demo) {
      reader.LoadDemoSentences();
      reader.m_bDemo = TRUE;
    }
    ASSERT_TRUE(session_.Start());
  }
  // Lets simulated time pass, delivering what the thread posts every 50 ms,
  // so a message's recorded tick lies at most 50 ms after its post.
  void RunFor(DWORD ms) {
    for (DWORD done = 0; done < ms; done += 50) {
      Sleep(std::min<DWORD>(50, ms - done));
      session_.Deliver();
    }
  }
  std::vector<WPARAM> Updates() const {
    std::vector<WPARAM> out;
    for (const PostedMessage& r : session_.Received()) {
      if (r.message == WM_GPSUPDATE) out.push_back(r.wParam);
    }
    return out;
  }
  std::vector<DWORD> LostTicks() const {
    std::vector<DWORD> out;
    for (const PostedMessage& r : session_.Received()) {
      if (r.message == WM_GPSLOST) out.push_back(r.tick);
    }
    return out;
  }
  CGPSReadThread* Reader() { return session_.Reader(); }

  SimulatedClock clock_;
  std::shared_ptr<Schedule> schedule_;
  ReaderSession session_;
};

TEST_F(ReaderThreadTest, OneRawUpdatePerLineAndEachGroupOncePerWindowInOrder) {
  for (DWORD s = 0; s < 10; ++s) schedule_->At(kStartTick + 1000 * s + 50, kCannedEpoch);
  Start();
  RunFor(10950);
  int raw = 0;
  std::map<WPARAM, std::vector<DWORD>> groups;
  WPARAM lastGroup = 0;
  for (const PostedMessage& r : session_.Received()) {
    ASSERT_EQ(r.message, WM_GPSUPDATE);
    if (r.wParam == 0) {
      ++raw;
      lastGroup = 0;
      continue;
    }
    EXPECT_GT(r.wParam, lastGroup) << "groups of one window are announced in the order 1, 2, 3, 4";
    lastGroup = r.wParam;
    groups[r.wParam].push_back(r.tick);
  }
  EXPECT_EQ(raw, 10 * kCannedEpochLines);
  // A window closes on the first poll more than 1000 ms after it opened:
  // every sixth poll of 200 ms, so each group once per 1.2 s; the ten
  // seconds of data close in the eight windows ending 1.2 s to 9.6 s.
  for (WPARAM w = 1; w <= 4; ++w) {
    const auto& ticks = groups[w];
    ASSERT_EQ(ticks.size(), 8u) << "group " << w;
    for (std::size_t i = 1; i < ticks.size(); ++i) {
      EXPECT_NEAR(static_cast<double>(ticks[i] - ticks[i - 1]), 1200.0, 50.0) << "group " << w;
    }
  }
}

TEST_F(ReaderThreadTest, OnlyRmcGivesOnlyRawAndPositionUpdates) {
  for (DWORD s = 0; s < 5; ++s) schedule_->At(kStartTick + 1000 * s, kCannedRmc);
  Start();
  RunFor(5000);
  for (WPARAM w : Updates()) EXPECT_TRUE(w == 0 || w == 4) << w;
  const auto snap = Reader()->Snapshot();
  EXPECT_EQ(snap.m_nDate, 90307);
  EXPECT_EQ(snap.m_nTime, 13348);
}

TEST_F(ReaderThreadTest, FirstPollClosesAWindowAtOnce) {
  schedule_->At(kStartTick, kCannedRmc);
  Start();
  RunFor(100);  // the first poll has run, the second not yet
  EXPECT_EQ(Updates(), (std::vector<WPARAM>{0, 4}));
}

TEST_F(ReaderThreadTest, SilenceIsReportedAfter26EmptyPollsAndRepeats) {
  Start();
  RunFor(4950);
  EXPECT_TRUE(LostTicks().empty()) << "25 empty polls are not yet silence";
  RunFor(12000);
  const auto lost = LostTicks();
  ASSERT_GE(lost.size(), 3u);
  // The first poll runs at the start tick, so the 26th empty poll comes 25
  // polls later; after that every 26th, or one poll later when a window
  // closed on it.
  EXPECT_NEAR(static_cast<double>(lost[0] - kStartTick), 5000.0, 50.0);
  for (std::size_t i = 1; i < lost.size(); ++i) {
    EXPECT_GE(lost[i] - lost[i - 1], 26u * 200u - 50u);
    EXPECT_LE(lost[i] - lost[i - 1], 27u * 200u + 50u);
  }
}

TEST_F(ReaderThreadTest, DataBeforeTheLimitResetsTheSilenceCount) {
  schedule_->At(kStartTick + 4800, "x");  // the 25th poll brings a byte
  Start();
  RunFor(9000);
  EXPECT_TRUE(LostTicks().empty());
  RunFor(1400);
  EXPECT_EQ(LostTicks().size(), 1u);
}

TEST_F(ReaderThreadTest, SplitSentenceIsDecodedOnceAndShownOnce) {
  const std::string rmc(kCannedRmc);
  schedule_->At(kStartTick + 1100, rmc.substr(0, 20));
  schedule_->At(kStartTick + 1300, rmc.substr(20));
  Start();
  RunFor(1250);
  EXPECT_EQ(Reader()->Snapshot().m_nDate, 0) << "nothing decoded before the line end arrives";
  RunFor(2000);
  const auto snap = Reader()->Snapshot();
  EXPECT_EQ(snap.m_nDate, 90307);
  EXPECT_EQ(snap.m_strRawText, kRmcText);
  int raw = 0;
  for (WPARAM w : Updates()) raw += (w == 0);
  EXPECT_EQ(raw, 1);
}

TEST_F(ReaderThreadTest, LoneCrOrLfIsNoLineEnd) {
  schedule_->At(kStartTick, "abc\rdef\nghi\r\n");
  Start();
  RunFor(500);
  EXPECT_EQ(Reader()->Snapshot().m_strRawText, L"abc\rdef\nghi\r\n");
}

TEST_F(ReaderThreadTest, RawTextKeepsItsLast1024Characters) {
  std::string many;
  for (int i = 0; i < 40; ++i) many += kCannedRmc;
  schedule_->At(kStartTick, many);
  Start();
  RunFor(1500);
  const auto raw = Reader()->Snapshot().m_strRawText;
  EXPECT_EQ(raw.size(), 1024u);
  EXPECT_EQ(raw.substr(raw.size() - 5), L"*1C\r\n");
}

// A second of a 115200 bps receiver arrives between two polls: the next poll
// takes all of it, not a buffer's worth, and the batches stay once a second.
TEST_F(ReaderThreadTest, APollTakesEverythingThePortHolds) {
  std::string second;
  int lines = 0;
  while (second.size() + kCannedEpoch.size() <= 11520) {
    second += kCannedEpoch;
    lines += kCannedEpochLines;
  }
  schedule_->At(kStartTick + 1050, second);
  Start();
  RunFor(1300);
  const std::vector<WPARAM> updates = Updates();
  EXPECT_EQ(std::count(updates.begin(), updates.end(), WPARAM{0}), lines);
  RunFor(1000);
  EXPECT_EQ(Updates().size(), static_cast<std::size_t>(lines) + 4) << "one batch of groups 1 to 4";
}

// Bytes the driver lost before they were read show as a line of their own.
TEST_F(ReaderThreadTest, BytesLostInTheDriverShowInTheRawText) {
  schedule_->At(kStartTick + 50, kCannedRmc);
  schedule_->At(kStartTick + 450, kCannedRmc);
  Start();
  RunFor(300);
  {
    std::lock_guard lock(schedule_->mutex);
    schedule_->errors = CE_RXOVER;
  }
  RunFor(400);
  EXPECT_EQ(Reader()->Snapshot().m_strRawText, kRmcText + kRmcText + L"-- data lost: the serial port overran --\r\n");
}

TEST_F(ReaderThreadTest, DemoModeDecodesCannedSentencesButShowsWhatArrived) {
  const char received[] = "$GPRMC,120000,V,,,,,,,010100,,*00\r\n";
  schedule_->At(kStartTick, received);
  Start(/*demo=*/true);
  RunFor(500);
  const auto snap = Reader()->Snapshot();
  EXPECT_EQ(snap.m_nDate, 90307);
  EXPECT_EQ(snap.m_strNS, L"N");
  EXPECT_EQ(snap.m_strRawText, L"$GPRMC,120000,V,,,,,,,010100,,*00\r\n");
}

// What a receiver at 9600 bps looks like read at 4800: bytes, rarely a
// CR LF, never a sentence.
const char kWrongSpeedBytes[] = "\x86\x98\xf8\x1e\x66\x80\xe0\x78\x9e";
const std::string kTwoRmc = std::string(kCannedRmc) + std::string(kCannedRmc);
const wchar_t kHint[] = L"No NMEA sentences at 4800 bps.\r\nWrong speed? Try Scan.\r\n";

TEST_F(ReaderThreadTest, BytesWithoutASentenceForThreeSecondsShowTheHintUntilTheFirstSentence) {
  struct Case {
    const char* name;
    DWORD garbageMs;             // garbage every 200 ms from the start for this long
    std::string_view afterward;  // then this, at the end of the garbage
    std::wstring raw;            // the raw text 1 s after the garbage
  };
  const Case cases[] = {
      {"under three seconds", 2800, "", L""},
      {"three seconds", 3400, "", kHint},
      {"junk lines do not push the hint out", 3400, "\xe0\x78junk\r\n$GPRMC,bad*11\r\n", kHint},
      // The garbage before it has no line end: the first line is garbage and
      // the sentence, the second one the sentence alone.
      {"the first sentence replaces the hint", 3400, kTwoRmc, kRmcText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    session_.Received().clear();
    const DWORD start = GetTickCount();
    for (DWORD t = 0; t < c.garbageMs; t += 200) schedule_->At(start + t, kWrongSpeedBytes);
    schedule_->At(start + c.garbageMs, c.afterward);
    Start();
    RunFor(c.garbageMs + 1000);
    EXPECT_EQ(Reader()->Snapshot().m_strRawText, c.raw);
    EXPECT_EQ(Updates().empty(), c.raw.empty()) << "the raw box hears of each change";
    session_.StopAndJoin();
  }
}

TEST_F(ReaderThreadTest, APortWithoutASpeedBlamesNoSpeedInItsHint) {
  schedule_->baudRate = 0;  // a network source
  for (DWORD t = 0; t < 3400; t += 200) schedule_->At(kStartTick + t, kWrongSpeedBytes);
  Start();
  RunFor(4400);
  EXPECT_EQ(Reader()->Snapshot().m_strRawText, L"No NMEA sentences arrive.\r\nIs the source a receiver?\r\n");
}

TEST_F(ReaderThreadTest, SentencesArrivingInPiecesNeverShowTheHint) {
  const std::string rmc(kCannedRmc);
  for (DWORD s = 0; s < 8; ++s) {
    schedule_->At(kStartTick + 1000 * s + 100, rmc.substr(0, 30));
    schedule_->At(kStartTick + 1000 * s + 900, rmc.substr(30));
  }
  Start();
  RunFor(8500);
  EXPECT_EQ(Reader()->Snapshot().m_strRawText.find(L"Wrong speed"), std::wstring::npos);
}

TEST_F(ReaderThreadTest, StopReturnsWithinOnePoll) {
  Start();
  RunFor(1000);
  const DWORD before = GetTickCount();
  session_.Stop();
  EXPECT_LE(GetTickCount() - before, 200u);
  EXPECT_EQ(session_.StopAndJoin(), 0) << "the thread's exit code is the quit message's wParam";
}

TEST_F(ReaderThreadTest, StartAndStopManyTimesInARow) {
  for (int i = 0; i < 1000; ++i) {
    Start();
    session_.StopAndJoin();
  }
  // Every start signalled and every stop was waited for: the events are
  // back in the state a new session expects.
  EXPECT_EQ(WaitForSingleObject(session_.StopEvent(), 0), WAIT_TIMEOUT);
}

TEST_F(ReaderThreadTest, ThreadThatCannotBeCreatedFailsTheStartAtOnce) {
  CWinThread::SimulateCreationFailure(true);
  EXPECT_FALSE(session_.Start());
  CWinThread::SimulateCreationFailure(false);
}

}  // namespace
