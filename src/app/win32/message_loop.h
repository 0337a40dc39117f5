#pragma once

#include <windows.h>

// Hands one message on. The window's shortcut keys (Ctrl+Shift+C) come first; Tab, Shift+Tab and
// the access keys (Alt+F) of `window`'s controls go through the dialog manager, as in a dialog box.
void DeliverMessage(HWND window, MSG& message);

// Runs the program's messages. The program ends through the end of program, not through this
// loop's end.
int RunMessageLoop(HWND window);
