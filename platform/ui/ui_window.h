// The window object behind every HWND of the user interface: control id,
// class, style, text, enabled state, parent and children, its rectangle in
// handheld pixels, and the QWidget that shows it at the window's zoom
// (window_zoom.h). The core's window table hands out and validates the
// handles; messages reach WindowProc on the user-interface thread.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/window_api.h"

class QWidget;

class UiWindow : public CoreWindow {
 public:
  enum class Kind { Plain, Dialog, Sheet, Button, Static, Edit, ComboBox };

  // Registers the window with the core; `parent` may be null.
  UiWindow(Kind kind, UiWindow* parent, int id, DWORD style, std::wstring text);
  ~UiWindow() override;
  UiWindow(const UiWindow&) = delete;
  UiWindow& operator=(const UiWindow&) = delete;

  // The live window behind a handle, or null.
  static UiWindow* FromHandle(HWND window);

  // The procedure (when set) gets every message; else DefProc.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Texts and enabled state; the controls add their own messages.
  virtual LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam);

  // The widget that shows the window (null for a window never shown).
  virtual QWidget* Widget() const;
  // The widget the children's widgets go into.
  virtual QWidget* ChildContainer() const;

  // Sends WM_DESTROY to this window and then its children, WM_NCDESTROY
  // children first, removes them from the window table, and deletes them
  // with their widgets.
  static void Destroy(UiWindow* window);

  HWND Handle() const { return m_handle; }
  Kind GetKind() const { return m_kind; }
  int Id() const { return m_id; }
  DWORD Style() const { return m_style; }
  const std::wstring& Text() const { return m_text; }
  bool Enabled() const { return m_enabled; }
  UiWindow* Parent() const { return m_parent; }
  const std::vector<UiWindow*>& Children() const { return m_children; }
  void SetProc(WNDPROC proc) { m_proc = proc; }

  void SetText(std::wstring text);
  void SetEnabled(bool enabled);
  // Sets WS_VISIBLE in the style and shows or hides the widget.
  void SetVisible(bool visible);
  // Moves and sizes the window (parent's client coordinates, handheld
  // pixels); the widget takes that rectangle at the zoom.
  virtual void Move(int x, int y, int cx, int cy);
  // The rectangle the window was given, in handheld pixels.
  const RECT& Rect() const { return m_rect; }
  // Where the window's client area (its children's origin) lies on the
  // handheld's screen, and its size, in handheld pixels. A top-level
  // window's client area starts at the screen's corner.
  virtual POINT ClientOrigin() const;
  virtual SIZE ClientSize() const;

  // The zoom the window is shown at: its top-level widget's.
  double Zoom() const;
  // Zooms a top-level window: it and its children follow.
  void SetZoom(double zoom);
  // The widget and the children's widgets take the current zoom: their
  // geometry, fonts and pictures.
  virtual void ApplyZoom();

 protected:
  // Gives the widget the window's rectangle at the zoom.
  virtual void PlaceWidget();
  // Sets the rectangle alone (a window that places its widget itself).
  void SetRect(const RECT& rect) { m_rect = rect; }
  // The text or enabled state changed: show it.
  virtual void ShowText();
  virtual void ShowEnabled();
  // Takes the widget, parented into the parent's container.
  void AdoptWidget(QWidget* widget);

 private:
  Kind m_kind;
  UiWindow* m_parent;
  int m_id;
  DWORD m_style;
  std::wstring m_text;
  bool m_enabled;
  WNDPROC m_proc = nullptr;
  RECT m_rect{};
  QWidget* m_widget = nullptr;
  std::vector<UiWindow*> m_children;
  HWND m_handle;
};
