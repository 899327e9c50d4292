// File: platform/screen_capture.h
//
// Grabbing the screen, or the window that is active on the desktop, as the
// Print Screen key (and Alt+Print Screen) did.
//
//   QImage shot = platform::GrabScreen(/*active_window_only=*/true);
//   if (shot.isNull()) ShowMessage(...);   // nothing could be grabbed
//
// On X11 the active window is the one the window manager names in the root
// window's _NET_ACTIVE_WINDOW (any program's), grabbed through
// QScreen::grabWindow.  Under Wayland, where a plain grab gives nothing, the
// desktop portal's Screenshot request is used (through D-Bus); when there
// is no portal or the user declines, the result is null, never a blank
// picture.
#pragma once

#include <QImage>

namespace platform {

QImage GrabScreen(bool active_window_only);

}  // namespace platform
