// The options the program runs with.
#include "documents/options.h"

Settings* g_settings = nullptr;
HGLOBAL g_styleTable = nullptr;
