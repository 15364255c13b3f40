// The current Vexlet: the library item that the palette's library tool places.
#pragma once

// Process-wide. An item of 0 or more always has a slot of 0 or more.
struct CurrentVexletRecord {
    int item = -1;   // record number of the item (its header's record number), -1 none
    int slot = -1;   // library slot whose library holds it, -1 none
};
extern CurrentVexletRecord CurrentVexlet;

// Makes the item of the slot current, drawing its button pressed and the old one raised, and
// releases the palette's tool (Shift makes the library tool stay after a placement); a negative
// slot or item clears the current Vexlet.
void SelectLibraryItem(int slot, int item);
