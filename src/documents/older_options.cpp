// Options of older versions: the conversions keep the defaults until the old layouts are read.
#include "documents/older_options.h"

void ConvertOldSettings(Settings*, const BYTE*, DWORD) {}

void ConvertOldRecentFiles(RecentFiles*, const BYTE*, DWORD) {}
