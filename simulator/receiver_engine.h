// The simulated receiver without its plumbing: on receiver time (milliseconds
// since its start) it runs one epoch a second (or up to ten), puts the epoch's sentences on
// its serial line with the faults asked for, and honours the cold-start
// command, or, as a receiver of a family, that family's probe and starts.
// It does no I/O and reads no clock, so it can be driven step by
// step.
#pragma once

#include "receivers/receiver_family.h"
#include "simulator/nmea_synthesizer.h"
#include "simulator/receiver_options.h"
#include "simulator/replay_log.h"
#include "simulator/uart_line.h"

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class ReceiverEngine {
 public:
  // With a replay log the epochs come from the log, at its times (divided
  // by options.replay_speed; once, or in a loop with options.replay_loop),
  // else they are synthesised. options.replay_path is not read here.
  ReceiverEngine(const ReceiverOptions& options, std::optional<ReplayLog> replay);

  void SetFaults(const Faults& faults);
  // Nothing is sent from now_ms for for_ms; what was queued is dropped.
  void GoSilent(std::uint64_t now_ms, std::uint32_t for_ms);

  // Runs the receiver up to now_ms and returns what the program's UART,
  // set to line_speed, received meanwhile.
  std::string Advance(std::uint64_t now_ms, std::uint32_t line_speed);

  // The next time (receiver time) at which Advance has something to do:
  // bytes due for the program's UART, or the next epoch.
  std::uint64_t NextDueMs() const;

  // Bytes the program wrote, arriving at now_ms from a UART set to
  // line_speed. At another speed than the receiver's they are noise to it.
  void Receive(std::uint64_t now_ms, std::string_view bytes, std::uint32_t line_speed);

  // sentences_sent, bytes_sent (bytes returned by Advance), bytes_received
  // and cold_starts; line_speed is left 0.
  ReceiverStats Stats() const;

 private:
  struct Piece {
    std::string bytes;
    std::uint32_t pause_after_ms = 0;
    bool is_sentence = true;
  };

  void RunEpoch(std::uint64_t t_ms);
  // Plays the replay's next piece, due at t_ms: what reaches the program at
  // once (a recorded read), the rest goes on the line.
  std::string PlayPiece(std::uint64_t t_ms, std::uint32_t line_speed);
  // When the replay's next piece is due, receiver time.
  std::uint64_t ReplayDueMs() const;
  std::vector<std::string> SynthesisedEpoch(std::uint64_t t_ms);
  std::vector<Piece> WithFaults(std::vector<std::string> sentences);
  void HandleCommand(std::string_view line, std::uint64_t now_ms);
  bool TakeUbxByte(std::uint64_t now_ms);
  // A family's command: an NMEA sentence's body, or a whole UBX frame.
  void HandleFamilyCommand(std::string_view text, bool ubx, std::uint64_t now_ms);
  void FamilyStart(StartKind kind, std::uint64_t now_ms);
  void ColdStart(std::uint64_t now_ms);
  bool SilentAt(std::uint64_t t_ms) const;

  Faults m_faults;
  std::optional<ReplayLog> m_replay;
  std::size_t m_replayNext = 0;           // the next piece to play
  std::uint64_t m_replayPassStartMs = 0;  // log time at which this pass began
  bool m_replayLoop = true;
  double m_replaySpeed = 1.0;
  NmeaSynthesizer m_synthesizer;
  UartLine m_line;
  std::mt19937 m_faultRng;
  std::uint64_t m_epochMs;
  std::uint64_t m_nextEpochMs = 0;
  std::uint64_t m_epochsRun = 0;
  // Silence asked for at run time or after a cold start, and silence
  // planned in the options.
  std::uint64_t m_silentFromMs = 0;
  std::uint64_t m_silentUntilMs = 0;
  std::uint64_t m_plannedFromMs = 0;
  std::uint64_t m_plannedUntilMs = 0;
  // Sentence types the line could not carry last second, with how many
  // seconds in a row they have been left out.
  std::map<std::string, int> m_leftOut;
  std::string m_command;  // what the program has written since its last CR LF
  std::uint64_t m_bytesSent = 0;
  std::uint64_t m_bytesReceived = 0;
  std::uint64_t m_coldStarts = 0;
  // As a receiver of a family (null: the designed receiver).
  const ReceiverFamily* m_family = nullptr;
  double m_timeScale = 1.0;
  std::mt19937 m_startRng;
  bool m_powerUpDue = true;
  std::uint64_t m_starts[kStartKinds] = {};
  std::uint64_t m_lastTtffMs = 0;
};

}  // namespace sim
