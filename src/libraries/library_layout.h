// Layout and painting of the library windows: the button grid, its cached image, the cell
// frames and the library palette.
#pragma once

#include <windows.h>

// Draws the frame of the item's cell, pressed or raised, on the window's own device context;
// nothing when the record is not in the slot's table.
void DrawLibraryButtonState(int slot, int recordNumber, BOOL pressed);
// The palette and the layout again, from the saved grid of the library's info or the window's
// client size, renewing the button image.
void RefreshLibraryWindow(int slot);
