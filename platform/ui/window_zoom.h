// The zoom a window shows the handheld's pixels at. Windows keep their
// geometry in handheld pixels (what the program sets and reads back); their
// widgets get that geometry times the zoom, the controls their fonts at the
// zoom, and a page's image is scaled as it is shown. A zoomed window is so
// made of real widgets at their shown size and place, as screen readers,
// the focus outline, menus and pop-ups see them. The zoom is a property of
// the top-level widget; a window never zoomed is at 1, where every widget
// has exactly its handheld geometry.
#pragma once

#include <QFont>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// The zoom of the top-level window the widget is in.
double WindowZoom(const QWidget* widget);
// Records the zoom of a top-level widget (it moves nothing).
void SetWindowZoom(QWidget* window, double zoom);

// A handheld coordinate at the zoom, rounded to the nearest pixel.
int ZoomedCoordinate(int handheld, double zoom);
// A handheld rectangle whose coordinates are relative to `origin` (a point
// of the handheld's screen), at the zoom and relative to the zoomed origin.
// Each edge is rounded where it lies on the whole screen, so that windows
// that meet at 1:1 meet at every zoom.
QRect ZoomedRect(const QRect& rect, QPoint origin, double zoom);
// The font with its pixel (or point) size times the zoom.
QFont ZoomedFont(const QFont& font, double zoom);

// The largest zoom, up to `zoom`, at which a window showing a screen of
// `screen` pixels fits the desktop's available area `room` together with
// its frame (the window manager's borders and title bar around the client
// area); never below `smallest`.
double ZoomThatFits(QSize screen, double zoom, const QRect& room, const QMargins& frame, double smallest);
// Where a window's frame goes so that it lies inside `room`, moved as little
// as it must (a frame larger than the room keeps its top-left corner in it).
QPoint PlaceInside(const QRect& frame, const QRect& room);
