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

// The RMC statuses in `lines`, in order ("A", "V").
std::string RmcStatuses(const std::vector<std::string>& lines) {
  std::string statuses;
  for (const std::string& line : lines) {
    if (line.starts_with("$GPRMC")) statuses += Fields(line)[2];
  }
  return statuses;
}

class FamilyReceiver : public testing::TestWithParam<int> {
 protected:
  const ReceiverFamily& Family() const { return ReceiverFamilies()[GetParam()]; }
};

TEST_P(FamilyReceiver, NamesItselfAndAnswersOnlyItsOwnCommands) {
  // The power-up lines of the vendors' receivers, checksums included.
  const std::map<std::string_view, std::vector<std::string>> banners = {
      {"mediatek", {"$PMTK011,MTKGPS*08", "$PMTK010,001*2E"}},
      {"ublox", {"$GNTXT,01,01,02,u-blox AG - www.u-blox.com*4E"}},
      {"casic", {"$GPTXT,01,01,02,MA=CASIC*27"}},
  };
  sim::ReceiverEngine engine(FamilyOptions(Family().id), std::nullopt);
  Delivery delivery;
  Drive(engine, 0, 1500, kBaud, delivery);
  for (int i = 0; i < ReceiverFamilyCount(); ++i) {
    if (i == GetParam()) continue;
    engine.Receive(1500, StartCommandBytes(ReceiverFamilies()[i], StartKind::Cold), kBaud);
    engine.Receive(1500, CommandBytes(ReceiverFamilies()[i].probe), kBaud);
  }
  Drive(engine, 1500, 4000, kBaud, delivery);
  const std::vector<std::string> lines = Lines(delivery.bytes);
  const auto banner = banners.find(Family().id);
  const std::vector<std::string> expected = banner == banners.end() ? std::vector<std::string>{} : banner->second;
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(expected.size())), expected);
  // Named by its banner alone, if at all; the others' commands left no
  // reply, no restart and no lost fix.
  for (const std::string& line : lines) {
    const ReceiverFamily* named = FamilyOfLine(line);
    EXPECT_TRUE(named == nullptr || (named == &Family() && !expected.empty())) << line;
  }
  if (!expected.empty()) {
    EXPECT_EQ(delivery.bytes.find(expected[0], 1), std::string::npos) << "banner once";
  }
  EXPECT_EQ(RmcStatuses(lines).find('V'), std::string::npos);
  EXPECT_FALSE(RmcStatuses(lines).empty());
  EXPECT_FALSE(UbxVersionReply(delivery.bytes).has_value());
  for (std::uint64_t count : engine.Stats().starts) EXPECT_EQ(count, 0u);

  if (Family().probe.kind == FamilyCommand::Kind::None) return;
  engine.Receive(4000, CommandBytes(Family().probe), kBaud);
  Delivery after;
  Drive(engine, 4000, 4500, kBaud, after);
  std::optional<std::string> version = UbxVersionReply(after.bytes);
  for (const std::string& line : Lines(after.bytes)) {
    if (!version) version = ProbeReplyVersion(Family(), line);
  }
  ASSERT_TRUE(version.has_value());
  EXPECT_FALSE(version->empty());
  EXPECT_EQ(*version, sim::SimulatedFirmwareVersion(Family()));
}

TEST_P(FamilyReceiver, EachStartDropsTheFixUntilTheDrawnTimeToFirstFix) {
  const std::map<std::string_view, std::string> cold_acks = {
      {"mediatek", "$PMTK001,103,3*"}, {"quectel-pair", "$PAIR001,006,0*"}, {"quectel-pqtm", "$PQTMCOLD,OK*"}};
  sim::ReceiverEngine engine(FamilyOptions(Family().id), std::nullopt);
  std::uint64_t now = 0;
  int honoured = 0;
  for (StartKind kind : {StartKind::Hot, StartKind::Warm, StartKind::Cold, StartKind::Factory}) {
    const std::string command = StartCommandBytes(Family(), kind);
    if (command.empty()) continue;
    SCOPED_TRACE(static_cast<int>(kind));
    Delivery before;
    Drive(engine, now, now + 2500, kBaud, before);  // between epochs, the last one out
    now += 2500;
    engine.Receive(now, command, kBaud);
    ++honoured;
    const sim::ReceiverStats stats = engine.Stats();
    EXPECT_EQ(stats.starts[static_cast<int>(kind)], 1u);
    const sim::TtffRange range = sim::StartTtffRange(Family(), kind);
    EXPECT_GE(range.min_ms, 1000u);
    EXPECT_LE(range.max_ms, 50'000u);
    EXPECT_GE(stats.last_ttff_ms, range.min_ms / kTimeScale - 1);
    EXPECT_LE(stats.last_ttff_ms, range.max_ms / kTimeScale + 1);

    Delivery after;
    Drive(engine, now, now + stats.last_ttff_ms + 3000, kBaud, after);
    const auto ack = cold_acks.find(Family().id);
    if (kind == StartKind::Cold && ack != cold_acks.end()) {
      EXPECT_TRUE(after.bytes.starts_with(ack->second));
    }
    // The fix is gone at once; the restarted receiver's epochs run from the
    // start, so the first fix comes with the first epoch after the drawn
    // time, delivered within tens of milliseconds.
    ASSERT_TRUE(RmcStatuses(Lines(after.bytes)).starts_with("V"));
    std::size_t fix_at = std::string::npos;
    for (std::size_t at = after.Find("$GPRMC,"); at != std::string::npos; at = after.Find("$GPRMC,", at + 1)) {
      if (Fields(after.bytes.substr(at, after.bytes.find('*', at) - at))[2] == "A") {
        fix_at = at;
        break;
      }
    }
    ASSERT_NE(fix_at, std::string::npos);
    EXPECT_GE(after.times[fix_at], now + stats.last_ttff_ms);
    EXPECT_LT(after.times[fix_at], now + stats.last_ttff_ms + 1100);
    now += stats.last_ttff_ms + 3000;
  }
  EXPECT_EQ(honoured, Family().starts[static_cast<int>(StartKind::Factory)].kind == FamilyCommand::Kind::None ? 3 : 4);
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyReceiver, testing::Range(0, ReceiverFamilyCount()),
                         [](const testing::TestParamInfo<int>& info) {
                           std::string name(ReceiverFamilies()[info.param].id);
                           for (char& c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

TEST(FamilyReceiver, TakesAUbxFrameByteByByteAfterNoiseAndTheSeedDecidesTheTimes) {
  const ReceiverFamily& ublox = *FindReceiverFamily("ublox");
  const auto draws = [&](std::uint32_t seed) {
    sim::ReceiverEngine engine(FamilyOptions("ublox", seed), std::nullopt);
    std::vector<std::uint64_t> ttff;
    for (int i = 0; i < 4; ++i) {
      const std::string command = "\x01\xB5garbage\r\n" + StartCommandBytes(ublox, StartKind::Warm);
      for (char c : command) engine.Receive(100 + i, std::string(1, c), kBaud);
      ttff.push_back(engine.Stats().last_ttff_ms);
    }
    EXPECT_EQ(engine.Stats().starts[static_cast<int>(StartKind::Warm)], 4u);
    // A frame with a wrong checksum is no command.
    std::string broken = StartCommandBytes(ublox, StartKind::Cold);
    broken.back() = static_cast<char>(broken.back() ^ 1);
    engine.Receive(200, broken, kBaud);
    EXPECT_EQ(engine.Stats().starts[static_cast<int>(StartKind::Cold)], 0u);
    return ttff;
  };
  EXPECT_EQ(draws(3), draws(3));
  EXPECT_NE(draws(3), draws(4));
}

}  // namespace
