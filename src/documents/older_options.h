// Options of older versions kept in store-format files (record type 51).
#pragma once

#include <windows.h>

#include "documents/settings.h"

// Takes the old settings record (51/100, its payload locked, `size` bytes) into `settings`.
void ConvertOldSettings(Settings* settings, const BYTE* payload, DWORD size);
// Takes the old recent-files record (51/101, its payload locked, `size` bytes) into `recent`.
void ConvertOldRecentFiles(RecentFiles* recent, const BYTE* payload, DWORD size);
