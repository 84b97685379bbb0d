// The receiver families: for each chip family, how it is recognised from
// what it sends anyway, how it is asked who it is (a probe that changes
// nothing) and the reply that confirms it, and the bytes of its hot, warm,
// cold and (where it has one) factory starts. One table, in
// receiver_family.cpp; each row names the vendor's document it comes from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class StartKind { Hot, Warm, Cold, Factory };
inline constexpr int kStartKinds = 4;

// One command written to a receiver: an NMEA sentence (its body, the text
// between "$" and "*"; the checksum and CR LF are added when it is built) or
// a UBX frame (class, id and payload; sync bytes, length and checksum are
// added when it is built).
struct FamilyCommand {
  enum class Kind { None, Nmea, Ubx };
  Kind kind = Kind::None;
  std::string_view body;
  std::uint8_t ubxClass = 0;
  std::uint8_t ubxId = 0;
  std::string_view payload;  // the UBX payload's bytes
};

struct ReceiverFamily {
  std::string_view id;    // the name on command lines: "sirf", "ublox", ...
  std::string_view name;  // the name shown to the user: "SiRF", "u-blox", ...
  // Passive recognition: a proprietary sentence head only this family
  // sends ("$PMTK"), and a word that names it in a $--TXT banner; empty
  // when the family has none.
  std::string_view head;
  std::string_view bannerWord;
  // The probe and the head of the reply that confirms it; the reply's text
  // after the head, up to its checksum, is the firmware version. No probe:
  // kind None.
  FamilyCommand probe;
  std::string_view replyHead;
  FamilyCommand starts[kStartKinds];  // by StartKind; kind None where the family has no such start
};

// Every family, in the order identification tries their probes.
const ReceiverFamily* ReceiverFamilies();
int ReceiverFamilyCount();
// The family with that id, or null.
const ReceiverFamily* FindReceiverFamily(std::string_view id);

// The bytes of a command as they go on the wire; empty for kind None.
std::string CommandBytes(const FamilyCommand& command);
// The bytes of a family's start of that kind; empty when it has none.
std::string StartCommandBytes(const ReceiverFamily& family, StartKind kind);

// The family a received line names by what the family sends anyway (its
// proprietary sentences, its banner), or null. A line is one sentence with
// or without its CR LF.
const ReceiverFamily* FamilyOfLine(std::string_view line);
// Whether `bytes` hold a whole UBX frame with a valid checksum: u-blox's
// binary protocol in the stream names the family as surely as a banner.
bool HoldsUbxFrame(std::string_view bytes);

// When `line` is the reply that confirms `family`'s probe: the firmware
// version it carries (empty when it carries none). Otherwise nothing.
std::optional<std::string> ProbeReplyVersion(const ReceiverFamily& family, std::string_view line);
// u-blox answers its probe (MON-VER) with a binary frame: the software
// version it carries, when `bytes` hold one.
std::optional<std::string> UbxVersionReply(std::string_view bytes);
