// The simulated receiver as a receiver of each family: its banner, its
// probe's reply, its starts and the time to first fix after them, on
// simulated time.
#include "simulator/family_behaviour.h"
#include "simulator/receiver_engine.h"

#include "receivers/receiver_family.h"
#include "tests/simulator/engine_runner.h"
#include "tests/simulator/nmea_checks.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using sim_test::Delivery;
using sim_test::Drive;
using sim_test::Fields;
using sim_test::Lines;

constexpr std::uint32_t kBaud = 115200;  // an epoch goes out in a few tens of ms
constexpr double kTimeScale = 10.0;

sim::ReceiverOptions FamilyOptions(std::string_view family, std::uint32_t seed = 7) {
  sim::ReceiverOptions options;
  options.baud = kBaud;
  options.family = std::string(family);
  options.seed = seed;
  options.time_scale = kTimeScale;
  return options;
}

// When the first RMC with status A after from_ms came in, or -1; and
// whether an RMC with status V came before it.
struct FixReturn {
  std::int64_t first_fix_ms = -1;
  bool lost = false;
};

FixReturn FirstFixAfter(const Delivery& delivery, std::uint64_t from_ms) {
  FixReturn result;
  std::size_t at = 0;
  for (const std::string& line : Lines(delivery.bytes)) {
    at = delivery.Find(line, at);
    const std::uint64_t time = delivery.times[at];
    if (time <= from_ms || !line.starts_with("$GPRMC")) continue;
    if (Fields(line)[2] == "V") result.lost = true;
    if (Fields(line)[2] == "A" && result.lost) {
      result.first_fix_ms = static_cast<std::int64_t>(time);
      break;
    }
  }
  return result;
}

class FamilyReceiver : public testing::TestWithParam<int> {
 protected:
  const ReceiverFamily& Family() const { return ReceiverFamilies()[GetParam()]; }
};

TEST_P(FamilyReceiver, AnnouncesItselfOrStaysQuietAtPowerUp) {
  // The power-up lines the vendors' receivers send, checksums included.
  const std::map<std::string_view, std::vector<std::string>> banners = {
      {"mediatek", {"$PMTK011,MTKGPS*08", "$PMTK010,001*2E"}},
      {"ublox", {"$GNTXT,01,01,02,u-blox AG - www.u-blox.com*4E"}},
      {"casic", {"$GPTXT,01,01,02,MA=CASIC*27"}},
  };
  sim::ReceiverEngine engine(FamilyOptions(Family().id), std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 3000, kBaud, delivery);
  const std::vector<std::string> lines = Lines(delivery.bytes);
  const auto expected = banners.find(Family().id);
  const ReceiverFamily* named = nullptr;
  for (const std::string& line : lines) {
    if (named == nullptr) named = FamilyOfLine(line);
  }
  if (expected == banners.end()) {
    EXPECT_EQ(named, nullptr) << "only a probe names " << Family().id;
    return;
  }
  ASSERT_GE(lines.size(), expected->second.size());
  for (std::size_t i = 0; i < expected->second.size(); ++i) EXPECT_EQ(lines[i], expected->second[i]);
  EXPECT_EQ(named, &Family());
  // Once: a receiver announces itself at power-up, not every second.
  EXPECT_EQ(delivery.bytes.find(expected->second[0], 1), std::string::npos);
}

TEST_P(FamilyReceiver, AnswersItsProbeWithItsVersion) {
  if (Family().probe.kind == FamilyCommand::Kind::None) GTEST_SKIP() << "no probe";
  sim::ReceiverEngine engine(FamilyOptions(Family().id), std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 1500, kBaud, delivery);
  engine.Receive(1500, CommandBytes(Family().probe), kBaud);
  Delivery after;
  Drive(engine, 1500, 2000, kBaud, after);
  std::optional<std::string> version;
  if (Family().probe.kind == FamilyCommand::Kind::Ubx) {
    version = UbxVersionReply(after.bytes);
  } else {
    for (const std::string& line : Lines(after.bytes)) {
      if (!version) version = ProbeReplyVersion(Family(), line);
    }
  }
  ASSERT_TRUE(version.has_value());
  EXPECT_FALSE(version->empty());
  EXPECT_EQ(*version, sim::SimulatedFirmwareVersion(Family()));
  EXPECT_EQ(engine.Stats().starts[static_cast<int>(StartKind::Cold)], 0u);
}

TEST_P(FamilyReceiver, EachStartDropsTheFixUntilTheDrawnTimeToFirstFix) {
  sim::ReceiverEngine engine(FamilyOptions(Family().id), std::nullopt);
  Delivery delivery;
  std::uint64_t now = 0;
  int honoured = 0;
  for (StartKind kind : {StartKind::Hot, StartKind::Warm, StartKind::Cold, StartKind::Factory}) {
    const std::string command = StartCommandBytes(Family(), kind);
    if (command.empty()) continue;
    SCOPED_TRACE(static_cast<int>(kind));
    // Between epochs, once the last one has gone out.
    Drive(engine, now, now + 2500, kBaud, delivery);
    now += 2500;
    engine.Receive(now, command, kBaud);
    ++honoured;
    const sim::ReceiverStats stats = engine.Stats();
    EXPECT_EQ(stats.starts[static_cast<int>(kind)], 1u);
    const sim::TtffRange range = sim::StartTtffRange(Family(), kind);
    EXPECT_GE(stats.last_ttff_ms, range.min_ms / kTimeScale - 1);
    EXPECT_LE(stats.last_ttff_ms, range.max_ms / kTimeScale + 1);
    EXPECT_GE(range.min_ms, 1000u);
    EXPECT_LE(range.max_ms, 50'000u);

    const std::uint64_t end = now + stats.last_ttff_ms + 3000;
    Delivery after;
    Drive(engine, now, end, kBaud, after);
    const FixReturn fix = FirstFixAfter(after, now);
    EXPECT_TRUE(fix.lost);
    ASSERT_GE(fix.first_fix_ms, 0);
    EXPECT_GE(static_cast<std::uint64_t>(fix.first_fix_ms), now + stats.last_ttff_ms);
    // The restarted receiver's epochs run from the start on, and one goes
    // out at this speed in a few tens of milliseconds.
    EXPECT_LT(static_cast<std::uint64_t>(fix.first_fix_ms), now + stats.last_ttff_ms + 1100);
    // The fix is gone at once.
    const std::size_t next_rmc = after.Find("$GPRMC");
    ASSERT_NE(next_rmc, std::string::npos);
    EXPECT_EQ(Fields(after.bytes.substr(next_rmc, after.bytes.find('\n', next_rmc) - next_rmc))[2], "V");
    delivery.bytes += after.bytes;
    delivery.times.insert(delivery.times.end(), after.times.begin(), after.times.end());
    now = end;
  }
  EXPECT_GE(honoured, 3);
  if (Family().id != "ublox" && Family().id != "teseo" && Family().id != "quectel-pqtm") {
    EXPECT_EQ(honoured, 4);
  }
}

TEST_P(FamilyReceiver, IgnoresOtherFamiliesColdStarts) {
  sim::ReceiverEngine engine(FamilyOptions(Family().id), std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 1500, kBaud, delivery);
  for (int i = 0; i < ReceiverFamilyCount(); ++i) {
    if (i == GetParam()) continue;
    engine.Receive(1500, StartCommandBytes(ReceiverFamilies()[i], StartKind::Cold), kBaud);
    engine.Receive(1500, CommandBytes(ReceiverFamilies()[i].probe), kBaud);
  }
  Drive(engine, 1500, 5000, kBaud, delivery);
  const sim::ReceiverStats stats = engine.Stats();
  for (std::uint64_t count : stats.starts) EXPECT_EQ(count, 0u);
  EXPECT_FALSE(FirstFixAfter(delivery, 0).lost);
  // No reply to anyone else's probe: every line is an epoch's or a banner.
  for (const std::string& line : Lines(delivery.bytes)) {
    const ReceiverFamily* named = FamilyOfLine(line);
    EXPECT_TRUE(named == nullptr || named == &Family()) << line;
  }
  EXPECT_FALSE(UbxVersionReply(delivery.bytes).has_value() && Family().id != "ublox");
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyReceiver, testing::Range(0, ReceiverFamilyCount()),
                         [](const testing::TestParamInfo<int>& info) {
                           std::string name(ReceiverFamilies()[info.param].id);
                           for (char& c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

TEST(FamilyReceiver, AcknowledgesTheStartWhereTheFamilyDoes) {
  const std::map<std::string_view, std::string> acks = {
      {"mediatek", "$PMTK001,103,3*"},
      {"quectel-pair", "$PAIR001,006,0*"},
      {"quectel-pqtm", "$PQTMCOLD,OK*"},
  };
  for (int i = 0; i < ReceiverFamilyCount(); ++i) {
    const ReceiverFamily& family = ReceiverFamilies()[i];
    sim::ReceiverEngine engine(FamilyOptions(family.id), std::nullopt);
    Delivery delivery;
    Drive(engine, 0, 1500, kBaud, delivery);
    engine.Receive(1500, StartCommandBytes(family, StartKind::Cold), kBaud);
    Delivery after;
    Drive(engine, 1500, 1600, kBaud, after);
    const auto ack = acks.find(family.id);
    if (ack == acks.end()) {
      // The restart's banner or its first epoch, nothing before them.
      const std::string first = Lines(after.bytes).at(0);
      EXPECT_TRUE(first.starts_with("$GPGGA,") || first.substr(3, 4) == "TXT,") << family.id << ": " << first;
    } else {
      EXPECT_TRUE(after.bytes.starts_with(ack->second)) << family.id << ": " << after.bytes;
    }
  }
}

TEST(FamilyReceiver, TakesAUbxFrameByteByByteAfterNoise) {
  sim::ReceiverEngine engine(FamilyOptions("ublox"), std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 1500, kBaud, delivery);
  const std::string command = "\x01\xB5garbage\r\n" + StartCommandBytes(*FindReceiverFamily("ublox"), StartKind::Warm);
  for (char c : command) engine.Receive(1500, std::string(1, c), kBaud);
  EXPECT_EQ(engine.Stats().starts[static_cast<int>(StartKind::Warm)], 1u);
  // A frame with a wrong checksum is no command.
  std::string broken = StartCommandBytes(*FindReceiverFamily("ublox"), StartKind::Cold);
  broken.back() = static_cast<char>(broken.back() ^ 1);
  engine.Receive(1600, broken, kBaud);
  EXPECT_EQ(engine.Stats().starts[static_cast<int>(StartKind::Cold)], 0u);
}

TEST(FamilyReceiver, TheSeedDecidesTheTimesToFirstFix) {
  const auto draws = [](std::uint32_t seed) {
    sim::ReceiverEngine engine(FamilyOptions("mediatek", seed), std::nullopt);
    std::vector<std::uint64_t> ttff;
    for (int i = 0; i < 5; ++i) {
      engine.Receive(100 + i, StartCommandBytes(*FindReceiverFamily("mediatek"), StartKind::Cold), kBaud);
      ttff.push_back(engine.Stats().last_ttff_ms);
    }
    return ttff;
  };
  EXPECT_EQ(draws(3), draws(3));
  EXPECT_NE(draws(3), draws(4));
}

TEST(FamilyReceiver, TheDesignedReceiverSendsNoBannerAndTakesOnlyItsColdStart) {
  sim::ReceiverOptions options;
  options.baud = kBaud;
  sim::ReceiverEngine engine(options, std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 1500, kBaud, delivery);
  for (int i = 0; i < ReceiverFamilyCount(); ++i) {
    if (ReceiverFamilies()[i].id == "sirf") continue;
    engine.Receive(1500, StartCommandBytes(ReceiverFamilies()[i], StartKind::Cold), kBaud);
  }
  EXPECT_EQ(engine.Stats().cold_starts, 0u);
  EXPECT_TRUE(Lines(delivery.bytes).front().starts_with("$GPGGA"));
  engine.Receive(1500, StartCommandBytes(*FindReceiverFamily("sirf"), StartKind::Cold), kBaud);
  EXPECT_EQ(engine.Stats().cold_starts, 1u);
}

}  // namespace
