#include "session/recording_request.h"

#include <mutex>

namespace {

std::mutex g_lock;
std::string g_path;

}  // namespace

void RequestSessionRecording(const std::string& path) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_path = path;
}

std::string TakeRequestedRecording() {
  std::lock_guard<std::mutex> guard(g_lock);
  std::string path;
  path.swap(g_path);
  return path;
}
