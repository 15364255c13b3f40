// Link propagation: settling the holders of flagged links after their targets changed.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// PropagateLinks, also telling how many passes it ran (benchmarks and tests read it).
int PropagateLinksCounted(Drawing* drawing, int* passes);
