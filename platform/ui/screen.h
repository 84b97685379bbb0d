// The simulated handheld screen. The property sheet's window stands for it:
// GetSystemMetrics reports its size, the user may resize the window, and
// Ctrl+R rotates it. Screens wider than 320 pixels are VGA screens, on which
// the dialog font doubles (96 dpi below, 192 dpi above).
#pragma once

#include <functional>
#include <string>

// The screen's size in pixels.
int ScreenWidth();
int ScreenHeight();

// Sets the screen's size; a running sheet follows and sends WM_SIZE to
// every page whose window exists. Sizes below 1 are refused (false).
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
