#include "session/decoding_mode.h"

#include <atomic>
#include <cstring>

namespace {

std::atomic<bool> g_gpsOnlyRequested{false};

}  // namespace

void TakeGpsOnlyOption(int& argc, char** argv) {
  int kept = argc > 0 ? 1 : 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--gps-only") == 0) {
      RequestGpsOnlyDecoding();
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  argv[argc] = nullptr;
}

void RequestGpsOnlyDecoding() { g_gpsOnlyRequested = true; }

int GpsOnlyDecoding(int nGpsOnlySetting) { return (g_gpsOnlyRequested || nGpsOnlySetting != 0) ? 1 : 0; }
