// The options the program runs with: the Settings record and the style table, process-wide.
#pragma once

#include <windows.h>

#include "documents/settings.h"

// Process-wide, from start-up to exit; null before the options exist.
extern Settings* g_settings;
extern HGLOBAL g_styleTable;
