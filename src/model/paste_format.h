// What the Edit menu's Paste item offers for the clipboard's contents.
#pragma once

// String id of the Edit menu's Paste item for what the clipboard holds (0 the plain item).
int GetPasteFormat();
