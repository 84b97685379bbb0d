// The receiver families' commands, byte for byte, against values worked out
// apart from the table (vendors' examples and checksums computed by hand),
// and their recognition on real receiver logs.
#include "receivers/receiver_family.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
const fs::path kCorpus = fs::path(ZELMORA_SOURCE_DIR) / "tests" / "data";

std::string Hex(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (!text.empty()) text += ' ';
    text += "0123456789ABCDEF"[c >> 4];
    text += "0123456789ABCDEF"[c & 0xF];
  }
  return text;
}

const ReceiverFamily& Family(std::string_view id) {
  const ReceiverFamily* family = FindReceiverFamily(id);
  EXPECT_NE(family, nullptr) << id;
  return family != nullptr ? *family : ReceiverFamilies()[0];
}

TEST(ReceiverFamilyTest, EveryStartAndProbeIsTheVendorsBytes) {
  struct Case {
    const char* family;
    const char* hot;
    const char* warm;
    const char* cold;
    const char* factory;  // "" where the family has none
    const char* probe;    // "" where the family has none
  };
  // The NMEA lines end in CR LF on the wire; UBX frames are given in hex.
  const Case cases[] = {
      {"sirf", "$PSRF104,0,0,0,96000,237759,1946,12,1*18", "$PSRF104,0,0,0,96000,237759,1946,12,2*1B",
       "$PSRF104,0,0,0,96000,237759,1946,12,4*1D", "$PSRF104,0,0,0,96000,237759,1946,12,8*11", ""},
      {"mediatek", "$PMTK101*32", "$PMTK102*31", "$PMTK103*30", "$PMTK104*37", "$PMTK605*31"},
      {"ublox", "B5 62 06 04 04 00 00 00 02 00 10 68", "B5 62 06 04 04 00 01 00 02 00 11 6C",
       "B5 62 06 04 04 00 FF FF 02 00 0E 61", "", "B5 62 0A 04 00 00 0E 34"},
      {"quectel-pqtm", "$PQTMHOT*4B", "$PQTMWARM*11", "$PQTMCOLD*1C", "", "$PQTMVERNO*58"},
      {"quectel-pair", "$PAIR004*3E", "$PAIR005*3F", "$PAIR006*3C", "$PAIR007*3D", "$PAIR021*39"},
      {"teseo", "$PSTMHOT*49", "$PSTMWARM*13", "$PSTMCOLD*1E", "", "$PSTMGETSWVER*09"},
      {"casic", "$PCAS10,0*1C", "$PCAS10,1*1D", "$PCAS10,2*1E", "$PCAS10,3*1F", "$PCAS06,0*1B"},
  };
  ASSERT_EQ(ReceiverFamilyCount(), static_cast<int>(std::size(cases)));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.family);
    const ReceiverFamily& family = Family(c.family);
    const auto wire = [&](const char* expected) -> std::string {
      if (*expected == '\0' || *expected == '$') return *expected == '\0' ? "" : std::string(expected) + "\r\n";
      return expected;  // hex, compared as hex below
    };
    const auto same = [&](const std::string& bytes, const char* expected) {
      if (*expected == 'B') {
        EXPECT_EQ(Hex(bytes), expected);
      } else {
        EXPECT_EQ(bytes, wire(expected));
      }
    };
    same(StartCommandBytes(family, StartKind::Hot), c.hot);
    same(StartCommandBytes(family, StartKind::Warm), c.warm);
    same(StartCommandBytes(family, StartKind::Cold), c.cold);
    same(StartCommandBytes(family, StartKind::Factory), c.factory);
    same(CommandBytes(family.probe), c.probe);
  }
  EXPECT_EQ(StartCommandBytes(Family("sirf"), StartKind::Cold), "$PSRF104,0,0,0,96000,237759,1946,12,4*1D\r\n")
      << "the handheld's own cold start";
}

TEST(ReceiverFamilyTest, PassiveRecognitionNamesTheFamilyFromWhatItSendsAnyway) {
  const std::pair<std::string_view, const char*> lines[] = {
      {"$PMTK011,MTKGPS*08", "mediatek"},
      {"$GPTXT,01,01,02,u-blox ag - www.u-blox.com*50", "ublox"},
      {"$GNTXT,01,01,02,MA=CASIC*27", "casic"},
      {"$PSRF150,1*3E", "sirf"},
      {"$PAIR001,004,0*3F", "quectel-pair"},
      {"$PQTMVERNO,LG290P03AANR01A03S,2024/04/15,10:11:12*26", "quectel-pqtm"},
      {"$PSTMVER,GNSSLIB_9749c549631df_ARM*09", "teseo"},
      {"$GPRMC,120000,A,4807.038,N,01131.000,E,0.0,0.0,010100,,*00", nullptr},
      {"$GNTXT,01,01,02,ANTSTATUS=OK*3B", nullptr},
      {"$PGRME,15.0,M,22.5,M,27.0,M*1A", nullptr},
  };
  for (const auto& [line, id] : lines) {
    const ReceiverFamily* family = FamilyOfLine(line);
    EXPECT_EQ(family != nullptr ? family->id : "none", id != nullptr ? id : "none") << line;
  }
}

TEST(ReceiverFamilyTest, ProbeRepliesConfirmTheirFamilyAndCarryItsVersion) {
  EXPECT_EQ(ProbeReplyVersion(Family("mediatek"), "$PMTK705,AXN_2.10_3339_2012072601,5223,PA6H,1.0*6B\r\n"),
            "AXN_2.10_3339_2012072601,5223,PA6H,1.0");
  EXPECT_EQ(ProbeReplyVersion(Family("mediatek"), "$PMTK001,605,3*30"), std::nullopt) << "an acknowledgement only";
  EXPECT_EQ(ProbeReplyVersion(Family("casic"), "$GPTXT,01,01,02,SW=URANUS5,V5.3.0.0*1D"), "URANUS5,V5.3.0.0");
  EXPECT_EQ(ProbeReplyVersion(Family("teseo"), "$PSTMVER,GNSSLIB_9749c549631df_ARM*09"), "GNSSLIB_9749c549631df_ARM");
  EXPECT_EQ(ProbeReplyVersion(Family("sirf"), "$PSRF150,1*3E"), std::nullopt) << "no probe, no reply";

  // MON-VER: 30 characters of software version and 10 of hardware, zero
  // padded, after a NAV frame and garbage.
  std::string payload = std::string("ROM CORE 3.01 (107888)").append(8, '\0') + std::string("00080000").append(2, '\0');
  const std::string reply = CommandBytes({FamilyCommand::Kind::Ubx, {}, 0x0A, 0x04, payload});
  const std::string other = CommandBytes({FamilyCommand::Kind::Ubx, {}, 0x01, 0x07, std::string(8, '\x11')});
  EXPECT_EQ(UbxVersionReply("\x01junk" + other + reply), "ROM CORE 3.01 (107888)");
  EXPECT_TRUE(HoldsUbxFrame("$GNRMC,\xB5\x62" + other));
  std::string corrupt = reply;
  corrupt[10] ^= 0x20;
  EXPECT_EQ(UbxVersionReply(corrupt), std::nullopt) << "a frame whose checksum fails is no reply";
  EXPECT_FALSE(HoldsUbxFrame(corrupt));
  EXPECT_EQ(UbxVersionReply(reply.substr(0, reply.size() - 1)), std::nullopt) << "nor half a frame";
}

TEST(ReceiverFamilyTest, RealLogsNameTheirReceiversFamilyOrNone) {
  const std::pair<const char*, const char*> logs[] = {
      {"mtk-3301.log", "mediatek"},
      {"st-teseo-liv4f.log", "teseo"},
      // No banner, and the binary glued before one of its sentences is line
      // noise, not a UBX frame: these logs do not tell who made them.
      {"ublox-8.log", nullptr},
      {"ublox-zed-f9p-nmea.log", nullptr},
      {"garmin-geko201.log", nullptr},
      {"haicom-305N.log", nullptr},
  };
  for (const auto& [name, id] : logs) {
    SCOPED_TRACE(name);
    std::ifstream file(kCorpus / name, std::ios::binary);
    ASSERT_TRUE(file) << name;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const char* found = HoldsUbxFrame(bytes) ? "ublox" : nullptr;
    std::istringstream in(bytes);
    for (std::string line; found == nullptr && std::getline(in, line);) {
      // A doubled "$" is a logging slip, not part of the sentence.
      const std::size_t start = line.find_first_not_of('$');
      if (start == std::string::npos || start == 0) continue;
      if (const ReceiverFamily* family = FamilyOfLine(std::string_view(line).substr(start - 1))) {
        found = family->id.data();
      }
    }
    EXPECT_STREQ(found, id);
  }
}

}  // namespace
