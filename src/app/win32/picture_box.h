#pragma once

#include <windows.h>

// The footer band Picture1: a sunken panel that holds Label7.
HWND CreatePictureBox(HWND parent, int id);
