#include "simulator/receiver_engine.h"

#include "tests/simulator/engine_runner.h"
#include "tests/simulator/nmea_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

using sim_test::Delivery;
using sim_test::Drive;
using sim_test::Fields;
using sim_test::HasValidChecksum;
using sim_test::Lines;
using sim_test::SecondsOfDay;

constexpr const char* kColdStart = "$PSRF104,0,0,0,96000,237759,1946,12,4*1D\r\n";

sim::ReceiverOptions Options(std::uint32_t baud, sim::Faults faults = {}) {
  sim::ReceiverOptions options;
  options.baud = baud;
  options.faults = faults;
  return options;
}

std::size_t CountStarting(const std::vector<std::string>& lines, std::string_view head) {
  return static_cast<std::size_t>(
      std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.starts_with(head); }));
}

// One epoch's GSV series against its GSA: numbered messages of four
// satellites, the count in view, every used satellite in view and tracked.
void CheckSky(const std::vector<std::vector<std::string>>& gsv, const std::vector<std::string>& gsa, int min_in_view,
              int max_in_view) {
  const int in_view = std::stoi(gsv[0][3]);
  EXPECT_TRUE(in_view >= min_in_view && in_view <= max_in_view) << in_view;
  ASSERT_EQ(static_cast<int>(gsv.size()), (in_view + 3) / 4);
  std::map<int, bool> tracked;
  for (std::size_t m = 0; m < gsv.size(); ++m) {
    EXPECT_EQ(gsv[m][1], std::to_string(gsv.size()));
    EXPECT_EQ(gsv[m][2], std::to_string(m + 1));
    for (std::size_t k = 4; k + 3 < gsv[m].size(); k += 4) tracked[std::stoi(gsv[m][k])] = !gsv[m][k + 3].empty();
  }
  EXPECT_EQ(static_cast<int>(tracked.size()), in_view);
  for (std::size_t f = 3; f < 15; ++f) {
    if (!gsa[f].empty()) {
      EXPECT_TRUE(tracked[std::stoi(gsa[f])]) << gsa[f];
    }
  }
}

TEST(ReceiverEngine, EverySentenceIsWellFormed) {
  struct Case {
    std::uint32_t baud;
    bool many_satellites;
    int min_in_view;
    int max_in_view;
  };
  const Case cases[] = {{4800, false, 8, 14}, {115200, false, 8, 14}, {9600, true, 13, 16}, {4800, true, 13, 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.baud << " bps, many satellites " << c.many_satellites);
    sim::Faults faults;
    faults.many_satellites = c.many_satellites;
    sim::ReceiverEngine engine(Options(c.baud, faults), std::nullopt);
    Delivery delivery;
    Drive(engine, 0, 120'000, c.baud, delivery);

    std::set<std::string> types;
    std::vector<std::vector<std::string>> gsv;
    std::vector<std::string> gsa;
    for (const std::string& line : Lines(delivery.bytes)) {
      ASSERT_TRUE(HasValidChecksum(line)) << line;
      ASSERT_LE(line.size(), 80u) << line;
      const std::vector<std::string> fields = Fields(line);
      types.insert(fields[0]);
      if (fields[0] == "$GPGSV") {
        if (fields[2] == "1") gsv.clear();
        gsv.push_back(fields);
      } else if (fields[0] == "$GPGSA") {
        gsa = fields;
        EXPECT_EQ(fields[2], "3") << line;
      } else if (fields[0] == "$GPRMC" && !gsv.empty() && !gsa.empty()) {
        CheckSky(gsv, gsa, c.min_in_view, c.max_in_view);
        gsv.clear();
      }
    }
    EXPECT_EQ(types, (std::set<std::string>{"$GPGGA", "$GPGLL", "$GPGSA", "$GPGSV", "$GPRMC", "$GPVTG"}));
  }
}

// The multi-constellation receiver: GN position, one NMEA 4.10 GSA per
// system naming it, and each system's GSV with its signal ID, whose
// satellites are those in view; every used PRN is in its system's GSV.
TEST(ReceiverEngine, GnssProfileSpeaksNmea410) {
  sim::ReceiverOptions options = Options(38400);
  options.gnss = true;
  sim::ReceiverEngine engine(options, std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 60'000, 38400, delivery);

  std::set<std::string> types;
  std::map<std::string, std::set<int>> in_view;  // by GSV talker, this epoch
  std::map<std::string, std::set<int>> used;     // by system ID, this epoch
  int epochs = 0;
  const auto check_epoch = [&] {
    if (in_view.empty()) return;
    std::size_t total = 0;
    for (const auto& [talker, prns] : in_view) total += prns.size();
    EXPECT_GE(total, 20u);
    EXPECT_LE(total, 35u);
    const std::map<std::string, std::string> talker_of{
        {"1", "$GPGSV"}, {"2", "$GLGSV"}, {"3", "$GAGSV"}, {"4", "$GBGSV"}};
    for (const auto& [system, prns] : used) {
      for (int prn : prns) EXPECT_TRUE(in_view[talker_of.at(system)].contains(prn)) << system << " " << prn;
    }
    ++epochs;
  };
  for (const std::string& line : Lines(delivery.bytes)) {
    ASSERT_TRUE(HasValidChecksum(line)) << line;
    ASSERT_LE(line.size(), 80u) << line;
    const std::vector<std::string> fields = Fields(line);
    types.insert(fields[0]);
    if (fields[0] == "$GNRMC") {
      check_epoch();
      in_view.clear();
      used.clear();
    } else if (fields[0] == "$GNGSA") {
      ASSERT_EQ(fields.size(), 19u) << line;
      EXPECT_EQ(fields[2], "3") << line;
      for (std::size_t f = 3; f < 15; ++f)
        if (!fields[f].empty()) used[fields[18]].insert(std::stoi(fields[f]));
    } else if (fields[0].ends_with("GSV")) {
      ASSERT_EQ((fields.size() - 4) % 4, 1u) << line;  // whole satellite blocks and the signal ID
      for (std::size_t k = 4; k + 3 < fields.size(); k += 4) in_view[fields[0]].insert(std::stoi(fields[k]));
    }
  }
  EXPECT_GE(epochs, 50);
  EXPECT_EQ(types, (std::set<std::string>{"$GNRMC", "$GNVTG", "$GNGGA", "$GNGSA", "$GPGSV", "$GLGSV", "$GAGSV",
                                          "$GBGSV", "$GNGLL"}));
}

// A line too slow for a whole multi-constellation epoch still carries every
// system's sky, in turn.
TEST(ReceiverEngine, GnssProfileSendsEverySkyOnASlowLine) {
  sim::ReceiverOptions options = Options(4800);
  options.gnss = true;
  sim::ReceiverEngine engine(options, std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 10'000, 4800, delivery);
  std::map<std::string, int> last_messages;
  for (const std::string& line : Lines(delivery.bytes)) {
    const std::vector<std::string> fields = Fields(line);
    if (fields[0].ends_with("GSV") && fields[1] == fields[2]) ++last_messages[fields[0]];
  }
  for (const char* talker : {"$GPGSV", "$GLGSV", "$GAGSV", "$GBGSV"}) EXPECT_GE(last_messages[talker], 2) << talker;
}

TEST(ReceiverEngine, SendsOneEpochPerSecondOfReceiverTime) {
  sim::ReceiverEngine engine(Options(38400), std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 29'999, 38400, delivery);

  std::vector<std::size_t> starts;
  for (std::size_t at = delivery.Find("$GPGGA"); at != std::string::npos; at = delivery.Find("$GPGGA", at + 1))
    starts.push_back(at);
  ASSERT_EQ(starts.size(), 30u);
  for (std::size_t k = 0; k < starts.size(); ++k) {
    // The first byte leaves within the 10 ms step that holds the epoch,
    // and the UTC time moves on by one second.
    EXPECT_GE(delivery.times[starts[k]], k * 1000);
    EXPECT_LE(delivery.times[starts[k]], k * 1000 + 10);
    const int utc = SecondsOfDay(Fields(delivery.bytes.substr(starts[k], 20))[1]);
    EXPECT_EQ(utc, SecondsOfDay(Fields(delivery.bytes.substr(starts[0], 20))[1]) + static_cast<int>(k));
  }
}

TEST(ReceiverEngine, PacesTheLineAtItsSpeed) {
  sim::ReceiverEngine engine(Options(4800), std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 60'000, 4800, delivery);

  // 4800 bps is 48 bits, 4.8 frames, in 10 ms and 480 bytes in a second.
  std::map<std::uint64_t, std::size_t> per_step;
  for (std::uint64_t t : delivery.times) ++per_step[t];
  for (const auto& [t, count] : per_step) ASSERT_LE(count, 5u) << "at " << t << " ms";
  for (std::uint64_t second = 0; second < 60; ++second)
    EXPECT_LE(delivery.CountBetween(second * 1000, second * 1000 + 1001), 480u) << "in second " << second;
  // The line is busy most of the time, yet every second brings its RMC.
  EXPECT_GT(delivery.bytes.size(), 60u * 400u);
  EXPECT_GE(CountStarting(Lines(delivery.bytes), "$GPRMC"), 59u);
}

TEST(ReceiverEngine, ALineTooSlowForOneEpochDoesNotQueueWithoutEnd) {
  // 300 bps carries 30 bytes a second, less than one RMC: the receiver
  // loses the seconds it cannot send instead of falling ever further behind.
  sim::ReceiverEngine engine(Options(300), std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 600'000, 300, delivery, 1000);
  const std::vector<std::string> lines = Lines(delivery.bytes);
  EXPECT_GE(lines.size(), 200u);
  EXPECT_EQ(CountStarting(lines, "$GPRMC,"), lines.size());
  EXPECT_GE(SecondsOfDay(Fields(lines.back())[1]) - SecondsOfDay(Fields(lines.front())[1]), 596);
}

TEST(ReceiverEngine, OutputDoesNotDependOnHowTimeIsSliced) {
  std::string reference;
  for (std::uint64_t step : {1, 7, 10, 333, 1000}) {
    sim::Faults faults;
    faults.split_lines = true;
    faults.noise_every_s = 3;
    sim::ReceiverEngine engine(Options(4800, faults), std::nullopt);
    Delivery delivery;
    Drive(engine, 0, 20'979, 4800, delivery, step);
    delivery.bytes += engine.Advance(21'000, 4800);
    if (reference.empty()) reference = delivery.bytes;
    EXPECT_EQ(delivery.bytes, reference) << "steps of " << step << " ms";
  }
}

// The receiver's thread wakes only when NextDueMs says so: it hands over what
// a UART would have by then, each sentence's end in the millisecond its last
// bit is out, in batches of at most kBatchBytes, waking far less often than
// once per 10 ms.
TEST(ReceiverEngine, WakingWhenDueDeliversWhatSteppingDoes) {
  struct Case {
    std::uint32_t baud;
    std::uint32_t port;
  };
  for (const Case c : {Case{4800, 4800}, Case{115200, 115200}, Case{4800, 9600}, Case{9600, 4800}}) {
    SCOPED_TRACE(testing::Message() << "receiver " << c.baud << ", port " << c.port);
    sim::Faults faults;
    faults.split_lines = true;
    faults.noise_every_s = 3;
    constexpr std::uint64_t kEndMs = 20'000;
    sim::ReceiverEngine stepped(Options(c.baud, faults), std::nullopt);
    Delivery reference;
    Drive(stepped, 0, kEndMs, c.port, reference, 1);

    sim::ReceiverEngine engine(Options(c.baud, faults), std::nullopt);
    Delivery woken;
    int wakes = 0;
    for (std::uint64_t now = 0; now <= kEndMs; now = std::max(now + 1, engine.NextDueMs())) {
      ++wakes;
      const std::string batch = engine.Advance(now, c.port);
      woken.bytes += batch;
      woken.times.insert(woken.times.end(), batch.size(), now);
      if (c.baud == c.port) {
        EXPECT_LE(batch.size(), sim::UartLine::kBatchBytes + c.baud / 10'000 + 1) << "at " << now;
      }
    }
    ASSERT_EQ(woken.bytes, reference.bytes.substr(0, woken.bytes.size()));
    EXPECT_GE(woken.bytes.size() + sim::UartLine::kBatchBytes, reference.bytes.size());
    if (c.baud == c.port) {
      for (std::size_t i = 0; i < woken.bytes.size(); ++i) {
        if (woken.bytes[i] == '\n') {
          ASSERT_EQ(woken.times[i], reference.times[i]) << "line end at byte " << i;
        }
      }
    }
    // About one wake per sentence or piece: a dozen a second, not a hundred.
    EXPECT_LT(wakes, static_cast<int>(kEndMs / 1000) * 12);
  }
}

TEST(ReceiverEngine, DeliversGarbageAtAnotherSpeed) {
  struct Case {
    std::uint32_t receiver;
    std::uint32_t port;
  };
  // The scan's speeds against a 4800 receiver, and other pairs.
  const Case cases[] = {{4800, 57600}, {4800, 9600},  {4800, 14400}, {4800, 19200},  {4800, 38400},  {4800, 115200},
                        {4800, 1200},  {57600, 4800}, {9600, 14400}, {14400, 19200}, {38400, 57600}, {115200, 4800}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "receiver " << c.receiver << ", port " << c.port);
    sim::ReceiverEngine engine(Options(c.receiver), std::nullopt);
    Delivery delivery;
    Drive(engine, 0, 10'000, c.port, delivery);
    EXPECT_FALSE(delivery.bytes.empty());
    EXPECT_LE(delivery.bytes.size(), c.port);
    EXPECT_EQ(delivery.Find("$"), std::string::npos);

    // Set to the right speed, the port gets sentences again.
    Delivery after;
    Drive(engine, 10'000, 13'000, c.receiver, after);
    EXPECT_NE(after.Find("$GPRMC"), std::string::npos);
  }
}

TEST(ReceiverEngine, ColdStartGoesSilentThenReacquires) {
  sim::ReceiverEngine engine(Options(4800), std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 10'000, 4800, delivery);
  // The command arrives in two writes, as a program may send it.
  const std::string command = kColdStart;
  engine.Receive(10'000, command.substr(0, 20), 4800);
  engine.Receive(10'000, command.substr(20), 4800);
  EXPECT_EQ(engine.Stats().cold_starts, 1u);

  Delivery after;
  Drive(engine, 10'000, 50'000, 4800, after);
  // At most the frame under way finishes; then two seconds of silence.
  const std::size_t cut = after.CountBetween(10'000, 12'000);
  EXPECT_LE(cut, 1u);

  int first_fix_s = -1;
  int in_view = 0;
  bool empty_sky = false;
  for (const std::string& line : Lines(after.bytes.substr(cut))) {
    ASSERT_TRUE(HasValidChecksum(line)) << line;
    const std::vector<std::string> f = Fields(line);
    if (f[0] == "$GPGSV" && f[2] == "1") {
      EXPECT_GE(std::stoi(f[3]), in_view) << "satellites come back one by one";
      in_view = std::stoi(f[3]);
      empty_sky = empty_sky || in_view == 0;
    } else if (f[0] == "$GPGSA" && first_fix_s < 0 && f[2] != "1") {
      first_fix_s = static_cast<int>(after.times[after.Find(line)] - 10'000) / 1000;
    } else if (f[0] == "$GPRMC") {
      EXPECT_EQ(f[2], first_fix_s < 0 ? "V" : "A") << line;
    }
  }
  EXPECT_TRUE(empty_sky);
  EXPECT_GE(in_view, 8);
  EXPECT_GE(first_fix_s, 15);
  EXPECT_LE(first_fix_s, 30);
  EXPECT_GE(CountStarting(Lines(after.bytes.substr(after.bytes.size() - 600)), "$GPGSA,A,3,"), 1u);
}

TEST(ReceiverEngine, IgnoresCommandsItCannotTakeForAColdStart) {
  struct Case {
    const char* bytes;
    std::uint32_t port;
    const char* why;
  };
  const Case cases[] = {
      {"$PSRF104,0,0,0,96000,237759,1946,12,4*1C\r\n", 4800, "wrong checksum"},
      {"$PSRF104,0,0,0,96000,237759,1946,12,1*18\r\n", 4800, "hot start"},
      {"$PSRF104,0,0,0,96000,237759,1946,12,4*1D", 4800, "no CR LF"},
      {"$PSRF104,0,0,0,96000,237759,1946,12,4*1D\r\n", 9600, "port at another speed"},
      {"$PSRF100,1,4800,8,1,0*0E\r\n", 4800, "another message"},
  };
  for (const Case& c : cases) {
    sim::ReceiverEngine engine(Options(4800), std::nullopt);
    Delivery delivery;
    Drive(engine, 0, 2'000, 4800, delivery);
    engine.Receive(2'000, c.bytes, c.port);
    Drive(engine, 2'000, 4'000, 4800, delivery);
    EXPECT_EQ(engine.Stats().cold_starts, 0u) << c.why;
    EXPECT_EQ(engine.Stats().bytes_received, std::string(c.bytes).size()) << c.why;
    EXPECT_GT(delivery.CountBetween(3'000, 4'001), 300u) << c.why;
  }
  // Noise in front of the command does not hide it.
  sim::ReceiverEngine engine(Options(4800), std::nullopt);
  engine.Receive(0, std::string("\x13\xff garbage") + kColdStart, 4800);
  EXPECT_EQ(engine.Stats().cold_starts, 1u);
}

TEST(ReceiverEngine, CorruptsTheShareOfChecksumsAskedFor) {
  sim::Faults faults;
  faults.corrupt_percent = 30;
  sim::ReceiverEngine engine(Options(38400, faults), std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 100'000, 38400, delivery);
  const std::vector<std::string> lines = Lines(delivery.bytes);
  std::size_t bad = 0;
  for (const std::string& line : lines) {
    // Only the two digits are wrong: still upper-case hex behind "*".
    ASSERT_TRUE(line[line.size() - 3] == '*' && std::isxdigit(line.back()) && !std::islower(line.back())) << line;
    bad += HasValidChecksum(line) ? 0 : 1;
  }
  const double share = static_cast<double>(bad) / static_cast<double>(lines.size());
  EXPECT_TRUE(share > 0.22 && share < 0.38) << share;
}

TEST(ReceiverEngine, SplitsALineEachSecondWithAPauseLongerThanAPoll) {
  sim::Faults faults;
  faults.split_lines = true;
  sim::ReceiverEngine engine(Options(38400, faults), std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 20'000, 38400, delivery);

  int split = 0;
  std::size_t start = 0;
  for (std::size_t end; (end = delivery.Find("\r\n", start)) != std::string::npos; start = end + 2) {
    ASSERT_TRUE(HasValidChecksum(delivery.bytes.substr(start, end - start)));
    for (std::size_t i = start + 1; i <= end; ++i) split += delivery.times[i] - delivery.times[i - 1] >= 250 ? 1 : 0;
  }
  EXPECT_TRUE(split == 19 || split == 20) << split;
}

TEST(ReceiverEngine, SendsNoiseBurstsBetweenSentences) {
  sim::Faults faults;
  faults.noise_every_s = 5;
  sim::ReceiverEngine engine(Options(38400, faults), std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 30'000, 38400, delivery);

  int damaged = 0;
  for (const std::string& line : Lines(delivery.bytes)) {
    if (HasValidChecksum(line)) continue;
    ++damaged;
    // A burst runs into the next sentence and spoils it, but never
    // starts a sentence of its own.
    const std::size_t dollar = line.find('$');
    ASSERT_GE(dollar, 16u) << "no noise ahead of the sentence";
    EXPECT_TRUE(dollar == std::string::npos || HasValidChecksum(line.substr(dollar)));
  }
  EXPECT_TRUE(damaged >= 6 && damaged <= 12) << damaged;
}

TEST(ReceiverEngine, FallsSilentOnDemand) {
  sim::ReceiverOptions options = Options(9600);
  options.silence_after_ms = 20'000;
  options.silence_for_ms = 6'000;
  sim::ReceiverEngine engine(options, std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 3'000, 9600, delivery);
  engine.GoSilent(3'000, 5'000);
  Drive(engine, 3'000, 30'000, 9600, delivery);

  EXPECT_LE(delivery.CountBetween(3'000, 8'000), 1u);
  EXPECT_GT(delivery.CountBetween(8'000, 9'000), 0u);
  EXPECT_GT(delivery.CountBetween(19'000, 20'000), 0u);
  EXPECT_LE(delivery.CountBetween(20'010, 26'000), 1u);
  EXPECT_GT(delivery.CountBetween(26'000, 27'000), 0u);
}

TEST(ReceiverEngine, ReplaysALogOneEpochPerSecond) {
  const char* log =
      "# Name: test capture\n"
      "$GPGGA,120000.00,4531.3860,N,12240.5900,W,1,09,1.6,51.0,M,-19.6,M,,*68\n"
      "$GPRMC,120000.00,A,4531.3860,N,12240.5900,W,0.00,084.00,071226,,,A*4F\r\n"
      "$GPGGA,120001.00,4531.3860,N,12240.5900,W,1,09,1.6,51.0,M,-19.6,M,,*69\r\n"
      "$GPGSV,1,1,01,05,82,031,48*4A\r\n";
  sim::ReceiverEngine engine(Options(9600), sim::ReplayLog(log));
  Delivery delivery;
  Drive(engine, 0, 3'990, 9600, delivery);
  const std::vector<std::string> lines = Lines(delivery.bytes);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_TRUE(lines[0].starts_with("$GPGGA,120000.00") && lines[1].starts_with("$GPRMC,120000.00"));
  EXPECT_TRUE(lines[2].starts_with("$GPGGA,120001.00") && lines[3].starts_with("$GPGSV"));
  EXPECT_EQ(lines[4], lines[0]);
  EXPECT_EQ(delivery.times[delivery.Find("$GPGGA,120001.00")], 1'010u);
}

}  // namespace
