// The debug channel: on standard error, why each serial device was listed or
// left out, every failed system call of the serial layer with the system's
// reason, each open and close of a port, and why the reader declared the
// receiver lost. For a user whose receiver does not show up or does not open.
// Off unless ZELMORA_DEBUG is set (to anything but "" or "0") or the program
// turns it on (--debug); when off, a message costs one load of a flag.
//
// Beside it, the warnings every user sees: a settings file that cannot be
// read, mended or saved.
#pragma once

#include <atomic>
#include <string>

namespace diagnostics_detail {
extern std::atomic<bool> g_enabled;
void Write(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool Changed(const std::string& topic, const std::string& message);
}  // namespace diagnostics_detail

inline bool DebugEnabled() { return diagnostics_detail::g_enabled.load(std::memory_order_relaxed); }
void SetDebugEnabled(bool enabled);

// One line "zelmora: <message>" when the channel is on.
#define ZELMORA_DEBUG_LOG(...)                                  \
  do {                                                          \
    if (DebugEnabled()) diagnostics_detail::Write(__VA_ARGS__); \
  } while (false)

// The same, but only when `message` differs from the last one said about
// `topic`: for decisions taken again on every refresh (the port list is read
// every three seconds), so the channel tells changes, not repetitions.
void DebugLogOnChange(const std::string& topic, const std::string& message);

// Maps to one write on standard error: `message`, each of its lines prefixed
// "Zelmora: ".
void Warn(const std::string& message);

// The same, but only when `message` differs from the last one said about
// `topic`: for a fault met again at every read of a settings file, said once
// and not at every read. An empty message says nothing and marks the fault
// as gone, so that it is said again when it comes back.
void WarnOnChange(const std::string& topic, const std::string& message);
