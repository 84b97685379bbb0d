#include "platform/ui/screen.h"

#include <charconv>
#include <utility>

#include "platform/ui/window_api.h"

namespace {

// The handheld's VGA portrait screen, unless --screen says otherwise.
struct Screen {
  int width = 480;
  int height = 640;
  std::function<void()> listener;
};

Screen& TheScreen() {
  static Screen screen;
  return screen;
}

constexpr int kMaxScreenSide = 16384;

constexpr ScreenSize kSupportedSizes[] = {{240, 320}, {320, 240}, {240, 240}, {480, 640}, {640, 480}, {480, 480}};

bool ParseSide(const char* first, const char* last, int& value) {
  if (first == last) return false;
  auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last && value >= 1 && value <= kMaxScreenSide;
}

}  // namespace

std::span<const ScreenSize> SupportedScreenSizes() { return kSupportedSizes; }

bool IsSupportedScreenSize(int width, int height) {
  for (const ScreenSize& size : kSupportedSizes) {
    if (size.width == width && size.height == height) return true;
  }
  return false;
}

std::string SupportedScreenSizesText() {
  std::string text;
  for (const ScreenSize& size : kSupportedSizes) {
    if (!text.empty()) text += ", ";
    text += std::to_string(size.width) + "x" + std::to_string(size.height);
  }
  return text;
}

int ScreenWidth() { return TheScreen().width; }

int ScreenHeight() { return TheScreen().height; }

bool SetScreenSize(int width, int height) {
  if (width < 1 || height < 1 || width > kMaxScreenSide || height > kMaxScreenSide) return false;
  Screen& screen = TheScreen();
  if (screen.width == width && screen.height == height) return true;
  screen.width = width;
  screen.height = height;
  if (screen.listener) {
    // The listener may replace itself; call a copy.
    std::function<void()> listener = screen.listener;
    listener();
  }
  return true;
}

void RotateScreen() { SetScreenSize(TheScreen().height, TheScreen().width); }

bool ParseScreenSize(const std::string& text, int& width, int& height) {
  std::size_t x = text.find('x');
  if (x == std::string::npos) return false;
  int w = 0;
  int h = 0;
  if (!ParseSide(text.data(), text.data() + x, w) || !ParseSide(text.data() + x + 1, text.data() + text.size(), h)) {
    return false;
  }
  width = w;
  height = h;
  return true;
}

int ScreenScale() { return TheScreen().width > 320 ? 2 : 1; }

void SetScreenListener(std::function<void()> listener) { TheScreen().listener = std::move(listener); }

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return TheScreen().width;
    case SM_CYSCREEN:
      return TheScreen().height;
    default:
      return 0;
  }
}
