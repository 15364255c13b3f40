// The list of the last opened drawings, most recent first, kept with the options.
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
