#include "ttff/identification.h"

namespace {

// Enough for a MON-VER reply (40 bytes of payload and more) among other
// frames, and little enough that every read searches it cheaply.
constexpr std::size_t kRecentBytes = 4096;

}  // namespace

void CIdentification::Start(std::uint32_t now) {
  *this = CIdentification();
  m_phase = Phase::Listening;
  m_deadline = now + kListenMs;
}

void CIdentification::OnBytes(std::string_view bytes, std::uint32_t) {
  if (m_phase != Phase::Listening && m_phase != Phase::Probing) return;
  m_recent.append(bytes);
  if (m_recent.size() > kRecentBytes) m_recent.erase(0, m_recent.size() - kRecentBytes);
  const ReceiverFamily* ublox = FindReceiverFamily("ublox");
  if (m_phase == Phase::Probing && &ReceiverFamilies()[m_probe] == ublox) {
    if (std::optional<std::string> version = UbxVersionReply(m_recent)) {
      Finish(ublox, *version, false);
      return;
    }
  }
  if (HoldsUbxFrame(m_recent)) {
    Finish(ublox, {}, true);
    return;
  }
  m_lines.Feed(bytes, 0, [this](std::string_view line, std::uint32_t) { OnLine(line); });
}

void CIdentification::OnLine(std::string_view line) {
  // A line that a reply or a banner before it in the same read ended the
  // identification with is left alone.
  if (m_phase != Phase::Listening && m_phase != Phase::Probing) return;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (m_phase == Phase::Probing) {
    if (std::optional<std::string> version = ProbeReplyVersion(ReceiverFamilies()[m_probe], line)) {
      Finish(&ReceiverFamilies()[m_probe], *version, false);
      return;
    }
  }
  if (const ReceiverFamily* family = FamilyOfLine(line)) Finish(family, {}, true);
}

std::string CIdentification::Poll(std::uint32_t now) {
  // Ticks wrap after 49 days: compare by difference.
  const bool due = static_cast<std::int32_t>(now - m_deadline) >= 0;
  if (!due) return {};
  if (m_phase == Phase::Listening) return ProbeFrom(0, now);
  if (m_phase == Phase::Probing) return ProbeFrom(m_probe + 1, now);
  return {};
}

std::string CIdentification::ProbeFrom(int from, std::uint32_t now) {
  for (int index = from; index < ReceiverFamilyCount(); ++index) {
    std::string bytes = CommandBytes(ReceiverFamilies()[index].probe);
    if (bytes.empty()) continue;
    m_phase = Phase::Probing;
    m_probe = index;
    m_deadline = now + kProbeWaitMs;
    ++m_probesWritten;
    return bytes;
  }
  Finish(nullptr, {}, false);
  return {};
}

void CIdentification::Finish(const ReceiverFamily* family, std::string version, bool passive) {
  m_phase = Phase::Done;
  m_family = family;
  m_version = std::move(version);
  m_passive = passive;
  m_recent.clear();
  m_lines.Clear();
}
