// Who the receiver on a port is, found without ever writing more than one
// probe at a time: first a quiet listen, in which any family the stream
// names by itself (its proprietary sentences, a banner, a UBX frame) wins;
// then, if none did, each family's probe in the table's order, each given a
// short wait for the reply that confirms it with the firmware version; and
// when none answers, plain NMEA (no family).
//
// A state machine with no port and no clock of its own: it is fed the bytes
// that arrive and the ticks (GetTickCount milliseconds) at which things
// happen, and says what to write and when to be woken next.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "acquisition/byte_lines.h"
#include "receivers/receiver_family.h"

class CIdentification {
 public:
  static constexpr std::uint32_t kListenMs = 2000;     // the passive listen
  static constexpr std::uint32_t kProbeWaitMs = 1500;  // the wait for one probe's reply

  // Starts the listen at `now`.
  void Start(std::uint32_t now);
  // Bytes read from the port at `now`.
  void OnBytes(std::string_view bytes, std::uint32_t now);
  // What to write at `now`: a probe's bytes once, when its turn comes, and
  // empty otherwise. The probe's wait counts from this call, which the
  // caller follows with the write.
  std::string Poll(std::uint32_t now);
  // The tick by which Poll wants to be called again (meaningless when Done).
  std::uint32_t NextWake() const { return m_deadline; }

  bool Done() const { return m_phase == Phase::Done; }
  // The family found, or null for plain NMEA (or not yet done).
  const ReceiverFamily* Family() const { return m_family; }
  // The firmware version its probe's reply carried; empty when recognised
  // passively or when the reply carried none.
  const std::string& Version() const { return m_version; }
  // How the family was found: by what it sent anyway, or by its probe.
  bool FoundPassively() const { return m_passive; }
  // How many probes were written.
  int ProbesWritten() const { return m_probesWritten; }

 private:
  enum class Phase { Idle, Listening, Probing, Done };

  void OnLine(std::string_view line);
  void Finish(const ReceiverFamily* family, std::string version, bool passive);
  // Writes the probe of the next family with one from `from` on, or ends
  // with plain NMEA when there is none left.
  std::string ProbeFrom(int from, std::uint32_t now);

  Phase m_phase = Phase::Idle;
  std::uint32_t m_deadline = 0;
  int m_probe = -1;      // the family whose probe is out
  CByteLines m_lines;    // the line being received
  std::string m_recent;  // the latest bytes, searched for UBX frames
  const ReceiverFamily* m_family = nullptr;
  std::string m_version;
  bool m_passive = false;
  int m_probesWritten = 0;
};
