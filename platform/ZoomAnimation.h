// The window manager stand-in's minimize and restore animation: an outline
// that zooms from one screen rectangle to another over a few frames, drawn
// by the program itself so that it shows under any X11 window manager.
#pragma once

#include "platform/WindowManager.h"

namespace vcl {

// Starts the outline at `from` and returns at once; it reaches `to` in about
// a fifth of a second and disappears. A rectangle lower than a title bar is
// drawn as a title bar high, so that a window laid flat still shows. A new
// animation takes over the outline of one still running.
void DrawZoomAnimation(const RECT& from, const RECT& to);

// Where the program's taskbar button is taken to be: on the screen of `near`,
// at the start of the panel that the screen's work area leaves out, or at the
// bottom left of the screen when there is no panel.
RECT TaskbarButtonRect(const RECT& near);

// Frames and their spacing; the whole animation lasts Frames x FrameMs.
inline constexpr int ZoomFrames = 8;
inline constexpr int ZoomFrameMs = 25;

}  // namespace vcl
