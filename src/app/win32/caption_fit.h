#pragma once

#include <windows.h>

// `place` grown until the caption of `control` fits on one line in the control's font: wider toward
// its free side first (to the left for a right-aligned caption, else to the right), then toward
// the other, within `room`; and taller when the font is. Whatever font GDI draws, the caption then
// shows whole rather than wrapped or cut.
RECT FitCaption(HWND control, RECT place, bool rightAligned, RECT room);
