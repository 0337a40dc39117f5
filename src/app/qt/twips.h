#pragma once

// The window was laid out in twips; 15 twips make one pixel at 96 dpi. Qt's device-independent
// pixels keep that layout on scaled displays.
constexpr int Twips(int twips) {
    return twips / 15;
}
