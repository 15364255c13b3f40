// Services of the editing commands that the model and the object classes use: handle codes,
// grid snapping and the selection (their own headers), edit errors and attachments.
#pragma once

#include <windows.h>

#include "editing/drag_setup.h"
#include "editing/drag_state.h"
#include "editing/hit_test.h"
#include "editing/attachments.h"
#include "editing/edit_operation.h"
#include "model/drawing_records.h"


