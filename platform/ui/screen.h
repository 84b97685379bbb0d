// The simulated handheld screen. The property sheet's window shows it:
// GetSystemMetrics reports its size, which is one of the sizes the pages'
// layouts were made for (--screen picks it; Ctrl+R rotates it). Resizing the
// window zooms the screen, it does not change it. Screens wider than 320
// pixels are VGA screens, on which every dialog unit doubles.
#pragma once

#include <functional>
#include <span>
#include <string>

struct ScreenSize {
  int width;
  int height;
};

// The handheld screens the layouts were made for: QVGA and VGA, each in
// portrait, landscape and square.
std::span<const ScreenSize> SupportedScreenSizes();
bool IsSupportedScreenSize(int width, int height);
// "240x320, 320x240, ..." for messages.
std::string SupportedScreenSizesText();

// The screen's size in pixels.
int ScreenWidth();
int ScreenHeight();

// Sets the screen's size; a running sheet follows and sends WM_SIZE to
// every page whose window exists. Sizes below 1 are refused (false); the
// program only sets supported sizes, tests may set others.
bool SetScreenSize(int width, int height);
// Swaps width and height.
void RotateScreen();

// Reads "--screen WxH" (or "--screen=WxH") into width and height; false
// when the text is not of that form.
bool ParseScreenSize(const std::string& text, int& width, int& height);

// 2 on VGA screens (wider than 320 pixels), else 1.
int ScreenScale();

// The running property sheet follows the screen through this listener,
// called after every change of size; an empty function removes it.
void SetScreenListener(std::function<void()> listener);
