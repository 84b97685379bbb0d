#include "platform/core/diagnostics.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace diagnostics_detail {

namespace {

bool EnabledByEnvironment() {
  const char* value = std::getenv("ZELMORA_DEBUG");
  return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

}  // namespace

std::atomic<bool> g_enabled{EnabledByEnvironment()};

void Write(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  // One write per line, so lines of two threads never interleave.
  std::fprintf(stderr, "zelmora: %s\n", line);
}

bool Changed(const std::string& topic, const std::string& message) {
  static std::mutex lock;
  static auto* const last = new std::map<std::string, std::string>;  // lives until exit, used by every thread
  std::lock_guard<std::mutex> guard(lock);
  auto [it, inserted] = last->try_emplace(topic, message);
  if (!inserted && it->second == message) return false;
  it->second = message;
  return true;
}

}  // namespace diagnostics_detail

void SetDebugEnabled(bool enabled) { diagnostics_detail::g_enabled.store(enabled, std::memory_order_relaxed); }

void DebugLogOnChange(const std::string& topic, const std::string& message) {
  if (DebugEnabled() && diagnostics_detail::Changed(topic, message)) {
    diagnostics_detail::Write("%s", message.c_str());
  }
}

void Warn(const std::string& message) {
  std::string lines;
  for (std::size_t start = 0; start < message.size();) {
    const std::size_t end = std::min(message.find('\n', start), message.size());
    lines += "Zelmora: " + message.substr(start, end - start) + "\n";
    start = end + 1;
  }
  std::fputs(lines.c_str(), stderr);
}

void WarnOnChange(const std::string& topic, const std::string& message) {
  if (diagnostics_detail::Changed("warning " + topic, message) && !message.empty()) Warn(message);
}
