#include "receivers/receiver_family.h"

#include <iterator>

#include "nmea/checksum.h"

namespace {

using Kind = FamilyCommand::Kind;

constexpr FamilyCommand Nmea(std::string_view body) { return {Kind::Nmea, body, 0, 0, {}}; }
constexpr FamilyCommand Ubx(std::uint8_t cls, std::uint8_t id, std::string_view payload) {
  return {Kind::Ubx, {}, cls, id, payload};
}
constexpr FamilyCommand kNone{};

// UBX-CFG-RST payloads: navBbrMask (U2, little-endian), resetMode 0x02
// (controlled software reset, GNSS only), one reserved byte.
constexpr char kUbxHot[] = {'\x00', '\x00', '\x02', '\x00'};
constexpr char kUbxWarm[] = {'\x01', '\x00', '\x02', '\x00'};
constexpr char kUbxCold[] = {'\xFF', '\xFF', '\x02', '\x00'};
constexpr std::string_view Bytes(const char (&bytes)[4]) { return {bytes, 4}; }

// Starts are in StartKind order: hot, warm, cold, factory.
const ReceiverFamily kFamilies[] = {
    // SiRF NMEA Reference Manual (SiRF document 1050-0042, rev. 2.1, December
    // 2007), input message 104 "Navigation Initialization": reset
    // configuration 1 hot, 2 warm, 4 cold, 8 clear memory (factory). The
    // other fields are the handheld's own cold start's. No probe.
    {"sirf",
     "SiRF",
     "$PSRF",
     {},
     kNone,
     {},
     {Nmea("PSRF104,0,0,0,96000,237759,1946,12,1"), Nmea("PSRF104,0,0,0,96000,237759,1946,12,2"),
      Nmea("PSRF104,0,0,0,96000,237759,1946,12,4"), Nmea("PSRF104,0,0,0,96000,237759,1946,12,8")}},
    // MediaTek PMTK command packet (GlobalTop/MTK3339 "PMTK command packet",
    // rev. A11): 101 hot, 102 warm, 103 cold, 104 full cold (factory); 605
    // asks for the release, answered by 705 with its text. Power-up sends
    // "$PMTK011,MTKGPS".
    {"mediatek",
     "MediaTek",
     "$PMTK",
     {},
     Nmea("PMTK605"),
     "$PMTK705,",
     {Nmea("PMTK101"), Nmea("PMTK102"), Nmea("PMTK103"), Nmea("PMTK104")}},
    // u-blox 8 / u-blox M8 receiver description and UBX protocol manual
    // (UBX-13003221): UBX-CFG-RST (0x06 0x04) with navBbrMask
    // 0x0000 hot, 0x0001 warm, 0xFFFF cold (no factory start there; CFG-RST
    // is not acknowledged); UBX-MON-VER (0x0A 0x04) polled with an empty
    // payload. Banners are "$GPTXT,01,01,02,u-blox ag - www.u-blox.com".
    {"ublox",
     "u-blox",
     {},
     "u-blox",
     Ubx(0x0A, 0x04, {}),
     {},
     {Ubx(0x06, 0x04, Bytes(kUbxHot)), Ubx(0x06, 0x04, Bytes(kUbxWarm)), Ubx(0x06, 0x04, Bytes(kUbxCold)), kNone}},
    // Quectel LG290P03 GNSS protocol manual V1.0: PQTMHOT, PQTMWARM,
    // PQTMCOLD (PQTMSRR only reboots: no factory start); PQTMVERNO answered
    // by "$PQTMVERNO,<version>,<date>,<time>".
    {"quectel-pqtm",
     "Quectel (PQTM)",
     "$PQTM",
     {},
     Nmea("PQTMVERNO"),
     "$PQTMVERNO,",
     {Nmea("PQTMHOT"), Nmea("PQTMWARM"), Nmea("PQTMCOLD"), kNone}},
    // Quectel LC29H & LC79H GNSS protocol manual (Airoha PAIR
    // commands): PAIR004 hot, PAIR005 warm, PAIR006 cold, PAIR007 full cold
    // (factory), each answered by "$PAIR001,<command>,<result>"; PAIR021
    // answered by "$PAIR021,<version>,...".
    {"quectel-pair",
     "Quectel/Airoha (PAIR)",
     "$PAIR",
     {},
     Nmea("PAIR021"),
     "$PAIR021,",
     {Nmea("PAIR004"), Nmea("PAIR005"), Nmea("PAIR006"), Nmea("PAIR007")}},
    // ST UM2229 Teseo-LIV3 GNSS module software manual: $PSTMHOT,
    // $PSTMWARM, $PSTMCOLD (without a mask: everything cleared); $PSTMSRR
    // only reboots (no factory start); $PSTMGETSWVER answered by
    // "$PSTMVER,<version>".
    {"teseo",
     "ST Teseo",
     "$PSTM",
     {},
     Nmea("PSTMGETSWVER"),
     "$PSTMVER,",
     {Nmea("PSTMHOT"), Nmea("PSTMWARM"), Nmea("PSTMCOLD"), kNone}},
    // CASIC multimode satellite navigation receiver protocol manual
    // (ATGM336H and its clones): PCAS10 restart, 0 hot, 1 warm, 2 cold, 3
    // factory; PCAS06,0 asks for the software, answered by
    // "$GPTXT,01,01,02,SW=<version>". Power-up banners name the maker
    // ("MA=CASIC").
    {"casic",
     "CASIC",
     "$PCAS",
     "CASIC",
     Nmea("PCAS06,0"),
     "$GPTXT,01,01,02,SW=",
     {Nmea("PCAS10,0"), Nmea("PCAS10,1"), Nmea("PCAS10,2"), Nmea("PCAS10,3")}},
    // Unicore receivers are left out: their $RESET variants could not be
    // sourced from a manual here, and a guessed reset is worse than none.
};

constexpr std::size_t kUbxOverhead = 8;  // sync 2, class 1, id 1, length 2, checksum 2

bool IsTxtSentence(std::string_view line) { return line.size() > 7 && line[0] == '$' && line.substr(3, 4) == "TXT,"; }

}  // namespace

const ReceiverFamily* ReceiverFamilies() { return kFamilies; }
int ReceiverFamilyCount() { return static_cast<int>(std::size(kFamilies)); }

const ReceiverFamily* FindReceiverFamily(std::string_view id) {
  for (const ReceiverFamily& family : kFamilies) {
    if (family.id == id) return &family;
  }
  return nullptr;
}

std::string CommandBytes(const FamilyCommand& command) {
  std::string bytes;
  if (command.kind == Kind::Nmea) {
    const std::uint8_t sum = NmeaChecksum(command.body);
    bytes.append("$").append(command.body).append("*");
    bytes.push_back(NmeaHexDigit(sum >> 4));
    bytes.push_back(NmeaHexDigit(sum));
    bytes.append("\r\n");
  } else if (command.kind == Kind::Ubx) {
    const std::size_t size = command.payload.size();
    bytes = {'\xB5',
             '\x62',
             static_cast<char>(command.ubxClass),
             static_cast<char>(command.ubxId),
             static_cast<char>(size & 0xFF),
             static_cast<char>(size >> 8)};
    bytes.append(command.payload);
    const std::uint16_t sum = UbxChecksum(std::string_view(bytes).substr(2));
    bytes.push_back(static_cast<char>(sum >> 8));
    bytes.push_back(static_cast<char>(sum & 0xFF));
  }
  return bytes;
}

std::string StartCommandBytes(const ReceiverFamily& family, StartKind kind) {
  return CommandBytes(family.starts[static_cast<int>(kind)]);
}

const ReceiverFamily* FamilyOfLine(std::string_view line) {
  for (const ReceiverFamily& family : kFamilies) {
    if (!family.head.empty() && line.substr(0, family.head.size()) == family.head) return &family;
    if (!family.bannerWord.empty() && IsTxtSentence(line) && line.find(family.bannerWord) != std::string_view::npos) {
      return &family;
    }
  }
  return nullptr;
}

namespace {

// The whole UBX frames with a valid checksum in `bytes`, in order, each as
// its class, id and payload, until `visit` returns true.
template <class Visit>
bool AnyUbxFrame(std::string_view bytes, Visit visit) {
  for (std::size_t at = bytes.find("\xB5\x62"); at != std::string_view::npos; at = bytes.find("\xB5\x62", at + 1)) {
    const std::string_view rest = bytes.substr(at);
    if (rest.size() < kUbxOverhead) break;
    const std::size_t size =
        static_cast<std::uint8_t>(rest[4]) | static_cast<std::size_t>(static_cast<std::uint8_t>(rest[5])) << 8;
    if (rest.size() < kUbxOverhead + size) continue;
    const std::uint16_t sum = UbxChecksum(rest.substr(2, 4 + size));
    if (static_cast<std::uint8_t>(rest[6 + size]) != (sum >> 8) ||
        static_cast<std::uint8_t>(rest[7 + size]) != (sum & 0xFF)) {
      continue;
    }
    if (visit(FamilyCommand{Kind::Ubx,
                            {},
                            static_cast<std::uint8_t>(rest[2]),
                            static_cast<std::uint8_t>(rest[3]),
                            rest.substr(6, size)})) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool HoldsUbxFrame(std::string_view bytes) {
  return AnyUbxFrame(bytes, [](const FamilyCommand&) { return true; });
}

std::optional<std::string> ProbeReplyVersion(const ReceiverFamily& family, std::string_view line) {
  if (family.replyHead.empty() || line.substr(0, family.replyHead.size()) != family.replyHead) return std::nullopt;
  std::string_view version = line.substr(family.replyHead.size());
  version = version.substr(0, version.find_first_of("*\r\n"));
  return std::string(version);
}

std::optional<std::string> UbxVersionReply(std::string_view bytes) {
  // MON-VER: swVersion is the payload's first 30 characters, zero-padded,
  // then hwVersion's 10.
  std::optional<std::string> version;
  AnyUbxFrame(bytes, [&](const FamilyCommand& frame) {
    if (frame.ubxClass != 0x0A || frame.ubxId != 0x04 || frame.payload.size() < 40) return false;
    const std::string_view software = frame.payload.substr(0, 30);
    version = std::string(software.substr(0, software.find('\0')));
    return true;
  });
  return version;
}
