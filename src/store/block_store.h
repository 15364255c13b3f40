// The block store's interface for the rest of the program.
#pragma once

#include "store/results.h"
#include "store/store_checkpoint.h"
#include "store/store_compact.h"
#include "store/store_directory.h"
#include "store/store_format.h"
#include "store/store_records.h"
#include "store/store_space.h"
