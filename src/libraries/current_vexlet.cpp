// The current Vexlet and its selection.
#include "libraries/current_vexlet.h"

#include <windows.h>

#include "editing/view_mouse.h"
#include "libraries/library_layout.h"
#include "libraries/library_slots.h"

CurrentVexletRecord CurrentVexlet;

void SelectLibraryItem(int slot, int item)
{
    if (CurrentVexlet.item >= 0) {
        if (CurrentVexlet.item == item && CurrentVexlet.slot == slot) {
            DrawLibraryButtonState(slot, item, TRUE);
            SelectPaletteTool(ToolVexlet);
            return;
        }
        const int old = CurrentVexlet.slot;
        if (old >= 0 && old < kLibrarySlots && g_librarySlots[old].window)
            DrawLibraryButtonState(old, CurrentVexlet.item, FALSE);
    }
    if (slot < 0 || item < 0) {
        CurrentVexlet = {};
        return;
    }
    DrawLibraryButtonState(slot, item, TRUE);
    SelectPaletteTool(ToolVexlet);
    if (GetKeyState(VK_SHIFT) & 0x8000) g_paletteToolSticky = TRUE;
    CurrentVexlet.item = item;
    CurrentVexlet.slot = slot;
}
