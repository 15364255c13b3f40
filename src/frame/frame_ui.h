// The frame's shared drawing objects and the user-interface services the text editor calls:
// the thin pens, the tooltip, the right-button menu and the context kind it shows.
#pragma once

#include <windows.h>

// Solid pens of width 1, black and white, made at start-up.
extern HPEN ThinBlackPen;
extern HPEN ThinWhitePen;
// Set while the drawing is recorded into a metafile.
extern BOOL MetafileRecordingFlag;
// The kind of context menu a right press chose (3: text).
extern int ContextMenuKind;
// The right-button menu, null until the frame loads it.
extern HMENU g_rightButtonMenu;
// Screen point where the last right-button popup opened; a mouse move in a view forgets it.
extern POINT g_contextMenuPoint;
extern BOOL g_contextMenuPointSet;
void ForgetContextMenuPoint();

// Makes the two pens: 0 or 10004. DeleteFramePens deletes them.
int CreateFramePens();
void DeleteFramePens();

// Destroys the tooltip shown and kills the pending tooltip timer.
void CancelToolTip();
// Shows the submenu of the right-button menu chosen by ContextMenuKind at `point` (the view's
// client coordinates), brought up to date first; the popup's result. Nothing without the menu,
// the view's document state or a kind.
int ShowContextMenu(HWND view, LPARAM point);
