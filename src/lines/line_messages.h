// The answers the three line classes give alike: the line colour, the attribute summary, the
// link permission, option bits, the empty answer and, for the classes that carry text of their
// own, the text messages.
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// True when `message` is one of them, with its result in *result.
bool AnswerSharedLineMessage(Drawing* drawing, void* objects, int row, int message, int a, int b, void* p,
                             bool carriesText, LONG* result);
