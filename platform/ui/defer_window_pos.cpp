#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/ui/ui_window.h"

namespace {

struct Move {
  HWND window;
  int x;
  int y;
  int cx;
  int cy;
  UINT flags;
};

struct Batches {
  std::unordered_map<std::uintptr_t, std::vector<Move>> open;
  std::uintptr_t next = 0x50008;  // never null, never reused
};

Batches& TheBatches() {
  static Batches batches;
  return batches;
}

std::vector<Move>* FindBatch(HDWP batch) {
  auto& open = TheBatches().open;
  auto it = open.find(reinterpret_cast<std::uintptr_t>(batch));
  return it == open.end() ? nullptr : &it->second;
}

}  // namespace

HDWP BeginDeferWindowPos(int numWindows) {
  if (numWindows < 0) return nullptr;
  Batches& batches = TheBatches();
  std::uintptr_t key = batches.next;
  batches.next += 8;
  batches.open[key].reserve(static_cast<std::size_t>(numWindows));
  return reinterpret_cast<HDWP>(key);
}

HDWP DeferWindowPos(HDWP batch, HWND window, HWND, int x, int y, int cx, int cy, UINT flags) {
  std::vector<Move>* moves = FindBatch(batch);
  if (moves == nullptr || !IsWindow(window)) return nullptr;
  moves->push_back(Move{window, x, y, cx, cy, flags});
  return batch;
}

BOOL EndDeferWindowPos(HDWP batch) {
  auto& open = TheBatches().open;
  auto it = open.find(reinterpret_cast<std::uintptr_t>(batch));
  if (it == open.end()) return FALSE;
  std::vector<Move> moves = std::move(it->second);
  open.erase(it);
  for (const Move& move : moves) {
    // A window that went away meanwhile is skipped.
    UiWindow* window = UiWindow::FromHandle(move.window);
    if (window == nullptr) continue;
    const RECT& now = window->Rect();
    int x = move.x;
    int y = move.y;
    int cx = move.cx;
    int cy = move.cy;
    if ((move.flags & SWP_NOMOVE) != 0) {
      x = now.left;
      y = now.top;
    }
    if ((move.flags & SWP_NOSIZE) != 0) {
      cx = now.right - now.left;
      cy = now.bottom - now.top;
    }
    window->Move(x, y, cx, cy);
  }
  return TRUE;
}
