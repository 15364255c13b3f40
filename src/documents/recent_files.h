// The list of the last opened drawings, most recent first, kept with the options; the tails of
// the File and Libraries menus.
#pragma once

#include <windows.h>

// How many items the File menu has of its own; the recent files follow them.
extern int g_fileMenuBase;

// Puts `path` at the top of the list; the most recent entry again changes nothing.
void AddRecentFile(const char* path);
// Adds `path` after the shown entries while fewer than 4 are shown (the options file's order).
void AppendRecentFile(const char* path);
// Removes the entry shown under `commandId`; an id outside the list changes nothing.
void RemoveRecentFile(int commandId);
// The path of the entry shown under `commandId` (at least 262 bytes), empty outside the list.
void GetRecentFilePath(int commandId, char* path);
// Records the process's current folder with a closing backslash; marks the list changed when
// it differs from the recorded one.
void UpdateRecentFilesDirectory();
// Rebuilds the File menu's tail from the list when it changed: a separator and one item per
// entry (ids from 120), the current folder left off, every '&' doubled.
void UpdateRecentFilesMenu(HMENU fileMenu);

// Rebuilds the Libraries menu after its 12 fixed items: a separator, then each library slot
// that names a file and is not docked, by its file name up to the first '.', checked when it
// has a window, with id `baseId` + slot + 1; a library listed twice shows once. Returns 16.
int UpdateLibraryListMenu(HMENU librariesMenu, int baseId);
// True when another slot already lists the slot's library (same folder and file name).
BOOL IsDuplicateLibrarySlot(int slot);
// Doubles every '&' of `text` in place so that a menu shows it literally; the result is cut to
// `size` - 1 characters, never between the two '&' of a pair.
void EscapeMenuAmpersands(char* text, size_t size = 262);
