#include "simulator/family_behaviour.h"

#include <string_view>

namespace sim {

namespace {

using Kind = FamilyCommand::Kind;

std::string NmeaLine(std::string_view body) { return CommandBytes(FamilyCommand{Kind::Nmea, body, 0, 0, {}}); }

struct Behaviour {
  std::string_view id;
  std::string_view power_up[2];  // sentence bodies; empty ones are not sent
  std::string_view version;      // as the probe's reply carries it
  TtffRange ttff[kStartKinds];   // by StartKind
};

// Hot starts keep time, position and ephemerides; warm ones lose the
// ephemerides and need a new one from a satellite (about half a minute);
// cold and factory starts search the sky as well.
const Behaviour kBehaviours[] = {
    {"sirf", {}, {}, {{1000, 3000}, {28000, 38000}, {35000, 45000}, {38000, 50000}}},
    {"mediatek",
     {"PMTK011,MTKGPS", "PMTK010,001"},
     "AXN_5.1.7_3333_19020118,0027,PA1010D,1.0",
     {{1000, 2000}, {26000, 34000}, {30000, 40000}, {32000, 45000}}},
    {"ublox",
     {"GNTXT,01,01,02,u-blox AG - www.u-blox.com"},
     "ROM CORE 3.01 (107888)",
     {{1000, 2000}, {24000, 30000}, {26000, 35000}, {}}},
    {"quectel-pqtm", {}, "LG290P03AANR01A03S,2024/01/05,10:32:12", {{1000, 3000}, {25000, 32000}, {28000, 38000}, {}}},
    {"quectel-pair",
     {},
     "LC29HAANR11A03S_RSA,S,N,2023/09/21,10:12:35",
     {{1000, 3000}, {25000, 35000}, {30000, 40000}, {32000, 45000}}},
    {"teseo", {}, "GNSSLIB_8.4.18.25_CP_ARM", {{1000, 3000}, {27000, 35000}, {32000, 42000}, {}}},
    {"casic", {"GPTXT,01,01,02,MA=CASIC"}, "V5.3.0.0", {{1000, 3000}, {28000, 38000}, {32000, 45000}, {35000, 50000}}},
};

constexpr Behaviour kUnknown{};
constexpr char kUbloxHardware[] = "00080000";
constexpr std::size_t kSoftwareChars = 30;
constexpr std::size_t kHardwareChars = 10;

const Behaviour& BehaviourOf(const ReceiverFamily& family) {
  for (const Behaviour& behaviour : kBehaviours) {
    if (behaviour.id == family.id) return behaviour;
  }
  return kUnknown;
}

}  // namespace

std::string FamilyIdList() {
  std::string list;
  for (int i = 0; i < ReceiverFamilyCount(); ++i) {
    if (i > 0) list += ", ";
    list += ReceiverFamilies()[i].id;
  }
  return list;
}

std::vector<std::string> PowerUpLines(const ReceiverFamily& family) {
  std::vector<std::string> lines;
  for (std::string_view body : BehaviourOf(family).power_up) {
    if (!body.empty()) lines.push_back(NmeaLine(body));
  }
  return lines;
}

std::string SimulatedFirmwareVersion(const ReceiverFamily& family) { return std::string(BehaviourOf(family).version); }

std::string ProbeReplyBytes(const ReceiverFamily& family) {
  if (family.probe.kind == Kind::Ubx) {
    // MON-VER: swVersion char[30] and hwVersion char[10], zero padded.
    std::string payload(kSoftwareChars + kHardwareChars, '\0');
    payload.replace(0, BehaviourOf(family).version.size(), BehaviourOf(family).version);
    payload.replace(kSoftwareChars, sizeof kUbloxHardware - 1, kUbloxHardware);
    return CommandBytes(FamilyCommand{Kind::Ubx, {}, 0x0A, 0x04, payload});
  }
  if (family.probe.kind != Kind::Nmea || family.replyHead.size() < 2) return {};
  const std::string body = std::string(family.replyHead.substr(1)) + std::string(BehaviourOf(family).version);
  return NmeaLine(body);
}

std::string StartAckBytes(const ReceiverFamily& family, StartKind kind) {
  const FamilyCommand& start = family.starts[static_cast<int>(kind)];
  if (start.kind != Kind::Nmea) return {};
  // MediaTek: "$PMTK001,<command>,3" (3: done); Airoha PAIR:
  // "$PAIR001,<command>,0" (0: done); Quectel PQTM: "$PQTM<command>,OK".
  if (family.id == "mediatek") return NmeaLine("PMTK001," + std::string(start.body.substr(4)) + ",3");
  if (family.id == "quectel-pair") return NmeaLine("PAIR001," + std::string(start.body.substr(4)) + ",0");
  if (family.id == "quectel-pqtm") return NmeaLine(std::string(start.body) + ",OK");
  return {};
}

TtffRange StartTtffRange(const ReceiverFamily& family, StartKind kind) {
  return BehaviourOf(family).ttff[static_cast<int>(kind)];
}

}  // namespace sim
