// Identification against a fake receiver that answers one family's probe:
// passive recognition wins without a probe, probes go out one at a time in
// the table's order, and a receiver that answers none is plain NMEA.
#include "ttff/identification.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/ttff/sentences.h"

namespace {

// Answers `answersTo`'s probe with `reply` after `delayMs`, and sends a plain
// GGA every second. Counts what it was sent.
struct FakeReceiver {
  std::string answersTo;
  std::string reply;
  std::uint32_t delayMs = 200;
  std::vector<std::string> written;
  std::vector<std::uint32_t> writtenAt;
  std::uint32_t doneAt = 0;

  // Runs identification on simulated ticks of 50 ms for up to a minute.
  void Run(CIdentification& identification) {
    std::uint32_t pendingAt = 0;
    bool pending = false;
    identification.Start(0);
    for (std::uint32_t now = 0; now < 60000 && !identification.Done(); now += 50) {
      doneAt = now;
      if (now % 1000 == 0) identification.OnBytes(GgaWithQuality(0), now);
      if (pending && now >= pendingAt) {
        identification.OnBytes(reply, now);
        pending = false;
      }
      const std::string bytes = identification.Poll(now);
      if (bytes.empty()) continue;
      written.push_back(bytes);
      writtenAt.push_back(now);
      if (bytes == answersTo) {
        pending = true;
        pendingAt = now + delayMs;
      }
    }
  }
};

TEST(Identification, PassiveRecognitionNeedsNoProbe) {
  CIdentification identification;
  identification.Start(0);
  identification.OnBytes(GgaWithQuality(0), 100);
  EXPECT_EQ(identification.Poll(100), "");
  // A banner cut across two reads.
  const std::string banner = Sentence("GPTXT,01,01,02,u-blox ag - www.u-blox.com");
  identification.OnBytes(banner.substr(0, 10), 300);
  identification.OnBytes(banner.substr(10), 350);
  ASSERT_TRUE(identification.Done());
  EXPECT_EQ(identification.Family(), FindReceiverFamily("ublox"));
  EXPECT_TRUE(identification.FoundPassively());
  EXPECT_EQ(identification.ProbesWritten(), 0);
}

TEST(Identification, ProbesOneAtATimeInTableOrderUntilOneIsConfirmed) {
  const ReceiverFamily& teseo = *FindReceiverFamily("teseo");
  FakeReceiver receiver;
  receiver.answersTo = CommandBytes(teseo.probe);
  receiver.reply = Sentence("PSTMVER,GNSSLIB_8.4.18.25_CP_ARM");
  CIdentification identification;
  receiver.Run(identification);
  ASSERT_TRUE(identification.Done());
  EXPECT_EQ(identification.Family(), &teseo);
  EXPECT_EQ(identification.Version(), "GNSSLIB_8.4.18.25_CP_ARM");
  EXPECT_FALSE(identification.FoundPassively());
  // Every family before ST Teseo that has a probe, in order; the first after
  // the listen, each next one only when the last one's wait is over.
  std::vector<std::string> expected;
  for (int i = 0; &ReceiverFamilies()[i] != &teseo + 1; ++i) {
    const std::string probe = CommandBytes(ReceiverFamilies()[i].probe);
    if (!probe.empty()) expected.push_back(probe);
  }
  EXPECT_EQ(receiver.written, expected);
  EXPECT_EQ(receiver.writtenAt.front(), CIdentification::kListenMs);
  for (std::size_t i = 1; i < receiver.writtenAt.size(); ++i) {
    EXPECT_GE(receiver.writtenAt[i] - receiver.writtenAt[i - 1], CIdentification::kProbeWaitMs);
  }
}

TEST(Identification, UbloxIsConfirmedByItsBinaryVersionReply) {
  std::string payload(40, '\0');
  payload.replace(0, 13, "ROM CORE 3.01");
  const std::string reply = CommandBytes({FamilyCommand::Kind::Ubx, {}, 0x0A, 0x04, payload});
  FakeReceiver receiver;
  receiver.answersTo = CommandBytes(FindReceiverFamily("ublox")->probe);
  receiver.reply = reply;
  CIdentification identification;
  receiver.Run(identification);
  EXPECT_EQ(identification.Family(), FindReceiverFamily("ublox"));
  EXPECT_EQ(identification.Version(), "ROM CORE 3.01");
}

TEST(Identification, AReceiverThatAnswersNoProbeIsPlainNmea) {
  FakeReceiver receiver;
  CIdentification identification;
  receiver.Run(identification);
  ASSERT_TRUE(identification.Done());
  EXPECT_EQ(identification.Family(), nullptr);
  int probes = 0;
  for (int i = 0; i < ReceiverFamilyCount(); ++i) probes += !CommandBytes(ReceiverFamilies()[i].probe).empty();
  EXPECT_EQ(identification.ProbesWritten(), probes);
  EXPECT_EQ(static_cast<int>(receiver.written.size()), probes);
  // Done only once the last probe's wait is over.
  EXPECT_GE(receiver.doneAt, receiver.writtenAt.back() + CIdentification::kProbeWaitMs);
}

}  // namespace
