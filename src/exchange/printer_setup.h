// The printer of a document (see printer_metrics.h).
#pragma once

#include "exchange/printer_metrics.h"
