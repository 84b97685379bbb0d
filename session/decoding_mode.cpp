#include "session/decoding_mode.h"

#include <atomic>

namespace {

std::atomic<bool> g_gpsOnlyRequested{false};

}  // namespace

void RequestGpsOnlyDecoding() { g_gpsOnlyRequested = true; }

int GpsOnlyDecoding(int nGpsOnlySetting) { return (g_gpsOnlyRequested || nGpsOnlySetting != 0) ? 1 : 0; }
