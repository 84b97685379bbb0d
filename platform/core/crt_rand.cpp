#include "platform/core/crt_rand.h"

#include <cstdint>

namespace {
thread_local std::uint32_t g_state = 1;
}  // namespace

// Maps to a thread_local linear congruential generator.
int CeRand() {
  g_state = g_state * 214013u + 2531011u;
  return static_cast<int>((g_state >> 16) & 0x7FFFu);
}
