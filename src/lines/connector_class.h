// The class handler of elbow connectors (class 2).
#pragma once

#include <windows.h>

#include "model/drawing_records.h"

// Answers the object class protocol for elbow connectors (class 2). Until the class's behaviour is built, every
// message is answered with 0 and nothing changes, as for a message a class does not answer.
extern "C" LONG CALLBACK SED_SegLHandler(HDC dc, Drawing* drawing, void* objects, int row, int message, int a,
                              int b, void* p);
